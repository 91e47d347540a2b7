#include "cli/report_command.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/analysis.hpp"
#include "encoding/shift_jis.hpp"
#include "cli/parse_args.hpp"
#include "core/version.hpp"
#include "log/log_error.hpp"

namespace zunkaro {
namespace {

constexpr std::string_view kProgram = "zunkaro-report";

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

[[nodiscard]] int RefuseUsage(std::FILE* err, std::string_view text) {
  PrintError(err, text);
  std::fprintf(err, "Try '%.*s --help' for more information.\n",
               static_cast<int>(kProgram.size()), kProgram.data());
  return kExitFailure;
}

// Writes a text of our own, such as the help, to standard output.
[[nodiscard]] int Answer(std::FILE* out, std::FILE* err, std::string_view text) {
  if (std::fwrite(text.data(), 1, text.size(), out) != text.size() || std::fflush(out) != 0) {
    PrintError(err, std::string("standard output: ") + std::strerror(errno));
    return kExitFailure;
  }
  return kExitReport;
}

}  // namespace

int RunReportCommand(std::span<const char* const> args, std::FILE* out, std::FILE* err) {
  const ParsedArgs parsed = ParseArgs(args);
  if (std::holds_alternative<ShowHelp>(parsed)) {
    return Answer(out, err, HelpText());
  }
  if (std::holds_alternative<ShowVersion>(parsed)) {
    return Answer(out, err, std::string(kProgram) + " (Zunkaro) " + std::string(kVersionAscii) + "\n");
  }
  if (const auto* error = std::get_if<UsageError>(&parsed)) {
    return RefuseUsage(err, error->Message);
  }
  return RunReport(std::get<Options>(parsed), out, err);
}

int RunReport(const Options& options, std::FILE* out, std::FILE* err) {
  const bool several = options.Logs.size() > 1;
  const auto analysis = std::make_unique<Analysis>();
  OutputLines output(out, options.ShiftJis);
  int status = kExitReport;
  bool first = true;
  for (const std::string& log : options.Logs) {
    if (several) {
      // As head(1) does: a heading on each report, a blank line between them.
      output.Head("==> " + log + " <==", !first);
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
        PrintError(err, log + ": " + std::string(kNoMessagesText));
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
