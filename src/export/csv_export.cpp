#include "export/csv_export.hpp"

#include <initializer_list>

#include "encoding/shift_jis.hpp"
#include "export/utf8.hpp"

namespace zunkaro {
namespace {

constexpr std::string_view kRowEnd = "\r\n";
// What makes a field need quotes anywhere in it.
constexpr std::string_view kSpecial = ",\"\r\n";
// What makes a field need quotes at its start: a formula to a spreadsheet,
// or blank space a reader might trim.
constexpr std::string_view kFormulaStart = "=+-@\t ";

// A row of fields already made.
[[nodiscard]] std::string Row(std::initializer_list<std::string> fields) {
  std::string row;
  bool first = true;
  for (const std::string& field : fields) {
    if (!first) row += ',';
    row += field;
    first = false;
  }
  row += kRowEnd;
  return row;
}

[[nodiscard]] std::string Number(std::int64_t value) { return std::to_string(value); }

}  // namespace

std::string CsvField(std::string_view utf8) {
  const bool quote = utf8.find_first_of(kSpecial) != std::string_view::npos ||
                     (!utf8.empty() && kFormulaStart.find(utf8.front()) != std::string_view::npos);
  if (!quote) {
    return std::string(utf8);
  }
  std::string field = "\"";
  for (const char c : utf8) {
    if (c == '"') field += '"';  // a quote inside is doubled
    field += c;
  }
  field += '"';
  return field;
}

std::string_view CsvHeader() noexcept {
  return "log,rank,user_id,handle,chars,posts,post_rank,average,average_rank\r\n";
}

std::string CsvRows(const ResultView& view) {
  ShiftJisDecoder decoder;
  const std::string log = CsvField(ValidUtf8(view.Log));
  std::string rows;
  for (const UserRow& user : view.Users) {
    rows += Row({log, Number(user.Rank), CsvField(decoder.ToUtf8(user.UserId)),
                 CsvField(decoder.ToUtf8(user.Handle)), Number(user.Chars), Number(user.Posts),
                 Number(user.PostRank), Number(user.Average), Number(user.AverageRank)});
  }
  return rows;
}

std::string_view MessageCsvHeader() noexcept {
  return "log,line,number,user_id,handle,year,month,day,hour,minute,chars,status\r\n";
}

std::string MessageCsvRows(const ResultView& view) {
  ShiftJisDecoder decoder;
  const std::string log = CsvField(ValidUtf8(view.Log));
  std::string rows;
  for (const MessageRow& m : view.Messages) {
    rows += Row({log, Number(m.Line), Number(m.Number), CsvField(decoder.ToUtf8(m.UserId)),
                 CsvField(decoder.ToUtf8(m.Handle)), Number(m.Year), Number(m.Month),
                 Number(m.Day), Number(m.Hour), Number(m.Minute), Number(m.Chars),
                 std::string(StatusName(m.Status))});
  }
  return rows;
}

}  // namespace zunkaro
