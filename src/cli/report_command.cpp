#include "cli/report_command.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/analysis.hpp"
#include "core/shift_jis.hpp"
#include "core/version.hpp"
#include "log/log_error.hpp"

namespace zunkaro {
namespace {

constexpr std::string_view kProgram = "zunkaro-report";

constexpr std::string_view kUsage =
    "Usage: zunkaro-report [--sjis] LOG...\n"
    "Print the ranking report of each Shift-JIS forum log.\n"
    "\n"
    "  --sjis     write the report as Shift-JIS with CR LF line ends: byte for byte\n"
    "             the report file that the Zunkaro window saves\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n"
    "\n"
    "By default the report is UTF-8 with LF line ends, for a terminal.\n"
    "With several logs each report is headed by a line \"==> LOG <==\".\n"
    "\n"
    "Exit status: 0 when every log gave its report; 1 when a log holds no message;\n"
    "2 when a log cannot be read or holds more than 65000 messages, when the\n"
    "output cannot be written, or when the command line is wrong.\n";

struct Options {
  bool ShiftJis = false;
  std::vector<std::string_view> Logs;
};

// Reports in the chosen form, written as they are made. The analysis writes
// a report only once its whole log has been read, so a log that fails puts
// nothing on the output, not even its heading.
class OutputLines final : public LineList {
 public:
  OutputLines(std::FILE* out, bool shiftJis) : out_(out), shiftJis_(shiftJis) {
    buffer_.reserve(kFlushAt);
  }

  // A line of our own to put before the next report's first line, such as a
  // heading; an empty one when `blankBefore`.
  void Head(std::string_view text, bool blankBefore) {
    head_.clear();
    if (blankBefore) {
      head_ += LineEnd();
    }
    head_ += text;
    head_ += LineEnd();
  }

  void Add(std::string_view sjis) override {
    if (!head_.empty()) {
      Put(head_);
      head_.clear();
    }
    if (shiftJis_) {
      // Byte for byte the saved report: Shift-JIS, CR LF after every line.
      Put(sjis);
    } else {
      Put(decoder_.ToUtf8(sjis));
    }
    Put(LineEnd());
  }

  // Ends a report; whether everything so far reached the output.
  [[nodiscard]] bool Finish() noexcept {
    head_.clear();
    Flush();
    return ok_ && std::fflush(out_) == 0;
  }

 private:
  static constexpr std::size_t kFlushAt = std::size_t{1} << 16;

  [[nodiscard]] std::string_view LineEnd() const noexcept { return shiftJis_ ? "\r\n" : "\n"; }

  void Put(std::string_view bytes) {
    if (buffer_.size() + bytes.size() > kFlushAt) {
      Flush();
    }
    buffer_ += bytes;
  }

  void Flush() noexcept {
    if (ok_ && !buffer_.empty()) {
      ok_ = std::fwrite(buffer_.data(), 1, buffer_.size(), out_) == buffer_.size();
    }
    buffer_.clear();
  }

  std::FILE* out_;
  bool shiftJis_;
  bool ok_ = true;
  std::string head_;
  std::string buffer_;
  ShiftJisDecoder decoder_;
};

void PrintError(std::FILE* err, std::string_view text) {
  std::fprintf(err, "%.*s: %.*s\n", static_cast<int>(kProgram.size()), kProgram.data(),
               static_cast<int>(text.size()), text.data());
}

[[nodiscard]] int UsageError(std::FILE* err, const std::string& text) {
  PrintError(err, text);
  std::fprintf(err, "Try '%.*s --help' for more information.\n",
               static_cast<int>(kProgram.size()), kProgram.data());
  return kExitFailure;
}

}  // namespace

int RunReportCommand(std::span<const char* const> args, std::FILE* out, std::FILE* err) {
  Options options;
  bool optionsEnded = false;
  for (const char* arg : args) {
    const std::string_view a = arg == nullptr ? std::string_view{} : std::string_view{arg};
    if (optionsEnded || a.empty() || a == "-" || a.front() != '-') {
      options.Logs.push_back(a);
    } else if (a == "--") {
      optionsEnded = true;
    } else if (a == "--sjis") {
      options.ShiftJis = true;
    } else if (a == "--help" || a == "-h") {
      std::fwrite(kUsage.data(), 1, kUsage.size(), out);
      return std::fflush(out) == 0 ? kExitReport : kExitFailure;
    } else if (a == "--version") {
      std::fprintf(out, "%.*s (Zunkaro) %.*s\n", static_cast<int>(kProgram.size()),
                   kProgram.data(), static_cast<int>(kVersionUtf8.size()), kVersionUtf8.data());
      return std::fflush(out) == 0 ? kExitReport : kExitFailure;
    } else {
      return UsageError(err, "unknown option '" + std::string(a) + "'");
    }
  }
  if (options.Logs.empty()) {
    return UsageError(err, "no log given");
  }

  const bool several = options.Logs.size() > 1;
  const auto analysis = std::make_unique<Analysis>();
  OutputLines output(out, options.ShiftJis);
  int status = kExitReport;
  bool first = true;
  for (const std::string_view log : options.Logs) {
    if (several) {
      // As head(1) does: a heading on each report, a blank line between them.
      output.Head("==> " + std::string(log) + " <==", !first);
    }
    Outcome outcome{};
    try {
      if (log.empty()) {
        throw LogError(log, std::strerror(ENOENT));
      }
      outcome = analysis->Analyse(std::filesystem::path(log), output);
    } catch (const LogError& error) {
      PrintError(err, error.what());
      status = std::max(status, kExitFailure);
      continue;
    }
    if (outcome == Outcome::kNoMessages) {
      if (several) {
        PrintError(err, std::string(log) + ": " + std::string(kNoMessagesText));
      } else {
        std::fprintf(err, "%.*s\n", static_cast<int>(kNoMessagesText.size()),
                     kNoMessagesText.data());
      }
      status = std::max(status, kExitNoMessages);
      continue;
    }
    first = false;
    if (!output.Finish()) {
      PrintError(err, std::string("standard output: ") + std::strerror(errno));
      return kExitFailure;
    }
  }
  return status;
}

}  // namespace zunkaro
