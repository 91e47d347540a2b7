// The real Qt file dialogs, driven as a user would, once each: what they
// show, what they give back, and what they offer the next time.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <functional>

#include "form_fixture.hpp"

namespace zunkaro::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kWorkedExample = ZUNKARO_FIXTURES "/worked-example.log";
const fs::path kSample = ZUNKARO_SAMPLES "/sample.log";

// Answers the next file dialog once it is up. Gives up, closing it, when the
// answer fails or no dialog comes, so that a test never hangs.
void WhenDialogShown(std::function<void(QFileDialog&)> answer) {
  auto* timer = new QTimer;
  auto tries = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, [timer, tries, answer = std::move(answer)] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr && ++*tries < 500) {
      return;
    }
    timer->stop();
    timer->deleteLater();
    if (dialog == nullptr) {
      ADD_FAILURE() << "no file dialog came";
      return;
    }
    answer(*dialog);
    if (dialog->isVisible()) {
      ADD_FAILURE() << "the dialog was left open";
      dialog->reject();
    }
  });
  timer->start(10);
}

// Puts `text` into the file-name box, as a user pastes it there. What the
// box holds then is the choice: a file the dialog had marked in its list is
// no longer.
void Paste(QFileDialog& dialog, const QString& text) {
  auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  ASSERT_NE(name, nullptr);
  for (auto* list : dialog.findChildren<QAbstractItemView*>()) {
    list->clearSelection();
  }
  name->setText(text);
}

// The dialog's OK button.
void Accept(QFileDialog& dialog) { static_cast<QDialog&>(dialog).accept(); }

QStringList ComboTexts(const QFileDialog& dialog) {
  QStringList texts;
  const auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
  for (int i = 0; combo != nullptr && i < combo->count(); ++i) {
    texts << combo->itemText(i);
  }
  return texts;
}

// The captions of the dialog's buttons, as Qt's Japanese texts give them.
QStringList ButtonTexts(const QFileDialog& dialog) {
  QStringList texts;
  if (const auto* box = dialog.findChild<QDialogButtonBox*>()) {
    for (const QAbstractButton* button : box->buttons()) {
      texts << button->text();
    }
  }
  return texts;
}

class FileDialogTest : public FormTest {
 protected:
  FileDialogTest() { App().SetFileDialogResponder({}); }  // the real dialogs
};

TEST_F(FileDialogTest, OpenDialogShowsItsRowsAndOffersTheLastChoiceAgain) {
  WhenDialogShown([](QFileDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), Q("ﾛｸﾞﾌｧｲﾙを開く"));
    EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(ComboTexts(dialog),
              (QStringList{Q("ﾛｸﾞﾌｧｲﾙ(*.log)"), Q("ﾃｷｽﾄ(*.txt)"), Q("全てのﾌｧｲﾙ(*.*)")}));
    EXPECT_EQ(dialog.selectedNameFilter(), Q("ﾛｸﾞﾌｧｲﾙ(*.log)"));
    EXPECT_EQ(ButtonTexts(dialog), (QStringList{Q("開く(&O)"), Q("キャンセル")}));
    Paste(dialog, ui::FromPath(kWorkedExample));
    Accept(dialog);
  });
  form->KO1->trigger();
  EXPECT_EQ(ViewLines(), ReportOf(kWorkedExample));
  EXPECT_EQ(form->Caption(), Q("Zunkaro - ") + ui::FromPath(kWorkedExample));

  WhenDialogShown([](QFileDialog& dialog) {
    EXPECT_EQ(dialog.selectedFiles(), QStringList{ui::FromPath(kWorkedExample)});
    dialog.selectNameFilter(dialog.nameFilters().value(2));
    Paste(dialog, ui::FromPath(kSample));
    Accept(dialog);
  });
  form->KO1->trigger();
  EXPECT_EQ(ViewLines(), ReportOf(kSample));
  EXPECT_EQ(form->OpenDialog1->FilterIndex(), 2U);

  WhenDialogShown([](QFileDialog& dialog) {
    EXPECT_EQ(dialog.selectedNameFilter(), Q("全てのﾌｧｲﾙ(*.*)"));
    EXPECT_EQ(dialog.selectedFiles(), QStringList{ui::FromPath(kSample)});
    dialog.reject();
  });
  form->KO1->trigger();
  EXPECT_EQ(ViewLines(), ReportOf(kSample));
  EXPECT_EQ(form->Caption(), Q("Zunkaro - ") + ui::FromPath(kSample));
  EXPECT_TRUE(user.Messages.empty());
}

TEST_F(FileDialogTest, SaveDialogTakesATypedNameAndAddsTxt) {
  const TempFile old("old\r\n", "report.txt");
  App().SetFileDialogResponder([](const ui::FileDialogRequest&) {
    return ui::FileDialogAnswer{true, kWorkedExample, 0};
  });
  form->KO1->trigger();
  App().SetFileDialogResponder({});
  WhenDialogShown([&old](QFileDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), Q("集計結果をﾌｧｲﾙに保存"));
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(ComboTexts(dialog), (QStringList{Q("ﾃｷｽﾄﾌｧｲﾙ(*.txt)"), Q("全てのﾌｧｲﾙ(*.*)")}));
    EXPECT_EQ(ButtonTexts(dialog), (QStringList{Q("保存(&S)"), Q("キャンセル")}));
    dialog.setDirectory(ui::FromPath(old.dir()));
    Paste(dialog, Q("report"));
    // An existing file is replaced without a prompt.
    Accept(dialog);
  });
  form->KS1->trigger();
  EXPECT_EQ(form->SaveDialog1->FileName(), old.path());
  EXPECT_EQ(ReadFileBytes(old.path()), AsFile(ViewLines()));
  EXPECT_TRUE(user.Messages.empty());
}

}  // namespace
}  // namespace zunkaro::testing
