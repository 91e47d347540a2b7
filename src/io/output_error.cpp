#include "io/output_error.hpp"

#include <system_error>
#include <utility>

namespace zunkaro::io {

OutputError::OutputError(Step step, std::string name, int error)
    : std::runtime_error(name + ": " + std::system_category().message(error)),
      step_(step),
      name_(std::move(name)),
      code_(error) {}

std::string OutputError::reason() const { return std::system_category().message(code_); }

}  // namespace zunkaro::io
