// One application object for the whole run, as the program has one.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QtGlobal>

#include "fake_user.hpp"
#include "ui/application.hpp"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // A death test runs in a fresh copy of this program, never in a fork of a
  // process whose Qt threads are running.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  if (GTEST_FLAG_GET(list_tests)) {
    return RUN_ALL_TESTS();
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
  }
  zunkaro::ui::Application application;
  application.SetTitle("Zunkaro");
  zunkaro::testing::SetApp(application);
  return RUN_ALL_TESTS();
}
