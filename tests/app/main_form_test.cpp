// The main form as the user meets it: at start, and through the open-log and
// version commands.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFontInfo>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>

#include <filesystem>
#include <stdexcept>

#include "form_fixture.hpp"
#include "support/case_name.hpp"

namespace zunkaro::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kWorkedExample = ZUNKARO_FIXTURES "/worked-example.log";
const fs::path kSample = ZUNKARO_SAMPLES "/sample.log";

// The open log files of this process.
bool IsOpen(const fs::path& file) {
  for (const auto& fd : fs::directory_iterator("/proc/self/fd")) {
    std::error_code error;
    if (fs::read_symlink(fd.path(), error) == file) {
      return true;
    }
  }
  return false;
}

using MainFormTest = FormTest;

TEST_F(MainFormTest, StartsEmptyWithItsCaptionPlaceAndFonts) {
  EXPECT_EQ(form->Caption(), Q("Zunkaro"));
  EXPECT_EQ(form->Memo1->Lines().Count(), 0U);
  EXPECT_EQ(form->MessageCount, 0);
  EXPECT_EQ(form->UserCount, 0);
  EXPECT_EQ(form->Bounds(), QRect(220, 112, 477, 337));
  EXPECT_EQ(form->pos(), QPoint(220, 112));

  // The view fills the client area and keeps both scroll bars.
  EXPECT_EQ(form->centralWidget(), form->Memo1);
  EXPECT_EQ(form->Memo1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(form->Memo1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

  // "ＭＳ Ｐゴシック" and "ＭＳ ゴシック" are found as the IPA faces, 12 pixels high.
  const QFontInfo formFont(form->font());
  EXPECT_EQ(formFont.family(), Q("IPAPGothic"));
  EXPECT_EQ(formFont.pixelSize(), 12);
  const QFontInfo viewFont(form->Memo1->font());
  EXPECT_EQ(viewFont.family(), Q("IPAGothic"));
  EXPECT_EQ(viewFont.pixelSize(), 12);
  EXPECT_FALSE(viewFont.bold());
  EXPECT_FALSE(viewFont.italic());
}

TEST_F(MainFormTest, QtIsGivenNoCommandLine) {
  // The program's arguments never reach Qt: its own options are not taken.
  EXPECT_EQ(QCoreApplication::arguments(), QStringList{Q("zunkaro")});
}

TEST_F(MainFormTest, MenuTreeAsDescribed) {
  struct Item {
    ui::MenuItem* Action;
    const char* Caption;
    bool Enabled;
  };
  const auto expectItems = [](const QList<QAction*>& actions, const std::vector<Item>& items) {
    ASSERT_EQ(actions.size(), static_cast<qsizetype>(items.size()));
    for (std::size_t i = 0; i < items.size(); ++i) {
      const QAction* action = actions[static_cast<qsizetype>(i)];
      SCOPED_TRACE(items[i].Caption);
      EXPECT_EQ(action, items[i].Action);
      const bool separator = std::string_view(items[i].Caption) == "-";
      EXPECT_EQ(action->isSeparator(), separator);
      EXPECT_EQ(action->text(), separator ? QString() : Q(items[i].Caption));
      EXPECT_EQ(action->isEnabled(), items[i].Enabled);
      EXPECT_TRUE(action->shortcut().isEmpty());
    }
  };
  ASSERT_EQ(form->menuBar(), form->MainMenu1);
  expectItems(form->MainMenu1->actions(), {{form->F1, "ﾌｧｲﾙ(&F)", true}, {form->H1, "ﾍﾙﾌﾟ(&H)", true}});
  expectItems(form->F1->Submenu()->actions(), {{form->KO1, "ﾛｸﾞﾌｧｲﾙを開く(&O)", true},
                                               {form->KS1, "集計結果をﾌｧｲﾙに保存(&S)", true},
                                               {form->N1, "-", true},
                                               {form->KX1, "終了(&X)", true}});
  expectItems(form->H1->Submenu()->actions(), {{form->KC1, "目次(&C)", false},
                                               {form->KK1, "ｷｰﾜｰﾄﾞ検索(&K)", false},
                                               {form->N3, "-", true},
                                               {form->KA1, "ﾊﾞｰｼﾞｮﾝ情報(&A)", true}});

  // The greyed items do nothing.
  form->KC1->trigger();
  form->KK1->trigger();
  EXPECT_TRUE(user.Dialogs.empty());
  EXPECT_TRUE(user.Messages.empty());
}

TEST_F(MainFormTest, DialogsAsDescribed) {
  user.WillCancel();
  form->KO1->trigger();
  user.WillCancel();
  form->KS1->trigger();
  ASSERT_EQ(user.Dialogs.size(), 2U);

  const ui::FileDialogRequest& open = user.Dialogs[0];
  EXPECT_EQ(open.Kind, ui::FileDialogKind::kOpen);
  EXPECT_EQ(open.Title, Q("ﾛｸﾞﾌｧｲﾙを開く"));
  EXPECT_EQ(open.Filters, (std::vector<ui::FilterRow>{{Q("ﾛｸﾞﾌｧｲﾙ(*.log)"), Q("*.log")},
                                                       {Q("ﾃｷｽﾄ(*.txt)"), Q("*.txt")},
                                                       {Q("全てのﾌｧｲﾙ(*.*)"), Q("*.*")}}));
  EXPECT_EQ(open.FilterIndex, 0U);
  EXPECT_TRUE(open.FileName.empty());

  const ui::FileDialogRequest& save = user.Dialogs[1];
  EXPECT_EQ(save.Kind, ui::FileDialogKind::kSave);
  EXPECT_EQ(save.Title, Q("集計結果をﾌｧｲﾙに保存"));
  EXPECT_EQ(save.Filters, (std::vector<ui::FilterRow>{{Q("ﾃｷｽﾄﾌｧｲﾙ(*.txt)"), Q("*.txt")},
                                                       {Q("全てのﾌｧｲﾙ(*.*)"), Q("*.*")}}));
  EXPECT_EQ(save.FilterIndex, 0U);
  EXPECT_TRUE(save.FileName.empty());
}

TEST_F(MainFormTest, OpenShowsTheReportUnderTheLogsCaption) {
  Open(kWorkedExample);
  EXPECT_EQ(form->Caption(), Q("Zunkaro - ") + ui::FromPath(kWorkedExample));
  EXPECT_EQ(ViewLines(), ReportOf(kWorkedExample));
  EXPECT_TRUE(user.Messages.empty());
  EXPECT_FALSE(IsOpen(kWorkedExample));
}

TEST_F(MainFormTest, CancelKeepsCaptionReportAndResults) {
  Open(kWorkedExample);
  const std::vector<std::string> report = ViewLines();
  const int users = form->UserCount;
  user.WillCancel();
  form->KO1->trigger();
  EXPECT_EQ(form->Caption(), Q("Zunkaro - ") + ui::FromPath(kWorkedExample));
  EXPECT_EQ(ViewLines(), report);
  EXPECT_EQ(form->UserCount, users);
}

TEST_F(MainFormTest, EachLogGivesItsOwnReportAlone) {
  Open(kWorkedExample);
  Open(kSample);
  EXPECT_EQ(ViewLines(), ReportOf(kSample));
  EXPECT_EQ(form->Caption(), Q("Zunkaro - ") + ui::FromPath(kSample));
  Open(kSample);
  EXPECT_EQ(ViewLines(), ReportOf(kSample));
  Open(kWorkedExample);
  EXPECT_EQ(ViewLines(), ReportOf(kWorkedExample));
}

TEST_F(MainFormTest, LogWithoutMessagesSaysSoOnceAfterClosingIt) {
  Open(kWorkedExample);
  const TempFile log("no header here\n \b\nnor here\n");
  user.WhileMessageShown = [&](const ui::MessageRequest&) {
    EXPECT_FALSE(IsOpen(log.path())) << "the log is still open";
    EXPECT_EQ(form->Caption(), Q("Zunkaro - ") + ui::FromPath(log.path()));
  };
  Open(log.path());
  ASSERT_EQ(user.Messages.size(), 1U);
  EXPECT_EQ(user.Messages[0].Kind, ui::MessageKind::kPlain);
  EXPECT_EQ(user.Messages[0].Caption, Q("Zunkaro"));
  EXPECT_EQ(user.Messages[0].Text, Q("Cannot find messages."));
  EXPECT_EQ(form->Memo1->Lines().Count(), 0U);
  EXPECT_EQ(form->MessageCount, 0);
  EXPECT_EQ(form->UserCount, 0);
}

TEST_F(MainFormTest, LastChosenPathAndRowOfferedAgain) {
  user.WillChoose(kWorkedExample, 2);
  form->KO1->trigger();
  user.WillCancel();
  form->KO1->trigger();
  user.WillCancel();
  form->KO1->trigger();
  ASSERT_EQ(user.Dialogs.size(), 3U);
  for (std::size_t i : {1U, 2U}) {
    EXPECT_EQ(user.Dialogs[i].FileName, kWorkedExample);
    EXPECT_EQ(user.Dialogs[i].FilterIndex, 2U);
  }
}

// What the core refuses reaches the user in the error box, and the program
// runs on; what the command did before stays done.
struct ReadErrorCase {
  std::string Name;
  std::function<fs::path(const fs::path& emptyDirectory)> Log;
  std::string Reason;

  friend void PrintTo(const ReadErrorCase& c, std::ostream* out) { *out << c.Name; }
};

class ReadErrorTest : public FormTest, public ::testing::WithParamInterface<ReadErrorCase> {};

TEST_P(ReadErrorTest, ShownWithPathAndReason) {
  const TempFile scratch("");
  const fs::path log = GetParam().Log(scratch.dir() / "empty");
  Open(kWorkedExample);
  Open(log);

  ASSERT_EQ(user.Messages.size(), 1U);
  EXPECT_EQ(user.Messages[0].Kind, ui::MessageKind::kError);
  EXPECT_EQ(user.Messages[0].Caption, Q("Zunkaro"));
  const QString text = user.Messages[0].Text;
  EXPECT_TRUE(text.startsWith(ui::FromPath(log) + Q(": "))) << text.toStdString();
  EXPECT_TRUE(text.contains(QString::fromStdString(GetParam().Reason))) << text.toStdString();
  EXPECT_TRUE(text.endsWith(Q("."))) << text.toStdString();
  // The caption and the cleared view came before the reading.
  EXPECT_EQ(form->Caption(), Q("Zunkaro - ") + ui::FromPath(log));
  EXPECT_EQ(form->Memo1->Lines().Count(), 0U);

  Open(kSample);
  EXPECT_EQ(ViewLines(), ReportOf(kSample));
}

INSTANTIATE_TEST_SUITE_P(
    Logs, ReadErrorTest,
    ::testing::Values(
        ReadErrorCase{"Missing", [](const fs::path& dir) { return dir / "missing.log"; },
                      "No such file or directory"},
        ReadErrorCase{"Directory",
                      [](const fs::path& dir) {
                        fs::create_directory(dir);
                        return dir;
                      },
                      "Is a directory"},
        ReadErrorCase{"MoreThan65000Messages",
                      [](const fs::path&) {
                        static const TempFile log(LogOfUsers(65001));
                        return log.path();
                      },
                      "65000 messages"}),
    CaseName{});

TEST_F(MainFormTest, VersionMessage) {
  form->KA1->trigger();
  ASSERT_EQ(user.Messages.size(), 1U);
  EXPECT_EQ(user.Messages[0].Kind, ui::MessageKind::kPlain);
  EXPECT_EQ(user.Messages[0].Caption, Q("Zunkaro"));
  const QStringList lines = user.Messages[0].Text.split(QLatin1Char('\n'));
  ASSERT_EQ(lines.size(), 2);
  EXPECT_EQ(lines[0], Q("Zunkaro Version 0.30β2"));
  EXPECT_FALSE(lines[1].isEmpty());
  EXPECT_FALSE(lines[1].contains(QChar(0xFFFD)));
}

TEST(ApplicationTest, StartUpFailureShownInErrorBoxAndExitCodeStillZero) {
  FakeUser user;
  const int code = App().Run([](ui::Application&) { throw std::runtime_error("no memory for the form"); });
  EXPECT_EQ(code, 0);
  ASSERT_EQ(user.Messages.size(), 1U);
  EXPECT_EQ(user.Messages[0].Kind, ui::MessageKind::kError);
  EXPECT_EQ(user.Messages[0].Caption, Q("Zunkaro"));
  EXPECT_EQ(user.Messages[0].Text, Q("no memory for the form."));
}

}  // namespace
}  // namespace zunkaro::testing
