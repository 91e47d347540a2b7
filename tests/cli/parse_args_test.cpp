#include "cli/parse_args.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/case_name.hpp"

namespace zunkaro {

// Found by argument-dependent lookup, so failures show the message.
void PrintTo(const UsageError& error, std::ostream* os);
void PrintTo(const UsageError& error, std::ostream* os) { *os << error.Message; }

namespace {

Options Logs(std::vector<std::string> logs) {
  Options options;
  options.Logs = std::move(logs);
  return options;
}

template <typename Change>
Options With(Options options, Change change) {
  change(options);
  return options;
}

struct ArgsCase {
  const char* Name;
  friend void PrintTo(const ArgsCase& c, std::ostream* os) { *os << c.Name; }
  std::vector<std::string> Args;
  ParsedArgs Expected;
};

class ParseArgsTest : public ::testing::TestWithParam<ArgsCase> {};

TEST_P(ParseArgsTest, Reads) {
  std::vector<const char*> argv;
  for (const std::string& a : GetParam().Args) argv.push_back(a.c_str());
  EXPECT_EQ(ParseArgs(argv), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, ParseArgsTest,
    ::testing::Values(
        ArgsCase{"OneLog", {"a.log"}, Logs({"a.log"})},
        ArgsCase{"LogsInOrderStdinAndEmpty", {"b", "-", "", "a"}, Logs({"b", "-", "", "a"})},
        ArgsCase{"DashDashEndsOptions", {"--", "--sjis", "-"}, Logs({"--sjis", "-"})},
        ArgsCase{"OptionsAmongLogs", {"a", "--sjis", "b"},
                 With(Logs({"a", "b"}), [](Options& o) { o.ShiftJis = true; })},
        ArgsCase{"ValueJoinedOrApart", {"--format=json", "a", "--encoding", "EUCJP"},
                 With(Logs({"a"}),
                      [](Options& o) {
                        o.Format = OutputFormat::kJson;
                        o.InputEncoding = Encoding::kEucJp;
                      })},
        ArgsCase{"LastValueWins", {"--format=csv", "--format", "html", "a"},
                 With(Logs({"a"}), [](Options& o) { o.Format = OutputFormat::kHtml; })},
        ArgsCase{"AutoIsNoEncoding", {"--encoding=jis", "--encoding=auto", "a"}, Logs({"a"})},
        ArgsCase{"ShortOptions", {"-j4", "-v", "-o", "out.txt", "a"},
                 With(Logs({"a"}),
                      [](Options& o) {
                        o.Jobs = 4;
                        o.Verbose = true;
                        o.Output = "out.txt";
                      })},
        ArgsCase{"LongOptions",
                 {"--jobs", "2", "--verbose", "--output=r.json", "--merge", "--messages",
                  "--format=json", "a", "b"},
                 With(Logs({"a", "b"}),
                      [](Options& o) {
                        o.Jobs = 2;
                        o.Verbose = true;
                        o.Output = "r.json";
                        o.Merge = true;
                        o.Messages = true;
                        o.Format = OutputFormat::kJson;
                      })}),
    testing::CaseName{});

INSTANTIATE_TEST_SUITE_P(
    Answers, ParseArgsTest,
    ::testing::Values(ArgsCase{"Help", {"--help"}, ShowHelp{}},
                      ArgsCase{"ShortHelpAfterLogs", {"a", "-h"}, ShowHelp{}},
                      ArgsCase{"HelpOverAWrongOption", {"--help", "--format=xml"}, ShowHelp{}},
                      ArgsCase{"Version", {"a", "--version"}, ShowVersion{}}),
    testing::CaseName{});

INSTANTIATE_TEST_SUITE_P(
    Refusals, ParseArgsTest,
    ::testing::Values(
        ArgsCase{"NoLog", {}, UsageError{"no log given"}},
        ArgsCase{"OnlyOptions", {"--sjis"}, UsageError{"no log given"}},
        ArgsCase{"UnknownLong", {"--utf16", "a"}, UsageError{"unknown option '--utf16'"}},
        ArgsCase{"UnknownShort", {"a", "-x"}, UsageError{"unknown option '-x'"}},
        ArgsCase{"MissingValue", {"a", "--format"},
                 UsageError{"option '--format' requires an argument"}},
        ArgsCase{"MissingShortValue", {"a", "-o"},
                 UsageError{"option '--output' requires an argument"}},
        ArgsCase{"UnknownFormat", {"--format=xml", "a"},
                 UsageError{"unknown format 'xml' (text, json, csv or html)"}},
        ArgsCase{"UnknownEncoding", {"--encoding=latin1", "a"},
                 UsageError{"unknown encoding 'latin1' (auto, shift-jis, utf-8, euc-jp or "
                            "iso-2022-jp)"}},
        ArgsCase{"EmptyEncoding", {"--encoding=", "a"},
                 UsageError{"unknown encoding '' (auto, shift-jis, utf-8, euc-jp or "
                            "iso-2022-jp)"}},
        ArgsCase{"ZeroJobs", {"-j0", "a"}, UsageError{"invalid number of jobs '0' (1 to 1024)"}},
        ArgsCase{"WordJobs", {"--jobs=many", "a"},
                 UsageError{"invalid number of jobs 'many' (1 to 1024)"}},
        ArgsCase{"NegativeJobs", {"-j", "-2", "a"},
                 UsageError{"invalid number of jobs '-2' (1 to 1024)"}},
        ArgsCase{"HugeJobs", {"-j", "99999999999", "a"},
                 UsageError{"invalid number of jobs '99999999999' (1 to 1024)"}},
        ArgsCase{"EmptyOutput", {"--output=", "a"}, UsageError{"the output file's name is empty"}},
        ArgsCase{"ShiftJisNotText", {"--sjis", "--format=json", "a"},
                 UsageError{"--sjis goes with --format=text only"}},
        ArgsCase{"MessagesAsHtml", {"--messages", "--format=html", "a"},
                 UsageError{"--messages comes as text, json or csv, not as html"}}),
    testing::CaseName{});

TEST(ParseArgsHelpTest, DocumentsEveryOption) {
  for (const char* option : {"--encoding=NAME", "--format=FORMAT", "--messages", "-o, --output=FILE",
                             "--merge", "-j, --jobs=N", "--sjis", "-v, --verbose", "-h, --help",
                             "--version", "Exit status"}) {
    EXPECT_NE(HelpText().find(option), std::string_view::npos) << option;
  }
}

}  // namespace
}  // namespace zunkaro
