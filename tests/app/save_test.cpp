// Saving the report: the file is the view's Shift-JIS lines with CR LF, and
// a save that fails leaves the old file as it was.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <set>

#include "form_fixture.hpp"
#include "support/case_name.hpp"
#include "support/encoded_logs.hpp"

namespace zunkaro::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kWorkedExample = ZUNKARO_FIXTURES "/worked-example.log";
const fs::path kSample = ZUNKARO_SAMPLES "/sample.log";

std::set<fs::path> FilesIn(const fs::path& dir) {
  std::set<fs::path> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    names.insert(entry.path().filename());
  }
  return names;
}

QString CreateError(const fs::path& file, const char* reason) {
  return Q("ﾌｧｲﾙ ") + ui::FromPath(file) + Q(" を作成できません: ") + Q(reason) + Q(".");
}

QString WriteError(const fs::path& file, const char* reason) {
  return Q("ｽﾄﾘｰﾑへの書き込みｴﾗｰ: ") + ui::FromPath(file) + Q(": ") + Q(reason) + Q(".");
}

// The save dialog's "全てのﾌｧｲﾙ(*.*)" row: a name is taken as typed.
constexpr std::size_t kAllFilesRow = 1;

using SaveTest = FormTest;

TEST_F(SaveTest, SavedReportIsTheViewInShiftJisWithCrLfAfterEveryLine) {
  const TempFile scratch("");
  const fs::path file = scratch.dir() / "report.txt";
  Open(kWorkedExample);
  const std::vector<std::string> view = ViewLines();
  SaveTo(file);

  EXPECT_EQ(ReadFileBytes(file), ReadFileBytes(ZUNKARO_FIXTURES "/worked-example.report.txt"));
  EXPECT_EQ(ReadFileBytes(file), AsFile(view));
  EXPECT_TRUE(user.Messages.empty());
  // Saving changes nothing else, and the open command can follow at once.
  EXPECT_EQ(ViewLines(), view);
  EXPECT_EQ(form->Caption(), Q("Zunkaro - ") + ui::FromPath(kWorkedExample));
  EXPECT_EQ(FilesIn(scratch.dir()), (std::set<fs::path>{"report.txt", "test.log"}));
  Open(kSample);
  EXPECT_EQ(ViewLines(), ReportOf(kSample));
}

// A log in UTF-8, EUC-JP or ISO-2022-JP, or with CR-only line ends, shows
// the report of its Shift-JIS original, and saves it as Shift-JIS with CR LF.
TEST_F(SaveTest, EncodedLogShowsAndSavesItsShiftJisReport) {
  const std::string report = ReadFileBytes(ZUNKARO_FIXTURES "/worked-example.report.txt");
  for (const Route& route : Routes()) {
    SCOPED_TRACE(route.Name);
    const auto converted = Convert(route, ReadFileBytes(kWorkedExample));
    ASSERT_TRUE(converted);
    const TempFile log(*converted);
    const fs::path file = log.dir() / "report.txt";
    Open(log.path());
    EXPECT_EQ(AsFile(ViewLines()), report);
    SaveTo(file);
    EXPECT_EQ(ReadFileBytes(file), report);
    EXPECT_TRUE(user.Messages.empty());
  }
}

TEST_F(SaveTest, SaveBeforeAnyLogWritesAnEmptyFile) {
  const TempFile old("an older report\r\n");
  SaveTo(old.path());
  EXPECT_TRUE(user.Messages.empty());
  EXPECT_EQ(ReadFileBytes(old.path()), "");
}

TEST_F(SaveTest, SavingAgainReplacesTheFileWhole) {
  const TempFile scratch("");
  const fs::path file = scratch.dir() / "report.txt";
  Open(kWorkedExample);
  SaveTo(file);
  SaveTo(file);
  EXPECT_EQ(ReadFileBytes(file), AsFile(ReportOf(kWorkedExample)));
  // A shorter report leaves nothing of the longer one behind.
  const TempFile shortLog(LogBuilder().ShortHeader(1, "ABC00001", "a", "t").Body("x").Separator().Bytes());
  Open(shortLog.path());
  ASSERT_LT(AsFile(ViewLines()).size(), ReadFileBytes(file).size());
  SaveTo(file);
  EXPECT_EQ(ReadFileBytes(file), AsFile(ViewLines()));
  // The dialog offered the last path again.
  ASSERT_EQ(user.Dialogs.size(), 5U);
  EXPECT_EQ(user.Dialogs[4].FileName, file);
}

TEST_F(SaveTest, LinesThatDoNotDecodeAreSavedUnchanged) {
  const TempFile scratch("");
  const fs::path file = scratch.dir() / "report.txt";
  // A lone lead byte, a pair with no character, control bytes, a byte that
  // begins nothing, and ordinary text.
  const std::vector<std::string> lines{"\x82", "\x85\x40 pair", "tab\there\x1b[31m", "\x80\xa0\xfd",
                                       Sjis("順位  User-ID")};
  for (const std::string& line : lines) {
    form->Memo1->Lines().Add(line);
  }
  SaveTo(file);
  EXPECT_EQ(ReadFileBytes(file), AsFile(lines));
}

