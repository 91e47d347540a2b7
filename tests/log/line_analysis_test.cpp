#include "log/line_analysis.hpp"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "reference/literal_analysis.hpp"
#include "support/case_name.hpp"
#include "support/log_builder.hpp"

namespace zunkaro {
namespace {

using testing::Sjis;

struct ClassifyCase {
  const char* Name;
  friend void PrintTo(const ClassifyCase& c, std::ostream* os) { *os << c.Name; }
  std::string Line;
  LineKind Kind;
};

// The short header of the worked example, with its 16-byte handle and title.
std::string ShortHeader(std::string_view userId = "ABC00001", std::string_view title = "はじめまして\n") {
  std::string handle = Sjis("テスト");
  handle.resize(16, ' ');
  return "012/015   " + std::string(userId) + "  " + handle + "  " + Sjis(title);
}

std::string LongHeader(std::string_view userId = "ABC00001") {
  std::string handle = Sjis("テスト");
  handle.resize(16, ' ');
  return "01234/01240 " + std::string(userId) + "  " + handle + " " + Sjis("発言者削除\n");
}

class ClassifyLineTest : public ::testing::TestWithParam<ClassifyCase> {};

TEST_P(ClassifyLineTest, GivesKind) {
  EXPECT_EQ(ClassifyLine(GetParam().Line), GetParam().Kind) << testing::Utf8(GetParam().Line);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ClassifyLineTest,
    ::testing::Values(
        ClassifyCase{"ShortHeader", ShortHeader(), LineKind::lkShortHeader},
        ClassifyCase{"LongHeader", LongHeader(), LineKind::lkLongHeader},
        ClassifyCase{"SysopIdStillMatches", ShortHeader("********"), LineKind::lkShortHeader},
        ClassifyCase{"PartlyStarredId", LongHeader("ABC*****"), LineKind::lkLongHeader},
        ClassifyCase{"LowerCaseId", ShortHeader("abc00001"), LineKind::lkBody},
        ClassifyCase{"LetterWhereDigit", ShortHeader("ABC0000A"), LineKind::lkBody},
        ClassifyCase{"StarInNumber", "0*2" + ShortHeader().substr(3), LineKind::lkBody},
        ClassifyCase{"NoTitleExactly38", ShortHeader("ABC00001", "").substr(0, 38),
                     LineKind::lkShortHeader},
        ClassifyCase{"HeaderOf38AndLineFeed", ShortHeader("ABC00001", "\n"),
                     LineKind::lkShortHeader},
        ClassifyCase{"ShortHandleEndsEarly", "012/015   ABC00001  Taro\n", LineKind::lkBody},
        ClassifyCase{"NulInsideHandle", ShortHeader().replace(25, 1, 1, '\0'), LineKind::lkBody},
        ClassifyCase{"Separator", " \b\n", LineKind::lkSeparator},
        ClassifyCase{"SeparatorWithoutLineFeed", " \b", LineKind::lkBody},
        ClassifyCase{"SeparatorWithText", " \bmore\n", LineKind::lkBody},
        ClassifyCase{"Empty", "", LineKind::lkBody},
        ClassifyCase{"Japanese", Sjis("こんにちは。\n"), LineKind::lkBody}),
    testing::CaseName{});

struct CountCase {
  const char* Name;
  friend void PrintTo(const CountCase& c, std::ostream* os) { *os << c.Name; }
  std::string Text;
  std::int32_t Count;
};

class CountCharsTest : public ::testing::TestWithParam<CountCase> {};

TEST_P(CountCharsTest, Counts) {
  EXPECT_EQ(CountChars(GetParam().Text), GetParam().Count) << testing::Utf8(GetParam().Text);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CountCharsTest,
    ::testing::Values(
        CountCase{"Ascii", "Hello, world\n", 11},
        CountCase{"FullWidthSpaceIsInvisible", Sjis("こんにちは　ＯＫ\n"), 7},
        CountCase{"HalfWidthKatakana", Sjis("ｱｲｳ ｴｵ\n"), 5},
        CountCase{"Kana", Sjis("はじめまして\n"), 6},
        CountCase{"PosterDeleted", Sjis("発言者削除\n"), 5},
        CountCase{"Empty", "", 0},
        CountCase{"OnlyBlanks", Sjis(" \t　　 \n"), 0},
        CountCase{"LoneLeadAtEnd", "ab\x82", 3},
        CountCase{"LeadTakesLineFeed", "a\x82\n", 2},
        CountCase{"LeadTakesAnySecondByte", "\x88\x41" "B", 2},
        CountCase{"NoShiftJisLeadsCountToo", "\x7f\x41\x80\x41\xa0\x41\xfd\x41\xff\x41", 5},
        CountCase{"StopsAtNul", std::string("ab\0cd", 5), 2},
        CountCase{"LeadBeforeNulEnds", std::string("a\x82\0cd", 5), 2},
        CountCase{"OnlyFirst256Bytes", std::string(300, 'x'), 256},
        // A first byte in the 256th place still takes its second from the 257th.
        CountCase{"FullWidthSpaceAcrossTheLimit", std::string(255, 'x') + "\x81\x40", 255},
        CountCase{"CharacterAcrossTheLimit", std::string(255, 'x') + "\x82\xa0", 256}),
    testing::CaseName{});

struct NearMissCase {
  const char* Name;
  friend void PrintTo(const NearMissCase& c, std::ostream* os) { *os << c.Name; }
  std::string Line;
  bool NearMiss;
};

// `header` with `from` (its first occurrence) replaced by `to`.
std::string Mangled(std::string header, std::string_view from, std::string_view to) {
  header.replace(header.find(from), from.size(), to);
  return header;
}

class NearMissHeaderTest : public ::testing::TestWithParam<NearMissCase> {};

TEST_P(NearMissHeaderTest, Tells) {
  EXPECT_EQ(IsNearMissHeader(GetParam().Line), GetParam().NearMiss) << testing::Utf8(GetParam().Line);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, NearMissHeaderTest,
    ::testing::Values(
        NearMissCase{"ShortHeaderIsAHeader", ShortHeader(), false},
        NearMissCase{"LongHeaderIsAHeader", LongHeader(), false},
        NearMissCase{"TabForTheGapBeforeTheUserId", Mangled(ShortHeader(), "   ABC", "\tABC"), true},
        NearMissCase{"TabForTheGapAfterTheUserId", Mangled(ShortHeader(), "01  ", "01\t"), true},
        NearMissCase{"TabInsideTheHandle", Mangled(ShortHeader(), "    ", "\t"), true},
        NearMissCase{"NumberOfFourDigits", Mangled(ShortHeader(), "012/", "0012/"), true},
        NearMissCase{"OneSpaceMore", Mangled(LongHeader(), " ABC", "  ABC"), true},
        NearMissCase{"OneSpaceLess", Mangled(ShortHeader(), "   ABC", "  ABC"), true},
        NearMissCase{"LowerCaseLetterInTheUserId", Mangled(ShortHeader(), "ABC", "AbC"), true},
        NearMissCase{"LeadingSpace", std::string(" ").append(ShortHeader()), true},
        NearMissCase{"DateLine", Sjis("日付 : 97/03/15 21:05\n"), false},
        NearMissCase{"BodyWithDates", "2024/01/01 and 1997/12/31 were good days\n", false},
        NearMissCase{"BodyWithFraction", "12/34 of them, ABC12345 said, are fine\n", false},
        NearMissCase{"ShortLine", "012/015 ABC00001\n", false},
        NearMissCase{"Separator", " \b\n", false},
        NearMissCase{"Empty", "", false}),
    testing::CaseName{});

// The count by 64-byte masks agrees with the count byte by byte and with the
// literal count on any bytes: runs of first bytes of every length across
// every boundary, NULs, full-width spaces split or not, texts longer than
// what is counted.
TEST(CountCharsTest, AgreesWithByteByByte) {
  std::mt19937 random(7);
  const std::string kBytes = std::string("\x81\x40\x82\xa0\x88\xe0\xff\x7f\x80\xa1\xdf Aa\n\t", 17) +
                             std::string(1, '\0');
  for (int round = 0; round < 20000; ++round) {
    const auto size = std::uniform_int_distribution<std::size_t>(0, 300)(random);
    const int nulEvery = round % 4 == 0 ? 50 : 100000;
    std::string text(size, ' ');
    for (char& c : text) {
      const auto pick = std::uniform_int_distribution<int>(0, nulEvery)(random);
      c = pick == 0 ? '\0' : kBytes[static_cast<std::size_t>(pick) % (kBytes.size() - 1)];
    }
    ASSERT_EQ(CountChars(text), detail::CountCharsByteByByte(text)) << testing::Utf8(text);
    ASSERT_EQ(CountChars(text), reference::CountChars(text.c_str())) << testing::Utf8(text);
  }
}

}  // namespace
}  // namespace zunkaro
