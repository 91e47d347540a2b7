#include "tally/write_report.hpp"

#include <array>
#include <cstring>
#include <string_view>

#include "tally/char_rank.hpp"
#include "tally/line_format.hpp"

namespace zunkaro {
namespace {

// The fixed lines, in Shift-JIS.
// 《発言文字数・発言数・平均文字数》
constexpr std::string_view kTitle =
    "\x81\x73\x94\xad\x8c\xbe\x95\xb6\x8e\x9a\x90\x94\x81\x45\x94\xad\x8c\xbe\x90\x94"
    "\x81\x45\x95\xbd\x8b\xcf\x95\xb6\x8e\x9a\x90\x94\x81\x74";
constexpr std::string_view kDoubleRule =
    "==========================================================================";
constexpr std::string_view kSingleRule =
    "--------------------------------------------------------------------------";
// 順位  User-ID   ハンドル          発言文字数       発言数       平均文字数
constexpr std::string_view kHeading =
    "\x8f\x87\x88\xca  User-ID   \x83\x6e\x83\x93\x83\x68\x83\x8b          "
    "\x94\xad\x8c\xbe\x95\xb6\x8e\x9a\x90\x94       \x94\xad\x8c\xbe\x90\x94       "
    "\x95\xbd\x8b\xcf\x95\xb6\x8e\x9a\x90\x94";

// A fixed-size text field up to its NUL.
template <std::size_t N>
[[nodiscard]] std::string_view Field(const std::array<char, N>& text) noexcept {
  const void* nul = std::memchr(text.data(), '\0', N);
  return {text.data(), nul == nullptr ? N : static_cast<std::size_t>(static_cast<const char*>(nul) -
                                                                       text.data())};
}

// "SYSOP削除"
constexpr std::string_view kSysopDeleted = "SYSOP\x8d\xed\x8f\x9c";
// "合計"
constexpr std::string_view kTotal = "\x8d\x87\x8c\x76";
// "人"
constexpr std::string_view kPeople = "\x90\x6c";
// "最高文字数発言"
constexpr std::string_view kLongest = "\x8d\xc5\x8d\x82\x95\xb6\x8e\x9a\x90\x94\x94\xad\x8c\xbe";
// "文字"
constexpr std::string_view kCharacters = "\x95\xb6\x8e\x9a";

}  // namespace

void WriteReport(const AnalysisState& state, LineList& lines) {
  const auto slots = std::span<UserTally* const>(state.Users.Slots().data(),
                                                 static_cast<std::size_t>(state.UserCount));
  WriteReport(ReportSource{slots, state.SysopDeletedCount, state.PostTotal, state.CharTotal,
                           &state.LongestMessage},
              lines);
}

void WriteReport(const ReportSource& state, LineList& lines) {
  LineFormat line;
  const auto add = [&lines, &line] {
    lines.Add(line.View());
    line.Clear();
  };
  lines.Add(kTitle);
  lines.Add(kDoubleRule);
  lines.Add(kHeading);
  lines.Add(kSingleRule);

  // Users, most characters first: "%3d.  %8s  %-16s    %8ld     %3d(%3d)    %8d(%3d)".
  CharRanking ranking;
  for (const UserTally* const slot : state.Users) {
    const UserTally& user = *slot;
    line.Number(ranking.Next(user.CharCount), 3).Text(".  ").Right(Field(user.UserId), 8).Text("  ");
    line.Left(Field(user.Handle), 16).Text("    ").Number(user.CharCount, 8).Text("     ");
    line.Number(user.PostCount, 3).Text("(").Number(user.PostRank, 3).Text(")    ");
    line.Number(user.AverageChars, 8).Text("(").Number(user.AverageRank, 3).Text(")");
    add();
  }

  if (state.SysopDeletedCount != 0) {
    // "      ********  SYSOP削除                  -     %3d                -"
    line.Text("      ********  ").Text(kSysopDeleted).Text("                  -     ");
    line.Number(state.SysopDeletedCount, 3).Text("                -");
    add();
  }
  lines.Add(kSingleRule);

  // "合計    %3d 人                      %8ld     %3d         %8ld". SYSOP
  // deletions count as posts without characters; nothing posted gives 0.
  const std::int64_t average = state.PostTotal == 0 ? 0 : state.CharTotal / state.PostTotal;
  line.Text(kTotal).Text("    ").Number(static_cast<std::int64_t>(state.Users.size()), 3).Text(" ").Text(kPeople);
  line.Text("                      ").Number(state.CharTotal, 8).Text("     ");
  line.Number(state.PostTotal, 3).Text("         ").Number(average, 8);
  add();
  lines.Add(kDoubleRule);

  // "最高文字数発言 #%05u %02d/%02d/%02d %02d:%02d %s %16s %6ld 文字"
  const MessageRecord& m = *state.LongestMessage;
  line.Text(kLongest).Text(" #").ZeroFilled(static_cast<std::uint32_t>(m.Number), 5).Text(" ");
  line.ZeroFilled(m.Year, 2).Text("/").ZeroFilled(m.Month, 2).Text("/").ZeroFilled(m.Day, 2);
  line.Text(" ").ZeroFilled(m.Hour, 2).Text(":").ZeroFilled(m.Minute, 2).Text(" ");
  line.Text(Field(m.UserId)).Text(" ").Right(Field(m.Handle), 16).Text(" ");
  line.Number(m.CharCount, 6).Text(" ").Text(kCharacters);
  add();
  lines.Add(kDoubleRule);
}

}  // namespace zunkaro