struct ExtensionCase {
  std::string Name;
  std::string Typed;
  std::size_t Row;
  std::string Saved;

  friend void PrintTo(const ExtensionCase& c, std::ostream* out) { *out << c.Name; }
};

class ExtensionTest : public FormTest, public ::testing::WithParamInterface<ExtensionCase> {};

TEST_P(ExtensionTest, NameWithoutExtensionGetsTxtUnderTheTextRow) {
  const TempFile scratch("");
  SaveTo(scratch.dir() / GetParam().Typed, GetParam().Row);
  EXPECT_EQ(form->SaveDialog1->FileName(), scratch.dir() / GetParam().Saved);
  EXPECT_TRUE(fs::exists(scratch.dir() / GetParam().Saved));
  EXPECT_EQ(form->SaveDialog1->FilterIndex(), GetParam().Row);
}

INSTANTIATE_TEST_SUITE_P(Names, ExtensionTest,
                         ::testing::Values(ExtensionCase{"TextRowAddsTxt", "report", 0, "report.txt"},
                                           ExtensionCase{"TextRowKeepsAnother", "report.log", 0,
                                                         "report.log"},
                                           ExtensionCase{"TextRowKeepsTxt", "report.txt", 0,
                                                         "report.txt"},
                                           ExtensionCase{"AllFilesRowAddsNothing", "report", 1,
                                                         "report"}),
                         CaseName{});

TEST_F(SaveTest, FileThatCannotBeCreatedIsReportedAndNothingChanges) {
  const TempFile scratch("");
  Open(kWorkedExample);
  const std::vector<std::string> view = ViewLines();

  const fs::path inMissingDir = scratch.dir() / "no-such-dir" / "report.txt";
  SaveTo(inMissingDir);
  SaveTo(scratch.dir(), kAllFilesRow);
  ASSERT_EQ(user.Messages.size(), 2U);
  for (const ui::MessageRequest& message : user.Messages) {
    EXPECT_EQ(message.Kind, ui::MessageKind::kError);
    EXPECT_EQ(message.Caption, Q("Zunkaro"));
  }
  EXPECT_EQ(user.Messages[0].Text, CreateError(inMissingDir, "No such file or directory"));
  EXPECT_EQ(user.Messages[1].Text, CreateError(scratch.dir(), "Is a directory"));
  EXPECT_EQ(ViewLines(), view);
  EXPECT_EQ(FilesIn(scratch.dir()), std::set<fs::path>{"test.log"});
}

TEST_F(SaveTest, WriteFailureIsReportedAsAStreamError) {
  if (!fs::exists("/dev/full")) {
    GTEST_SKIP() << "no /dev/full here";
  }
  Open(kWorkedExample);
  SaveTo("/dev/full", kAllFilesRow);
  ASSERT_EQ(user.Messages.size(), 1U);
  EXPECT_EQ(user.Messages[0].Kind, ui::MessageKind::kError);
  EXPECT_EQ(user.Messages[0].Text, WriteError("/dev/full", "No space left on device"));
}

// Lets this process write files of at most `bytes` bytes while it lives.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old_);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
    oldHandler_ = signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    signal(SIGXFSZ, oldHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit old_{};
  sighandler_t oldHandler_ = SIG_DFL;
};

TEST_F(SaveTest, SaveThatFailsPartWayKeepsTheOldFile) {
  const std::string old = "the report saved last week\r\n";
  const TempFile file(old, "report.txt");
  Open(kWorkedExample);
  ASSERT_GT(AsFile(ViewLines()).size(), 200U);
  {
    const FileSizeLimit limit(200);
    SaveTo(file.path());
  }
  ASSERT_EQ(user.Messages.size(), 1U);
  EXPECT_EQ(user.Messages[0].Text, WriteError(file.path(), "File too large"));
  EXPECT_EQ(ReadFileBytes(file.path()), old);
  EXPECT_EQ(FilesIn(file.dir()), std::set<fs::path>{"report.txt"});

  // The next save goes through.
  SaveTo(file.path());
  EXPECT_EQ(ReadFileBytes(file.path()), AsFile(ViewLines()));
}

TEST_F(SaveTest, ReplacingKeepsALinkAndThePermissions) {
  const TempFile file("old\r\n", "real.txt");
  const fs::path link = file.dir() / "link.txt";
  fs::create_symlink("real.txt", link);
  fs::permissions(file.path(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  Open(kWorkedExample);
  SaveTo(link);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadFileBytes(file.path()), AsFile(ViewLines()));
  EXPECT_EQ(fs::status(file.path()).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

}  // namespace
}  // namespace zunkaro::testing
