#include "cli/report_command.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/parse_args.hpp"
#include "core/analysis.hpp"
#include "encoding/shift_jis.hpp"
#include "core/version.hpp"
#include "export/csv_export.hpp"
#include "export/html_export.hpp"
#include "export/json_export.hpp"
#include "export/message_listing.hpp"
#include "export/result_view.hpp"
#include "io/byte_sink.hpp"
#include "io/file_replacement.hpp"
#include "io/output_error.hpp"
#include "io/report_file.hpp"
#include "log/file_source.hpp"
#include "log/log_error.hpp"

namespace zunkaro {
namespace {

constexpr std::string_view kProgram = "zunkaro-report";

// Standard output, flushed after each log so that reports show as they are
// made. Throws io::OutputError naming "standard output".
class StandardOutput final : public io::ByteSink {
 public:
  explicit StandardOutput(std::FILE* out) : out_(out) { buffer_.reserve(kFlushAt); }

  void Write(std::string_view bytes) override {
    if (buffer_.size() + bytes.size() > kFlushAt) {
      Flush();
    }
    buffer_ += bytes;
  }

  void Flush() {
    const bool written = std::fwrite(buffer_.data(), 1, buffer_.size(), out_) == buffer_.size();
    buffer_.clear();
    if (!written || std::fflush(out_) != 0) {
      throw io::OutputError(io::OutputError::Step::kWrite, "standard output", errno);
    }
  }

 private:
  static constexpr std::size_t kFlushAt = std::size_t{1} << 16;

  std::FILE* out_;
  std::string buffer_;
};

// Where the output goes: standard output, or the file of --output, which is
// made beside its target at the start and put in its place only once every
// log is done, so that a run that fails leaves the old file whole.
class Destination {
 public:
  Destination(const std::optional<std::filesystem::path>& file, std::FILE* out) : stdout_(out) {
    if (file) {
      file_.emplace(*file);
    }
  }

  [[nodiscard]] io::ByteSink& Bytes() noexcept {
    return file_ ? static_cast<io::ByteSink&>(*file_) : stdout_;
  }

  // A log is done: what it gave reaches standard output now.
  void LogDone() {
    if (!file_) stdout_.Flush();
  }

  // Every log is done. The file replaces the old one only when some log gave
  // output; otherwise the old file stays as it was.
  void Finish(bool anyOutput) {
    if (file_ && anyOutput) {
      file_->Commit();
    } else if (!file_) {
      stdout_.Flush();
    }
  }

 private:
  StandardOutput stdout_;
  std::optional<io::FileReplacement> file_;
};

// A report that goes nowhere, for the formats made from the result itself.
class NoLines final : public LineList {
 public:
  void Add(std::string_view /*line*/) override {}
};

// Text lines from Shift-JIS: UTF-8 with LF, or, with --sjis, the report
// file's own form (Shift-JIS, CR LF). A heading of our own may wait for the
// next line: a log that fails puts nothing out, not even its heading.
class TextOutput final : public LineList {
 public:
  TextOutput(io::ByteSink& sink, bool shiftJis) : sink_(sink), reportFile_(sink), shiftJis_(shiftJis) {}

  // "==> LOG <==" before the next line, after an empty one when `blankBefore`.
  void Head(std::string_view text, bool blankBefore) {
    head_.clear();
    if (blankBefore) head_.emplace_back();
    head_.emplace_back(text);
  }

  void Add(std::string_view sjis) override {
    for (const std::string& line : std::exchange(head_, {})) {
      Put(line, false);
    }
    Put(sjis, true);
  }

 private:
  void Put(std::string_view line, bool decode) {
    if (shiftJis_) {
      reportFile_.Add(line);
      return;
    }
    sink_.Write(decode ? std::string_view(decoder_.ToUtf8(line)) : line);
    sink_.Write("\n");
  }

  io::ByteSink& sink_;
  io::ReportFile reportFile_;
  bool shiftJis_;
  std::vector<std::string> head_;
  ShiftJisDecoder decoder_;
};

// The output of one format, fed log by log.
class FormatSink {
 public:
  virtual ~FormatSink() = default;
  // Where the analysis of the log about to be read appends its report.
  [[nodiscard]] virtual LineList& ReportLines(const std::string& log) = 0;
  // The log has been read, tallied and ranked.
  virtual void Analysed(const std::string& log, const Analysis& analysis) = 0;
  // Every log is done.
  virtual void End() {}
};

// Text: the report, or the message listing; with several logs each headed
// "==> LOG <==", as head(1) does, with an empty line between them.
class TextSink final : public FormatSink {
 public:
  TextSink(io::ByteSink& sink, const Options& options)
      : lines_(sink, options.ShiftJis), messages_(options.Messages),
        several_(options.Logs.size() > 1) {}

