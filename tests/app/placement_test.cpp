// Where the main window goes: at its designed place and size when that is
// whole on the screen's free area, moved in when it is not, as at a large
// scale factor on a small screen. CTest runs the window's case once more at
// scale factor 2 on a 1280x800 screen, where the designed place does not fit.
#include <gtest/gtest.h>

#include <QRect>
#include <QScreen>

#include <string>

#include "form_fixture.hpp"
#include "support/case_name.hpp"
#include "ui/form.hpp"

namespace zunkaro::testing {
namespace {

struct PlaceCase {
  std::string Name;
  QRect Available;
  QRect Placed;
};

// The main window's designed place and outer size.
const QRect kDesigned(220, 112, 477, 337);

class PlaceWithinTest : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(PlaceWithinTest, KeepsTheWindowWholeOnTheFreeArea) {
  EXPECT_EQ(ui::PlaceWithin(kDesigned, GetParam().Available), GetParam().Placed);
}

INSTANTIATE_TEST_SUITE_P(
    Screens, PlaceWithinTest,
    ::testing::Values(
        PlaceCase{"FitsAsDesigned", QRect(0, 0, 1280, 800), kDesigned},
        PlaceCase{"FitsExactly", QRect(220, 112, 477, 337), kDesigned},
        // 1280x800 at scale factor 2, with a 24-pixel panel on top.
        PlaceCase{"TooFarRightAndDown", QRect(0, 12, 640, 388), QRect(163, 63, 477, 337)},
        PlaceCase{"TooFarRightOnly", QRect(0, 0, 600, 800), QRect(123, 112, 477, 337)},
        PlaceCase{"PanelOnTheLeft", QRect(300, 0, 980, 800), QRect(300, 112, 477, 337)},
        PlaceCase{"SecondScreenLeftOfThePrimary", QRect(-1024, 0, 1024, 768), QRect(-477, 112, 477, 337)},
        PlaceCase{"SmallerThanTheWindow", QRect(0, 0, 400, 300), QRect(0, 0, 400, 300)},
        PlaceCase{"NarrowerOnly", QRect(10, 0, 320, 1000), QRect(10, 112, 320, 337)},
        PlaceCase{"NoScreen", QRect(), kDesigned}),
    CaseName{});

using WindowPlacementTest = FormTest;

TEST_F(WindowPlacementTest, ShownWholeOnTheScreen) {
  form->Show();
  const QRect available = form->screen()->availableGeometry();
  const QRect frame = form->frameGeometry();
  EXPECT_TRUE(available.contains(frame)) << "the window at (" << frame.x() << ", " << frame.y() << ") "
                                         << frame.width() << "x" << frame.height()
                                         << " is not whole on the free area " << available.width()
                                         << "x" << available.height();
  EXPECT_EQ(frame.size(), kDesigned.size().boundedTo(available.size()));
  if (available.contains(kDesigned)) {
    EXPECT_EQ(frame, kDesigned);
  }
  EXPECT_EQ(form->Bounds(), kDesigned);
  form->close();
}

}  // namespace
}  // namespace zunkaro::testing
