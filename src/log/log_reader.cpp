#include "log/log_reader.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>

#include "log/line_scan.hpp"
#include "log/log_error.hpp"

namespace zunkaro {
namespace {

constexpr char kNul = '\0';
constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';
constexpr char kEndOfFile = '\x1a';

constexpr std::size_t kBufferBytes = std::size_t{1} << 17;
// The scan reads whole blocks and may look past what the buffer holds.
constexpr std::size_t kSlack = kLineScanOverread;

[[nodiscard]] std::string ErrnoText(int error) { return std::strerror(error); }

}  // namespace

const FileCalls& SystemFileCalls() noexcept {
  static constexpr FileCalls kCalls{
      [](const char* path, int flags) { return ::open(path, flags); },
      [](int fd, struct stat* st) { return ::fstat(fd, st); },
      [](int fd, void* buffer, std::size_t bytes) { return ::read(fd, buffer, bytes); },
      [](int fd) { return ::close(fd); },
  };
  return kCalls;
}

LogReader::LogReader(const std::filesystem::path& path, const FileCalls& calls)
    : path_(path), calls_(calls), buffer_(new char[kBufferBytes + kSlack]()) {
  do {
    fd_ = calls_.Open(path.c_str(), O_RDONLY | O_CLOEXEC);
  } while (fd_ < 0 && errno == EINTR);
  if (fd_ < 0) {
    throw LogError(path_, ErrnoText(errno));
  }
  // Whatever goes wrong from here closes the file again.
  const auto refuse = [this](const std::string& reason) {
    calls_.Close(fd_);
    fd_ = -1;
    throw LogError(path_, reason);
  };
  struct stat st {};
  if (calls_.Stat(fd_, &st) != 0) {
    refuse(ErrnoText(errno));
  }
  if (S_ISDIR(st.st_mode)) {
    refuse(ErrnoText(EISDIR));
  }
  if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) {
    // A device may never end (/dev/zero); a log is a file or a pipe.
    refuse("is a device, not a log file");
  }
}

LogReader::~LogReader() {
  if (fd_ >= 0) {
    calls_.Close(fd_);
  }
}

bool LogReader::ReadMore() {
  for (;;) {
    const ssize_t got = calls_.Read(fd_, buffer_.get() + end_, kBufferBytes - end_);
    if (got > 0) {
      end_ += static_cast<std::size_t>(got);
      return true;
    }
    if (got == 0) {
      fileEnded_ = true;
      return false;
    }
    if (errno != EINTR) {
      throw LogError(path_, "read error: " + ErrnoText(errno));
    }
  }
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
