#include "cli/report_command.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <string>
#include <string_view>
#include <vector>

#include "cli/ordered_jobs.hpp"
#include "cli/progress.hpp"
#include "core/analysis.hpp"
#include "core/archive.hpp"
#include "core/shift_jis.hpp"
#include "cli/parse_args.hpp"
#include "core/version.hpp"
#include "log/log_error.hpp"

namespace zunkaro {
namespace {

constexpr std::string_view kProgram = "zunkaro-report";

// A report in the chosen form, as the bytes for the output. The analysis
// writes a report only once its whole log has been read, so a log that fails
// gives no bytes, not even its heading. Kept whole for a later write, or,
// when `direct`, written there as it is made, in pieces of 64 KiB.
class ReportText final : public LineList {
 public:
  explicit ReportText(bool shiftJis, std::FILE* direct = nullptr)
      : shiftJis_(shiftJis), direct_(direct) {}

  // A heading of our own, written before the first line, if any comes.
  void Head(std::string heading) { head_ = std::move(heading); }

  void Add(std::string_view sjis) override {
    if (!head_.empty()) {
      bytes_ += head_;
      head_.clear();
    }
    if (shiftJis_) {
      // Byte for byte the saved report: Shift-JIS, CR LF after every line.
      bytes_ += sjis;
    } else {
      decoder_.AppendUtf8(sjis, bytes_);
    }
    bytes_ += LineEnd(shiftJis_);
    if (direct_ != nullptr && bytes_.size() >= kPiece) {
      Flush();
    }
  }

  [[nodiscard]] static std::string_view LineEnd(bool shiftJis) noexcept {
    return shiftJis ? "\r\n" : "\n";
  }

  // The bytes kept, or, when direct, whether everything reached the output
  // (errno tells why not).
  [[nodiscard]] std::string Take() noexcept { return std::move(bytes_); }
  [[nodiscard]] bool Finish() noexcept {
    Flush();
    return ok_ && std::fflush(direct_) == 0;
  }
  [[nodiscard]] bool Wrote() const noexcept { return wrote_ || !bytes_.empty(); }

 private:
  static constexpr std::size_t kPiece = std::size_t{1} << 16;

  void Flush() noexcept {
    if (ok_ && !bytes_.empty()) {
      ok_ = std::fwrite(bytes_.data(), 1, bytes_.size(), direct_) == bytes_.size();
      wrote_ = true;
    }
    bytes_.clear();
  }

