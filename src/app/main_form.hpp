// The main window: the report view, the menu and the two file dialogs, the
// analysis state of the current log, and the four commands of the menu.
#pragma once

#include <QObject>

#include <filesystem>

#include "core/analysis.hpp"
#include "ui/application.hpp"
#include "ui/file_dialog.hpp"
#include "ui/form.hpp"
#include "ui/menu.hpp"
#include "ui/text_view.hpp"

namespace zunkaro {

class TForm1 : public ui::Form, public Analysis {
 public:
  // Builds the form from its description (main_form_description.cpp).
  explicit TForm1(ui::Application& owner);

  // The components, made by the description and owned by the form.
  ui::MainMenu* MainMenu1 = nullptr;
  ui::MenuItem* F1 = nullptr;
  ui::MenuItem* KO1 = nullptr;
  ui::MenuItem* KS1 = nullptr;
  ui::MenuItem* N1 = nullptr;
  ui::MenuItem* KX1 = nullptr;
  ui::MenuItem* H1 = nullptr;
  ui::MenuItem* KA1 = nullptr;
  ui::MenuItem* KC1 = nullptr;
  ui::OpenDialog* OpenDialog1 = nullptr;
  ui::SaveDialog* SaveDialog1 = nullptr;
  ui::MenuItem* KK1 = nullptr;
  ui::MenuItem* N3 = nullptr;
  ui::TextView* Memo1 = nullptr;

  // The commands; none of them looks at the sender.
  void KA1Click(QObject* Sender);  // the version message
  void KO1Click(QObject* Sender);  // open a log and show its report
  void KS1Click(QObject* Sender);  // save the report
  [[noreturn]] void KX1Click(QObject* Sender);  // end the program at once, exit code 0

  // The open-log command on `log`, as if it had been chosen in the open
  // dialog (which offers it again next time): a log named on the command line.
  void OpenLog(const std::filesystem::path& log);

 private:
  void CreateComponents();
  // The open-log command once the dialog has a file: caption, view, report.
  void OpenChosenLog();
};

// The one main form, made at start-up.
extern TForm1* Form1;

}  // namespace zunkaro
