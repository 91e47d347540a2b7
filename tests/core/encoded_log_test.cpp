// Logs in other encodings and with other line ends: each gives the report of
// its Shift-JIS original; bytes that fit no other encoding are analysed as
// Shift-JIS, as always.
#include <gtest/gtest.h>

#include <cerrno>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "core/analysis.hpp"
#include "log/log_error.hpp"
#include "log/log_reader.hpp"
#include "support/case_name.hpp"
#include "support/encoded_logs.hpp"
#include "support/log_builder.hpp"
#include "tally/write_report.hpp"

namespace zunkaro {
namespace {

using testing::LogBuilder;
using testing::ReadFileBytes;
using testing::Sjis;
using testing::TempFile;

struct Analysed {
  Outcome Result;
  std::vector<std::string> Report;
  std::vector<MessageRecord> Records;
  InputNotes Input;
  ReadingNotes Notes;
};

Analysed AnalyseFile(const std::filesystem::path& path, std::optional<Encoding> forced = {}) {
  auto analysis = std::make_unique<Analysis>();
  StringLines lines;
  LogInput input = LogInput::File(path);
  input.Forced = forced;
  const Outcome outcome = analysis->Analyse(input, lines);
  std::vector<MessageRecord> records;
  for (std::int32_t i = 0; i < analysis->MessageCount; ++i) {
    records.push_back(*analysis->Messages[static_cast<std::size_t>(i)]);
  }
  return {outcome, lines.lines(), records, analysis->Input, analysis->Notes};
}

Analysed AnalyseBytes(const std::string& bytes, std::optional<Encoding> forced = {}) {
  const TempFile file(bytes);
  return AnalyseFile(file.path(), forced);
}

// A log of the code-page-932 characters that conversions most often get
// wrong: NEC special characters, the signs whose Unicode forms differ
// between converters, half-width katakana and the yen-or-backslash byte.
std::string SymbolsLog() {
  LogBuilder log;
  log.CrLf()
      .ShortHeader(1, "ABC00001", "①ｱｲｳ", "～－¬‖＼")
      .Body("㈱Ⅰ〓∵≒ \\~ ﾊﾝｸﾞﾘｰ")
      .Separator()
      .LongHeader(2, "XYZ12345", "ﾋｰﾛｰ", "Re: ①")
      .Body("こんにちは。");
  return log.Bytes();
}

struct OurLog {
  const char* Name;
  std::string Bytes;
};

std::vector<OurLog> OurLogs() {
  return {{"worked-example", ReadFileBytes(ZUNKARO_FIXTURES "/worked-example.log")},
          {"sample", ReadFileBytes(ZUNKARO_SAMPLES "/sample.log")},
          {"symbols", SymbolsLog()}};
}

class EncodedLogTest : public ::testing::TestWithParam<testing::Route> {};

TEST_P(EncodedLogTest, GivesTheReportOfItsShiftJisOriginal) {
  int carried = 0;
  for (const OurLog& log : OurLogs()) {
    SCOPED_TRACE(log.Name);
    const std::optional<std::string> converted = testing::Convert(GetParam(), log.Bytes);
    if (!converted) {
      // iconv refuses what its target cannot hold: NEC special characters in
      // SHIFT_JIS, full-width signs in ISO-2022-JP-3.
      EXPECT_STREQ(log.Name, "symbols");
      continue;
    }
    ++carried;
    const Analysed original = AnalyseBytes(log.Bytes);
    const Analysed read = AnalyseBytes(*converted);
    EXPECT_EQ(read.Input.Found, GetParam().Gives);
    EXPECT_FALSE(read.Input.CloseCall) << read.Input.Why;
    EXPECT_EQ(read.Input.Substituted.Count, 0u);
    EXPECT_EQ(read.Result, original.Result);
    EXPECT_EQ(read.Records, original.Records);
    EXPECT_EQ(read.Report, original.Report);
    EXPECT_EQ(read.Notes.LinesRead, original.Notes.LinesRead);
    EXPECT_EQ(read.Notes.HeaderLines, original.Notes.HeaderLines);
  }
  EXPECT_GE(carried, 2);
}

INSTANTIATE_TEST_SUITE_P(Routes, EncodedLogTest, ::testing::ValuesIn(testing::Routes()),
                         testing::CaseName{});

// A log longer than the piece looked at first, in UTF-8: followed to its
// end, then read again from its start.
TEST(EncodedLogTest, LongLogIsReadAgainFromItsStart) {
  LogBuilder log;
  for (int i = 0; i < 3000; ++i) {
    log.ShortHeader(i % 1000, "ABC0000" + std::to_string(i % 7), "たろう", "はじめまして")
        .Body("こんにちは。")
        .Separator();
  }
  const Analysed original = AnalyseBytes(log.Bytes());
  const Analysed read = AnalyseBytes(*testing::Convert(testing::Routes()[0], log.Bytes()));
  ASSERT_GT(log.Bytes().size(), std::size_t{1} << 18);
  EXPECT_EQ(read.Input.Found, Encoding::kUtf8);
  EXPECT_EQ(read.Records, original.Records);
  EXPECT_EQ(read.Report, original.Report);
}

struct DetectCase {
  const char* Name;
  std::string Bytes;
  Encoding Found;
  bool CloseCall;
  friend void PrintTo(const DetectCase& c, std::ostream* os) { *os << c.Name; }
};

class DetectionTest : public ::testing::TestWithParam<DetectCase> {};

TEST_P(DetectionTest, Finds) {
  const Analysed read = AnalyseBytes(GetParam().Bytes);
  EXPECT_EQ(read.Input.Found, GetParam().Found) << read.Input.Why;
  EXPECT_EQ(read.Input.CloseCall, GetParam().CloseCall) << read.Input.Why;
  EXPECT_FALSE(read.Input.Why.empty());
}

std::string RandomBytes(std::size_t n) {
  std::mt19937 random(99);
  std::string bytes(n, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Logs, DetectionTest,
    ::testing::Values(
        DetectCase{"Empty", "", Encoding::kShiftJis, false},
        DetectCase{"PureAscii", "001/001   ABC00001  Taro              Hi\n", Encoding::kShiftJis,
                   false},
        DetectCase{"ByteOrderMarkAlone", "\xef\xbb\xbf", Encoding::kUtf8, false},
        // "ﾋｰﾛｰ" in Shift-JIS is also two letters of UTF-8, neither Japanese.
        DetectCase{"HalfWidthHeroIsAlsoUtf8", "\xcb\xb0\xdb\xb0\n", Encoding::kShiftJis, true},
        // Half-width katakana in Shift-JIS read two by two are EUC-JP kanji.
        DetectCase{"HalfWidthKatakanaIsAlsoEucJp", Sjis("ﾊﾝｸﾞﾘｰ ﾓﾃﾞﾑ\n"), Encoding::kShiftJis,
                   true},
        DetectCase{"Utf8Japanese", "\xe3\x81\x93\xe3\x82\x93\n", Encoding::kUtf8, false},
        DetectCase{"Utf8CutOffInACharacter", "\xe3\x81\x93\xe3\x82", Encoding::kUtf8, false},
        DetectCase{"EucJpHiragana", "\xa4\xb3\xa4\xf3\xa4\xcb\xa4\xc1\xa4\xcf\n", Encoding::kEucJp,
                   false},
        DetectCase{"Iso2022Jp", "\x1b$B$3$s\x1b(B\n", Encoding::kIso2022Jp, false},
        DetectCase{"Iso2022JpKatakana", "\x1b(I1\x1b(B\n", Encoding::kIso2022Jp, false},
        DetectCase{"Iso2022JpTruncatedEscape", "\x1b$B$3$s\x1b(", Encoding::kIso2022Jp, false},
        DetectCase{"UnknownEscapeIsNoIso2022Jp", "\x1b$B$3$s\x1b(Z\n", Encoding::kShiftJis, false},
        DetectCase{"AsciiEscapesOnly", "\x1b(Babc\n", Encoding::kShiftJis, false},
        DetectCase{"NulBytes", std::string(1000, '\0'), Encoding::kShiftJis, false},
        DetectCase{"RandomBytes", RandomBytes(1 << 16), Encoding::kShiftJis, false}),
    testing::CaseName{});

// Forced encodings take the log as it is said to be, and a sequence that
// the encoding does not allow is an error naming its line and byte offset.
struct ForcedCase {
  const char* Name;
  std::string Bytes;
  Encoding Forced;
  std::string Reason;  // empty: no error
  friend void PrintTo(const ForcedCase& c, std::ostream* os) { *os << c.Name; }
};

class ForcedEncodingTest : public ::testing::TestWithParam<ForcedCase> {};

TEST_P(ForcedEncodingTest, ReadsOrRefuses) {
  const TempFile file(GetParam().Bytes);
  if (GetParam().Reason.empty()) {
    const Analysed read = AnalyseFile(file.path(), GetParam().Forced);
    EXPECT_TRUE(read.Input.Forced);
    EXPECT_EQ(read.Input.Found, GetParam().Forced);
    return;
  }
  auto analysis = std::make_unique<Analysis>();
  LogInput input = LogInput::File(file.path());
  input.Forced = GetParam().Forced;
  try {
    analysis->ExtractMessages(input);
    FAIL() << "read without an error";
  } catch (const LogError& error) {
    EXPECT_EQ(error.path(), file.path());
    EXPECT_EQ(error.reason(), GetParam().Reason);
  }
  EXPECT_EQ(analysis->MessageCount, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Logs, ForcedEncodingTest,
    ::testing::Values(
        ForcedCase{"ShiftJisTakesAnyBytes", RandomBytes(1000), Encoding::kShiftJis, ""},
        ForcedCase{"Utf8ReadsAsciiToo", "abc\n", Encoding::kUtf8, ""},
        ForcedCase{"InvalidUtf8", "ok\nab\x82\xa0\n", Encoding::kUtf8,
                   "invalid UTF-8 at line 2, byte offset 5"},
        ForcedCase{"Utf8CutOffAtTheEnd", "ok\n\xe3\x81", Encoding::kUtf8,
                   "incomplete UTF-8 character at the end of the log at line 2, byte offset 3"},
        ForcedCase{"InvalidEucJp", "\xa4\xa2\n\x82\xa0", Encoding::kEucJp,
                   "invalid EUC-JP at line 2, byte offset 3"},
        ForcedCase{"EightBitsInIso2022Jp", "a\n\x82\xa0", Encoding::kIso2022Jp,
                   "invalid ISO-2022-JP: a byte above 0x7F at line 2, byte offset 2"},
        ForcedCase{"UnknownEscape", "\x1b$Z", Encoding::kIso2022Jp,
                   "unknown ISO-2022-JP escape sequence at line 1, byte offset 2"},
        ForcedCase{"TruncatedEscape", "a\n\x1b$B$3$s\x1b(", Encoding::kIso2022Jp,
                   "incomplete ISO-2022-JP character or escape sequence at the end of the log "
                   "at line 2, byte offset 9"}),
    testing::CaseName{});

TEST(EncodedLogTest, CharacterWithoutShiftJisFormBecomesGeta) {
  // "é" and an emoji have no code-page-932 form; each counts one, as 〓.
  LogBuilder log;
  log.ShortHeader(1, "ABC00001", "Taro", "Hi").Body("x");
  const std::string sjis = log.Bytes();
  const std::string utf8 = *testing::Convert(testing::Routes()[0], sjis);
  const Analysed read = AnalyseBytes(utf8 + "\xe3\x81\x82\n" + "\xc3\xa9\xf0\x9f\x98\x80\n");
  const Analysed expected = AnalyseBytes(sjis + Sjis("あ") + "\n" + Sjis("〓〓") + "\n");
  EXPECT_EQ(read.Records, expected.Records);
  EXPECT_EQ(read.Input.Substituted.Count, 2u);
  EXPECT_EQ(read.Input.Substituted.Lines, (std::vector<std::int64_t>{5}));
}

TEST(EncodedLogTest, LogCutOffInACharacterEndsInGeta) {
  const Analysed read = AnalyseBytes("\xe3\x81\x82\n\xe3\x81");
  EXPECT_EQ(read.Input.Found, Encoding::kUtf8);
  EXPECT_EQ(read.Input.Substituted.Count, 1u);
  EXPECT_EQ(read.Input.Substituted.Lines, (std::vector<std::int64_t>{2}));
}

TEST(EncodedLogTest, ShiftJisLogsReadExactlyAsBefore) {
  // No line feed and no carriage return: nothing changes; a carriage return
  // among line feeds is dropped as before.
  for (const std::string& bytes : {std::string("abc"), Sjis("日付\r\n") + "a\rb\n"}) {
    const TempFile file(bytes);
    auto reader = std::make_unique<LogReader>(file.path());
    auto table = std::make_unique<MessageTable>();
    ReadingNotes direct;
    (void)ExtractMessages(*reader, *table, &direct);
    const Analysed read = AnalyseFile(file.path());
    EXPECT_EQ(read.Notes.LinesRead, direct.LinesRead);
    EXPECT_FALSE(read.Input.CarriageReturnLineEnds);
  }
}

}  // namespace
}  // namespace zunkaro
