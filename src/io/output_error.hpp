// Why bytes could not be written where they were going: the name of the
// file (or "standard output"), the step that failed, and the system's reason.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace zunkaro::io {

class OutputError : public std::runtime_error {
 public:
  enum class Step : std::uint8_t {
    kCreate,  // the file could not be made or put in place
    kWrite,   // writing to it failed
  };

  // what() is "NAME: reason", as GNU tools put it.
  OutputError(Step step, std::string name, int error);

  [[nodiscard]] Step step() const noexcept { return step_; }
  [[nodiscard]] const std::string& name() const noexcept { return name_; }
  [[nodiscard]] int code() const noexcept { return code_; }
  // The system's words for the error number: "No space left on device".
  [[nodiscard]] std::string reason() const;

 private:
  Step step_;
  std::string name_;
  int code_;
};

}  // namespace zunkaro::io
