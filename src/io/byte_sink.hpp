// Where bytes go, in order: a file being replaced, standard output, memory.
#pragma once

#include <string>
#include <string_view>

namespace zunkaro::io {

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Throws OutputError when the bytes cannot be written.
  virtual void Write(std::string_view bytes) = 0;
};

// Bytes kept in memory.
class StringSink final : public ByteSink {
 public:
  void Write(std::string_view bytes) override { bytes_ += bytes; }
  [[nodiscard]] const std::string& bytes() const noexcept { return bytes_; }

 private:
  std::string bytes_;
};

}  // namespace zunkaro::io
