#include "ui/menu.hpp"

#include <QMenu>

#include "ui/text.hpp"

namespace zunkaro::ui {

MenuItem::MenuItem(QWidget* owner, std::string_view sjisCaption) : QAction(owner), owner_(owner) {
  if (sjisCaption == "-") {
    // A line, no text: some styles would print a separator's text.
    setSeparator(true);
  } else {
    setText(FromShiftJis(sjisCaption));
  }
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
