#include "ui/form.hpp"

#include <QShowEvent>
#include <QWindow>

#include "ui/menu.hpp"

namespace zunkaro::ui {

Form::Form(Application& owner) : owner_(owner) {}

Form::~Form() = default;

void Form::SetBounds(int left, int top, int width, int height) {
  bounds_ = QRect(left, top, width, height);
  fitted_ = false;
  move(left, top);  // the frame's top-left corner
  // Until the frame is known the client takes the whole size; FitOuterSize
  // takes the frame off once the window is shown.
  resize(width, height);
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
  if (window == nullptr || bounds_.isEmpty()) {
    return;
  }
  const QMargins frame = window->frameMargins();
  resize(bounds_.width() - frame.left() - frame.right(),
         bounds_.height() - frame.top() - frame.bottom());
  fitted_ = true;
}

}  // namespace zunkaro::ui
