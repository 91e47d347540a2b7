#include "encoding/shift_jis.hpp"

#include <gtest/gtest.h>

#include "support/case_name.hpp"

namespace zunkaro {
namespace {

struct DecodeCase {
  const char* Name;
  friend void PrintTo(const DecodeCase& c, std::ostream* os) { *os << c.Name; }
  std::string Sjis;
  std::string Utf8;
};

class ShiftJisDecoderTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(ShiftJisDecoderTest, Decodes) {
  ShiftJisDecoder decoder;
  EXPECT_EQ(decoder.ToUtf8(GetParam().Sjis), GetParam().Utf8);
}

const std::string kMark = "\xef\xbf\xbd";

INSTANTIATE_TEST_SUITE_P(
    Texts, ShiftJisDecoderTest,
    ::testing::Values(
        DecodeCase{"Ascii", "User-ID 12 (x)", "User-ID 12 (x)"},
        DecodeCase{"BackslashAndTilde", "\\~", "\\~"},
        DecodeCase{"Kanji", "\x94\xad\x8c\xbe\x8e\xd2", "発言者"},
        DecodeCase{"SecondByteInAsciiRange", "\x83\x6e\x83\x5c", "ハソ"},
        DecodeCase{"HalfWidthKatakana", "\xa1\xb1\xdf", "｡ｱﾟ"},
        DecodeCase{"MixedWithFullWidthSpace", "a\x81\x40" "b", "a　b"},
        DecodeCase{"ControlBytesBecomeMarks", std::string("\x1b[2J\0\x7f", 6),
                   kMark + "[2J" + kMark + kMark},
        DecodeCase{"LoneLeadAtEnd", "ab\x82", "ab" + kMark},
        DecodeCase{"LeadBeforeControl", "\x82\n", kMark + kMark},
        DecodeCase{"UnassignedPairKeepsTwoColumns", "\x85\x40x", kMark + kMark + "x"},
        DecodeCase{"BytesThatBeginNothing", "\x80\xa0\xfd\xff", kMark + kMark + kMark + kMark},
        DecodeCase{"Empty", "", ""}),
    testing::CaseName{});

}  // namespace
}  // namespace zunkaro
