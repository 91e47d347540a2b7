#include "ui/form.hpp"

#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>
#include <QWindow>

#include <algorithm>

#include "ui/menu.hpp"

namespace zunkaro::ui {
namespace {

// The free area (without panels and docks) of the screen that holds `point`,
// or of the primary screen when none does.
QRect AvailableAreaAt(QPoint point) {
  const QScreen* screen = QGuiApplication::screenAt(point);
  if (screen == nullptr) {
    screen = QGuiApplication::primaryScreen();
  }
  return screen == nullptr ? QRect() : screen->availableGeometry();
}

}  // namespace

QRect PlaceWithin(const QRect& designed, const QRect& available) {
  if (available.isEmpty()) {
    return designed;
  }
  const QSize size = designed.size().boundedTo(available.size());
  // The size is at most the area's, so each range below is not empty.
  const int left = std::clamp(designed.x(), available.x(), available.x() + available.width() - size.width());
  const int top = std::clamp(designed.y(), available.y(), available.y() + available.height() - size.height());
  return {QPoint(left, top), size};
}

Form::Form(Application& owner) : owner_(owner) {}

Form::~Form() = default;

void Form::SetBounds(int left, int top, int width, int height) {
  bounds_ = QRect(left, top, width, height);
  placed_ = PlaceWithin(bounds_, AvailableAreaAt(bounds_.topLeft()));
  fitted_ = false;
  move(placed_.topLeft());  // the frame's top-left corner
  // Until the frame is known the client takes the whole size; FitOuterSize
  // takes the frame off once the window is shown.
  resize(placed_.size());
}

void Form::SetMainMenu(MainMenu* menu) { setMenuBar(menu); }

void Form::SetClient(QWidget* view) { setCentralWidget(view); }

void Form::Show() { show(); }

void Form::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!fitted_) {
    FitOuterSize();
  }
}

void Form::FitOuterSize() {
  const QWindow* window = windowHandle();
  if (window == nullptr || placed_.isEmpty()) {
    return;
  }
  const QMargins frame = window->frameMargins();
  resize(placed_.width() - frame.left() - frame.right(),
         placed_.height() - frame.top() - frame.bottom());
  fitted_ = true;
}

}  // namespace zunkaro::ui
