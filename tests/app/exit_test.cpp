// How the program ends: the exit command at once, or the main window
// closed; the exit code is 0 either way. Each runs in a process of its own.
#include <gtest/gtest.h>

#include <QTimer>

#include <cstdlib>
#include <memory>

#include "app/main_form.hpp"
#include "fake_user.hpp"
#include "support/log_builder.hpp"

namespace zunkaro::testing {
namespace {

TEST(ExitDeathTest, ExitCommandEndsAtOnceWithCodeZero) {
  EXPECT_EXIT(
      {
        auto form = std::make_unique<TForm1>(App());
        form->Memo1->Lines().Add("a report never saved");
        form->KX1->trigger();
        std::exit(1);  // not reached
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(ExitDeathTest, ClosingTheMainWindowEndsTheProgramWithCodeZero) {
  EXPECT_EXIT(
      {
        const int code = App().Run([](ui::Application& app) {
          app.CreateForm(Form1);
          Form1->Memo1->Lines().Add("a report never saved");
          QTimer::singleShot(0, Form1, [] { Form1->close(); });
        });
        std::exit(code == 0 && Form1->isHidden() ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

// One whole session: open a log, save its report, exit. Under the
// sanitizers LeakSanitizer checks the process as it exits, and a leak would
// change the exit code.
TEST(ExitDeathTest, OpenSaveAndExitLeaveNothingBehind) {
  const TempFile saved("", "report.txt");
  EXPECT_EXIT(
      {
        auto form = std::make_unique<TForm1>(App());
        FakeUser user;
        user.WillChoose(ZUNKARO_FIXTURES "/worked-example.log");
        form->KO1->trigger();
        user.WillChoose(saved.path());
        form->KS1->trigger();
        const bool whole = ReadFileBytes(saved.path()) ==
                           ReadFileBytes(ZUNKARO_FIXTURES "/worked-example.report.txt");
        if (!whole) std::exit(1);
        form->KX1->trigger();
        std::exit(1);  // not reached
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace zunkaro::testing
