#include "log/log_reader.hpp"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#include "log/file_source.hpp"

namespace zunkaro {
namespace {

constexpr char kNul = '\0';
constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';
constexpr char kEndOfFile = '\x1a';

constexpr std::size_t kBufferBytes = std::size_t{1} << 17;
// The scan reads whole blocks and may look a block past what the buffer holds.
constexpr std::size_t kBlock = 16;
constexpr std::size_t kSlack = kBlock;

#if defined(__SSE2__)

// The first of the bytes that end or break a plain line (NUL, line feed,
// carriage return, 0x1A) among the first `limit` bytes at `p`, or `limit`.
// Reads whole blocks of 16 bytes, possibly past `limit`.
[[nodiscard]] std::size_t FindSpecial(const char* p, std::size_t limit) noexcept {
  const __m128i nul = _mm_setzero_si128();
  const __m128i lineFeed = _mm_set1_epi8(kLineFeed);
  const __m128i carriageReturn = _mm_set1_epi8(kCarriageReturn);
  const __m128i endOfFile = _mm_set1_epi8(kEndOfFile);
  for (std::size_t i = 0; i < limit; i += kBlock) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    const __m128i hits =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, nul), _mm_cmpeq_epi8(block, lineFeed)),
                     _mm_or_si128(_mm_cmpeq_epi8(block, carriageReturn),
                                  _mm_cmpeq_epi8(block, endOfFile)));
    const auto marks = static_cast<unsigned>(_mm_movemask_epi8(hits));
    if (marks != 0) {
      const std::size_t at = i + static_cast<std::size_t>(std::countr_zero(marks));
      return at < limit ? at : limit;
    }
  }
  return limit;
}

#else

// Each byte of a word set to `b`.
[[nodiscard]] constexpr std::uint64_t Broadcast(char b) noexcept {
  return 0x0101010101010101ULL * static_cast<unsigned char>(b);
}

// The high bit of every byte of `w` that is zero. A byte above a zero byte
// may be marked too, so only the lowest mark is exact.
[[nodiscard]] constexpr std::uint64_t ZeroBytes(std::uint64_t w) noexcept {
  return (w - Broadcast('\x01')) & ~w & Broadcast('\x80');
}

// The first of the bytes that end or break a plain line (NUL, line feed,
// carriage return, 0x1A) among the first `limit` bytes at `p`, or `limit`.
// Reads whole words of 8 bytes, possibly past `limit`.
[[nodiscard]] std::size_t FindSpecial(const char* p, std::size_t limit) noexcept {
  for (std::size_t i = 0; i < limit; i += sizeof(std::uint64_t)) {
    std::uint64_t w = 0;
    std::memcpy(&w, p + i, sizeof w);
    const std::uint64_t marks = ZeroBytes(w) | ZeroBytes(w ^ Broadcast(kLineFeed)) |
                                ZeroBytes(w ^ Broadcast(kCarriageReturn)) |
                                ZeroBytes(w ^ Broadcast(kEndOfFile));
    if (marks != 0) {
      // Little-endian: the first byte in memory is the lowest of the word.
      const std::size_t at = i + static_cast<std::size_t>(std::countr_zero(marks)) / 8;
      return at < limit ? at : limit;
    }
  }
  return limit;
}

#endif

}  // namespace

LogReader::LogReader(const std::filesystem::path& path, const FileCalls& calls)
    : LogReader(std::make_unique<FileSource>(path, calls)) {}

LogReader::LogReader(std::unique_ptr<ByteSource> source)
    : source_(std::move(source)), buffer_(new char[kBufferBytes + kSlack]()) {}

LogReader::~LogReader() = default;

bool LogReader::ReadMore() {
  const std::size_t got = source_->Read(buffer_.get() + end_, kBufferBytes - end_);
  if (got == 0) {
    fileEnded_ = true;
    return false;
  }
  end_ += got;
  return true;
}

void LogReader::Fill() {
  std::memmove(buffer_.get(), buffer_.get() + pos_, end_ - pos_);
  end_ -= pos_;
  pos_ = 0;
  while (!fileEnded_ && end_ <= Line::kMaxBytes && ReadMore()) {
  }
}

bool LogReader::ReadLine(Line& line) {
  if (ended_) {
    return false;
  }
  if (end_ - pos_ <= Line::kMaxBytes && !fileEnded_) {
    Fill();
  }
  char* const start = buffer_.get() + pos_;
  const std::size_t available = end_ - pos_;
  // A line feed or CR LF within reach; `at` is `reach` when there is none.
  const std::size_t reach = std::min(available, Line::kMaxBytes);
  const std::size_t at = FindSpecial(start, reach);
  if (at < reach && start[at] == kLineFeed) {
    // A plain line: its bytes through the line feed, read in place.
    line.text_ = {start, at + 1};
    pos_ += at + 1;
    lineNumber_ = nextLineNumber_++;
    return true;
  }
  if (at < reach && at + 1 < available && start[at] == kCarriageReturn &&
      start[at + 1] == kLineFeed) {
    // A line ended by CR LF: the carriage return is dropped, so the line
    // feed takes its place.
    start[at] = kLineFeed;
    line.text_ = {start, at + 1};
    pos_ += at + 2;
    lineNumber_ = nextLineNumber_++;
    return true;
  }
  if (at == Line::kMaxBytes) {
    // 255 plain bytes and no line end among them: a read of its own, and the
    // line goes on in the next.
    line.text_ = {start, at};
    pos_ += at;
    lineNumber_ = nextLineNumber_;
    return true;
  }
  return ReadLineSlowly(line);
}

bool LogReader::ReadLineSlowly(Line& line) {
  const std::int64_t number = nextLineNumber_;
  std::size_t length = 0;
  while (!ended_ && length < Line::kMaxBytes) {
    if (pos_ == end_) {
      pos_ = end_ = 0;
      if (fileEnded_ || !ReadMore()) {
        ended_ = true;
        break;
      }
    }
    const char byte = buffer_[pos_++];
    if (byte == kCarriageReturn) {
      // Dropped wherever it stands; it takes no room in the line.
      continue;
    }
    if (byte == kEndOfFile) {
      // Nothing from here on is read.
      ended_ = true;
      break;
    }
    line.bytes_[length++] = byte;
    if (byte == kLineFeed) {
      // The line feed ends the line and belongs to it.
      ++nextLineNumber_;
      break;
    }
  }
  if (length == 0) {
    ended_ = true;
    return false;
  }
  // What follows a NUL is read but never seen.
  const void* nul = std::memchr(line.bytes_.data(), kNul, length);
  const std::size_t visible =
      nul == nullptr ? length
                     : static_cast<std::size_t>(static_cast<const char*>(nul) - line.bytes_.data());
  line.text_ = {line.bytes_.data(), visible};
  lineNumber_ = number;
  return true;
}

}  // namespace zunkaro
