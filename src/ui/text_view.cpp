#include "ui/text_view.hpp"

#include <QClipboard>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <limits>

#include "io/file_replacement.hpp"
#include "io/output_error.hpp"
#include "io/report_file.hpp"
#include "ui/error.hpp"
#include "ui/text.hpp"

namespace zunkaro::ui {
namespace {

constexpr int kMargin = 2;  // pixels between the frame and the text
constexpr char32_t kReplacementMark = 0xFFFD;
constexpr char32_t kAsciiEnd = 0x80;
constexpr char32_t kHalfWidthKanaFirst = 0xFF61;
constexpr char32_t kHalfWidthKanaLast = 0xFF9F;

// The cells a decoded character takes. The decoder gives one character for
// each single byte (ASCII, half-width katakana, a mark for a byte that is no
// character) and one for each double-byte character, which is full width.
[[nodiscard]] constexpr std::size_t CellsOf(char32_t code) noexcept {
  const bool single = code < kAsciiEnd || code == kReplacementMark ||
                      (code >= kHalfWidthKanaFirst && code <= kHalfWidthKanaLast);
  return single ? 1 : 2;
}

[[nodiscard]] int Clamped(std::size_t value) noexcept {
  return static_cast<int>(std::min<std::size_t>(value, std::numeric_limits<int>::max()));
}

// "ﾌｧｲﾙ %s を作成できません"
constexpr std::string_view kCreateError =
    "\xcc\xa7\xb2\xd9 %s \x82\xf0\x8d\xec\x90\xac\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1";
// "ｽﾄﾘｰﾑへの書き込みｴﾗｰ"
constexpr std::string_view kWriteError =
    "\xbd\xc4\xd8\xb0\xd1\x82\xd6\x82\xcc\x8f\x91\x82\xab\x8d\x9e\x82\xdd\xb4\xd7\xb0";

// The window's words for a save that failed, the file named as the user
// chose it: "ﾌｧｲﾙ PATH を作成できません: reason" or
// "ｽﾄﾘｰﾑへの書き込みｴﾗｰ: PATH: reason".
[[nodiscard]] std::string SaveErrorText(const io::OutputError& error) {
  if (error.step() == io::OutputError::Step::kCreate) {
    std::string message = Utf8FromShiftJis(kCreateError);
    message.replace(message.find("%s"), 2, error.name());
    return message + ": " + error.reason();
  }
  return Utf8FromShiftJis(kWriteError) + ": " + error.what();
}

}  // namespace

void TextLines::Add(std::string_view sjisLine) {
  bytes_ += sjisLine;
  ends_.push_back(bytes_.size());
  widest_ = std::max(widest_, sjisLine.size());
  view_.LinesChanged();
}

void TextLines::Clear() noexcept {
  bytes_.clear();
  ends_.clear();
  widest_ = 0;
  view_.LinesCleared();
}

std::string_view TextLines::Line(std::size_t index) const noexcept {
  const std::size_t begin = index == 0 ? 0 : ends_[index - 1];
  return std::string_view(bytes_).substr(begin, ends_[index] - begin);
}

void TextLines::SaveToFile(const std::filesystem::path& path) const {
  try {
    io::FileReplacement file(path);
    io::ReportFile report(file);
    for (std::size_t i = 0; i < Count(); ++i) {
      report.Add(Line(i));
    }
    file.Commit();
  } catch (const io::OutputError& error) {
    throw Error(SaveErrorText(error));
  }
}

std::vector<Glyph> LayOut(std::string_view sjisLine) {
  std::vector<Glyph> glyphs;
  glyphs.reserve(sjisLine.size());
  const QString text = FromShiftJis(sjisLine);
  std::size_t column = 0;
  for (const char32_t code : text.toUcs4()) {
    const std::size_t width = CellsOf(code);
    glyphs.push_back(Glyph{column, code, width});
    column += width;
  }
  return glyphs;
}

TextView::TextView(QWidget* parent) : QAbstractScrollArea(parent), lines_(*this) {
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_InputMethodEnabled, false);  // nothing to type into
  viewport()->setCursor(Qt::IBeamCursor);
  viewport()->setBackgroundRole(QPalette::Base);
  UpdateMetrics();
}