  LineList& ReportLines(const std::string& log) override {
    if (several_) lines_.Head("==> " + log + " <==", !first_);
    if (messages_) return none_;
    return lines_;
  }

  void Analysed(const std::string& log, const Analysis& analysis) override {
    if (messages_) WriteMessageListing(ViewOf(analysis, log), lines_);
    first_ = false;
  }

 private:
  TextOutput lines_;
  NoLines none_;
  bool messages_;
  bool several_;
  bool first_ = true;
};

// JSON Lines: one object per log, or one per message.
class JsonSink final : public FormatSink {
 public:
  JsonSink(io::ByteSink& sink, bool messages) : sink_(sink), messages_(messages) {}
  LineList& ReportLines(const std::string& /*log*/) override { return none_; }
  void Analysed(const std::string& log, const Analysis& analysis) override {
    const ResultView view = ViewOf(analysis, log);
    sink_.Write(messages_ ? MessageJsonLines(view) : JsonLine(view));
  }

 private:
  io::ByteSink& sink_;
  NoLines none_;
  bool messages_;
};

// CSV: one header row, then the rows of every log.
class CsvSink final : public FormatSink {
 public:
  CsvSink(io::ByteSink& sink, bool messages) : sink_(sink), messages_(messages) {}
  LineList& ReportLines(const std::string& /*log*/) override { return none_; }
  void Analysed(const std::string& log, const Analysis& analysis) override {
    if (first_) sink_.Write(messages_ ? MessageCsvHeader() : CsvHeader());
    first_ = false;
    const ResultView view = ViewOf(analysis, log);
    sink_.Write(messages_ ? MessageCsvRows(view) : CsvRows(view));
  }

 private:
  io::ByteSink& sink_;
  NoLines none_;
  bool messages_;
  bool first_ = true;
};

// HTML: one page, with a section for each log, written when all are read.
class HtmlSink final : public FormatSink {
 public:
  explicit HtmlSink(io::ByteSink& sink) : sink_(sink) {}
  LineList& ReportLines(const std::string& /*log*/) override { return none_; }
  void Analysed(const std::string& log, const Analysis& analysis) override {
    views_.push_back(ViewOf(analysis, log));
  }
  void End() override {
    if (!views_.empty()) sink_.Write(HtmlPage(views_));
  }

 private:
  io::ByteSink& sink_;
  NoLines none_;
  std::vector<ResultView> views_;
};

[[nodiscard]] std::unique_ptr<FormatSink> SinkFor(const Options& options, io::ByteSink& sink) {
  switch (options.Format) {
    case OutputFormat::kJson:
      return std::make_unique<JsonSink>(sink, options.Messages);
    case OutputFormat::kCsv:
      return std::make_unique<CsvSink>(sink, options.Messages);
    case OutputFormat::kHtml:
      return std::make_unique<HtmlSink>(sink);
    case OutputFormat::kText:
      break;
  }
  return std::make_unique<TextSink>(sink, options);
}

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
  int status = kExitReport;
  try {
    Destination destination(options.Output, out);
    const std::unique_ptr<FormatSink> sink = SinkFor(options, destination.Bytes());
    bool anyOutput = false;
    for (const std::string& log : options.Logs) {
      Outcome outcome{};
      try {
        if (log.empty()) {
          throw LogError(log, std::strerror(ENOENT));
        }
        outcome = analysis->Analyse(InputOf(log, options), sink->ReportLines(NameOf(log)));
      } catch (const LogError& error) {
        PrintError(err, error.what());
        status = std::max(status, kExitFailure);
        continue;
      }
      Diagnose(err, NameOf(log), *analysis, options.Verbose);
      if (outcome == Outcome::kNoMessages) {
        if (several) {
          PrintError(err, NameOf(log) + ": " + std::string(kNoMessagesText));
        } else {
          std::fprintf(err, "%.*s\n", static_cast<int>(kNoMessagesText.size()),
                       kNoMessagesText.data());
        }
        status = std::max(status, kExitNoMessages);
        continue;
      }
      sink->Analysed(NameOf(log), *analysis);
      anyOutput = true;
      destination.LogDone();
    }
    sink->End();
    destination.Finish(anyOutput);
  } catch (const io::OutputError& error) {
    PrintError(err, error.what());
    return kExitFailure;
  }
  return status;
}

}  // namespace zunkaro
