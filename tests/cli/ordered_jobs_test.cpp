#include "cli/ordered_jobs.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "cli/progress.hpp"
#include "support/log_builder.hpp"

namespace zunkaro {
namespace {

// Jobs that finish in a random order are taken in the order of the jobs,
// on any number of threads.
TEST(OrderedJobsTest, ResultsComeInTheOrderOfTheJobs) {
  for (const unsigned threads : {1U, 2U, 3U, 8U}) {
    for (const std::size_t count : {0UL, 1UL, 5UL, 200UL}) {
      std::vector<std::size_t> taken;
      RunInOrder<std::string>(
          count, threads,
          [](std::size_t i) {
            std::this_thread::sleep_for(std::chrono::microseconds((i * 7919) % 300));
            return std::to_string(i);
          },
          [&taken](std::size_t i, std::string& result) {
            EXPECT_EQ(result, std::to_string(i));
            taken.push_back(i);
            return true;
          });
      ASSERT_EQ(taken.size(), count) << threads << " threads";
      for (std::size_t i = 0; i < count; ++i) {
        EXPECT_EQ(taken[i], i);
      }
    }
  }
}

// A refusal from the taker starts no new job; a failing job's exception
// comes out in its turn, after the results before it.
TEST(OrderedJobsTest, StopsWhenTheTakerRefusesAndRethrowsInTurn) {
  for (const unsigned threads : {1U, 4U}) {
    std::atomic<std::size_t> started{0};
    std::size_t taken = 0;
    RunInOrder<int>(
        1000, threads,
        [&started](std::size_t i) {
          ++started;
          return static_cast<int>(i);
        },
        [&taken](std::size_t, int&) { return ++taken < 3; });
    EXPECT_EQ(taken, 3U);
    EXPECT_LT(started.load(), 100U) << "the window bounds the jobs started ahead";

    std::vector<std::size_t> before;
    EXPECT_THROW(RunInOrder<int>(
                     50, threads,
                     [](std::size_t i) {
                       if (i == 10) {
                         throw std::runtime_error("job 10");
                       }
                       return static_cast<int>(i);
                     },
                     [&before](std::size_t i, int&) {
                       before.push_back(i);
                       return true;
                     }),
                 std::runtime_error);
    EXPECT_EQ(before.size(), 10U);
  }
}

// Drawn in place, each line over the last, and cleared at the end; never
// when not shown, and never before its delay.
TEST(ProgressTest, RedrawsInPlaceAndClearsAtTheEnd) {
  std::FILE* err = std::tmpfile();
  {
    Progress progress(err, true, 3, std::chrono::seconds(0));
    progress.LogDone(2'500'000);
    progress.Draw();
    progress.LogDone(500'000);
    progress.LogDone(0);
    progress.Draw();  // too soon after the last: not drawn
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    progress.Draw();
  }
  const std::string text = testing::Drain(err);
  EXPECT_EQ(text.rfind("\rzunkaro-report: 1/3 logs, 2.5 MB, ", 0), 0U) << text;
  EXPECT_NE(text.find("\rzunkaro-report: 3/3 logs, 3.0 MB, "), std::string::npos) << text;
  EXPECT_EQ(text.find("logs", text.find("logs") + 1), text.rfind("logs")) << "drawn twice";
  EXPECT_EQ(text.find('\n'), std::string::npos) << "never a new line";
  // The end: the line overwritten with spaces, the cursor back at its start.
  ASSERT_GE(text.size(), 2U);
  EXPECT_EQ(text.back(), '\r');
  EXPECT_EQ(text[text.size() - 2], ' ');

  for (const bool shown : {false, true}) {
    std::FILE* quiet = std::tmpfile();
    {
      Progress progress(quiet, shown, 3, shown ? std::chrono::hours(1) : std::chrono::seconds(0));
      progress.LogDone(1);
      progress.Draw();
    }
    EXPECT_EQ(testing::Drain(quiet), "");
  }
}

TEST(ProgressTest, NoTerminalNoLine) {
  std::FILE* file = std::tmpfile();
  EXPECT_FALSE(Progress::IsTerminal(file));
  std::fclose(file);
}

}  // namespace
}  // namespace zunkaro
