#include "tally/tally_users.hpp"

#include <gtest/gtest.h>

#include <string>

#include "reference/literal_analysis.hpp"
#include "support/state_builder.hpp"

namespace zunkaro {
namespace {

using testing::AddMessage;
using testing::NewState;

const UserTally& User(const AnalysisState& state, std::size_t slot) { return *state.Users[slot]; }

TEST(TallyUsersTest, CountsUsersInOrderOfFirstOrdinaryMessage) {
  auto state = NewState();
  AddMessage(*state, "AAA00001", "X", 10);
  AddMessage(*state, "BBB00002", "B", 5, mfPosterDeleted);  // counted nowhere
  AddMessage(*state, "********", "", 40, mfSysopDeleted);    // a post without characters
  AddMessage(*state, "AAA00001", "Y", 3);
  AddMessage(*state, "BBB00002", "B2", 7);
  AddMessage(*state, "AAA00001", "Z", 1);
  AddMessage(*state, "ABC*****", "S", 2);  // partly starred: an ordinary User-ID
  TallyUsers(*state);

  ASSERT_EQ(state->UserCount, 3);
  EXPECT_STREQ(User(*state, 0).UserId.data(), "AAA00001");
  EXPECT_EQ(User(*state, 0).PostCount, 3);
  EXPECT_EQ(User(*state, 0).CharCount, 14);
  EXPECT_EQ(User(*state, 0).AverageChars, 4);
  EXPECT_EQ(std::string(User(*state, 0).Handle.data()), "Z               ");
  EXPECT_STREQ(User(*state, 1).UserId.data(), "BBB00002");
  EXPECT_EQ(User(*state, 1).PostCount, 1);
  EXPECT_EQ(std::string(User(*state, 1).Handle.data()), "B2              ");
  EXPECT_STREQ(User(*state, 2).UserId.data(), "ABC*****");

  EXPECT_EQ(state->SysopDeletedCount, 1);
  EXPECT_EQ(state->PostTotal, 6);
  EXPECT_EQ(state->CharTotal, 10 + 3 + 7 + 1 + 2);
  EXPECT_EQ(state->LongestMessage.Number, 1);
}

struct AverageCase {
  std::int64_t Chars[2];
  std::int64_t Average;
};

TEST(TallyUsersTest, AverageTruncates) {
  for (const AverageCase c : {AverageCase{{3, 4}, 3}, AverageCase{{1, 0}, 0}, AverageCase{{5, 5}, 5}}) {
    auto state = NewState();
    AddMessage(*state, "AAA00001", "", c.Chars[0]);
    AddMessage(*state, "AAA00001", "", c.Chars[1]);
    TallyUsers(*state);
    EXPECT_EQ(User(*state, 0).AverageChars, c.Average) << c.Chars[0] << " + " << c.Chars[1];
  }
}

TEST(TallyUsersTest, EarliestOfEqualLongestWins) {
  auto state = NewState();
  AddMessage(*state, "AAA00001", "", 5);
  AddMessage(*state, "BBB00002", "first", 9);
  AddMessage(*state, "CCC00003", "second", 9);
  AddMessage(*state, "********", "", 100, mfSysopDeleted);
  AddMessage(*state, "DDD00004", "", 200, mfPosterDeleted);
  TallyUsers(*state);
  EXPECT_EQ(state->LongestMessage, *state->Messages[1]);
}

TEST(TallyUsersTest, SecondRunForgetsTheFirst) {
  auto state = NewState();
  AddMessage(*state, "AAA00001", "old", 50);
  AddMessage(*state, "BBB00002", "old", 60);
  AddMessage(*state, "********", "", 0, mfSysopDeleted);
  TallyUsers(*state);

  // A second log: only empty messages, one of a User-ID met before.
  state->MessageCount = 0;
  state->Messages.Clear();
  AddMessage(*state, "BBB00002", "new", 0);
  TallyUsers(*state);
  EXPECT_EQ(state->UserCount, 1);
  EXPECT_EQ(User(*state, 0).PostCount, 1);
  EXPECT_EQ(User(*state, 0).CharCount, 0);
  EXPECT_EQ(state->SysopDeletedCount, 0);
  EXPECT_EQ(state->PostTotal, 1);
  EXPECT_EQ(state->CharTotal, 0);
  // No message has a character: the longest message is all zeros, not the
  // first log's.
  EXPECT_EQ(state->LongestMessage, MessageRecord{});
}

TEST(TallyUsersTest, OnlyDeletionsLeaveNoUser) {
  auto state = NewState();
  AddMessage(*state, "AAA00001", "", 5, mfPosterDeleted);
  AddMessage(*state, "********", "", 0, mfSysopDeleted);
  TallyUsers(*state);
  EXPECT_EQ(state->UserCount, 0);
  EXPECT_EQ(state->PostTotal, 1);
  EXPECT_EQ(state->SysopDeletedCount, 1);
}

TEST(TallyUsersTest, SumsDoNotOverflow32Bits) {
  auto state = NewState();
  constexpr std::int64_t kHuge = 3'000'000'000;
  AddMessage(*state, "AAA00001", "", kHuge);
  AddMessage(*state, "AAA00001", "", kHuge);
  TallyUsers(*state);
  EXPECT_EQ(User(*state, 0).CharCount, 2 * kHuge);
  EXPECT_EQ(User(*state, 0).AverageChars, kHuge);
  EXPECT_EQ(state->CharTotal, 2 * kHuge);
}

// The index finds the same users as the scan, on many User-IDs that share
// most of their bytes.
TEST(TallyUsersTest, MatchesLinearScan) {
  auto fast = NewState();
  auto literal = NewState();
  std::uint32_t seed = 12345;
  for (int i = 0; i < 5000; ++i) {
    seed = seed * 1103515245u + 12345u;
    const std::string id = "ABC" + std::to_string(10000 + (seed >> 8) % 1500);
    const auto chars = static_cast<std::int64_t>((seed >> 4) % 300);
    const MessageFlags flags = (seed >> 20) % 17 == 0 ? mfPosterDeleted : mfNone;
    for (AnalysisState* s : {fast.get(), literal.get()}) {
      AddMessage(*s, id, std::to_string(i), chars, flags);
    }
  }
  TallyUsers(*fast);
  reference::TallyUsers(*literal);
  ASSERT_EQ(fast->UserCount, literal->UserCount);
  for (std::size_t k = 0; k < static_cast<std::size_t>(fast->UserCount); ++k) {
    EXPECT_EQ(*fast->Users[k], *literal->Users[k]) << "slot " << k;
  }
  EXPECT_EQ(fast->LongestMessage, literal->LongestMessage);
  EXPECT_EQ(fast->PostTotal, literal->PostTotal);
  EXPECT_EQ(fast->CharTotal, literal->CharTotal);
}

}  // namespace
}  // namespace zunkaro
