#include "log/file_source.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "log/log_error.hpp"

namespace zunkaro {
namespace {

constexpr int kStandardInput = 0;

[[nodiscard]] std::string ErrnoText(int error) { return std::strerror(error); }

}  // namespace

const FileCalls& SystemFileCalls() noexcept {
  static constexpr FileCalls kCalls{
      [](const char* path, int flags) { return ::open(path, flags); },
      [](int fd, struct stat* st) { return ::fstat(fd, st); },
      [](int fd, void* buffer, std::size_t bytes) { return ::read(fd, buffer, bytes); },
      [](int fd) { return ::close(fd); },
      [](int fd, off_t offset, int whence) { return ::lseek(fd, offset, whence); },
  };
  return kCalls;
}

FileSource::FileSource(const std::filesystem::path& path, const FileCalls& calls)
    : ByteSource(path), calls_(calls) {
  do {
    fd_ = calls_.Open(path.c_str(), O_RDONLY | O_CLOEXEC);
  } while (fd_ < 0 && errno == EINTR);
  if (fd_ < 0) {
    throw LogError(Name(), ErrnoText(errno));
  }
  Check(false);
}

FileSource::FileSource(const FileCalls& calls, int fd)
    : ByteSource(kStandardInputName), calls_(calls), fd_(fd), owned_(false) {}

std::unique_ptr<FileSource> FileSource::StandardInput(const FileCalls& calls) {
  std::unique_ptr<FileSource> source(new FileSource(calls, kStandardInput));
  // What the shell redirects from is the user's choice, /dev/null included.
  source->Check(true);
  return source;
}

void FileSource::Check(bool allowDevice) {
  // Whatever goes wrong from here closes the file again.
  const auto refuse = [this](const std::string& reason) {
    if (owned_) {
      calls_.Close(fd_);
    }
    fd_ = -1;
    throw LogError(Name(), reason);
  };
  struct stat st {};
  if (calls_.Stat(fd_, &st) != 0) {
    refuse(ErrnoText(errno));
  }
  if (S_ISDIR(st.st_mode)) {
    refuse(ErrnoText(EISDIR));
  }
  if (!allowDevice && (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))) {
    // A device may never end (/dev/zero); a log is a file or a pipe.
    refuse("is a device, not a log file");
  }
  regular_ = S_ISREG(st.st_mode);
}

FileSource::~FileSource() {
  if (fd_ >= 0 && owned_) {
    calls_.Close(fd_);
  }
}

std::size_t FileSource::Read(char* into, std::size_t most) {
  for (;;) {
    const ssize_t got = calls_.Read(fd_, into, most);
    if (got >= 0) {
      return static_cast<std::size_t>(got);
    }
    if (errno != EINTR) {
      throw LogError(Name(), "read error: " + ErrnoText(errno));
    }
  }
}

void FileSource::Rewind() {
  if (calls_.Seek(fd_, 0, SEEK_SET) != 0) {
    throw LogError(Name(), "cannot read again from the start: " + ErrnoText(errno));
  }
}

}  // namespace zunkaro
