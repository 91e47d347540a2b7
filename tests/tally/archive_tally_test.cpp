#include "tally/archive_tally.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "reference/literal_analysis.hpp"
#include "support/state_builder.hpp"
#include "tally/write_report.hpp"

namespace zunkaro {
namespace {

using testing::AddMessage;
using testing::NewState;

// The report of the messages of `state` as the literal analysis makes it.
std::vector<std::string> LiteralReport(AnalysisState& state) {
  reference::TallyUsers(state);
  reference::RankUsers(state);
  StringLines lines;
  WriteReport(state, lines);
  return lines.lines();
}

// The report of the same messages cut into parts at `cuts`, each part
// tallied on its own and the tallies appended in order.
std::vector<std::string> ArchiveReport(const AnalysisState& state,
                                       const std::vector<std::int32_t>& cuts) {
  ArchiveTally whole;
  std::int32_t from = 0;
  for (std::size_t c = 0; c <= cuts.size(); ++c) {
    const std::int32_t to = c < cuts.size() ? cuts[c] : state.MessageCount;
    ArchiveTally part;
    for (std::int32_t i = from; i < to; ++i) {
      part.Add(*state.Messages[static_cast<std::size_t>(i)]);
    }
    whole.Append(part);
    from = to;
  }
  EXPECT_EQ(whole.MessageCount(), state.MessageCount);
  whole.Rank();
  StringLines lines;
  whole.WriteReport(lines);
  return lines.lines();
}

// Across parts: users in order of first appearance, the latest handle, the
// earliest of the longest messages, deletions counted as in one log.
TEST(ArchiveTallyTest, PartsAddUpToTheWhole) {
  auto state = NewState();
  AddMessage(*state, "AAA00001", "First", 30);
  AddMessage(*state, "BBB00002", "B", 50).Number = 1;
  AddMessage(*state, "********", "", 70, mfSysopDeleted);
  AddMessage(*state, "CCC00003", "C", 5, mfPosterDeleted);
  AddMessage(*state, "CCC00003", "C2", 50).Number = 2;  // as long, later: not the longest
  AddMessage(*state, "AAA00001", "Last", 10);
  AddMessage(*state, "DDD00004", "D", 0);
  const std::vector<std::string> expected = LiteralReport(*state);
  for (std::int32_t a = 0; a <= state->MessageCount; ++a) {
    for (std::int32_t b = a; b <= state->MessageCount; ++b) {
      SCOPED_TRACE("cut at " + std::to_string(a) + " and " + std::to_string(b));
      EXPECT_EQ(ArchiveReport(*state, {a, b}), expected);
    }
  }
}

// Random messages, cut anywhere: the same report as one log.
TEST(ArchiveTallyTest, RandomCutsGiveTheReportOfOneLog) {
  std::mt19937 random(5);
  const std::vector<std::string> ids = {"AAA00001", "BBB00002", "CCC00003", "DDD00004",
                                        "********", "ABC*****", "EEE00005"};
  for (int round = 0; round < 200; ++round) {
    auto state = NewState();
    const int messages = std::uniform_int_distribution<int>(1, 60)(random);
    for (int m = 0; m < messages; ++m) {
      const std::string& id = ids[random() % ids.size()];
      const auto chars = static_cast<std::int64_t>(random() % 8);
      const MessageFlags flags = id == "********" ? mfSysopDeleted
                                 : random() % 6 == 0 ? mfPosterDeleted
                                                     : mfNone;
      AddMessage(*state, id, std::string(1, static_cast<char>('a' + m % 26)), chars, flags)
          .Number = m;
    }
    std::vector<std::int32_t> cuts;
    for (std::int32_t at = 0; at <= state->MessageCount; ++at) {
      if (random() % 5 == 0) {
        cuts.push_back(at);
      }
    }
    const std::vector<std::string> expected = LiteralReport(*state);
    ASSERT_EQ(ArchiveReport(*state, cuts), expected) << "round " << round;
  }
}

TEST(ArchiveTallyTest, CountingAfterTheRankingIsRefused) {
  ArchiveTally tally;
  MessageRecord m;
  std::memcpy(m.UserId.data(), "AAA00001", 8);
  m.CharCount = 1;
  tally.Add(m);
  tally.Rank();
  EXPECT_THROW(tally.Add(m), std::logic_error);
}

}  // namespace
}  // namespace zunkaro
