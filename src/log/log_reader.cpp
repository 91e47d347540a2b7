#include "log/log_reader.hpp"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#include "log/file_source.hpp"
#include "log/line_scan.hpp"

namespace zunkaro {
namespace {

using namespace line_bytes;

constexpr std::size_t kBufferBytes = std::size_t{1} << 17;
// The scan reads whole blocks and may look past what the buffer holds.
constexpr std::size_t kSlack = kLineScanOverread;

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
  const std::size_t at = FindLineBreak(start, reach);
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
