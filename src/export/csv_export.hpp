// CSV as RFC 4180 has it, in UTF-8 with CR LF row ends: a header row, then
// one row per user (or per message) of every log.
#pragma once

#include <string>
#include <string_view>

#include "export/result_view.hpp"

namespace zunkaro {

// One field. Quoted, its quotes doubled, when it holds a comma, a quote, a
// CR or an LF, and also when it begins with a character a spreadsheet takes
// for a formula (= + - @), a tab, or a space, so that a spreadsheet that reads
// quoted fields as text keeps it as text. The field's own bytes never change,
// so every CSV reader gets them back exactly.
[[nodiscard]] std::string CsvField(std::string_view utf8);

// "log,rank,user_id,handle,chars,posts,post_rank,average,average_rank" CR LF.
[[nodiscard]] std::string_view CsvHeader() noexcept;
// One row per user, in report order.
[[nodiscard]] std::string CsvRows(const ResultView& view);

// "log,line,number,user_id,handle,year,month,day,hour,minute,chars,status" CR LF.
[[nodiscard]] std::string_view MessageCsvHeader() noexcept;
// One row per message, in log order.
[[nodiscard]] std::string MessageCsvRows(const ResultView& view);

}  // namespace zunkaro
