#include "cli/report_command.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "cli/ordered_jobs.hpp"
#include "cli/parse_args.hpp"
#include "cli/progress.hpp"
#include "core/analysis.hpp"
#include "core/archive.hpp"
#include "core/version.hpp"
#include "encoding/shift_jis.hpp"
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

// One log's part of a run, made on any thread and written on the calling
// one, in the order of the logs: its output in the chosen format (without
// the heading or header that depend on the logs before it), its errors and
// its status.
struct LogOutcome {
  std::string Out;
  std::string Err;
  int Status = kExitReport;
  bool Analysed = false;                // the log gave figures
  std::optional<ResultView> View;       // HTML: kept for the one page
  std::optional<ArchiveTally> Tally;    // --merge: the log's tally
};

[[nodiscard]] std::string ErrorLine(std::string_view text) {
  std::string line(kProgram);
  line += ": ";
  line += text;
  line += '\n';
  return line;
}

[[nodiscard]] std::uint64_t SizeOf(const std::string& log) noexcept {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(std::filesystem::path(log), error);
  return error ? 0 : static_cast<std::uint64_t>(size);
}

[[nodiscard]] unsigned ThreadsFor(const Options& options) noexcept {
  if (options.Jobs != 0) {
    return options.Jobs;
  }
  const unsigned processors = std::thread::hardware_concurrency();
  return processors == 0 ? 1 : processors;
}

