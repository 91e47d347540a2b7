#include "tally/rank_users.hpp"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "reference/literal_analysis.hpp"
#include "support/case_name.hpp"
#include "support/state_builder.hpp"

namespace zunkaro {
namespace {

using testing::AddUser;
using testing::NewState;

std::vector<std::string> Ids(const AnalysisState& state) {
  std::vector<std::string> ids;
  for (std::size_t k = 0; k < static_cast<std::size_t>(state.UserCount); ++k) {
    ids.emplace_back(state.Users[k]->UserId.data());
  }
  return ids;
}

template <typename Field>
std::vector<std::int64_t> Column(const AnalysisState& state, Field field) {
  std::vector<std::int64_t> values;
  for (std::size_t k = 0; k < static_cast<std::size_t>(state.UserCount); ++k) {
    values.push_back(state.Users[k]->*field);
  }
  return values;
}

// The five users of the worked example, as the tally leaves them.
std::unique_ptr<AnalysisState> WorkedExample() {
  auto state = NewState();
  AddUser(*state, "ABC00001", 2, 300, 150);
  AddUser(*state, "DEF00002", 2, 240, 120);
  AddUser(*state, "GHI00003", 4, 480, 120);
  AddUser(*state, "JKL00004", 1, 300, 300);
  AddUser(*state, "MNO00005", 2, 300, 150);
  return state;
}

TEST(RankUsersTest, WorkedExampleStepByStep) {
  auto state = WorkedExample();
  SortUsersBy(state->Users, state->UserCount, SortKey::PostCount);
  AssignRanks(state->Users, state->UserCount, SortKey::PostCount, &UserTally::PostRank);
  EXPECT_EQ(Ids(*state), (std::vector<std::string>{"GHI00003", "DEF00002", "ABC00001",
                                                   "MNO00005", "JKL00004"}));
  EXPECT_EQ(Column(*state, &UserTally::PostRank), (std::vector<std::int64_t>{1, 2, 2, 2, 5}));

  SortUsersBy(state->Users, state->UserCount, SortKey::AverageChars);
  AssignRanks(state->Users, state->UserCount, SortKey::AverageChars, &UserTally::AverageRank);
  EXPECT_EQ(Ids(*state), (std::vector<std::string>{"JKL00004", "MNO00005", "ABC00001",
                                                   "DEF00002", "GHI00003"}));
  EXPECT_EQ(Column(*state, &UserTally::AverageRank), (std::vector<std::int64_t>{1, 2, 2, 4, 4}));

  SortUsersBy(state->Users, state->UserCount, SortKey::CharCount);
  EXPECT_EQ(Ids(*state), (std::vector<std::string>{"GHI00003", "MNO00005", "ABC00001",
                                                   "JKL00004", "DEF00002"}));
  // The ranks travel with their records.
  EXPECT_EQ(Column(*state, &UserTally::PostRank), (std::vector<std::int64_t>{1, 2, 2, 5, 2}));
  EXPECT_EQ(Column(*state, &UserTally::AverageRank), (std::vector<std::int64_t>{4, 2, 2, 1, 4}));
}

TEST(RankUsersTest, WorkedExampleAsLiterallyExchanged) {
  auto fast = WorkedExample();
  auto literal = WorkedExample();
  RankUsers(*fast);
  reference::RankUsers(*literal);
  EXPECT_EQ(Ids(*fast), Ids(*literal));
}

struct RankCase {
  const char* Name;
  friend void PrintTo(const RankCase& c, std::ostream* os) { *os << c.Name; }
  std::vector<std::int32_t> Posts;  // already in descending order
  std::vector<std::int64_t> Ranks;
};

class AssignRanksTest : public ::testing::TestWithParam<RankCase> {};

TEST_P(AssignRanksTest, GivesCompetitionRanks) {
  auto state = NewState();
  for (std::size_t i = 0; i < GetParam().Posts.size(); ++i) {
    AddUser(*state, std::string("U").append(std::to_string(i)), GetParam().Posts[i], 0, 0);
  }
  RankUsers(*state);
  EXPECT_EQ(Column(*state, &UserTally::PostRank), GetParam().Ranks);
}

INSTANTIATE_TEST_SUITE_P(Keys, AssignRanksTest,
                         ::testing::Values(RankCase{"One", {3}, {1}},
                                           RankCase{"AllEqual", {2, 2, 2}, {1, 1, 1}},
                                           RankCase{"TiesOnTop", {5, 5, 5, 1}, {1, 1, 1, 4}},
                                           RankCase{"TiesInside", {9, 7, 7, 5}, {1, 2, 2, 4}}),
                         testing::CaseName{});

// The fast ordering is the exchange procedure's, on many random tables: tie
// heavy ones where keys take a few values, and ones of wide keys.
TEST(SortUsersByTest, OrdersAsTheExchangeProcedure) {
  std::mt19937 random(20261211);
  for (int round = 0; round < 600; ++round) {
    const int n = std::uniform_int_distribution<int>(0, round < 100 ? 12 : 300)(random);
    const int spread = std::vector<int>{1, 2, 3, 5, 10, 1000}[static_cast<std::size_t>(round % 6)];
    std::uniform_int_distribution<int> value(0, spread);
    auto fast = NewState();
    auto literal = NewState();
    for (int i = 0; i < n; ++i) {
      const int posts = 1 + value(random);
      const std::int64_t chars = value(random) * 7;
      const std::string id = std::string("U").append(std::to_string(i));
      AddUser(*fast, id, posts, chars, chars / posts);
      AddUser(*literal, id, posts, chars, chars / posts);
    }
    RankUsers(*fast);
    reference::RankUsers(*literal);
    ASSERT_EQ(Ids(*fast), Ids(*literal)) << "round " << round << ", " << n << " users";
    for (std::size_t k = 0; k < static_cast<std::size_t>(n); ++k) {
      ASSERT_EQ(*fast->Users[k], *literal->Users[k]) << "round " << round << ", slot " << k;
    }
  }
}

}  // namespace
}  // namespace zunkaro