TextView::~TextView() = default;

void TextView::SetTextColor(const QColor& color) {
  QPalette colors = palette();
  colors.setColor(QPalette::Text, color);
  setPalette(colors);
}

void TextView::LinesChanged() {
  if (!refreshPending_) {
    // One refresh for a whole report, however many lines it has.
    refreshPending_ = true;
    QMetaObject::invokeMethod(this, &TextView::Refresh, Qt::QueuedConnection);
  }
}

void TextView::LinesCleared() {
  anchor_ = end_ = TextPosition{};
  verticalScrollBar()->setValue(0);
  horizontalScrollBar()->setValue(0);
  LinesChanged();
}

void TextView::Refresh() {
  refreshPending_ = false;
  UpdateScrollBars();
  viewport()->update();
}

void TextView::UpdateMetrics() {
  const QFontMetrics metrics(font());
  cellWidth_ = std::max(1, metrics.horizontalAdvance(QLatin1Char('0')));
  lineHeight_ = std::max(1, metrics.lineSpacing());
  ascent_ = metrics.ascent();
}

int TextView::VisibleRows() const noexcept {
  return std::max(1, (viewport()->height() - kMargin) / lineHeight_);
}

void TextView::UpdateScrollBars() {
  const int rows = VisibleRows();
  QScrollBar* vertical = verticalScrollBar();
  vertical->setRange(0, std::max(0, Clamped(lines_.Count()) - rows));
  vertical->setPageStep(rows);
  vertical->setSingleStep(1);

  const int width = Clamped(lines_.Widest()) * cellWidth_ + 2 * kMargin;
  QScrollBar* horizontal = horizontalScrollBar();
  horizontal->setRange(0, std::max(0, width - viewport()->width()));
  horizontal->setPageStep(viewport()->width());
  horizontal->setSingleStep(cellWidth_);
}

void TextView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBars();
}

void TextView::changeEvent(QEvent* event) {
  QAbstractScrollArea::changeEvent(event);
  if (event->type() == QEvent::FontChange) {
    UpdateMetrics();
    Refresh();
  }
}

void TextView::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(viewport());
  painter.setFont(font());
  const QPalette& colors = palette();
  const int left = kMargin - horizontalScrollBar()->value();
  const int width = viewport()->width();
  const std::size_t first = static_cast<std::size_t>(verticalScrollBar()->value());
  const std::size_t rows = static_cast<std::size_t>(VisibleRows()) + 1;
  const TextPosition from = std::min(anchor_, end_);
  const TextPosition to = std::max(anchor_, end_);

  for (std::size_t row = 0; row < rows && first + row < lines_.Count(); ++row) {
    const std::size_t line = first + row;
    const int top = kMargin + static_cast<int>(row) * lineHeight_;
    const std::string_view bytes = lines_.Line(line);

    // The selected cells of this line; a line wholly inside the selection
    // shows one cell more for its line end.
    std::size_t selectedBegin = 0;
    std::size_t selectedEnd = 0;
    if (from != to && line >= from.Line && line <= to.Line) {
      selectedBegin = line == from.Line ? from.Column : 0;
      selectedEnd = line == to.Line ? to.Column : bytes.size() + 1;
      painter.fillRect(left + Clamped(selectedBegin) * cellWidth_, top,
                       Clamped(selectedEnd - selectedBegin) * cellWidth_, lineHeight_,
                       colors.brush(QPalette::Highlight));
    }

    for (const Glyph& glyph : LayOut(bytes)) {
      const int x = left + Clamped(glyph.Column) * cellWidth_;
      if (x >= width) {
        break;
      }
      if (glyph.Code == U' ' || x + Clamped(glyph.Width) * cellWidth_ <= 0) {
        continue;
      }
      const bool selected = glyph.Column >= selectedBegin && glyph.Column < selectedEnd;
      painter.setPen(colors.color(selected ? QPalette::HighlightedText : QPalette::Text));
      painter.drawText(QPoint(x, top + ascent_), QString::fromUcs4(&glyph.Code, 1));
    }
  }
}

