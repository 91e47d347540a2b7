#include "cli/report_command.hpp"

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/analysis.hpp"
#include "encoding/shift_jis.hpp"
#include "cli/parse_args.hpp"
#include "core/version.hpp"
#include "log/file_source.hpp"
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

// The word on the command line that stands for standard input.
constexpr std::string_view kStandardInputWord = "-";

// The log a word of the command line names.
[[nodiscard]] LogInput InputOf(const std::string& word, const Options& options) {
  LogInput input;
  if (word == kStandardInputWord) {
    input.StandardInput = true;
  } else {
    input.Path = word;
  }
  input.Forced = options.InputEncoding;
  return input;
}

// The log's name in headings and messages.
[[nodiscard]] std::string NameOf(const std::string& word) {
  return word == kStandardInputWord ? std::string(kStandardInputName) : word;
}

// Line numbers as a list: "3, 17, 40".
[[nodiscard]] std::string Numbers(const std::vector<std::int64_t>& lines) {
  std::string text;
  for (const std::int64_t line : lines) {
    text += (text.empty() ? "" : ", ") + std::to_string(line);
  }
  return text;
}

// What was found in one log, on standard error: with --verbose all of it,
// otherwise one warning when lines look like headers but are none. Nothing
// here changes the report or the exit status.
void Diagnose(std::FILE* err, const std::string& name, const Analysis& analysis, bool verbose) {
  const ReadingNotes& notes = analysis.Notes;
  const InputNotes& input = analysis.Input;
  const auto say = [err, &name](const std::string& text) {
    std::fprintf(err, "%.*s: %s: %s\n", static_cast<int>(kProgram.size()), kProgram.data(),
                 name.c_str(), text.c_str());
  };
  if (!verbose) {
    if (notes.NearMissCount != 0) {
      say("warning: " + std::to_string(notes.NearMissCount) +
          (notes.NearMissCount == 1 ? " line looks" : " lines look") +
          " like a message header but is not one, so its message is left out; "
          "--verbose lists them");
    }
    return;
  }
  std::string encoding = "encoding: " + std::string(EncodingName(input.Found));
  if (input.Forced) {
    encoding += " (as --encoding asks)";
  } else if (input.CloseCall) {
    encoding += ", a close call: " + input.Why + " (--encoding forces one)";
  } else {
    encoding += " (" + input.Why + ")";
  }
  say(encoding);
  if (input.JudgedOn != 0) {
    say("the encoding and the line ends were judged on the first " +
        std::to_string(input.JudgedOn) + " bytes, which a pipe cannot give twice");
  }
  if (input.CarriageReturnLineEnds) {
    say("line ends: carriage returns (the log holds no line feed)");
  }
  say("lines read: " + std::to_string(notes.LinesRead));
  std::int64_t posterDeleted = 0;
  std::int64_t sysopDeleted = 0;
  for (std::int32_t i = 0; i < analysis.MessageCount; ++i) {
    const MessageRecord& record = *analysis.Messages[static_cast<std::size_t>(i)];
    posterDeleted += (record.Flags & mfPosterDeleted) != 0 ? 1 : 0;
    sysopDeleted += (record.Flags & mfSysopDeleted) != 0 ? 1 : 0;
  }
  say("messages found: " + std::to_string(analysis.MessageCount) + " (" +
      std::to_string(analysis.MessageCount - posterDeleted - sysopDeleted) + " ordinary, " +
      std::to_string(posterDeleted) + " deleted by their posters, " +
      std::to_string(sysopDeleted) + " deleted by the SYSOP)");
  say("lines outside any message: " + std::to_string(notes.LinesOutside));
  for (const std::int64_t line : notes.NearMissLines) {
    say("line " + std::to_string(line) +
        ": looks like a message header but is not one; its message is left out");
  }
  const auto unlisted = notes.NearMissCount - static_cast<std::int64_t>(notes.NearMissLines.size());
  if (unlisted > 0) {
    say("and " + std::to_string(unlisted) + " more such lines");
  }
  const Substitutions& geta = input.Substituted;
  if (geta.Count != 0) {
    say(std::to_string(geta.Count) + " character" + (geta.Count == 1 ? "" : "s") +
        " with no Shift-JIS form written as \xe3\x80\x93 (geta), at line" +
        (geta.Lines.size() == 1 ? " " : "s ") +
        Numbers(geta.Lines) +
        (geta.Lines.size() == Substitutions::kMostLines ? " and further" : ""));
  }
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
  if (std::ranges::count(options.Logs, kStandardInputWord) > 1) {
    return RefuseUsage(err, "standard input ('-') can be read only once");
  }
  const bool several = options.Logs.size() > 1;
  const auto analysis = std::make_unique<Analysis>();
  OutputLines output(out, options.ShiftJis);
  int status = kExitReport;
  bool first = true;
  for (const std::string& log : options.Logs) {
    if (several) {
      // As head(1) does: a heading on each report, a blank line between them.
      output.Head("==> " + NameOf(log) + " <==", !first);
    }
    Outcome outcome{};
    try {
      if (log.empty()) {
        throw LogError(log, std::strerror(ENOENT));
      }
      outcome = analysis->Analyse(InputOf(log, options), output);
    } catch (const LogError& error) {
      PrintError(err, error.what());
      status = std::max(status, kExitFailure);
      continue;
    }
    Diagnose(err, NameOf(log), *analysis, options.Verbose);
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
