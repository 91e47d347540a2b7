// The command line of zunkaro-report, apart from the run: what it asks for,
// or why it cannot be done.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "encoding/encoding.hpp"

namespace zunkaro {

enum class OutputFormat : std::uint8_t { kText, kJson, kCsv, kHtml };

// The name of a format as --format takes it.
[[nodiscard]] std::string_view FormatName(OutputFormat format) noexcept;

// A run of the command: what to read and how to write it.
struct Options {
  std::vector<std::string> Logs;           // in order; "-" is standard input
  std::optional<Encoding> InputEncoding;   // none: found from each log's bytes
  OutputFormat Format = OutputFormat::kText;
  bool ShiftJis = false;                   // text as Shift-JIS with CR LF
  bool Messages = false;                   // one record per message instead of the ranking
  std::optional<std::filesystem::path> Output;  // none: standard output
  bool Merge = false;                      // one report over all the logs
  unsigned Jobs = 0;                       // threads; 0: one per processor
  bool Verbose = false;                    // diagnostics on standard error

  friend bool operator==(const Options&, const Options&) = default;
};

struct ShowHelp {
  friend bool operator==(ShowHelp, ShowHelp) = default;
};
struct ShowVersion {
  friend bool operator==(ShowVersion, ShowVersion) = default;
};
// A command line that cannot be run, and why, in the words the command prints
// after its name ("unknown option '--x'").
struct UsageError {
  std::string Message;
  friend bool operator==(const UsageError&, const UsageError&) = default;
};

using ParsedArgs = std::variant<Options, ShowHelp, ShowVersion, UsageError>;

// Reads the arguments after the program's name, the GNU way: options and
// logs in any order, "--opt=value" or "--opt value", "-j4" or "-j 4", and
// "--" ending the options. Asking for help or the version wins over the
// logs and the other options.
[[nodiscard]] ParsedArgs ParseArgs(std::span<const char* const> args);

// What --help prints.
[[nodiscard]] std::string_view HelpText() noexcept;

}  // namespace zunkaro
