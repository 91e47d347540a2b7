#include "ui/menu.hpp"

#include <QMenu>

#include "ui/text.hpp"

namespace zunkaro::ui {

MenuItem::MenuItem(QWidget* owner, std::string_view sjisCaption)
    : QAction(FromShiftJis(sjisCaption), owner), owner_(owner) {
  setSeparator(sjisCaption == "-");
}

MenuItem::~MenuItem() = default;

void MenuItem::Add(MenuItem* item) {
  if (submenu_ == nullptr) {
    submenu_ = new QMenu(text(), owner_);
    setMenu(submenu_);
  }
  submenu_->addAction(item);
}

MainMenu::MainMenu(QWidget* owner) : QMenuBar(owner) {}

MainMenu::~MainMenu() = default;

void MainMenu::Add(MenuItem* item) { addAction(item); }

}  // namespace zunkaro::ui
