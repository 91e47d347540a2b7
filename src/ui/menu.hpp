// The main menu and its items. A caption is Shift-JIS; "&" marks the access
// key, and the caption "-" makes a separator line.
#pragma once

#include <QAction>
#include <QMenuBar>

#include <concepts>
#include <string_view>

#include "ui/application.hpp"
#include "ui/form.hpp"

class QMenu;

namespace zunkaro::ui {

class MenuItem : public QAction {
 public:
  // The item belongs to `owner`, the form whose menu it is in.
  MenuItem(QWidget* owner, std::string_view sjisCaption);
  ~MenuItem() override;
  MenuItem(const MenuItem&) = delete;
  MenuItem& operator=(const MenuItem&) = delete;

  // Puts `item` at the end of this item's submenu.
  void Add(MenuItem* item);
  // The submenu, or null while no item has been added.
  [[nodiscard]] QMenu* Submenu() const noexcept { return submenu_; }

  // Binds the click to a handler of the form. Whatever the handler throws
  // is shown in the error box, and the program runs on.
  template <std::derived_from<Form> F>
  void SetOnClick(F& form, void (F::*handler)(QObject* sender)) {
    connect(this, &QAction::triggered, &form, [this, &form, handler] {
      form.Owner().Guard([this, &form, handler] { (form.*handler)(this); });
    });
  }

 private:
  QWidget* owner_;
  QMenu* submenu_ = nullptr;
};

class MainMenu : public QMenuBar {
 public:
  explicit MainMenu(QWidget* owner);
  ~MainMenu() override;
  MainMenu(const MainMenu&) = delete;
  MainMenu& operator=(const MainMenu&) = delete;

  // Puts `item`, which has a submenu, at the end of the menu bar.
  void Add(MenuItem* item);
};

}  // namespace zunkaro::ui
