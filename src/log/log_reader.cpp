#include "log/log_reader.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "log/log_error.hpp"

namespace zunkaro {
namespace {

constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';
constexpr char kEndOfFile = '\x1a';
constexpr std::size_t kBufferBytes = std::size_t{1} << 17;

[[nodiscard]] std::string ErrnoText(int error) { return std::strerror(error); }

}  // namespace

LogReader::LogReader(const std::filesystem::path& path)
    : path_(path), buffer_(new char[kBufferBytes]) {
  do {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  } while (fd_ < 0 && errno == EINTR);
  if (fd_ < 0) {
    throw LogError(path_, ErrnoText(errno));
  }
  struct stat st {};
  if (::fstat(fd_, &st) != 0) {
    const int error = errno;
    ::close(fd_);
    throw LogError(path_, ErrnoText(error));
  }
  if (S_ISDIR(st.st_mode)) {
    ::close(fd_);
    throw LogError(path_, ErrnoText(EISDIR));
  }
  if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) {
    // A device may never end (/dev/zero); a log is a file or a pipe.
    ::close(fd_);
    throw LogError(path_, "is a device, not a log file");
  }
}

LogReader::~LogReader() {
  if (fd_ >= 0) {
    ::close(fd_);
  }
}

bool LogReader::Refill() {
  for (;;) {
    const ssize_t got = ::read(fd_, buffer_.get(), kBufferBytes);
    if (got > 0) {
      pos_ = 0;
      end_ = static_cast<std::size_t>(got);
      return true;
    }
    if (got == 0) {
      return false;
    }
    if (errno != EINTR) {
      throw LogError(path_, "read error: " + ErrnoText(errno));
    }
  }
}

bool LogReader::ReadLine(Line& line) {
  std::size_t length = 0;
  while (!ended_ && length < Line::kMaxBytes) {
    if (pos_ == end_ && !Refill()) {
      ended_ = true;
      break;
    }
    // Copy from the buffer until the line is full, ends, or the buffer runs out.
    const char* in = buffer_.get() + pos_;
    const std::size_t take = end_ - pos_;
    std::size_t used = 0;
    bool lineEnded = false;
    while (used < take && length < Line::kMaxBytes) {
      const char byte = in[used++];
      if (byte == kCarriageReturn) {
        // Dropped wherever it stands; it takes no room in the line.
        continue;
      }
      if (byte == kEndOfFile) {
        // Nothing from here on is read.
        ended_ = true;
        lineEnded = true;
        break;
      }
      line.bytes_[length++] = byte;
      if (byte == kLineFeed) {
        // The line feed ends the line and belongs to it.
        lineEnded = true;
        break;
      }
    }
    pos_ += used;
    if (lineEnded) {
      break;
    }
  }
  if (length == 0) {
    return false;
  }
  line.bytes_[length] = '\0';
  const void* nul = std::memchr(line.bytes_.data(), '\0', length);
  line.visible_ = nul == nullptr ? length
                                 : static_cast<std::size_t>(static_cast<const char*>(nul) -
                                                            line.bytes_.data());
  return true;
}

}  // namespace zunkaro
