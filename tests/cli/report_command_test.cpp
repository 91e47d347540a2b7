#include "cli/report_command.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <memory>
#include <filesystem>
#include <string>
#include <vector>

#include "support/case_name.hpp"
#include "support/encoded_logs.hpp"
#include "support/log_builder.hpp"
#include "support/random_log.hpp"

namespace zunkaro {
namespace {

using ::testing::HasSubstr;
using testing::ReadFileBytes;
using testing::TempFile;

struct Result {
  int Status;
  std::string Out;
  std::string Err;
};

Result RunCommand(const std::vector<std::string>& args) {
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  const int status = RunReportCommand(argv, out, err);
  return {status, testing::Drain(out), testing::Drain(err)};
}

const std::string kWorked = ZUNKARO_FIXTURES "/worked-example.log";
const std::string kSample = ZUNKARO_SAMPLES "/sample.log";

std::string WorkedReportUtf8() {
  std::string sjis = ReadFileBytes(ZUNKARO_FIXTURES "/worked-example.report.txt");
  std::string utf8;
  for (std::size_t start = 0; start < sjis.size();) {
    const std::size_t end = sjis.find("\r\n", start);
    utf8 += testing::Utf8(sjis.substr(start, end - start)) + "\n";
    start = end + 2;
  }
  return utf8;
}

TEST(ReportCommandTest, PrintsUtf8ReportForATerminal) {
  const Result r = RunCommand({kWorked});
  EXPECT_EQ(r.Status, kExitReport);
  EXPECT_EQ(r.Out, WorkedReportUtf8());
  EXPECT_EQ(r.Err, "");
}

TEST(ReportCommandTest, ShiftJisIsTheSavedReportFile) {
  const Result r = RunCommand({"--sjis", kWorked});
  EXPECT_EQ(r.Status, kExitReport);
  EXPECT_EQ(r.Out, ReadFileBytes(ZUNKARO_FIXTURES "/worked-example.report.txt"));
}

TEST(ReportCommandTest, SeveralLogsInOrderEachHeaded) {
  const Result r = RunCommand({kWorked, kSample, kWorked});
  EXPECT_EQ(r.Status, kExitReport);
  const std::string sample = RunCommand({kSample}).Out;
  EXPECT_EQ(r.Out, "==> " + kWorked + " <==\n" + WorkedReportUtf8() + "\n==> " + kSample +
                       " <==\n" + sample + "\n==> " + kWorked + " <==\n" + WorkedReportUtf8());
}

TEST(ReportCommandTest, LogWithoutMessages) {
  const TempFile empty("");
  Result r = RunCommand({empty.path().string()});
  EXPECT_EQ(r.Status, kExitNoMessages);
  EXPECT_EQ(r.Out, "");
  EXPECT_EQ(r.Err, "Cannot find messages.\n");

  // Among several, the message names the log and the others still report.
  r = RunCommand({empty.path().string(), kWorked});
  EXPECT_EQ(r.Status, kExitNoMessages);
  EXPECT_EQ(r.Out, "==> " + kWorked + " <==\n" + WorkedReportUtf8());
  EXPECT_EQ(r.Err, "zunkaro-report: " + empty.path().string() + ": Cannot find messages.\n");
}

TEST(ReportCommandTest, UnreadableLogNamesFileAndReason) {
  const TempFile file("");
  const std::string missing = (file.dir() / "missing.log").string();
  struct Case {
    std::string Path;
    std::string Reason;
  };
  for (const Case& c : {Case{missing, "No such file or directory"},
                        Case{file.dir().string(), "Is a directory"},
                        Case{"", "No such file or directory"}}) {
    const Result r = RunCommand({c.Path, kWorked});
    EXPECT_EQ(r.Status, kExitFailure) << c.Path;
    EXPECT_EQ(r.Err, "zunkaro-report: " + c.Path + ": " + c.Reason + "\n");
    // Nothing of the failed log; the good one still reports.
    EXPECT_EQ(r.Out, "==> " + kWorked + " <==\n" + WorkedReportUtf8());
  }
}

// Many logs, some of them failing or empty: N threads give exactly the
// output, the errors and the status of one, reports and merged report alike.
TEST(ReportCommandTest, ThreadsGiveTheOutputOfOne) {
  std::vector<std::unique_ptr<TempFile>> files;
  std::vector<std::string> logs;
  for (std::uint32_t seed = 1; seed <= 30; ++seed) {
    files.push_back(std::make_unique<TempFile>(testing::RandomLog(seed, 10 + 7 * static_cast<int>(seed)),
                                               "log" + std::to_string(seed) + ".log"));
    logs.push_back(files.back()->path().string());
  }
  const TempFile empty("", "empty.log");
  logs.insert(logs.begin() + 3, empty.path().string());
  logs.insert(logs.begin() + 7, (empty.dir() / "missing.log").string());
  logs.push_back(kWorked);
  for (const std::vector<std::string>& mode :
       {std::vector<std::string>{}, {"--merge"}, {"--sjis"}, {"--merge", "--sjis"},
        {"--messages"}, {"--verbose"}, {"--format=json"}, {"--format=csv"}, {"--format=html"},
        {"--merge", "--format=json"}, {"--merge", "--format=csv"}, {"--merge", "--format=html"}}) {
    std::vector<std::string> args = mode;
    args.push_back("-j1");
    args.insert(args.end(), logs.begin(), logs.end());
    const Result one = RunCommand(args);
    EXPECT_EQ(one.Status, kExitFailure);
    EXPECT_THAT(one.Err, HasSubstr("missing.log: No such file or directory"));
    for (const char* jobs : {"-j2", "-j3", "-j8"}) {
      args[mode.size()] = jobs;
      for (int run = 0; run < 3; ++run) {
        const Result many = RunCommand(args);
        EXPECT_EQ(many.Status, one.Status) << jobs;
        EXPECT_EQ(many.Out, one.Out) << jobs;
        EXPECT_EQ(many.Err, one.Err) << jobs;
      }
    }
  }
}

const std::string kHostile = ZUNKARO_FIXTURES "/hostile-handles.log";

std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

TEST(ReportCommandTest, FormatsOverSeveralLogs) {
  const TempFile empty("");
  const std::vector<std::string> logs{kWorked, empty.path().string(), kSample};
  // JSON Lines: one line per log that gave figures, in order.
  Result r = RunCommand({"--format=json", kWorked, empty.path().string(), kSample});
  EXPECT_EQ(r.Status, kExitNoMessages);
  ASSERT_EQ(LinesOf(r.Out).size(), 2U);
  EXPECT_THAT(LinesOf(r.Out)[0], ::testing::StartsWith("{\"log\":\"" + kWorked + "\","));
  EXPECT_THAT(LinesOf(r.Out)[1], ::testing::StartsWith("{\"log\":\"" + kSample + "\","));
  // CSV: one header, then the rows of every log.
  r = RunCommand({"--format=csv", kWorked, kSample});
  EXPECT_EQ(r.Status, kExitReport);
  EXPECT_EQ(r.Out.find("log,rank,"), 0U);
  EXPECT_EQ(r.Out.find("log,rank,", 1), std::string::npos);
  EXPECT_THAT(r.Out, HasSubstr(kWorked + ",4,DDD00004,Kappa,95,1,4,95,4\r\n" + kSample + ",1,"));
  // HTML: one page, a section for each log.
  r = RunCommand({"--format=html", kWorked, kSample});
  EXPECT_EQ(r.Out.find("<!DOCTYPE html>"), 0U);
  EXPECT_EQ(r.Out.rfind("<!DOCTYPE html>"), 0U);
  EXPECT_THAT(r.Out, HasSubstr("<h2>" + kSample + "</h2>"));
  // The audit as text: each log headed, one line per message.
  r = RunCommand({"--messages", kWorked, kSample});
  EXPECT_THAT(r.Out, ::testing::StartsWith("==> " + kWorked + " <==\n    line  number"));
  EXPECT_THAT(r.Out, HasSubstr("\n\n==> " + kSample + " <==\n"));
}

TEST(ReportCommandTest, FailedLogGivesNothingInAnyFormat) {
  const TempFile empty("");
  for (const char* format : {"--format=text", "--format=json", "--format=csv", "--format=html"}) {
    for (const std::string& log : {empty.path().string(), std::string("/nonexistent.log")}) {
      for (const bool messages : {false, true}) {
        if (messages && std::string(format) == "--format=html") continue;
        std::vector<std::string> args{format, log};
        if (messages) args.emplace_back("--messages");
        const Result r = RunCommand(args);
        EXPECT_NE(r.Status, kExitReport) << format << " " << log;
        EXPECT_EQ(r.Out, "") << format << " " << log;
      }
    }
  }
}

// The merged report is the report of the logs concatenated; the window's
// limits and headings do not apply to it.
TEST(ReportCommandTest, MergeIsOneReportOfAllTheLogs) {
  const TempFile both(ReadFileBytes(kWorked) + ReadFileBytes(kSample) + ReadFileBytes(kWorked),
                      "both.log");
  const Result merged = RunCommand({"--merge", kWorked, kSample, kWorked});
  EXPECT_EQ(merged.Status, kExitReport);
  EXPECT_EQ(merged.Out, RunCommand({both.path().string()}).Out);
  EXPECT_EQ(merged.Err, "");

  // In every format: the figures of the concatenation, under the names of
  // the logs merged. (The HTML page's charts by hour and by day need every
  // message, which a merge does not keep: compared up to them.)
  const std::string names = kWorked + " + " + kSample + " + " + kWorked;
  for (const char* format : {"--format=json", "--format=csv", "--format=html"}) {
    std::string out = RunCommand({"--merge", format, kWorked, kSample, kWorked}).Out;
    for (std::size_t at = 0; (at = out.find(names, at)) != std::string::npos;) {
      out.replace(at, names.size(), both.path().string());
    }
    std::string expected = RunCommand({format, both.path().string()}).Out;
    const std::string byHour = "<figcaption>" + testing::Utf8(testing::Sjis("時刻別"));
    out = out.substr(0, out.find(byHour));
    expected = expected.substr(0, expected.find(byHour));
    EXPECT_EQ(out, expected) << format;
  }
  EXPECT_EQ(RunCommand({"--merge", "--messages", kWorked}).Status, kExitFailure);

  // A log that cannot be read is named and left out; the others are merged.
  const Result partly = RunCommand({"--merge", "/nonexistent.log", kWorked});
  EXPECT_EQ(partly.Status, kExitFailure);
  EXPECT_EQ(partly.Out, WorkedReportUtf8());
  EXPECT_EQ(partly.Err, "zunkaro-report: /nonexistent.log: No such file or directory\n");

  // Logs read, but no message in any of them.
  const TempFile empty("");
  const Result none = RunCommand({"--merge", empty.path().string(), empty.path().string()});
  EXPECT_EQ(none.Status, kExitNoMessages);
  EXPECT_EQ(none.Out, "");
  EXPECT_EQ(none.Err, "Cannot find messages.\n");
}

TEST(ReportCommandTest, SjisMessagesAreShiftJisWithCrLf) {
  const Result r = RunCommand({"--messages", "--sjis", kWorked});
  EXPECT_EQ(r.Status, kExitReport);
  EXPECT_THAT(r.Out, HasSubstr("  AAA00001  " + testing::Sjis("みかん") + "          "));
  EXPECT_EQ(r.Out.find('\n'), r.Out.find("\r\n") + 1);
  EXPECT_EQ(r.Out.substr(r.Out.size() - 2), "\r\n");
}

TEST(ReportCommandTest, OutputFileIsWhatStandardOutputWouldHold) {
  const TempFile old("the report of last week\n", "report.json");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--sjis", kWorked}, {"--format=json", kWorked, kSample},
        {"--format=csv", "--messages", kHostile}, {"--format=html", kHostile}}) {
    const std::string expected = RunCommand(args).Out;
    std::vector<std::string> withOutput = args;
    withOutput.insert(withOutput.begin(), {"-o", old.path().string()});
    const Result r = RunCommand(withOutput);
    EXPECT_EQ(r.Status, kExitReport);
    EXPECT_EQ(r.Out, "");
    EXPECT_EQ(ReadFileBytes(old.path()), expected) << args[0];
  }
  // Nothing beside it is left behind.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(old.dir()),
                          std::filesystem::directory_iterator()),
            1);
}

