#include "app/start_up.hpp"

#include <QGuiApplication>
#include <QIcon>
#include <QString>

#include "app/main_form.hpp"

namespace zunkaro {
namespace {

// The name of the desktop entry and of the icon that come with the program.
constexpr auto kDesktopName = "zunkaro";

}  // namespace

void StartUp(ui::Application& app, const StartWindow& start) {
  app.SetTitle("Zunkaro");
  // The desktop shows the window under its entry's name and icon.
  QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopName));
  QGuiApplication::setWindowIcon(QIcon::fromTheme(QString::fromLatin1(kDesktopName)));
  app.CreateForm(Form1);
  if (start.Log) {
    app.Queue([log = *start.Log] { Form1->OpenLog(log); });
  }
}

}  // namespace zunkaro
