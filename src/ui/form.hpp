// A form: one top-level window with a main menu and one view filling its
// client area, built by its form description in code and owned by the
// application object.
#pragma once

#include <QMainWindow>
#include <QRect>

namespace zunkaro::ui {

class Application;
class MainMenu;

class Form : public QMainWindow {
 public:
  explicit Form(Application& owner);
  ~Form() override;
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  [[nodiscard]] Application& Owner() const noexcept { return owner_; }

  void SetCaption(const QString& caption) { setWindowTitle(caption); }
  [[nodiscard]] QString Caption() const { return windowTitle(); }

  // Position and outer size, frame included, in pixels at 96 dots per inch:
  // the place the form was designed for. The window goes there when it fits
  // on the screen's free area, and is moved in (made smaller only if it must)
  // when it does not, as with a large scale factor on a small screen.
  void SetBounds(int left, int top, int width, int height);
  [[nodiscard]] const QRect& Bounds() const noexcept { return bounds_; }

  void SetMainMenu(MainMenu* menu);
  // The view that fills the client area below the menu and follows the
  // window's size.
  void SetClient(QWidget* view);

  void Show();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FitOuterSize();

  Application& owner_;
  QRect bounds_;
  QRect placed_;  // bounds_ as it fits on the screen
  bool fitted_ = false;
};

// Where a window designed at `designed` (outer geometry) goes within the free
// area `available` of its screen: where it was designed when it fits; else
// moved the least that brings it whole into the area, and made no larger than
// the area. An empty area (no screen) changes nothing.
[[nodiscard]] QRect PlaceWithin(const QRect& designed, const QRect& available);

}  // namespace zunkaro::ui