TEST(ReportCommandTest, OutputThatFailsLeavesTheOldFileWhole) {
  const std::string oldText = "the report of last week\n";
  const TempFile old(oldText, "report.txt");
  // Every log failing writes nothing over the old file.
  Result r = RunCommand({"--output=" + old.path().string(), "/nonexistent.log"});
  EXPECT_EQ(r.Status, kExitFailure);
  EXPECT_EQ(ReadFileBytes(old.path()), oldText);

  struct Case {
    std::string File;
    std::string Err;
  };
  const std::string missing = (old.dir() / "no-such-dir" / "out.txt").string();
  for (const Case& c :
       {Case{missing, "zunkaro-report: " + missing + ": No such file or directory\n"},
        Case{old.dir().string(), "zunkaro-report: " + old.dir().string() + ": Is a directory\n"},
        Case{"/dev/full", "zunkaro-report: /dev/full: No space left on device\n"}}) {
    r = RunCommand({"-o", c.File, kWorked});
    EXPECT_EQ(r.Status, kExitFailure) << c.File;
    EXPECT_EQ(r.Out, "");
    EXPECT_EQ(r.Err, c.Err);
  }
  EXPECT_EQ(ReadFileBytes(old.path()), oldText);
}

struct UsageCase {
  const char* Name;
  friend void PrintTo(const UsageCase& c, std::ostream* os) { *os << c.Name; }
  std::vector<std::string> Args;
  int Status;
  const char* Out;  // a part of standard output
  const char* Err;  // a part of standard error
};

