// The system calls through which a log is read. A reader is given the
// system's own unless a test hands it others, to make any call fail when it
// likes: that is how every failure of the read path is tested.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>

namespace zunkaro {

struct FileCalls {
  int (*Open)(const char* path, int flags);
  int (*Stat)(int fd, struct stat* st);
  ssize_t (*Read)(int fd, void* buffer, std::size_t bytes);
  int (*Close)(int fd);
  off_t (*Seek)(int fd, off_t offset, int whence);
};

// open(2), fstat(2), read(2), close(2) and lseek(2).
[[nodiscard]] const FileCalls& SystemFileCalls() noexcept;

}  // namespace zunkaro
