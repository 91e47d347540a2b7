// The window started as the program starts it, `zunkaro LOG` as a file
// manager runs it: the log is opened once the window is up, as if chosen in
// the open dialog. Each start runs in a process of its own, since the
// program makes its main form once.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/main_form.hpp"
#include "app/start_up.hpp"
#include "fake_user.hpp"
#include "core/analysis.hpp"
#include "support/log_builder.hpp"
#include "ui/text.hpp"
#include "support/case_name.hpp"

namespace zunkaro::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kFixtures = ZUNKARO_FIXTURES;

// What the user meets once the window has started and the open-log command
// has run: the caption, the boxes, the view.
struct Session {
  QString Caption;
  std::vector<ui::MessageRequest> Boxes;
  bool BoxesOverTheShownWindow = true;
  std::vector<std::string> View;
  QString OfferedNextTime;  // what the open dialog offers next
};

// The report of `log` as a fresh analysis makes it.
std::vector<std::string> ReportOf(const fs::path& log) {
  auto analysis = std::make_unique<Analysis>();
  StringLines lines;
  (void)analysis->Analyse(log, lines);
  return lines.lines();
}

Session RunWindow(const StartWindow& start) {
  FakeUser user;
  Session session;
  user.WhileMessageShown = [&session](const ui::MessageRequest&) {
    session.BoxesOverTheShownWindow = session.BoxesOverTheShownWindow && Form1->isVisible();
  };
  const int code = App().Run([&start](ui::Application& app) {
    StartUp(app, start);
    app.Queue([] { Form1->close(); });
  });
  if (code != 0) {
    std::fprintf(stderr, "exit code %d\n", code);
    std::exit(1);
  }
  session.Caption = Form1->Caption();
  session.Boxes = user.Messages;
  const ui::TextLines& view = Form1->Memo1->Lines();
  for (std::size_t i = 0; i < view.Count(); ++i) {
    session.View.emplace_back(view.Line(i));
  }
  session.OfferedNextTime = ui::FromPath(Form1->OpenDialog1->FileName());
  return session;
}

struct StartCase {
  std::string Name;
  // The log as named on the command line, from the directory the program
  // runs in.
  fs::path Log;
  fs::path FullPath;
  // The one box shown, after the log's path for an error, or none.
  std::optional<ui::MessageKind> Box;
  std::string BoxText;
  bool Report = false;  // the view shows the log's report, else nothing

  friend void PrintTo(const StartCase& c, std::ostream* out) { *out << c.Name; }
};

// Starts the window with the case's log on its command line. Exits with 0
// when the user meets what the case expects, else with 1, telling on
// standard error what differed.
[[noreturn]] void CheckStart(const StartCase& c) {
  fs::current_path(kFixtures);
  const Session session = RunWindow(StartWindow{c.Log});
  std::ostringstream wrong;
  const QString path = ui::FromPath(c.FullPath);
  if (session.Caption != Q("Zunkaro - ") + path) {
    wrong << "caption " << session.Caption.toStdString() << "\n";
  }
  if (session.OfferedNextTime != path) {
    wrong << "the open dialog offers " << session.OfferedNextTime.toStdString() << "\n";
  }
  if (session.View != (c.Report ? ReportOf(c.FullPath) : std::vector<std::string>{})) {
    wrong << "the view holds " << session.View.size() << " lines\n";
  }
  const QString boxText =
      (c.Box == ui::MessageKind::kError ? path + Q(": ") : QString()) + Q(c.BoxText.c_str());
  if (session.Boxes.size() != (c.Box ? 1U : 0U)) {
    wrong << session.Boxes.size() << " boxes\n";
  } else if (c.Box && (session.Boxes[0].Kind != *c.Box || session.Boxes[0].Text != boxText ||
                       session.Boxes[0].Caption != Q("Zunkaro"))) {
    wrong << "the box says " << session.Boxes[0].Text.toStdString() << "\n";
  }
  if (!session.BoxesOverTheShownWindow) {
    wrong << "a box came before the window\n";
  }
  std::fputs(wrong.str().c_str(), stderr);
  std::exit(wrong.str().empty() ? 0 : 1);
}

class StartWithLogDeathTest : public ::testing::TestWithParam<StartCase> {};

TEST_P(StartWithLogDeathTest, OpensItOverTheShownWindow) {
  EXPECT_EXIT(CheckStart(GetParam()), ::testing::ExitedWithCode(0), "");
}

INSTANTIATE_TEST_SUITE_P(
    Logs, StartWithLogDeathTest,
    ::testing::Values(
        StartCase{"Report", kFixtures / "worked-example.log", kFixtures / "worked-example.log", {}, "",
                  true},
        StartCase{"RelativeNameShownInFull", "worked-example.log", kFixtures / "worked-example.log", {},
                  "", true},
        StartCase{"NoMessages", "worked-example.report.txt", kFixtures / "worked-example.report.txt",
                  ui::MessageKind::kPlain, "Cannot find messages.", false},
        StartCase{"Missing", "missing.log", kFixtures / "missing.log", ui::MessageKind::kError,
                  "No such file or directory.", false}),
    CaseName{});

TEST(StartWithoutLogDeathTest, ShowsTheEmptyWindowAsBefore) {
  EXPECT_EXIT(
      {
        const Session session = RunWindow(StartWindow{});
        const bool asBefore = session.Caption == Q("Zunkaro") && session.Boxes.empty() &&
                              session.View.empty() && session.OfferedNextTime.isEmpty();
        std::exit(asBefore ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace zunkaro::testing
