// The report view: Shift-JIS lines on a grid of half-width cells, filled in
// one batch, selectable but not editable.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScrollBar>
#include <QTest>

#include "form_fixture.hpp"
#include "support/case_name.hpp"

namespace zunkaro::testing {
namespace {

using ui::Glyph;
using ui::TextPosition;

struct LayOutCase {
  std::string Name;
  std::string Line;
  std::vector<Glyph> Glyphs;

  friend void PrintTo(const LayOutCase& c, std::ostream* out) { *out << c.Name; }
};

class LayOutTest : public ::testing::TestWithParam<LayOutCase> {};

TEST_P(LayOutTest, EveryCharacterStartsAtItsByteColumn) {
  EXPECT_EQ(ui::LayOut(GetParam().Line), GetParam().Glyphs);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LayOutTest,
    ::testing::Values(
        LayOutCase{"Empty", "", {}},
        LayOutCase{"Ascii", "1. A", {{0, U'1', 1}, {1, U'.', 1}, {2, U' ', 1}, {3, U'A', 1}}},
        // "ﾊﾝ順位": half-width katakana one cell, kanji two.
        LayOutCase{"KanaAndKanji",
                   "\xca\xdd\x8f\x87\x88\xca",
                   {{0, U'ﾊ', 1}, {1, U'ﾝ', 1}, {2, U'順', 2}, {4, U'位', 2}}},
        // "　#": the full-width space is two cells like any double-byte character.
        LayOutCase{"FullWidthSpace", "\x81\x40#", {{0, U'　', 2}, {2, U'#', 1}}},
        // A pair with no character, a control byte, a byte that begins
        // nothing and a lone lead byte: a mark for each byte.
        LayOutCase{"Undecodable",
                   "\x85\x40\x1b\x80x\x82",
                   {{0, U'\uFFFD', 1},
                    {1, U'\uFFFD', 1},
                    {2, U'\uFFFD', 1},
                    {3, U'\uFFFD', 1},
                    {4, U'x', 1},
                    {5, U'\uFFFD', 1}}}),
    CaseName{});

using TextViewTest = FormTest;

TEST_F(TextViewTest, FullWidthCharactersAreExactlyTwoCells) {
  const QFontMetrics metrics(form->Memo1->font());
  const int cell = form->Memo1->CellWidth();
  EXPECT_GT(cell, 1);
  for (const char* text : {"A", "0", " ", "ﾊ", "ｰ"}) {
    EXPECT_EQ(metrics.horizontalAdvance(Q(text)), cell) << text;
  }
  for (const char* text : {"順", "あ", "ア", "Ａ", "　", "《", "・"}) {
    EXPECT_EQ(metrics.horizontalAdvance(Q(text)), 2 * cell) << text;
  }
}

TEST_F(TextViewTest, SelectionCopiesWholeCharactersAsText) {
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  ui::TextView& view = *form->Memo1;
  ui::TextLines& lines = view.Lines();
  lines.Add(Sjis("  1.  AAA00001  みかん"));
  lines.Add("bad \x85\x40 pair");
  lines.Add(Sjis("合計      4 人"));
  QCoreApplication::processEvents();

  // A drag from the first cell of the first line into the second half of
  // "み" takes "み" whole.
  QWidget* viewport = view.viewport();
  const QPoint inCell(view.CellWidth() / 4, view.LineHeight() / 2);
  QTest::mousePress(viewport, Qt::LeftButton, {}, view.PointOf({0, 0}) + inCell);
  QTest::mouseMove(viewport, view.PointOf({0, 19}) + inCell);
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, view.PointOf({0, 19}) + inCell);
  EXPECT_EQ(view.SelectedText(), Q("  1.  AAA00001  み"));

  // Across lines; what does not decode comes as marks.
  view.Select(TextPosition{2, 4}, TextPosition{1, 4});
  EXPECT_EQ(view.SelectedText(), Q("\uFFFD\uFFFD pair\n合計"));
  view.SelectAll();
  EXPECT_EQ(view.SelectedText(), Q("  1.  AAA00001  みかん\nbad \uFFFD\uFFFD pair\n合計      4 人"));
  QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), view.SelectedText());

  // Typing changes nothing.
  QTest::keyClicks(&view, "typed");
  QTest::keyClick(&view, Qt::Key_Backspace);
  EXPECT_EQ(lines.Count(), 3U);
  EXPECT_EQ(lines.Line(1), "bad \x85\x40 pair");
}

// Counts the paint events of a widget.
class PaintCounter : public QObject {
 public:
  explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
  int Count = 0;

 protected:
  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      ++Count;
    }
    return false;
  }
};

TEST_F(TextViewTest, LargestReportFillsTheViewInOneBatch) {
  static const TempFile log(LogOfUsers(65000));
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  ui::TextView& view = *form->Memo1;
  const PaintCounter paints(view.viewport());
  QCoreApplication::processEvents();
  const int before = paints.Count;

  Open(log.path());
  EXPECT_EQ(paints.Count, before) << "the view drew while the report was written";
  QCoreApplication::processEvents();

  EXPECT_EQ(view.Lines().Count(), 65009U);
  EXPECT_LE(paints.Count - before, 2) << "the view drew more than once for one report";
  // The scroll bars take in the whole report at once.
  const int rows = view.verticalScrollBar()->pageStep();
  EXPECT_GT(rows, 0);
  EXPECT_EQ(view.verticalScrollBar()->maximum(), 65009 - rows);
  EXPECT_GT(view.horizontalScrollBar()->maximum(), 0);

  // The last line is in reach.
  view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
  QCoreApplication::processEvents();
  EXPECT_EQ(view.verticalScrollBar()->value(), 65009 - rows);

  // A new report starts at the top again.
  Open(ZUNKARO_FIXTURES "/worked-example.log");
  QCoreApplication::processEvents();
  EXPECT_EQ(view.verticalScrollBar()->value(), 0);
  EXPECT_EQ(view.verticalScrollBar()->maximum(), 0);
}

}  // namespace
}  // namespace zunkaro::testing
