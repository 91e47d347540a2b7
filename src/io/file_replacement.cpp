#include "io/file_replacement.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <system_error>

#include "io/output_error.hpp"

namespace zunkaro::io {
namespace {

constexpr std::size_t kBufferBytes = 64 * 1024;
constexpr int kNameTries = 100;
constexpr mode_t kNewFileMode = 0666;  // less the umask, as any new file

// Opens a fresh file of a name no other file has, in the target's directory.
int CreateBeside(const std::filesystem::path& target, std::filesystem::path& made) {
  // ".NAME.PID." (built by appends: GCC 12 warns wrongly of a chain of +).
  std::string stem = ".";
  stem.append(target.filename().string()).append(".").append(std::to_string(getpid())).append(".");
  static unsigned counter = 0;
  for (int attempt = 0; attempt < kNameTries; ++attempt) {
    std::filesystem::path candidate = target;
    candidate.replace_filename(stem + std::to_string(++counter) + ".tmp");
    const int fd = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
    if (fd >= 0 || errno != EEXIST) {
      made = std::move(candidate);
      return fd;
    }
  }
  errno = EEXIST;
  return -1;
}

}  // namespace

FileReplacement::FileReplacement(std::filesystem::path target)
    : target_(std::move(target)), replaced_(target_) {
  std::error_code error;
  if (std::filesystem::is_symlink(std::filesystem::symlink_status(replaced_, error))) {
    // Saving through a link replaces the file it points to, not the link.
    replaced_ = std::filesystem::weakly_canonical(replaced_, error);
    if (error) {
      FailCreate(error.value());
    }
  }
  struct stat old {};
  const bool exists = stat(replaced_.c_str(), &old) == 0;
  if (exists && S_ISDIR(old.st_mode)) {
    FailCreate(EISDIR);
  }
  if (exists && !S_ISREG(old.st_mode)) {
    // A device or a pipe cannot be replaced; it is written as it is.
    inPlace_ = true;
    fd_ = open(replaced_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd_ < 0) {
      FailCreate(errno);
    }
    return;
  }
  if (exists && access(replaced_.c_str(), W_OK) != 0) {
    // A file the user may not write is not replaced either.
    FailCreate(errno);
  }
  buffer_.reserve(kBufferBytes);
  fd_ = CreateBeside(replaced_, temporary_);
  if (fd_ < 0) {
    FailCreate(errno);
  }
  if (exists) {
    // The new file takes the old one's permissions (best effort).
    (void)fchmod(fd_, old.st_mode & 07777);
  }
}

FileReplacement::~FileReplacement() {
  if (fd_ >= 0) {
    (void)close(fd_);
  }
  if (!temporary_.empty()) {
    (void)unlink(temporary_.c_str());
  }
}

void FileReplacement::Write(std::string_view bytes) {
  if (buffer_.size() + bytes.size() > kBufferBytes) {
    Flush();
  }
  if (bytes.size() >= kBufferBytes) {
    buffer_ = bytes;
    Flush();
  } else {
    buffer_ += bytes;
  }
}

void FileReplacement::Flush() {
  std::string_view rest = buffer_;
  while (!rest.empty()) {
    const ssize_t written = write(fd_, rest.data(), rest.size());
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      FailWrite(errno);
    }
    rest.remove_prefix(static_cast<std::size_t>(written));
  }
  buffer_.clear();
}

void FileReplacement::Close() {
  const int fd = fd_;
  fd_ = -1;
  if (close(fd) != 0 && errno != EINTR) {
    FailWrite(errno);
  }
}

void FileReplacement::Commit() {
  Flush();
  if (inPlace_) {
    Close();
    return;
  }
  if (fsync(fd_) != 0) {
    FailWrite(errno);
  }
  Close();
  if (rename(temporary_.c_str(), replaced_.c_str()) != 0) {
    FailCreate(errno);
  }
  temporary_.clear();
  // The rename itself reaches the disk with the directory (best effort).
  const std::filesystem::path directory = replaced_.parent_path().empty() ? "." : replaced_.parent_path();
  const int dirFd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    (void)fsync(dirFd);
    (void)close(dirFd);
  }
}

void FileReplacement::FailCreate(int error) const {
  throw OutputError(OutputError::Step::kCreate, target_.string(), error);
}

void FileReplacement::FailWrite(int error) const {
  throw OutputError(OutputError::Step::kWrite, target_.string(), error);
}

}  // namespace zunkaro::io
