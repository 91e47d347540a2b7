#include "log/line_scan.hpp"

#include <gtest/gtest.h>

#include <cstddef>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "support/case_name.hpp"

namespace zunkaro {
namespace {

// Every form of the search this machine builds.
struct Form {
  const char* Name;
  std::size_t (*Find)(const char*, std::size_t) noexcept;
};
const std::vector<Form>& Forms() {
  static const std::vector<Form> forms{
      {"Chosen", &FindLineBreak},
      {"ByWords", &detail::FindLineBreakByWords},
#if defined(__SSE2__)
      {"Sse2", &detail::FindLineBreakSse2},
#endif
  };
  return forms;
}

// Runs a form on `text` within `limit`, from a buffer with the overread
// room after the text filled with `tail` (line breaks that must not count).
std::size_t Search(const Form& form, const std::string& text, std::size_t limit, char tail) {
  std::string buffer = text;
  buffer.append(kLineScanOverread, tail);
  return form.Find(buffer.data(), limit);
}

struct ScanCase {
  std::string Name;
  std::string Text;
  std::size_t Limit;
  std::size_t Expected;
  friend void PrintTo(const ScanCase& c, std::ostream* os) { *os << c.Name; }
};

class LineScanTest : public ::testing::TestWithParam<ScanCase> {};

// Each special byte at every place of a word and a block, the first of
// several, one just past the limit, bytes that are one bit away from a
// special one, and the high bytes of Shift-JIS.
TEST_P(LineScanTest, EveryFormFindsTheFirstBreak) {
  const ScanCase& c = GetParam();
  ASSERT_EQ(detail::FindLineBreakByteByByte(c.Text.data(), c.Limit), c.Expected);
  for (const Form& form : Forms()) {
    for (const char tail : {'\n', '\0', 'x'}) {
      EXPECT_EQ(Search(form, c.Text, c.Limit, tail), c.Expected) << form.Name;
    }
  }
}

std::vector<ScanCase> ScanCases() {
  std::vector<ScanCase> cases{
      {"Empty", "", 0, 0},
      {"NoBreak", std::string(40, 'a'), 40, 40},
      {"NearMisses", "\x0b\x0c\x0e\x1b\x19\x01\x80\x8a\x8d\x9a\xff\x7f \x40", 14, 14},
      {"ShiftJisBytes", "\x82\xa0\x81\x40\x88\x9f\xe0\x40\xfc\xfc", 10, 10},
      {"FirstOfSeveral", std::string("abc\r\n\x1a\0", 7), 7, 3},
      {"BreakJustPastLimit", "abcdefgh\n", 8, 8},
      {"BreakAtLimitMinusOne", "abcdefg\n", 8, 7},
      {"LimitInsideBlock", std::string(20, 'a') + "\n", 5, 5},
      {"CarriageReturnAfterLeadByte", "\x81\r", 2, 1},
  };
  const std::string specials[] = {std::string(1, '\0'), "\n", "\r", "\x1a"};
  const char* names[] = {"Nul", "LineFeed", "CarriageReturn", "EndOfFile"};
  for (std::size_t s = 0; s < 4; ++s) {
    for (const std::size_t at : {0UL, 1UL, 7UL, 8UL, 15UL, 16UL, 17UL, 31UL, 254UL}) {
      std::string text(at, 'a');
      text += specials[s];
      text += "bcdefghijklmnop";
      cases.push_back({std::string(names[s]) + "At" + std::to_string(at), text, text.size(), at});
    }
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Table, LineScanTest, ::testing::ValuesIn(ScanCases()),
                         testing::CaseName());

// On random buffers of mostly plain bytes with a few breaks, every form
// agrees with the byte-at-a-time one, from every start and to every limit.
TEST(LineScanRandomTest, EveryFormAgreesWithByteByByte) {
  std::mt19937 random(11);
  const std::string kBytes = std::string("\n\r\x1a\0", 4) + "\x0b\x1b\x8a\x8d\x9a\x81\x40 a";
  for (int round = 0; round < 5000; ++round) {
    const auto size = std::uniform_int_distribution<std::size_t>(0, 300)(random);
    const int breakEvery = round % 3 == 0 ? 8 : 120;
    std::string buffer(size + kLineScanOverread, 'a');
    for (char& c : buffer) {
      const auto pick = std::uniform_int_distribution<int>(0, breakEvery)(random);
      c = pick < 4 ? kBytes[static_cast<std::size_t>(pick)]
                   : kBytes[4 + static_cast<std::size_t>(pick) % (kBytes.size() - 4)];
    }
    const auto start = std::uniform_int_distribution<std::size_t>(0, size)(random);
    const auto limit = std::uniform_int_distribution<std::size_t>(0, size - start)(random);
    const std::size_t expected = detail::FindLineBreakByteByByte(buffer.data() + start, limit);
    for (const Form& form : Forms()) {
      ASSERT_EQ(form.Find(buffer.data() + start, limit), expected)
          << form.Name << " round " << round;
    }
  }
}

}  // namespace
}  // namespace zunkaro
