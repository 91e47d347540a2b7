// Where a report goes: a list that takes one line at a time, in order. The
// window's report view is one; the command's output another.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zunkaro {

class LineList {
 public:
  virtual ~LineList() = default;
  // Appends one line of Shift-JIS bytes, without a line end.
  virtual void Add(std::string_view line) = 0;
};

// A line list held in memory.
class StringLines final : public LineList {
 public:
  void Add(std::string_view line) override { lines_.emplace_back(line); }
  [[nodiscard]] const std::vector<std::string>& lines() const noexcept { return lines_; }

 private:
  std::vector<std::string> lines_;
};

}  // namespace zunkaro