class UsageTest : public ::testing::TestWithParam<UsageCase> {};

TEST_P(UsageTest, Answers) {
  const Result r = RunCommand(GetParam().Args);
  EXPECT_EQ(r.Status, GetParam().Status);
  EXPECT_THAT(r.Out, HasSubstr(GetParam().Out));
  EXPECT_THAT(r.Err, HasSubstr(GetParam().Err));
  if (GetParam().Status == kExitFailure) {
    EXPECT_EQ(r.Out, "");
  }
  if (GetParam().Status == kExitReport) {
    EXPECT_EQ(r.Err, "");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Args, UsageTest,
    ::testing::Values(
        UsageCase{"Help", {"--help"}, kExitReport, "Usage: zunkaro-report [OPTION]... LOG...", ""},
        UsageCase{"HelpWinsOverLogs", {"missing.log", "-h"}, kExitReport, "Usage:", ""},
        UsageCase{"Version", {"--version"}, kExitReport, "zunkaro-report (Zunkaro) 0.30beta2\n", ""},
        UsageCase{"NoLog", {}, kExitFailure, "", "zunkaro-report: no log given\nTry"},
        UsageCase{"OnlySjis", {"--sjis"}, kExitFailure, "", "no log given"},
        UsageCase{"UnknownOption", {"--utf16", kWorked}, kExitFailure, "",
                  "zunkaro-report: unknown option '--utf16'\n"},
        UsageCase{"DashDashEndsOptions", {"--", "--sjis"}, kExitFailure, "",
                  "zunkaro-report: --sjis: No such file or directory\n"}),
    testing::CaseName{});

// The real program, as a shell runs it.
int RunProgram(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ReportProgramTest, ExitStatusAndFullOutput) {
  const std::string program = ZUNKARO_REPORT_PROGRAM;
  EXPECT_EQ(RunProgram(program + " --sjis " + kWorked + " >/dev/null"), kExitReport);
  EXPECT_EQ(RunProgram(program + " /nonexistent.log 2>/dev/null"), kExitFailure);

  // A full disk on standard output is an error, never a report.
  const TempFile err("");
  EXPECT_EQ(RunProgram(program + " " + kWorked + " >/dev/full 2>" + err.path().string()),
            kExitFailure);
  EXPECT_EQ(ReadFileBytes(err.path()),
            "zunkaro-report: standard output: No space left on device\n");

  // A file that cannot grow fails part-way; the old one stays whole, and
  // the message names it.
  const TempFile old("the report of last week\n", "page.html");
  EXPECT_EQ(RunProgram("trap '' XFSZ; ulimit -f 4; " + program + " --format=html -o " +
                       old.path().string() + " " + kSample + " " + kWorked + " " + kHostile +
                       " 2>" + err.path().string()),
            kExitFailure);
  EXPECT_EQ(ReadFileBytes(old.path()), "the report of last week\n");
  EXPECT_EQ(ReadFileBytes(err.path()), "zunkaro-report: " + old.path().string() + ": File too large\n");

  // So is a standard output that is closed.
  EXPECT_EQ(RunProgram(program + " " + kWorked + " >&- 2>" + err.path().string()), kExitFailure);
  EXPECT_EQ(ReadFileBytes(err.path()), "zunkaro-report: standard output: Bad file descriptor\n");
}

// The output of the real program for `args`, and its exit status.
Result RunProgramOutput(const std::string& args) {
  const TempFile out("", "out");
  const std::string err = (out.dir() / "err").string();
  const int status = RunProgram(std::string(ZUNKARO_REPORT_PROGRAM) + " " + args + " >" +
                                out.path().string() + " 2>" + err);
  return {status, ReadFileBytes(out.path()), ReadFileBytes(err)};
}

class EncodedLogProgramTest : public ::testing::TestWithParam<testing::Route> {};

// The sample log by each route, from a file and from a pipe, gives the
// report of its Shift-JIS original, and so does --encoding naming the
// route's encoding.
TEST_P(EncodedLogProgramTest, GivesTheReportOfItsShiftJisOriginal) {
  const std::string original = RunCommand({"--sjis", kSample}).Out;
  const auto converted = testing::Convert(GetParam(), ReadFileBytes(kSample));
  ASSERT_TRUE(converted);
  const TempFile log(*converted);
  const std::string name = std::string("'").append(log.path().string()).append("'");
  for (const std::string& args :
       {"--sjis " + name, "--sjis - <" + name, "--sjis -v " + name,
        "--sjis --encoding=" + std::string(EncodingName(GetParam().Gives)) + " " + name}) {
    const Result r = RunProgramOutput(args);
    EXPECT_EQ(r.Status, kExitReport) << args << "\n" << r.Err;
    EXPECT_EQ(r.Out, original) << args;
  }
}

INSTANTIATE_TEST_SUITE_P(Routes, EncodedLogProgramTest, ::testing::ValuesIn(testing::Routes()),
                         testing::CaseName{});

TEST(ReportCommandTest, VerboseTellsWhatWasFound) {
  const Result r = RunCommand({"-v", kWorked});
  EXPECT_EQ(r.Status, kExitReport);
  EXPECT_EQ(r.Out, WorkedReportUtf8());
  const std::string prefix = "zunkaro-report: " + kWorked + ": ";
  EXPECT_THAT(r.Err, HasSubstr(prefix + "encoding: shift-jis ("));
  EXPECT_THAT(r.Err, HasSubstr(prefix + "lines read: 81\n"));
  EXPECT_THAT(r.Err, HasSubstr(prefix + "messages found: 14 (12 ordinary, 1 deleted by their "
                                        "posters, 1 deleted by the SYSOP)\n"));
  EXPECT_THAT(r.Err, HasSubstr(prefix + "lines outside any message: 3\n"));
}

TEST(ReportCommandTest, NearMissHeadersWarnWithoutChangingTheReport) {
  std::string bytes = ReadFileBytes(kSample);
  const std::string header = "002/004   ";
  bytes.replace(bytes.find(header), header.size(), "002/004\t");
  const TempFile log(bytes);
  const std::string name = log.path().string();
  const Result quiet = RunCommand({name});
  EXPECT_EQ(quiet.Status, kExitReport);
  EXPECT_EQ(quiet.Err, "zunkaro-report: " + name +
                           ": warning: 1 line looks like a message header but is not one, so "
                           "its message is left out; --verbose lists them\n");
  const Result verbose = RunCommand({"--verbose", name});
  EXPECT_EQ(verbose.Out, quiet.Out);
  EXPECT_THAT(verbose.Err, HasSubstr(name + ": line 11: looks like a message header but is not "
                                             "one; its message is left out\n"));
  EXPECT_THAT(verbose.Err, ::testing::Not(HasSubstr("warning")));
}

TEST(ReportCommandTest, VerboseNamesCloseCallsAndGeta) {
  // "ﾋｰﾛｰ" in Shift-JIS is valid UTF-8 as well; é has no Shift-JIS form.
  const TempFile hero(testing::Sjis("001/001   ABC00001  ﾋｰﾛｰ              Hi\n97/03/15\n"));
  const Result closeCall = RunCommand({"-v", hero.path().string()});
  EXPECT_THAT(closeCall.Err, HasSubstr("encoding: shift-jis, a close call: the bytes are valid "));
  const TempFile accent("\xe3\x81\x82\n001/001   ABC00001  Taro              Hi\n\n\xc3\xa9\n");
  const Result geta = RunCommand({"-v", accent.path().string()});
  EXPECT_EQ(geta.Status, kExitReport);
  EXPECT_THAT(geta.Err, HasSubstr("encoding: utf-8 ("));
  EXPECT_THAT(geta.Err, HasSubstr("1 character with no Shift-JIS form written as \xe3\x80\x93 "
                                  "(geta), at line 4\n"));
}

TEST(ReportCommandTest, InvalidBytesInAForcedEncodingAreAnError) {
  const Result r = RunCommand({"--encoding=utf8", kWorked, kWorked});
  EXPECT_EQ(r.Status, kExitFailure);
  EXPECT_EQ(r.Out, "");
  EXPECT_EQ(r.Err, "zunkaro-report: " + kWorked + ": invalid UTF-8 at line 1, byte offset 0\n" +
                       "zunkaro-report: " + kWorked + ": invalid UTF-8 at line 1, byte offset 0\n");
}

TEST(ReportCommandTest, StandardInputIsReadOnce) {
  const Result r = RunProgramOutput("- - <" + kWorked);
  EXPECT_EQ(r.Status, kExitFailure);
  EXPECT_EQ(r.Out, "");
  EXPECT_THAT(r.Err, HasSubstr("standard input ('-') can be read only once"));
  const Result headed = RunProgramOutput("- " + kWorked + " <" + kWorked);
  EXPECT_EQ(headed.Status, kExitReport);
  EXPECT_EQ(headed.Out, "==> standard input <==\n" + WorkedReportUtf8() + "\n==> " + kWorked +
                            " <==\n" + WorkedReportUtf8());
}

}  // namespace
}  // namespace zunkaro
