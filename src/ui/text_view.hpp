// The read-only report view: a list of Shift-JIS lines shown on a grid of
// half-width cells. A full-width character takes two cells, so the columns of
// a fixed-width text line up on screen as they do in the file. The lines stay
// Shift-JIS bytes; only the lines in sight are decoded, when they are drawn.
#pragma once

#include <QAbstractScrollArea>

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "tally/line_list.hpp"

namespace zunkaro::ui {

class TextView;

// The view's lines. Appending does not draw: the view takes in all that was
// appended at once, when the event loop next runs.
class TextLines final : public LineList {
 public:
  void Add(std::string_view sjisLine) override;
  void Clear() noexcept;

  [[nodiscard]] std::size_t Count() const noexcept { return ends_.size(); }
  [[nodiscard]] std::string_view Line(std::size_t index) const noexcept;
  // The longest line, in half-width cells: one for each byte.
  [[nodiscard]] std::size_t Widest() const noexcept { return widest_; }

  // Writes every line followed by CR LF, bytes unchanged, and replaces the
  // file at `path` only once all of it is written. Throws Error.
  void SaveToFile(const std::filesystem::path& path) const;

 private:
  friend class TextView;
  explicit TextLines(TextView& view) : view_(view) {}

  TextView& view_;
  std::string bytes_;               // every line, one after the other
  std::vector<std::size_t> ends_;   // where each line ends in bytes_
  std::size_t widest_ = 0;
};

// One character of a line as drawn: the cell it starts in, and how many
// cells it takes.
struct Glyph {
  std::size_t Column = 0;
  char32_t Code = 0;
  std::size_t Width = 1;

  friend bool operator==(const Glyph&, const Glyph&) = default;
};

// The characters of a Shift-JIS line on the cell grid. The cell of a
// character is its byte offset in the line: ASCII, half-width katakana and
// each replacement mark take one cell, a double-byte character two.
[[nodiscard]] std::vector<Glyph> LayOut(std::string_view sjisLine);

// A place between two characters: a line and a cell.
struct TextPosition {
  std::size_t Line = 0;
  std::size_t Column = 0;

  friend auto operator<=>(const TextPosition&, const TextPosition&) = default;
};

class TextView final : public QAbstractScrollArea {
 public:
  explicit TextView(QWidget* parent);
  ~TextView() override;
  TextView(const TextView&) = delete;
  TextView& operator=(const TextView&) = delete;

  [[nodiscard]] TextLines& Lines() noexcept { return lines_; }
  [[nodiscard]] const TextLines& Lines() const noexcept { return lines_; }

  // The colour of the text.
  void SetTextColor(const QColor& color);

  // The width of a half-width cell and the height of a line, in pixels.
  [[nodiscard]] int CellWidth() const noexcept { return cellWidth_; }
  [[nodiscard]] int LineHeight() const noexcept { return lineHeight_; }

  // The top-left corner of the cell at `position`, in the viewport.
  [[nodiscard]] QPoint PointOf(TextPosition position) const;

  // The user may select and copy, but not edit.
  void Select(TextPosition anchor, TextPosition end);
  void SelectAll();
  [[nodiscard]] QString SelectedText() const;
  void Copy() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  friend class TextLines;
  void LinesChanged();
  void LinesCleared();
  void Refresh();
  void UpdateMetrics();
  void UpdateScrollBars();
  [[nodiscard]] int VisibleRows() const noexcept;
  [[nodiscard]] TextPosition PositionAt(const QPoint& point) const;

  TextLines lines_;
  int cellWidth_ = 1;
  int lineHeight_ = 1;
  int ascent_ = 0;
  bool refreshPending_ = false;
  TextPosition anchor_;
  TextPosition end_;
};

}  // namespace zunkaro::ui
