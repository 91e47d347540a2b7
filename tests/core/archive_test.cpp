#include "core/archive.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/analysis.hpp"
#include "log/log_error.hpp"
#include "reference/literal_analysis.hpp"
#include "support/log_builder.hpp"
#include "support/random_log.hpp"
#include "tally/write_report.hpp"

namespace zunkaro {
namespace {

using testing::LogBuilder;
using testing::ReadFileBytes;
using testing::TempFile;

// The report of one log as the literal analysis makes it; empty when the
// log holds no message.
std::vector<std::string> LiteralReport(const std::filesystem::path& path) {
  auto state = std::make_unique<AnalysisState>();
  EXPECT_TRUE(reference::ExtractMessages(path, *state));
  reference::TallyUsers(*state);
  if (state->MessageCount == 0) {
    return {};
  }
  reference::RankUsers(*state);
  StringLines lines;
  WriteReport(*state, lines);
  return lines.lines();
}

std::vector<std::string> MergedReport(const std::vector<std::filesystem::path>& logs) {
  ArchiveTally archive;
  for (const auto& log : logs) {
    archive.Append(TallyArchiveLog(log));
  }
  if (archive.MessageCount() == 0) {
    return {};
  }
  archive.Rank();
  StringLines lines;
  archive.WriteReport(lines);
  return lines.lines();
}

// The files one after the other, as one log.
std::vector<std::string> ConcatenatedReport(const std::vector<std::filesystem::path>& logs) {
  std::string bytes;
  for (const auto& log : logs) {
    bytes += ReadFileBytes(log);
  }
  const TempFile whole(bytes, "whole.log");
  return LiteralReport(whole.path());
}

TEST(ArchiveTest, OurLogsMergedAreTheirConcatenation) {
  const std::filesystem::path worked = ZUNKARO_FIXTURES "/worked-example.log";
  const std::filesystem::path sample = ZUNKARO_SAMPLES "/sample.log";
  for (const auto& logs : std::vector<std::vector<std::filesystem::path>>{
           {worked}, {sample, worked}, {worked, sample, worked, sample}}) {
    EXPECT_EQ(MergedReport(logs), ConcatenatedReport(logs));
  }
}

// A random log that stands as one file of an archive: it begins with a
// header, holds no 0x1A, and ends with a line end and a separator (which is
// the date line of a header just before it, as it would be in the
// concatenation).
std::string ArchiveFile(std::uint32_t seed, int lines) {
  LogBuilder start;
  start.ShortHeader(static_cast<int>(seed % 1000), seed % 2 ? "QQQ00001" : "AAA00001", "Start",
                    "Hello");
  std::string bytes = start.Bytes() + testing::RandomLog(seed, lines);
  std::erase(bytes, '\x1a');
  bytes += "\n";
  LogBuilder end;
  end.Separator();
  return bytes + end.Bytes();
}

TEST(ArchiveTest, RandomArchivesMergedAreTheirConcatenation) {
  for (std::uint32_t seed = 1; seed <= 80; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::vector<std::unique_ptr<TempFile>> files;
    std::vector<std::filesystem::path> logs;
    for (std::uint32_t f = 0; f < 1 + seed % 5; ++f) {
      files.push_back(std::make_unique<TempFile>(
          ArchiveFile(seed * 10 + f, 5 + static_cast<int>((seed + f) % 9) * 20)));
      logs.push_back(files.back()->path());
    }
    ASSERT_EQ(MergedReport(logs), ConcatenatedReport(logs));
  }
}

// Each file is read on its own: a message still open at the end of a file
// ends there, and a 0x1A ends only its own file.
TEST(ArchiveTest, EachFileEndsOnItsOwn) {
  LogBuilder first;
  first.ShortHeader(1, "AAA00001", "A", "Hi").Body("abc");
  LogBuilder second;
  second.Body("not counted").Raw("\x1a").Body("hidden");
  LogBuilder third;
  third.ShortHeader(2, "BBB00002", "B", "Yo").Body("de");
  const TempFile a(first.Bytes(), "a.log");
  const TempFile b(second.Bytes(), "b.log");
  const TempFile c(third.Bytes(), "c.log");
  const TempFile firstAndThird(first.Bytes() + third.Bytes(), "ac.log");
  EXPECT_EQ(MergedReport({a.path(), b.path(), c.path()}), LiteralReport(firstAndThird.path()));
}

// More messages than a log's table holds: merged with no limit, and the same
// as the parts merged.
TEST(ArchiveTest, MoreMessagesThanOneLogMayHold) {
  constexpr int kMessages = 70000;
  constexpr int kCut = 40000;
  LogBuilder log;
  std::string whole;
  std::string firstPart;
  for (int m = 0; m < kMessages; ++m) {
    char id[16];
    std::snprintf(id, sizeof id, "USR%05d", m % 997);
    char handle[8];
    std::snprintf(handle, sizeof handle, "H%d", m % 7);
    log.ShortHeader(m % 1000, id, handle, "t").BodyOfChars(m % 13);
    if (m + 1 == kCut) {
      firstPart = log.Bytes();
    }
  }
  whole = log.Bytes();
  const TempFile big(whole, "big.log");
  const TempFile head(firstPart, "head.log");
  const TempFile tail(whole.substr(firstPart.size()), "tail.log");

  auto analysis = std::make_unique<Analysis>();
  StringLines refused;
  EXPECT_THROW((void)analysis->Analyse(big.path(), refused), LogError);

  ArchiveTally tally = TallyArchiveLog(big.path());
  EXPECT_EQ(tally.MessageCount(), kMessages);
  EXPECT_EQ(tally.PostTotal, kMessages);
  EXPECT_EQ(tally.UsersAsMet().size(), 997U);
  EXPECT_EQ(MergedReport({big.path()}), MergedReport({head.path(), tail.path()}));
}

}  // namespace
}  // namespace zunkaro
