#include "ui/application.hpp"

#include <QApplication>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTimer>
#include <QTranslator>

#include "ui/error.hpp"
#include "ui/fonts.hpp"
#include "ui/form.hpp"
#include "ui/text.hpp"

namespace zunkaro::ui {
namespace {

// Qt's own Japanese texts, as Debian ships them (qt6-translations-l10n).
constexpr auto kQtJapanese = "qtbase_ja";

}  // namespace

Application::Application()
    : qt_(std::make_unique<QApplication>(argc_, argv_)),
      qtTexts_(std::make_unique<QTranslator>()),
      title_(QString::fromLatin1(programName_)) {
  RegisterFontSubstitutes();
  // Without the translation Qt's texts stay English; nothing else changes.
  if (qtTexts_->load(QString::fromLatin1(kQtJapanese),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(qtTexts_.get());
  }
}

Application::~Application() = default;

void Application::SetTitle(std::string_view sjisTitle) { title_ = FromShiftJis(sjisTitle); }

void Application::Adopt(std::unique_ptr<Form> form) {
  if (mainForm_ == nullptr) {
    mainForm_ = form.get();
  }
  forms_.push_back(std::move(form));
}

int Application::Run(const std::function<void(Application&)>& startUp) {
  try {
    startUp(*this);
    if (mainForm_ != nullptr) {
      mainForm_->Show();
      QApplication::exec();
    }
  } catch (const std::exception& error) {
    ShowException(error);
  } catch (...) {
    ShowException(Error("unknown error"));
  }
  return 0;
}

void Application::Guard(const std::function<void()>& command) {
  try {
    command();
  } catch (const std::exception& error) {
    ShowException(error);
  } catch (...) {
    ShowException(Error("unknown error"));
  }
}

void Application::Queue(std::function<void()> command) {
  // A zero timer fires once the loop runs, after the events already posted.
  QTimer::singleShot(0, qt_.get(), [this, command = std::move(command)] { Guard(command); });
}

void Application::ShowException(const std::exception& error) {
  ShowMessageBox(MessageKind::kError, QString::fromUtf8(error.what()) + QLatin1Char('.'));
}

void Application::ShowMessage(std::string_view sjisText) {
  // A line feed breaks the text into lines; each line is decoded apart, so
  // that the line feed is not taken for a control byte.
  QString text;
  for (std::size_t start = 0;;) {
    const std::size_t end = sjisText.find('\n', start);
    text += FromShiftJis(sjisText.substr(start, end - start));
    if (end == std::string_view::npos) {
      break;
    }
    text += QLatin1Char('\n');
    start = end + 1;
  }
  ShowMessageBox(MessageKind::kPlain, text);
}

void Application::ShowMessageBox(MessageKind kind, const QString& text) {
  if (messageResponder_) {
    messageResponder_(MessageRequest{kind, title_, text});
    return;
  }
  // No parent: centred on the screen, and modal to the whole application.
  QMessageBox box(kind == MessageKind::kError ? QMessageBox::Critical : QMessageBox::NoIcon, title_,
                  text, QMessageBox::Ok);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

}  // namespace zunkaro::ui
