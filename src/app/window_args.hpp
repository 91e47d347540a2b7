// The command line of the window, `zunkaro [LOG]`: what it asks for, or why
// it cannot be done. It is read before Qt starts, so that --help and a wrong
// command line need no display.
#pragma once

#include <cstdio>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace zunkaro {

// Start the window, and open `Log` in it at once when one is given.
struct StartWindow {
  std::optional<std::filesystem::path> Log;
  friend bool operator==(const StartWindow&, const StartWindow&) = default;
};
struct ShowWindowHelp {
  friend bool operator==(ShowWindowHelp, ShowWindowHelp) = default;
};
struct ShowWindowVersion {
  friend bool operator==(ShowWindowVersion, ShowWindowVersion) = default;
};
// A command line that cannot be run, and why, in the words the program
// prints after its name ("unknown option '--x'").
struct WindowUsageError {
  std::string Message;
  friend bool operator==(const WindowUsageError&, const WindowUsageError&) = default;
};

using WindowArgs = std::variant<StartWindow, ShowWindowHelp, ShowWindowVersion, WindowUsageError>;

// Reads the arguments after the program's name the GNU way: "--" ends the
// options, and help or the version wins over everything else. One log at
// most: a file manager starts one window for each file.
[[nodiscard]] WindowArgs ParseWindowArgs(std::span<const char* const> args);

// What --help prints, and the line --version prints (plain ASCII).
[[nodiscard]] std::string_view WindowHelpText() noexcept;
[[nodiscard]] std::string WindowVersionText();

// Answers help, the version or a usage error on `out` or `err`, as GNU tools
// do, and gives the exit status: 0, or 2 for a wrong command line or an
// answer that cannot be written. Nothing when the window is to start.
[[nodiscard]] std::optional<int> AnswerWithoutWindow(const WindowArgs& parsed, std::FILE* out,
                                                     std::FILE* err);

}  // namespace zunkaro
