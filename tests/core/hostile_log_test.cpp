// Logs at the limits and logs that are not logs: each gives a report, "Cannot
// find messages." or an error, in bounded memory.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>
#include <string>

#include "core/analysis.hpp"
#include "support/case_name.hpp"
#include "support/log_builder.hpp"

namespace zunkaro {
namespace {

using testing::LogBuilder;
using testing::TempFile;

std::string Repeat(int times, const std::function<void(LogBuilder&, int)>& message) {
  LogBuilder log;
  for (int i = 0; i < times; ++i) message(log, i);
  return log.Bytes();
}

struct HostileCase {
  const char* Name;
  std::function<std::string()> Bytes;
  Outcome Result;
  std::int32_t Users;
  std::int32_t SysopDeletions;
  std::int32_t Posts;
  friend void PrintTo(const HostileCase& c, std::ostream* os) { *os << c.Name; }
};

class HostileLogTest : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileLogTest, GivesWhatTheLogHolds) {
  const TempFile file(GetParam().Bytes());
  auto analysis = std::make_unique<Analysis>();
  StringLines lines;
  ASSERT_EQ(analysis->Analyse(file.path(), lines), GetParam().Result);
  EXPECT_EQ(analysis->UserCount, GetParam().Users);
  EXPECT_EQ(analysis->SysopDeletedCount, GetParam().SysopDeletions);
  EXPECT_EQ(analysis->PostTotal, GetParam().Posts);
  if (GetParam().Result == Outcome::kReport) {
    // Title, rules, heading, users, the SYSOP line if any, totals, longest.
    EXPECT_EQ(lines.lines().size(), static_cast<std::size_t>(analysis->UserCount) + 9 +
                                        (analysis->SysopDeletedCount != 0 ? 1 : 0));
  } else {
    EXPECT_TRUE(lines.lines().empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Logs, HostileLogTest,
    ::testing::Values(
        HostileCase{"Empty", [] { return std::string(); }, Outcome::kNoMessages, 0, 0, 0},
        HostileCase{"OnlyNulBytes", [] { return std::string(1 << 20, '\0'); },
                    Outcome::kNoMessages, 0, 0, 0},
        HostileCase{"EndOfFileByteFirst",
                    [] {
                      return std::string("\x1a").append(Repeat(3, [](LogBuilder& l, int i) {
                        l.ShortHeader(i, "ABC00001", "x", "t").Body("b");
                      }));
                    },
                    Outcome::kNoMessages, 0, 0, 0},
        HostileCase{"LongLineWithoutLineFeed", [] { return std::string(8 << 20, 'x'); },
                    Outcome::kNoMessages, 0, 0, 0},
        HostileCase{"EverythingDeletedBySysop",
                    [] {
                      return Repeat(500, [](LogBuilder& l, int i) {
                        l.LongHeader(i, "********", "", "t").Body("本文").Separator();
                      });
                    },
                    Outcome::kReport, 0, 500, 500},
        HostileCase{"EverythingDeletedByPosters",
                    [] {
                      return Repeat(500, [](LogBuilder& l, int i) {
                        l.ShortHeader(i, "ABC00001", "x", "発言者削除").Body("本文");
                      });
                    },
                    Outcome::kReport, 0, 0, 0},
        HostileCase{"RandomBytes",
                    [] {
                      std::mt19937 random(99);
                      std::string bytes(1 << 20, '\0');
                      for (char& c : bytes) c = static_cast<char>(random());
                      return bytes;
                    },
                    Outcome::kNoMessages, 0, 0, 0}),
    testing::CaseName{});

}  // namespace
}  // namespace zunkaro
