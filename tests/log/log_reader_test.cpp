#include "log/log_reader.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "core/log_input.hpp"
#include "log/extract_messages.hpp"
#include "log/log_error.hpp"
#include "support/case_name.hpp"
#include "support/encoded_logs.hpp"
#include "support/log_builder.hpp"
#include "support/random_log.hpp"

namespace zunkaro {
namespace {

using testing::LogBuilder;
using testing::TempFile;

// What the injected calls do: which call fails, with what, and how much a
// read may give at a time. One plan at a time; the tests run one by one.
struct FaultPlan {
  int FailOpen = 0;          // errno for open, or 0
  int FailStat = 0;          // errno for fstat, or 0
  int FailReadAt = 0;        // the read call (from 1) that fails, or 0
  int FailSeek = 0;          // errno for lseek, or 0
  int ReadError = EIO;
  int InterruptEvery = 0;    // every n-th read gives EINTR first, or 0
  std::size_t MaxRead = 0;   // the most one read gives, or 0 for no limit
  std::uint32_t RandomReadSeed = 0;  // reads of random sizes up to MaxRead
  int Reads = 0;
  int Opens = 0;
  int Closes = 0;
};
FaultPlan plan;
std::mt19937 readSizes;

const FileCalls kFaultyCalls{
    [](const char* path, int flags) {
      if (plan.FailOpen != 0) {
        errno = plan.FailOpen;
        return -1;
      }
      ++plan.Opens;
      return SystemFileCalls().Open(path, flags);
    },
    [](int fd, struct stat* st) {
      if (plan.FailStat != 0) {
        errno = plan.FailStat;
        return -1;
      }
      return SystemFileCalls().Stat(fd, st);
    },
    [](int fd, void* buffer, std::size_t bytes) -> ssize_t {
      ++plan.Reads;
      if (plan.Reads == plan.FailReadAt) {
        errno = plan.ReadError;
        return -1;
      }
      if (plan.InterruptEvery != 0 && plan.Reads % plan.InterruptEvery == 0) {
        errno = EINTR;
        return -1;
      }
      if (plan.MaxRead != 0) {
        std::size_t most = plan.MaxRead;
        if (plan.RandomReadSeed != 0) {
          most = std::uniform_int_distribution<std::size_t>(1, plan.MaxRead)(readSizes);
        }
        bytes = std::min(bytes, most);
      }
      return SystemFileCalls().Read(fd, buffer, bytes);
    },
    [](int fd) {
      ++plan.Closes;
      return SystemFileCalls().Close(fd);
    },
    [](int fd, off_t offset, int whence) {
      if (plan.FailSeek != 0) {
        errno = plan.FailSeek;
        return off_t{-1};
      }
      return SystemFileCalls().Seek(fd, offset, whence);
    },
};

std::vector<MessageRecord> ExtractWith(const std::filesystem::path& path, const FaultPlan& p) {
  plan = p;
  readSizes.seed(p.RandomReadSeed);
  auto table = std::make_unique<MessageTable>();
  LogReader reader(path, kFaultyCalls);
  const std::int32_t count = ExtractMessages(reader, *table);
  std::vector<MessageRecord> records;
  for (std::int32_t i = 0; i < count; ++i) records.push_back(*(*table)[static_cast<std::size_t>(i)]);
  return records;
}

std::string LongLog() {
  LogBuilder log;
  log.CrLf();
  for (int i = 0; i < 300; ++i) {
    log.ShortHeader(i % 1000, "ABC0000" + std::to_string(i % 7), "たろう", "はじめまして")
        .Body("こんにちは。")
        .Raw(std::string(static_cast<std::size_t>(i), 'x') + "\r\n")
        .Separator();
  }
  return log.Bytes();
}

struct FaultCase {
  const char* Name;
  FaultPlan Plan;
  std::string Reason;
  friend void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.Name; }
};

class FailingReadTest : public ::testing::TestWithParam<FaultCase> {};

// Every failure names the file and the reason, yields no records, and
// leaves no file open.
TEST_P(FailingReadTest, IsAnErrorNeverAShortLog) {
  const TempFile file(LongLog());
  try {
    (void)ExtractWith(file.path(), GetParam().Plan);
    FAIL() << "read without an error";
  } catch (const LogError& error) {
    EXPECT_EQ(error.path(), file.path());
    EXPECT_EQ(error.reason(), GetParam().Reason);
  }
  EXPECT_EQ(plan.Opens, plan.Closes);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FailingReadTest,
    ::testing::Values(
        FaultCase{"OpenDenied", {.FailOpen = EACCES}, "Permission denied"},
        FaultCase{"StatFails", {.FailStat = EIO}, "Input/output error"},
        FaultCase{"FirstReadFails", {.FailReadAt = 1}, "read error: Input/output error"},
        FaultCase{"ReadFailsPartWay", {.FailReadAt = 40, .MaxRead = 1000},
                  "read error: Input/output error"},
        // The whole log arrives, then the read that would tell its end fails.
        FaultCase{"EndOfFileReadFails", {.FailReadAt = 2},
                  "read error: Input/output error"}),
    testing::CaseName{});

struct ChunkCase {
  const char* Name;
  FaultPlan Plan;
  friend void PrintTo(const ChunkCase& c, std::ostream* os) { *os << c.Name; }
};

class ReadChunksTest : public ::testing::TestWithParam<ChunkCase> {};

// However the file arrives, a byte or a block at a time or interrupted, the
// lines and so the records are the same.
TEST_P(ReadChunksTest, GiveTheSameRecords) {
  for (const std::uint32_t seed : {1u, 2u, 3u}) {
    const TempFile file(testing::RandomLog(seed, 400) + LongLog());
    const auto whole = ExtractWith(file.path(), {});
    ASSERT_FALSE(whole.empty());
    EXPECT_EQ(ExtractWith(file.path(), GetParam().Plan), whole) << "seed " << seed;
    EXPECT_EQ(plan.Opens, plan.Closes);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Chunks, ReadChunksTest,
    ::testing::Values(ChunkCase{"ByteAtATime", {.MaxRead = 1}},
                      ChunkCase{"RandomSizes", {.MaxRead = 700, .RandomReadSeed = 5}},
                      ChunkCase{"JustUnderALine", {.MaxRead = 254}},
                      ChunkCase{"Interrupted", {.InterruptEvery = 2, .MaxRead = 300}}),
    testing::CaseName{});

// The same through the opening that finds the encoding: a UTF-8 log longer
// than the piece looked at first is followed to its end, then read again
// from its start and converted.
std::vector<MessageRecord> OpenAndExtractWith(const std::filesystem::path& path,
                                              const FaultPlan& p) {
  plan = p;
  readSizes.seed(p.RandomReadSeed);
  auto table = std::make_unique<MessageTable>();
  InputNotes notes;
  OpenedLog opened = OpenLog(LogInput::File(path), notes, kFaultyCalls);
  LogReader reader(std::move(opened.Source));
  const std::int32_t count = ExtractMessages(reader, *table);
  std::vector<MessageRecord> records;
  for (std::int32_t i = 0; i < count; ++i) records.push_back(*(*table)[static_cast<std::size_t>(i)]);
  return records;
}

std::string LongUtf8Log() {
  std::string log;
  while (log.size() < (std::size_t{1} << 18)) log += LongLog();
  return testing::Convert(testing::Routes()[0], log).value();
}

class FailingConversionTest : public ::testing::TestWithParam<FaultCase> {};

TEST_P(FailingConversionTest, IsAnErrorNeverAShortLog) {
  const TempFile file(LongUtf8Log());
  try {
    (void)OpenAndExtractWith(file.path(), GetParam().Plan);
    FAIL() << "read without an error";
  } catch (const LogError& error) {
    EXPECT_EQ(error.path(), file.path());
    EXPECT_EQ(error.reason(), GetParam().Reason);
  }
  EXPECT_EQ(plan.Opens, plan.Closes);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FailingConversionTest,
    ::testing::Values(
        FaultCase{"ReadFailsWhileDetecting", {.FailReadAt = 2}, "read error: Input/output error"},
        FaultCase{"SeekFails", {.FailSeek = EIO},
                  "cannot read again from the start: Input/output error"},
        FaultCase{"ReadFailsWhileConverting", {.FailReadAt = 7},
                  "read error: Input/output error"}),
    testing::CaseName{});

TEST_P(ReadChunksTest, GiveTheSameRecordsConverted) {
  const std::optional<std::string> utf8 = testing::Convert(testing::Routes()[0], LongLog());
  ASSERT_TRUE(utf8);
  const TempFile file(*utf8);
  const auto whole = OpenAndExtractWith(file.path(), {});
  ASSERT_FALSE(whole.empty());
  EXPECT_EQ(OpenAndExtractWith(file.path(), GetParam().Plan), whole);
  EXPECT_EQ(plan.Opens, plan.Closes);
}

TEST(LogReaderTest, ReadsFromAPipe) {
  const TempFile file(LongLog());
  const std::filesystem::path fifo = file.dir() / "fifo.log";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string bytes = LongLog();
  std::thread writer([&] {
    const int fd = open(fifo.c_str(), O_WRONLY);
    // Small writes, so the reader sees the log in pieces.
    for (std::size_t at = 0; at < bytes.size(); at += 97) {
      const std::size_t n = std::min<std::size_t>(97, bytes.size() - at);
      if (write(fd, bytes.data() + at, n) != static_cast<ssize_t>(n)) break;
    }
    close(fd);
  });
  const auto piped = ExtractWith(fifo, {});
  writer.join();
  EXPECT_EQ(piped, ExtractWith(file.path(), {}));
}

}  // namespace
}  // namespace zunkaro
