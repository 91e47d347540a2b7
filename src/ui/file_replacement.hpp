// Writes a file beside its target and puts it in the target's place only
// once the whole text is written and on disk, so that a write that fails,
// part-way or at the end, leaves the old file as it was.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zunkaro::ui {

class FileReplacement {
 public:
  // Creates the new file beside `target`. Throws Error "ﾌｧｲﾙ %s を作成できません"
  // with the target's path and the reason when it cannot be made, or when
  // `target` is a directory.
  explicit FileReplacement(std::filesystem::path target);
  // Removes the new file unless Commit() put it in place.
  ~FileReplacement();
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // Throws Error "ｽﾄﾘｰﾑへの書き込みｴﾗｰ" with the path and the reason.
  void Write(std::string_view bytes);
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

}  // namespace zunkaro::ui
