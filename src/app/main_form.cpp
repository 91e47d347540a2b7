#include "app/main_form.hpp"

#include <cstdlib>
#include <string>

#include "core/version.hpp"
#include "ui/text.hpp"

namespace zunkaro {
namespace {

constexpr std::string_view kCaptionPrefix = "Zunkaro - ";
// The second line of the version message: "ﾌｫｰﾗﾑのﾛｸﾞから発言を集計します"
constexpr std::string_view kAboutLine =
    "\xcc\xab\xb0\xd7\xd1\x82\xcc\xdb\xb8\xde\x82\xa9\x82\xe7\x94\xad\x8c\xbe\x82\xf0\x8fW\x8cv"
    "\x82\xb5\x82\xdc\x82\xb7";

}  // namespace

TForm1* Form1 = nullptr;

TForm1::TForm1(ui::Application& owner) : ui::Form(owner) { CreateComponents(); }

void TForm1::KO1Click(QObject* /*Sender*/) {
  if (!OpenDialog1->Execute()) {
    return;
  }
  OpenChosenLog();
}

void TForm1::OpenLog(const std::filesystem::path& log) {
  // The dialog gives a full path; so does a log named relative to here.
  std::error_code error;
  std::filesystem::path full = std::filesystem::absolute(log, error);
  OpenDialog1->SetFileName(error ? log : std::move(full));
  OpenChosenLog();
}

void TForm1::OpenChosenLog() {
  const std::filesystem::path& log = OpenDialog1->FileName();
  SetCaption(ui::FromShiftJis(kCaptionPrefix) + ui::FromPath(log));
  Memo1->Lines().Clear();

  if (Analyse(log, Memo1->Lines()) == Outcome::kNoMessages) {
    // Nothing to rank: the view stays empty.
    Owner().ShowMessage(kNoMessagesText);
  }
}

void TForm1::KS1Click(QObject* /*Sender*/) {
  if (!SaveDialog1->Execute()) {
    return;
  }
  Memo1->Lines().SaveToFile(SaveDialog1->FileName());
}

void TForm1::KA1Click(QObject* /*Sender*/) {
  std::string message(kVersionLineShiftJis);
  message += '\n';
  message += kAboutLine;
  Owner().ShowMessage(message);
}

void TForm1::KX1Click(QObject* /*Sender*/) {
  // At once, through the C runtime: no close event, no prompt.
  std::exit(EXIT_SUCCESS);
}

}  // namespace zunkaro
