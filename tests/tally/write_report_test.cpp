#include "tally/write_report.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/log_builder.hpp"
#include "support/state_builder.hpp"

namespace zunkaro {
namespace {

using testing::AddUser;
using testing::NewState;
using testing::Sjis;

std::vector<std::string> Report(const AnalysisState& state) {
  StringLines lines;
  WriteReport(state, lines);
  return lines.lines();
}

std::vector<std::string> Utf8Lines(const std::vector<std::string>& sjis) {
  std::vector<std::string> lines;
  for (const std::string& line : sjis) lines.push_back(testing::Utf8(line));
  return lines;
}

const std::string kHead[] = {
    "《発言文字数・発言数・平均文字数》",
    "==========================================================================",
    "順位  User-ID   ハンドル          発言文字数       発言数       平均文字数",
    "--------------------------------------------------------------------------"};

TEST(WriteReportTest, OneUserWithoutSysopDeletions) {
  auto state = NewState();
  UserTally& user = AddUser(*state, "ABC00001", 2, 7, 3);
  user.Handle = {};
  std::copy_n("Taro            ", 16, user.Handle.begin());
  user.PostRank = 1;
  user.AverageRank = 1;
  state->PostTotal = 2;
  state->CharTotal = 7;
  state->LongestMessage.Number = 5;
  state->LongestMessage.Year = 97;
  state->LongestMessage.Month = 3;
  state->LongestMessage.Day = 1;
  state->LongestMessage.Hour = 9;
  state->LongestMessage.Minute = 0;
  state->LongestMessage.UserId = user.UserId;
  state->LongestMessage.Handle = user.Handle;
  state->LongestMessage.CharCount = 5;

  const auto lines = Utf8Lines(Report(*state));
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 4),
            std::vector<std::string>(std::begin(kHead), std::end(kHead)));
  EXPECT_EQ(lines[4], "  1.  ABC00001  Taro                       7       2(  1)           3(  1)");
  EXPECT_EQ(lines[4].size(), 74u);
  EXPECT_EQ(lines[5], "--------------------------------------------------------------------------");
  EXPECT_EQ(lines[6], "合計      1 人                             7       2                3");
  EXPECT_EQ(lines[8], "最高文字数発言 #00005 97/03/01 09:00 ABC00001 Taro                  5 文字");
}

TEST(WriteReportTest, EqualCountsShareTheirRank) {
  auto state = NewState();
  for (const auto& [id, chars] : {std::pair{"A0000001", 50}, {"A0000002", 50}, {"A0000003", 20},
                                  {"A0000004", 10}, {"A0000005", 10}}) {
    AddUser(*state, id, 1, chars, chars);
  }
  state->PostTotal = 5;
  const auto lines = Report(*state);
  std::vector<std::string> ranks;
  for (std::size_t i = 4; i < 9; ++i) ranks.push_back(lines[i].substr(0, 4));
  EXPECT_EQ(ranks, (std::vector<std::string>{"  1.", "  1.", "  3.", "  4.", "  4."}));
}

TEST(WriteReportTest, WideValuesPushTheLineRight) {
  auto state = NewState();
  for (int i = 0; i < 1000; ++i) {
    AddUser(*state, std::string("U").append(std::to_string(1000000 + i)), 1, 1'000'000'000 - i, 0);
  }
  state->PostTotal = 1000;
  state->CharTotal = 999'999'999'500LL;
  state->SysopDeletedCount = 1234;
  state->LongestMessage.Number = 123456;
  const auto lines = Report(*state);
  // The 1000th user: a four-column rank and a ten-digit count, nothing cut.
  EXPECT_EQ(lines[4 + 999], "1000.  U1000999                      999999001       1(  0)           0(  0)");
  EXPECT_EQ(lines[4 + 1000], "      ********  SYSOP" + Sjis("削除") + "                  -     1234                -");
  EXPECT_EQ(testing::Utf8(lines[4 + 1002]),
            "合計    1000 人                      999999999500     1000         999999999");
  EXPECT_TRUE(testing::Utf8(lines[4 + 1004]).starts_with("最高文字数発言 #123456 00/"));
}

TEST(WriteReportTest, LongestMessagePadsUserIdNotAndHandleLeft) {
  auto state = NewState();
  AddUser(*state, "ABC00001", 1, 0, 0);
  state->PostTotal = 1;
  state->LongestMessage.Number = 7;
  state->LongestMessage.Year = 5;
  std::copy_n("AB", 2, state->LongestMessage.UserId.begin());
  std::copy_n("Kappa", 5, state->LongestMessage.Handle.begin());
  const auto lines = Report(*state);
  EXPECT_EQ(testing::Utf8(lines[8]),
            "最高文字数発言 #00007 05/00/00 00:00 AB            Kappa      0 文字");
}

TEST(WriteReportTest, RunWithoutUsers) {
  auto state = NewState();
  state->SysopDeletedCount = 2;
  state->PostTotal = 2;
  auto lines = Utf8Lines(Report(*state));
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[4], "      ********  SYSOP削除                  -       2                -");
  EXPECT_EQ(lines[6], "合計      0 人                             0       2                0");
  EXPECT_EQ(lines[8], "最高文字数発言 #00000 00/00/00 00:00                        0 文字");

  // Nothing posted at all: the average is 0, not a division by zero.
  state->SysopDeletedCount = 0;
  state->PostTotal = 0;
  lines = Utf8Lines(Report(*state));
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[5], "合計      0 人                             0       0                0");
}

}  // namespace
}  // namespace zunkaro
