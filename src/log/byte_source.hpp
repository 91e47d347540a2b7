// Where the bytes of a log come from: a file, standard input, or a source
// that turns another encoding into Shift-JIS on the way. The reader takes
// its lines from one of these and knows nothing else of where they come from.
#pragma once

#include <cstddef>
#include <filesystem>
#include <utility>

namespace zunkaro {

class ByteSource {
 public:
  explicit ByteSource(std::filesystem::path name) : name_(std::move(name)) {}
  virtual ~ByteSource() = default;
  ByteSource(const ByteSource&) = delete;
  ByteSource& operator=(const ByteSource&) = delete;

  // Reads at most `most` bytes (at least 1) into `into`; returns how many,
  // and 0 only at the end. Throws LogError naming the source when reading
  // fails, so that a log cut short never passes for a whole one.
  [[nodiscard]] virtual std::size_t Read(char* into, std::size_t most) = 0;

  // The name for messages: the file's path, or "standard input".
  [[nodiscard]] const std::filesystem::path& Name() const noexcept { return name_; }

 private:
  std::filesystem::path name_;
};

}  // namespace zunkaro
