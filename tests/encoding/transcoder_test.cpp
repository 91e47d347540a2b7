#include "encoding/transcoder.hpp"

#include <gtest/gtest.h>

#include <string>

#include "encoding/detector.hpp"
#include "support/case_name.hpp"
#include "support/log_builder.hpp"

namespace zunkaro {
namespace {

using testing::Sjis;

struct JisCase {
  const char* Name;
  unsigned char First;
  unsigned char Second;
  std::uint16_t ShiftJis;
  friend void PrintTo(const JisCase& c, std::ostream* os) { *os << c.Name; }
};

class JisToShiftJisTest : public ::testing::TestWithParam<JisCase> {};

TEST_P(JisToShiftJisTest, Converts) {
  EXPECT_EQ(JisToShiftJis(GetParam().First, GetParam().Second), GetParam().ShiftJis);
}

// The corners of the arithmetic: odd and even rows, both sides of the gap
// at 0x7F, the first and last rows, and the NEC rows.
INSTANTIATE_TEST_SUITE_P(
    Codes, JisToShiftJisTest,
    ::testing::Values(JisCase{"FullWidthSpace", 0x21, 0x21, 0x8140},
                      JisCase{"OddRowBeforeTheGap", 0x21, 0x5F, 0x817E},
                      JisCase{"OddRowAfterTheGap", 0x21, 0x60, 0x8180},
                      JisCase{"OddRowLast", 0x21, 0x7E, 0x819E},
                      JisCase{"EvenRowFirst", 0x24, 0x21, 0x829F},
                      JisCase{"Hiragana", 0x24, 0x22, 0x82A0},
                      JisCase{"NecRow13", 0x2D, 0x21, 0x8740},
                      JisCase{"LastRowOfTheLowerFirstBytes", 0x5E, 0x7E, 0x9FFC},
                      JisCase{"FirstRowOfTheUpperFirstBytes", 0x5F, 0x21, 0xE040},
                      JisCase{"NecSelectedIbm", 0x79, 0x21, 0xED40},
                      JisCase{"LastCell", 0x7E, 0x7E, 0xEFFC}),
    testing::CaseName{});

// Converted in pieces of any size, a text gives the same bytes, the same
// substitutions, as converted whole.
TEST(TranscoderTest, PiecesGiveWhatTheWholeGives) {
  const std::string text = Sjis("日付 : 97/03/15 ①ｱｲｳ～＼\n");
  const struct {
    Encoding From;
    std::string Bytes;
  } kTexts[] = {
      {Encoding::kUtf8, "\xef\xbb\xbf\xe6\x97\xa5\xe4\xbb\x98 : 97/03/15 \xe2\x91\xa0\xef\xbd\xb1"
                        "\xef\xbd\xb2\xef\xbd\xb3\xe3\x80\x9c\xef\xbc\xbc\n\xc3\xa9\n"},
      {Encoding::kEucJp, "\xc6\xfc\xc9\xd5 : 97/03/15 \xad\xa1\x8e\xb1\x8e\xb2\x8e\xb3\xa1\xc1"
                         "\xa1\xc0\n\xa9\xa1\n"},
      {Encoding::kIso2022Jp, "\x1b$BF|IU\x1b(B : 97/03/15 \x1b$B-!\x1b(I123\x1b$B!A!@\x1b(B\n"
                             "\x1b$(Q)!\x1b(B\n"},
  };
  for (const auto& t : kTexts) {
    SCOPED_TRACE(EncodingName(t.From));
    std::string whole;
    Transcoder all(t.From, false);
    ASSERT_EQ(all.Convert(t.Bytes, true, whole), t.Bytes.size());
    EXPECT_EQ(whole, text + "\x81\xac\n");
    EXPECT_EQ(all.Substituted().Count, 1u);
    EXPECT_EQ(all.Substituted().Lines, (std::vector<std::int64_t>{2}));
    for (std::size_t piece = 1; piece <= 4; ++piece) {
      Transcoder inPieces(t.From, false);
      std::string out;
      std::string pending;
      for (std::size_t at = 0; at < t.Bytes.size(); at += piece) {
        pending += t.Bytes.substr(at, piece);
        const bool last = at + piece >= t.Bytes.size();
        pending.erase(0, inPieces.Convert(pending, last, out));
      }
      EXPECT_EQ(out, whole) << "pieces of " << piece;
      EXPECT_EQ(inPieces.Substituted(), all.Substituted());
    }
  }
}

TEST(TranscoderTest, BothWaveDashesComeBack) {
  // 〜 as U+301C (SHIFT_JIS, nkf) and as U+FF5E (CP932), and the other signs
  // whose Unicode forms differ between converters.
  Transcoder utf8(Encoding::kUtf8, false);
  std::string out;
  const std::string jis = "\xe3\x80\x9c\xe2\x88\x92\xc2\xac\xe2\x80\x96\xc2\xa2\xc2\xa3";
  const std::string microsoft = "\xef\xbd\x9e\xef\xbc\x8d\xef\xbf\xa2\xe2\x88\xa5\xef\xbf\xa0\xef\xbf\xa1";
  (void)utf8.Convert(jis + microsoft, true, out);
  EXPECT_EQ(out, Sjis("～－¬‖￠￡～－¬‖￠￡"));
  EXPECT_EQ(utf8.Substituted().Count, 0u);
}

// A Shift-JIS log rules the others out within its first bytes beyond
// ASCII, so that detection stops there.
TEST(EncodingDetectorTest, ShiftJisIsSettledAtItsFirstKanji) {
  EncodingDetector detector;
  detector.Feed("001/001   ABC00001  Taro              Hi\n");
  EXPECT_FALSE(detector.OnlyShiftJis());
  detector.Feed(Sjis("日付"));
  EXPECT_TRUE(detector.OnlyShiftJis());
  EXPECT_EQ(detector.Of(EncodingDetector::kUtf8).LineFeedsBefore, 1u);
  EXPECT_EQ(detector.Decide().Found, Encoding::kShiftJis);
}

}  // namespace
}  // namespace zunkaro