  bool shiftJis_;
  std::FILE* direct_;
  bool ok_ = true;
  bool wrote_ = false;
  std::string head_;
  std::string bytes_;
  ShiftJisDecoder decoder_;
};

// One log's part of a run: the bytes for each output and its status. Made
// on any thread, written in the order of the logs.
struct LogOutcome {
  std::string Out;  // the report, without a heading
  std::string Err;  // error lines
  int Status = kExitReport;
  std::optional<ArchiveTally> Tally;  // with --merge: the log's tally
};

[[nodiscard]] std::string ErrorLine(std::string_view text) {
  std::string line(kProgram);
  line += ": ";
  line += text;
  line += '\n';
  return line;
}

// Writes bytes to a stream; whether they all went.
[[nodiscard]] bool Write(std::FILE* stream, std::string_view bytes) noexcept {
  return bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size();
}

[[nodiscard]] std::uint64_t SizeOf(const std::string& log) noexcept {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(std::filesystem::path(log), error);
  return error ? 0 : static_cast<std::uint64_t>(size);
}

[[nodiscard]] std::filesystem::path LogPath(const std::string& log) {
  if (log.empty()) {
    throw LogError(log, std::strerror(ENOENT));
  }
  return std::filesystem::path(log);
}

// The report of one log, as a run of many logs or one log shows it.
[[nodiscard]] LogOutcome ReportLog(const std::string& log, bool several, Analysis& analysis,
                                   ReportText& text) {
  LogOutcome outcome;
  Outcome analysed{};
  try {
    analysed = analysis.Analyse(LogPath(log), text);
  } catch (const LogError& error) {
    outcome.Err = ErrorLine(error.what());
    outcome.Status = kExitFailure;
    return outcome;
  }
  if (analysed == Outcome::kNoMessages) {
    outcome.Err = several ? ErrorLine(log + ": " + std::string(kNoMessagesText))
                          : std::string(kNoMessagesText) + "\n";
    outcome.Status = kExitNoMessages;
    return outcome;
  }
  return outcome;
}

// The tally of one log of a merged run.
[[nodiscard]] LogOutcome TallyLog(const std::string& log) {
  LogOutcome outcome;
  try {
    outcome.Tally.emplace(TallyArchiveLog(LogPath(log)));
  } catch (const LogError& error) {
    outcome.Err = ErrorLine(error.what());
    outcome.Status = kExitFailure;
  }
  return outcome;
}

[[nodiscard]] unsigned ThreadsFor(const Options& options) noexcept {
  if (options.Jobs != 0) {
    return options.Jobs;
  }
  const unsigned processors = std::thread::hardware_concurrency();
  return processors == 0 ? 1 : processors;
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
  const bool several = logs.size() > 1;
  const unsigned threads = ThreadsFor(options);
  // On one thread each job runs on this one, just before its result is
  // taken, so its report can go straight to the output as it is made.
  const bool direct = threads <= 1 || logs.size() <= 1;
  Progress progress(err, Progress::IsTerminal(err), logs.size());
  int status = kExitReport;
  bool outputFailed = false;
  int outputError = 0;    // errno of the failed write
  bool reported = false;  // a report is out: the next heading has a blank line before it
  ArchiveTally merged;
  bool anyRead = false;

  // As head(1) does: a heading on each report, a blank line between them.
  const auto heading = [&](std::size_t i) {
    std::string text;
    if (several) {
      const std::string_view end = ReportText::LineEnd(options.ShiftJis);
      if (reported) {
        text += end;
      }
      text += "==> " + logs[i] + " <==";
      text += end;
    }
    return text;
  };

  // Each log is a job: its report (or its tally), read and analysed on any
  // thread; its bytes are written on this one, in the order of the logs.
  const std::function<LogOutcome(std::size_t)> work = [&](std::size_t i) {
    // One analysis per thread, kept from one log to the next.
    thread_local std::unique_ptr<Analysis> analysis;
    LogOutcome outcome;
    if (options.Merge) {
      outcome = TallyLog(logs[i]);
    } else {
      if (!analysis) {
        analysis = std::make_unique<Analysis>();
      }
      ReportText text(options.ShiftJis, direct ? out : nullptr);
      if (direct) {
        // This thread draws the progress line: off it goes before a report.
        progress.Clear();
        text.Head(heading(i));
      }
      outcome = ReportLog(logs[i], several, *analysis, text);
      if (direct) {
        reported = reported || text.Wrote();
        if (!text.Finish()) {
          outputFailed = true;
          outputError = errno;
        }
      } else {
        outcome.Out = text.Take();
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
    }
    if (!Write(err, outcome.Err)) {
      // Nowhere left to say it; the status says it.
      status = kExitFailure;
    }
    if (outputFailed) {
      return false;
    }
    if (options.Merge) {
      if (outcome.Tally) {
        anyRead = true;
        merged.Append(*outcome.Tally);
      }
      return true;
    }
    if (outcome.Out.empty()) {
      return true;
    }
    progress.Clear();
    const std::string head = heading(i);
    reported = true;
    if (!Write(out, head) || !Write(out, outcome.Out) || std::fflush(out) != 0) {
      outputFailed = true;
      outputError = errno;
      return false;
    }
    return true;
  };
  const std::function<void()> idle = [&progress] { progress.Draw(); };
  RunInOrder<LogOutcome>(logs.size(), threads, work, take, idle);
  progress.Clear();

  if (options.Merge && !outputFailed && anyRead) {
    if (merged.MessageCount() == 0) {
      std::fprintf(err, "%.*s\n", static_cast<int>(kNoMessagesText.size()),
                   kNoMessagesText.data());
      status = std::max(status, kExitNoMessages);
    } else {
      merged.Rank();
      ReportText text(options.ShiftJis, out);
      merged.WriteReport(text);
      if (!text.Finish()) {
        outputFailed = true;
        outputError = errno;
      }
    }
  }
  if (outputFailed) {
    PrintError(err, std::string("standard output: ") + std::strerror(outputError));
    return kExitFailure;
  }
  return status;
}

}  // namespace zunkaro
