#include "core/analysis.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "log/log_error.hpp"
#include "reference/literal_analysis.hpp"
#include "support/log_builder.hpp"
#include "support/random_log.hpp"
#include "tally/write_report.hpp"

namespace zunkaro {
namespace {

using testing::ReadFileBytes;
using testing::TempFile;

std::string Joined(const StringLines& lines) {
  std::string text;
  for (const std::string& line : lines.lines()) text += line + "\r\n";
  return text;
}

TEST(AnalysisTest, WorkedExampleReportByteForByte) {
  auto analysis = std::make_unique<Analysis>();
  StringLines lines;
  ASSERT_EQ(analysis->Analyse(ZUNKARO_FIXTURES "/worked-example.log", lines), Outcome::kReport);
  EXPECT_EQ(Joined(lines), ReadFileBytes(ZUNKARO_FIXTURES "/worked-example.report.txt"));
}

TEST(AnalysisTest, LogWithoutMessagesGivesNoReport) {
  const TempFile file("no header here\n \b\n");
  auto analysis = std::make_unique<Analysis>();
  StringLines lines;
  EXPECT_EQ(analysis->Analyse(file.path(), lines), Outcome::kNoMessages);
  EXPECT_TRUE(lines.lines().empty());
  EXPECT_EQ(analysis->MessageCount, 0);
  EXPECT_EQ(analysis->UserCount, 0);
}

TEST(AnalysisTest, FailedReadLeavesNoMessages) {
  auto analysis = std::make_unique<Analysis>();
  StringLines lines;
  ASSERT_EQ(analysis->Analyse(ZUNKARO_FIXTURES "/worked-example.log", lines), Outcome::kReport);
  EXPECT_THROW(analysis->ExtractMessages("/nonexistent/zunkaro.log"), LogError);
  EXPECT_EQ(analysis->MessageCount, 0);
}

// The whole analysis against the literal one: the same records, the same
// report, on our own logs and on many random ones.
class LiteralDifferenceTest : public ::testing::Test {
 protected:
  static void ExpectSameAnalysis(const std::filesystem::path& path) {
    auto fast = std::make_unique<Analysis>();
    auto literal = std::make_unique<AnalysisState>();
    StringLines fastLines;
    const Outcome outcome = fast->Analyse(path, fastLines);
    ASSERT_TRUE(reference::ExtractMessages(path, *literal));
    ASSERT_EQ(fast->MessageCount, literal->MessageCount);
    for (std::size_t i = 0; i < static_cast<std::size_t>(fast->MessageCount); ++i) {
      ASSERT_EQ(*fast->Messages[i], *literal->Messages[i]) << "message " << i;
    }
    reference::TallyUsers(*literal);
    if (outcome == Outcome::kNoMessages) {
      EXPECT_EQ(literal->MessageCount, 0);
      return;
    }
    reference::RankUsers(*literal);
    StringLines literalLines;
    WriteReport(*literal, literalLines);
    EXPECT_EQ(fastLines.lines(), literalLines.lines());
  }
};

TEST_F(LiteralDifferenceTest, OurLogs) {
  ExpectSameAnalysis(ZUNKARO_FIXTURES "/worked-example.log");
  ExpectSameAnalysis(ZUNKARO_SAMPLES "/sample.log");
}

TEST_F(LiteralDifferenceTest, RandomLogs) {
  for (std::uint32_t seed = 1; seed <= 300; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    const TempFile file(testing::RandomLog(seed, 20 + static_cast<int>(seed % 7) * 40));
    ExpectSameAnalysis(file.path());
  }
}

}  // namespace
}  // namespace zunkaro
