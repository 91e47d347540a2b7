// The report as a file: every line's Shift-JIS bytes unchanged, each one,
// the last included, followed by CR LF; no byte-order mark, nothing after the
// last line end. The window's save and the command's --sjis both write it.
#pragma once

#include <string_view>

#include "io/byte_sink.hpp"
#include "tally/line_list.hpp"

namespace zunkaro::io {

inline constexpr std::string_view kReportLineEnd = "\r\n";

class ReportFile final : public LineList {
 public:
  explicit ReportFile(ByteSink& sink) noexcept : sink_(sink) {}
  void Add(std::string_view sjisLine) override {
    sink_.Write(sjisLine);
    sink_.Write(kReportLineEnd);
  }

 private:
  ByteSink& sink_;
};

}  // namespace zunkaro::io
