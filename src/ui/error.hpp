// The errors of the window layer itself, such as a file that cannot be
// written. Like every exception that escapes a command, it reaches the user
// in the error box; its message is UTF-8.
#pragma once

#include <stdexcept>

namespace zunkaro::ui {

class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace zunkaro::ui