// "==> LOG <==" as a text line, after an empty one when `blankBefore`.
[[nodiscard]] std::string HeadingBytes(const std::string& log, bool blankBefore, bool shiftJis) {
  const std::string_view end = shiftJis ? "\r\n" : "\n";
  std::string text;
  if (blankBefore) {
    text += end;
  }
  text += "==> " + log + " <==";
  text += end;
  return text;
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
// The lines are returned, for the log's errors, to be written in its turn.
[[nodiscard]] std::string Diagnose(const std::string& name, const Analysis& analysis,
                                   bool verbose) {
  const ReadingNotes& notes = analysis.Notes;
  const InputNotes& input = analysis.Input;
  std::string lines;
  const auto say = [&lines, &name](const std::string& text) {
    lines += ErrorLine(name + ": " + text);
  };
  if (!verbose) {
    if (notes.NearMissCount != 0) {
      say("warning: " + std::to_string(notes.NearMissCount) +
          (notes.NearMissCount == 1 ? " line looks" : " lines look") +
          " like a message header but is not one, so its message is left out; "
          "--verbose lists them");
    }
    return lines;
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
  return lines;
}

// Analyses one log and renders it in the chosen format. The text report and
// the message listing go to `text`, which writes where its caller chose
// (straight to the output on one thread, or into memory); the other formats
// into the outcome.
void AnalyseLog(const std::string& word, const Options& options, bool several,
                Analysis& analysis, TextOutput& text, LogOutcome& outcome) {
  NoLines none;
  const bool report = options.Format == OutputFormat::kText && !options.Messages;
  const std::string log = NameOf(word);
  Outcome analysed{};
  try {
    if (word.empty()) {
      throw LogError(word, std::strerror(ENOENT));
    }
    analysed = analysis.Analyse(InputOf(word, options), report ? static_cast<LineList&>(text) : none);
  } catch (const LogError& error) {
    outcome.Err = ErrorLine(error.what());
    outcome.Status = kExitFailure;
    return;
  }
  outcome.Err = Diagnose(log, analysis, options.Verbose);
  if (analysed == Outcome::kNoMessages) {
    outcome.Err += several ? ErrorLine(log + ": " + std::string(kNoMessagesText))
                           : std::string(kNoMessagesText) + "\n";
    outcome.Status = kExitNoMessages;
    return;
  }
  outcome.Analysed = true;
  switch (options.Format) {
    case OutputFormat::kText:
      if (options.Messages) {
        WriteMessageListing(ViewOf(analysis, log), text);
      }
      break;
    case OutputFormat::kJson: {
      const ResultView view = ViewOf(analysis, log);
      outcome.Out = options.Messages ? MessageJsonLines(view) : JsonLine(view);
      break;
    }
    case OutputFormat::kCsv:
      outcome.Out = options.Messages ? MessageCsvRows(ViewOf(analysis, log))
                                     : CsvRows(ViewOf(analysis, log));
      break;
    case OutputFormat::kHtml:
      outcome.View = ViewOf(analysis, log);
      break;
  }
}

// The tally of one log of a merged run.
void TallyLog(const std::string& word, const Options& options, LogOutcome& outcome) {
  try {
    if (word.empty()) {
      throw LogError(word, std::strerror(ENOENT));
    }
    outcome.Tally.emplace(TallyArchiveLog(InputOf(word, options)));
  } catch (const LogError& error) {
    outcome.Err = ErrorLine(error.what());
    outcome.Status = kExitFailure;
  }
}

// The name of a merged archive in the formats that name their log.
[[nodiscard]] std::string ArchiveName(const std::vector<std::string>& logs) {
  std::string name;
  for (const std::string& log : logs) {
    if (!name.empty()) {
      name += " + ";
    }
    name += NameOf(log);
  }
  return name;
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
  const std::vector<std::string>& logs = options.Logs;
  if (std::ranges::count(logs, kStandardInputWord) > 1) {
    return RefuseUsage(err, "standard input ('-') can be read only once");
  }
  if (options.Merge && options.Messages) {
    return RefuseUsage(err, "--messages lists each log's messages; it does not go with --merge");
  }
  const bool several = logs.size() > 1 && !options.Merge;
  const bool text = options.Format == OutputFormat::kText;
  const unsigned threads = ThreadsFor(options);
  // On one thread each job runs on this one, just before its result is
  // taken, so a text report can go straight to the output as it is made.
  const bool direct = threads <= 1 || logs.size() <= 1;
  Progress progress(err, Progress::IsTerminal(err), logs.size());
  int status = kExitReport;
  try {
    Destination destination(options.Output, out);
    TextOutput directText(destination.Bytes(), options.ShiftJis);
    bool anyOutput = false;  // some log gave figures: headings get an empty line before them
    std::vector<ResultView> pages;
    ArchiveTally merged;
    bool anyRead = false;

    // Each log is a job: its report (or its tally), read and analysed on
    // any thread; its bytes are written on this one, in the order of the logs.
    const std::function<LogOutcome(std::size_t)> work = [&](std::size_t i) {
      // One analysis per thread, kept from one log to the next.
      thread_local std::unique_ptr<Analysis> analysis;
      LogOutcome outcome;
      if (options.Merge) {
        TallyLog(logs[i], options, outcome);
      } else {
        if (!analysis) {
          analysis = std::make_unique<Analysis>();
        }
        if (direct) {
          // This thread draws the progress line: off it goes before output.
          progress.Clear();
          if (several && text) {
            directText.Head("==> " + NameOf(logs[i]) + " <==", anyOutput);
          }
          AnalyseLog(logs[i], options, several, *analysis, directText, outcome);
        } else {
          io::StringSink bytes;
          TextOutput inMemory(bytes, options.ShiftJis);
          AnalyseLog(logs[i], options, several, *analysis, inMemory, outcome);
          if (text) {
            outcome.Out = bytes.bytes();
          }
        }
      }
      progress.LogDone(SizeOf(logs[i]));
      return outcome;
    };
    const std::function<bool(std::size_t, LogOutcome&)> take = [&](std::size_t i,
                                                                   LogOutcome& outcome) {
      status = std::max(status, outcome.Status);
      if (!outcome.Err.empty()) {
        progress.Clear();
        std::fputs(outcome.Err.c_str(), err);
      }
      if (options.Merge) {
        if (outcome.Tally) {
          anyRead = true;
          merged.Append(*outcome.Tally);
        }
        return true;
      }
      if (!outcome.Analysed) {
        return true;
      }
      progress.Clear();
      io::ByteSink& bytes = destination.Bytes();
      if (text && several && !direct) {
        bytes.Write(HeadingBytes(NameOf(logs[i]), anyOutput, options.ShiftJis));
      }
      if (options.Format == OutputFormat::kCsv && !anyOutput) {
        bytes.Write(options.Messages ? MessageCsvHeader() : CsvHeader());
      }
      bytes.Write(outcome.Out);
      if (outcome.View) {
        pages.push_back(std::move(*outcome.View));
      }
      anyOutput = true;
      destination.LogDone();
      return true;
    };
    const std::function<void()> idle = [&progress] { progress.Draw(); };
    RunInOrder<LogOutcome>(logs.size(), threads, work, take, idle);
    progress.Clear();

    if (options.Merge && anyRead) {
      if (merged.MessageCount() == 0) {
        std::fprintf(err, "%.*s\n", static_cast<int>(kNoMessagesText.size()),
                     kNoMessagesText.data());
        status = std::max(status, kExitNoMessages);
      } else {
        merged.Rank();
        io::ByteSink& bytes = destination.Bytes();
        switch (options.Format) {
          case OutputFormat::kText:
            merged.WriteReport(directText);
            break;
          case OutputFormat::kJson:
            bytes.Write(JsonLine(ViewOf(merged, ArchiveName(logs))));
            break;
          case OutputFormat::kCsv:
            bytes.Write(CsvHeader());
            bytes.Write(CsvRows(ViewOf(merged, ArchiveName(logs))));
            break;
          case OutputFormat::kHtml:
            pages.push_back(ViewOf(merged, ArchiveName(logs)));
            break;
        }
        anyOutput = true;
      }
    }
    if (!pages.empty()) {
      destination.Bytes().Write(HtmlPage(pages));
    }
    destination.Finish(anyOutput);
  } catch (const io::OutputError& error) {
    progress.Clear();
    PrintError(err, error.what());
    return kExitFailure;
  }
  return status;
}

}  // namespace zunkaro
