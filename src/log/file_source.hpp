// The bytes of a file or of standard input, read through the FileCalls
// table.
#pragma once

#include <filesystem>
#include <memory>

#include "log/byte_source.hpp"
#include "log/file_calls.hpp"

namespace zunkaro {

// How standard input is named in messages.
inline constexpr const char* kStandardInputName = "standard input";

class FileSource final : public ByteSource {
 public:
  // Opens the file. Throws LogError naming it when it cannot be opened, or
  // when it is a directory or a device rather than a file or a pipe.
  explicit FileSource(const std::filesystem::path& path,
                      const FileCalls& calls = SystemFileCalls());
  // Standard input, whatever it is but a directory; it is left open.
  [[nodiscard]] static std::unique_ptr<FileSource> StandardInput(
      const FileCalls& calls = SystemFileCalls());
  ~FileSource() override;

  [[nodiscard]] std::size_t Read(char* into, std::size_t most) override;

  // Whether Rewind() can work: a regular file can be read again, a pipe not.
  [[nodiscard]] bool CanRewind() const noexcept { return regular_; }
  // Goes back to the first byte. Throws LogError when it fails.
  void Rewind();

 private:
  FileSource(const FileCalls& calls, int fd);
  // Checks what the descriptor reads; closes it and throws when it is no log.
  void Check(bool allowDevice);

  const FileCalls& calls_;
  int fd_ = -1;
  bool owned_ = true;
  bool regular_ = false;
};

}  // namespace zunkaro
