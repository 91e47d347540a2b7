// The window's command line, `zunkaro [LOG]`, read before Qt starts.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/window_args.hpp"
#include "support/case_name.hpp"

namespace zunkaro::testing {
namespace {

struct ArgsCase {
  std::string Name;
  std::vector<const char*> Args;
  WindowArgs Expected;
};

class WindowArgsTest : public ::testing::TestWithParam<ArgsCase> {};

TEST_P(WindowArgsTest, Reads) {
  const WindowArgs parsed = ParseWindowArgs(GetParam().Args);
  if (const auto* error = std::get_if<WindowUsageError>(&parsed)) {
    EXPECT_EQ(parsed, GetParam().Expected) << error->Message;
  } else {
    EXPECT_EQ(parsed, GetParam().Expected);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, WindowArgsTest,
    ::testing::Values(
        ArgsCase{"Nothing", {}, StartWindow{}},
        ArgsCase{"OneLog", {"forum.log"}, StartWindow{"forum.log"}},
        ArgsCase{"FullPathWithSpaces", {"/home/u/My Logs/a b.log"}, StartWindow{"/home/u/My Logs/a b.log"}},
        ArgsCase{"LogAfterDashDash", {"--", "-x.log"}, StartWindow{"-x.log"}},
        ArgsCase{"Help", {"--help"}, ShowWindowHelp{}},
        ArgsCase{"ShortHelp", {"-h"}, ShowWindowHelp{}},
        ArgsCase{"HelpWinsOverALog", {"forum.log", "--help"}, ShowWindowHelp{}},
        ArgsCase{"Version", {"--version"}, ShowWindowVersion{}},
        ArgsCase{"TwoLogs", {"a.log", "b.log"},
                 WindowUsageError{"one log at a time: 'b.log' is one too many"}},
        ArgsCase{"UnknownOption", {"--bogus", "a.log"}, WindowUsageError{"unknown option '--bogus'"}},
        ArgsCase{"QtOptionsAreNotTaken", {"-platform", "xcb"}, WindowUsageError{"unknown option '-platform'"}},
        ArgsCase{"EmptyName", {""}, WindowUsageError{"the log's name is empty"}},
        ArgsCase{"StandardInput", {"-"},
                 WindowUsageError{"the window cannot read standard input; name a log file"}}),
    CaseName{});

// What a stream got, read back from its start.
std::string Contents(std::FILE* stream) {
  std::rewind(stream);
  std::string text;
  for (int c = std::fgetc(stream); c != EOF; c = std::fgetc(stream)) {
    text += static_cast<char>(c);
  }
  return text;
}

struct FileCloser {
  void operator()(std::FILE* file) const { (void)std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

TEST(AnswerWithoutWindowTest, HelpVersionAndUsageErrorsAsGnuToolsGiveThem) {
  const File out(std::tmpfile());
  const File err(std::tmpfile());
  ASSERT_TRUE(out && err);

  EXPECT_EQ(AnswerWithoutWindow(ShowWindowHelp{}, out.get(), err.get()), 0);
  const std::string help = Contents(out.get());
  EXPECT_TRUE(help.starts_with("Usage: zunkaro [LOG]\n")) << help;
  EXPECT_NE(help.find("--version"), std::string::npos) << help;

  EXPECT_EQ(AnswerWithoutWindow(ShowWindowVersion{}, out.get(), err.get()), 0);
  const std::string version = Contents(out.get()).substr(help.size());
  EXPECT_TRUE(version.starts_with("zunkaro (Zunkaro) ")) << version;
  EXPECT_TRUE(version.ends_with("\n")) << version;
  for (const char c : version) {
    EXPECT_TRUE(c == '\n' || (c >= ' ' && c <= '~')) << "not plain ASCII: " << version;
  }
  EXPECT_EQ(Contents(err.get()), "");

  EXPECT_EQ(AnswerWithoutWindow(WindowUsageError{"unknown option '--x'"}, out.get(), err.get()), 2);
  EXPECT_EQ(Contents(err.get()),
            "zunkaro: unknown option '--x'\nTry 'zunkaro --help' for more information.\n");

  EXPECT_EQ(AnswerWithoutWindow(StartWindow{"a.log"}, out.get(), err.get()), std::nullopt);
}

TEST(AnswerWithoutWindowTest, HelpThatCannotBeWrittenSaysWhy) {
  const File full(std::fopen("/dev/full", "w"));
  const File err(std::tmpfile());
  ASSERT_TRUE(full && err);
  EXPECT_EQ(AnswerWithoutWindow(ShowWindowHelp{}, full.get(), err.get()), 2);
  EXPECT_EQ(Contents(err.get()), "zunkaro: standard output: No space left on device\n");
}

}  // namespace
}  // namespace zunkaro::testing