QPoint TextView::PointOf(TextPosition position) const {
  const int row = Clamped(position.Line) - verticalScrollBar()->value();
  return QPoint(kMargin - horizontalScrollBar()->value() + Clamped(position.Column) * cellWidth_,
                kMargin + row * lineHeight_);
}

TextPosition TextView::PositionAt(const QPoint& point) const {
  if (lines_.Count() == 0) {
    return {};
  }
  const int row = std::max(0, (point.y() - kMargin) / lineHeight_);
  const std::size_t line = std::min(
      static_cast<std::size_t>(verticalScrollBar()->value()) + static_cast<std::size_t>(row),
      lines_.Count() - 1);
  const int x = point.x() - kMargin + horizontalScrollBar()->value();
  const std::size_t cell = static_cast<std::size_t>(std::max(0, (x + cellWidth_ / 2) / cellWidth_));
  // The nearest place between two characters at or before the cell.
  std::size_t column = 0;
  for (const Glyph& glyph : LayOut(lines_.Line(line))) {
    if (glyph.Column > cell) {
      break;
    }
    column = glyph.Column;
  }
  if (cell >= lines_.Line(line).size()) {
    column = lines_.Line(line).size();
  }
  return TextPosition{line, column};
}

void TextView::Select(TextPosition anchor, TextPosition end) {
  anchor_ = anchor;
  end_ = end;
  viewport()->update();
}

void TextView::SelectAll() {
  if (lines_.Count() == 0) {
    return;
  }
  const std::size_t last = lines_.Count() - 1;
  Select(TextPosition{}, TextPosition{last, lines_.Line(last).size()});
}

QString TextView::SelectedText() const {
  const TextPosition from = std::min(anchor_, end_);
  const TextPosition to = std::max(anchor_, end_);
  QString text;
  if (from == to) {
    return text;
  }
  for (std::size_t line = from.Line; line <= to.Line && line < lines_.Count(); ++line) {
    const std::string_view bytes = lines_.Line(line);
    const std::size_t begin = std::min(line == from.Line ? from.Column : 0, bytes.size());
    const std::size_t end = std::min(line == to.Line ? to.Column : bytes.size(), bytes.size());
    if (line != from.Line) {
      text += QLatin1Char('\n');
    }
    text += FromShiftJis(bytes.substr(begin, end - begin));
  }
  return text;
}

void TextView::Copy() const {
  const QString text = SelectedText();
  if (!text.isEmpty()) {
    QGuiApplication::clipboard()->setText(text);
  }
}

void TextView::keyPressEvent(QKeyEvent* event) {
  if (event == QKeySequence::Copy) {
    Copy();
  } else if (event == QKeySequence::SelectAll) {
    SelectAll();
  } else if (event == QKeySequence::MoveToStartOfDocument) {
    verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
  } else if (event == QKeySequence::MoveToEndOfDocument) {
    verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
  } else if (event == QKeySequence::MoveToStartOfLine) {
    horizontalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
  } else if (event == QKeySequence::MoveToEndOfLine) {
    horizontalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
  } else {
    QAbstractScrollArea::keyPressEvent(event);
  }
}

void TextView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QAbstractScrollArea::mousePressEvent(event);
    return;
  }
  const TextPosition at = PositionAt(event->position().toPoint());
  Select((event->modifiers() & Qt::ShiftModifier) ? anchor_ : at, at);
}

void TextView::mouseMoveEvent(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton)) {
    QAbstractScrollArea::mouseMoveEvent(event);
    return;
  }
  Select(anchor_, PositionAt(event->position().toPoint()));
}

}  // namespace zunkaro::ui
