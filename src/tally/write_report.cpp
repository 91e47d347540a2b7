#include "tally/write_report.hpp"

#include <array>
#include <cstdio>
#include <stdexcept>
#include <string_view>

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

// No line the formats below make from 64-bit values comes near this.
using LineBuffer = std::array<char, 256>;

// Appends the line that snprintf made, `length` bytes long.
void AddFormatted(LineList& lines, const LineBuffer& line, int length) {
  if (length < 0 || static_cast<std::size_t>(length) >= line.size()) {
    throw std::length_error("report line too long");
  }
  lines.Add({line.data(), static_cast<std::size_t>(length)});
}

}  // namespace

void WriteReport(const AnalysisState& state, LineList& lines) {
  LineBuffer line{};
  lines.Add(kTitle);
  lines.Add(kDoubleRule);
  lines.Add(kHeading);
  lines.Add(kSingleRule);

  std::int32_t charRank = 1;
  std::int64_t rankValue = 0;
  for (std::int32_t i = 0; i < state.UserCount; ++i) {
    const UserTally& user = *state.Users[static_cast<std::size_t>(i)];
    if (i == 0 || user.CharCount < rankValue) {
      // The first user, or a lower count: the rank is the 1-based position.
      charRank = i + 1;
      rankValue = user.CharCount;
    }
    const int length = std::snprintf(
        line.data(), line.size(), "%3d.  %8s  %-16s    %8lld     %3d(%3d)    %8lld(%3d)", charRank,
        user.UserId.data(), user.Handle.data(), static_cast<long long>(user.CharCount),
        user.PostCount, user.PostRank, static_cast<long long>(user.AverageChars), user.AverageRank);
    AddFormatted(lines, line, length);
  }

  if (state.SysopDeletedCount != 0) {
    // "      ********  SYSOP削除                  -     %3d                -"
    const int length = std::snprintf(
        line.data(), line.size(),
        "      ********  SYSOP\x8d\xed\x8f\x9c                  -     %3d                -",
        state.SysopDeletedCount);
    AddFormatted(lines, line, length);
  }
  lines.Add(kSingleRule);

  {
    // SYSOP deletions count as posts without characters; nothing posted gives 0.
    const std::int64_t average = state.PostTotal == 0 ? 0 : state.CharTotal / state.PostTotal;
    // "合計    %3d 人                      %8ld     %3d         %8ld"
    const int length = std::snprintf(
        line.data(), line.size(),
        "\x8d\x87\x8c\x76    %3d \x90\x6c                      %8lld     %3d         %8lld",
        state.UserCount, static_cast<long long>(state.CharTotal), state.PostTotal,
        static_cast<long long>(average));
    AddFormatted(lines, line, length);
  }
  lines.Add(kDoubleRule);

  {
    const MessageRecord& m = state.LongestMessage;
    // "最高文字数発言 #%05u %02d/%02d/%02d %02d:%02d %s %16s %6ld 文字"
    const int length = std::snprintf(
        line.data(), line.size(),
        "\x8d\xc5\x8d\x82\x95\xb6\x8e\x9a\x90\x94\x94\xad\x8c\xbe "
        "#%05u %02d/%02d/%02d %02d:%02d %s %16s %6lld \x95\xb6\x8e\x9a",
        static_cast<unsigned>(m.Number), m.Year, m.Month, m.Day, m.Hour, m.Minute,
        m.UserId.data(), m.Handle.data(), static_cast<long long>(m.CharCount));
    AddFormatted(lines, line, length);
  }
  lines.Add(kDoubleRule);
}

}  // namespace zunkaro
