// Writes a file beside its target and puts it in the target's place only
// once the whole text is written and on disk, so that a write that fails,
// part-way or at the end, leaves the old file as it was.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "io/byte_sink.hpp"

namespace zunkaro::io {

class FileReplacement final : public ByteSink {
 public:
  // Creates the new file beside `target`. Throws OutputError (kCreate, named
  // by `target` as given) when it cannot be made, or when `target` is a
  // directory.
  explicit FileReplacement(std::filesystem::path target);
  // Removes the new file unless Commit() put it in place.
  ~FileReplacement();
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // Throws OutputError (kWrite).
  void Write(std::string_view bytes) override;
  // Flushes, syncs and closes the new file and renames it over the target.
  // Throws as Write() does, or as the constructor does when the rename fails.
  void Commit();

 private:
  void Flush();
  void Close();
  [[noreturn]] void FailCreate(int error) const;
  [[noreturn]] void FailWrite(int error) const;

  std::filesystem::path target_;   // as the user named it, for messages
  std::filesystem::path replaced_; // the file that is replaced (a link followed)
  std::filesystem::path temporary_;
  bool inPlace_ = false;           // a device or pipe: written directly, nothing to replace
  int fd_ = -1;
  std::string buffer_;
};

}  // namespace zunkaro::io
