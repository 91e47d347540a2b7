// The one error of log reading: a log that cannot be read to its end, or
// that holds more than a table can take. It names the file and the reason.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

namespace zunkaro {

class LogError : public std::runtime_error {
 public:
  LogError(const std::filesystem::path& path, const std::string& reason)
      : std::runtime_error(path.string() + ": " + reason), path_(path), reason_(reason) {}

  [[nodiscard]] const std::filesystem::path& path() const noexcept { return path_; }
  [[nodiscard]] const std::string& reason() const noexcept { return reason_; }

 private:
  std::filesystem::path path_;
  std::string reason_;
};

}  // namespace zunkaro
