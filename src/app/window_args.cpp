#include "app/window_args.hpp"

#include <CLI/CLI.hpp>

#include <cerrno>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "core/version.hpp"

namespace zunkaro {
namespace {

constexpr std::string_view kProgram = "zunkaro";
constexpr int kExitSuccess = 0;
constexpr int kExitUsage = 2;

constexpr std::string_view kHelp =
    "Usage: zunkaro [LOG]\n"
    "Show the ranking report of a forum log in a window: its posters ranked by\n"
    "characters, by posts and by average characters per post. With LOG, the window\n"
    "opens it at once, as its menu's open-log command would.\n"
    "\n"
    "  -h, --help     show this help and exit\n"
    "      --version  show the version and exit\n"
    "\n"
    "The window ends with exit status 0. A wrong command line gives status 2.\n";

// The words of a message, one after the other.
[[nodiscard]] std::string Words(std::initializer_list<std::string_view> words) {
  std::string text;
  for (const std::string_view word : words) {
    text += word;
  }
  return text;
}

}  // namespace

std::string_view WindowHelpText() noexcept { return kHelp; }

std::string WindowVersionText() {
  return Words({kProgram, " (Zunkaro) ", kVersionAscii, "\n"});
}

WindowArgs ParseWindowArgs(std::span<const char* const> args) {
  CLI::App app("", std::string(kProgram));
  app.set_help_flag();
  // Unknown options are collected, so that the message can name them.
  app.allow_extras();

  bool help = false;
  bool version = false;
  std::vector<std::string> logs;
  app.add_flag("-h,--help", help);
  app.add_flag("--version", version);
  app.add_option("LOG", logs);

  // CLI11 wants the program's name first.
  std::vector<const char*> argv{kProgram.data()};
  for (const char* arg : args) {
    argv.push_back(arg == nullptr ? "" : arg);
  }
  try {
    app.parse(static_cast<int>(argv.size()), argv.data());
  } catch (const CLI::ParseError& error) {
    return WindowUsageError{error.what()};
  }
  if (help) return ShowWindowHelp{};
  if (version) return ShowWindowVersion{};

  for (const std::string& extra : app.remaining()) {
    // "--" itself is kept by CLI11; what follows it went to the logs.
    if (extra != "--") {
      return WindowUsageError{Words({"unknown option '", extra, "'"})};
    }
  }
  if (logs.empty()) {
    return StartWindow{};
  }
  if (logs.size() > 1) {
    return WindowUsageError{Words({"one log at a time: '", logs[1], "' is one too many"})};
  }
  if (logs.front().empty()) {
    return WindowUsageError{"the log's name is empty"};
  }
  if (logs.front() == "-") {
    return WindowUsageError{"the window cannot read standard input; name a log file"};
  }
  return StartWindow{std::filesystem::path(logs.front())};
}

std::optional<int> AnswerWithoutWindow(const WindowArgs& parsed, std::FILE* out, std::FILE* err) {
  const auto say = [](std::FILE* stream, std::string_view text) {
    return std::fwrite(text.data(), 1, text.size(), stream) == text.size() && std::fflush(stream) == 0;
  };
  std::string answer;
  if (std::holds_alternative<ShowWindowHelp>(parsed)) {
    answer = WindowHelpText();
  } else if (std::holds_alternative<ShowWindowVersion>(parsed)) {
    answer = WindowVersionText();
  } else if (const auto* error = std::get_if<WindowUsageError>(&parsed)) {
    (void)say(err, Words({kProgram, ": ", error->Message, "\nTry '", kProgram,
                          " --help' for more information.\n"}));
    return kExitUsage;
  } else {
    return std::nullopt;
  }
  if (!say(out, answer)) {
    (void)say(err, Words({kProgram, ": standard output: ", std::strerror(errno), "\n"}));
    return kExitUsage;
  }
  return kExitSuccess;
}

}  // namespace zunkaro
