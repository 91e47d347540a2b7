// The application object: initialises Qt, holds the application title and
// the forms, runs the event loop, and shows what escapes a command in the
// error box so that the program runs on. Qt's own texts (the buttons of the
// message boxes, the file dialogs) are in Japanese, as the menus are.
#pragma once

#include <concepts>
#include <exception>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include <QString>

#include "ui/modal.hpp"

class QApplication;
class QTranslator;

namespace zunkaro::ui {

class Form;

class Application {
 public:
  // Initialises the application. Qt is given no command line: its own
  // options (-platform, -style ...) are not taken from the program's.
  Application();
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // The title: the caption of every message box and error box.
  void SetTitle(std::string_view sjisTitle);
  [[nodiscard]] const QString& Title() const noexcept { return title_; }

  // Makes a form of class F owned by the application and stores it in
  // `reference`. The first form made is the main form.
  template <std::derived_from<Form> F>
  void CreateForm(F*& reference) {
    auto form = std::make_unique<F>(*this);
    reference = form.get();
    Adopt(std::move(form));
  }
  [[nodiscard]] Form* MainForm() const noexcept { return mainForm_; }

  // Runs `startUp`, then shows the main form and dispatches events until it
  // is closed. Whatever escapes start-up or the loop is shown in the error
  // box. Returns 0, the exit code of the program, in every case.
  int Run(const std::function<void(Application&)>& startUp);

  // Runs one command. What it throws is shown in the error box; the program
  // runs on.
  void Guard(const std::function<void()>& command);

  // Runs `command` as Guard does, once the event loop has started: after the
  // main form is shown, so that its message boxes come up over the window.
  void Queue(std::function<void()> command);

  // The error box: the title as caption, a stop icon, the message and ".".
  void ShowException(const std::exception& error);
  // The plain message box: the title as caption, no icon, one OK button,
  // centred on the screen. Waits until the user dismisses it.
  void ShowMessage(std::string_view sjisText);

  // Modal windows answered in the user's place; an empty responder shows the
  // real window again.
  void SetFileDialogResponder(FileDialogResponder responder) { fileDialogResponder_ = std::move(responder); }
  void SetMessageResponder(MessageResponder responder) { messageResponder_ = std::move(responder); }
  [[nodiscard]] const FileDialogResponder& CurrentFileDialogResponder() const noexcept {
    return fileDialogResponder_;
  }

 private:
  void Adopt(std::unique_ptr<Form> form);
  void ShowMessageBox(MessageKind kind, const QString& text);

  // QApplication keeps references to these for its whole life.
  int argc_ = 1;
  char programName_[8] = "zunkaro";
  char* argv_[2] = {programName_, nullptr};
  std::unique_ptr<QApplication> qt_;
  std::unique_ptr<QTranslator> qtTexts_;
  QString title_;
  FileDialogResponder fileDialogResponder_;
  MessageResponder messageResponder_;
  // Destroyed before qt_: a widget never outlives QApplication.
  std::vector<std::unique_ptr<Form>> forms_;
  Form* mainForm_ = nullptr;
};

}  // namespace zunkaro::ui
