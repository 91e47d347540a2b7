#include "log/extract_messages.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

#include "log/log_error.hpp"
#include "support/case_name.hpp"
#include "support/log_builder.hpp"

namespace zunkaro {
namespace {

using testing::LogBuilder;
using testing::Sjis;
using testing::TempFile;

// The messages a log yields, copied out of a table.
std::vector<MessageRecord> Extract(std::string_view bytes) {
  const TempFile file(bytes);
  auto table = std::make_unique<MessageTable>();
  const std::int32_t count = ExtractMessages(file.path(), *table);
  std::vector<MessageRecord> records;
  for (std::int32_t i = 0; i < count; ++i) {
    records.push_back(*(*table)[static_cast<std::size_t>(i)]);
  }
  return records;
}

std::string Handle16(std::string_view utf8) {
  std::string handle = Sjis(utf8);
  handle.resize(16, ' ');
  return handle;
}

// The log of the worked example: a stray body line, a short header with
// three lines of body and a separator, a stray line, a long header whose
// message ends with the file.
LogBuilder WorkedExample(bool crlf = false) {
  LogBuilder log;
  log.CrLf(crlf)
      .Body("ログの始まり")
      .ShortHeader(12, "ABC00001", "テスト", "はじめまして")
      .Body("こんにちは。")
      .Body("See you!")
      .Separator()
      .Body("どこにも数えない行")
      .LongHeader(1234, "ABC00001", "テスト", "発言者削除しました", {98, 1, 2, 3, 4})
      .Body("Bye");
  return log;
}

TEST(ExtractMessagesTest, WorkedExample) {
  const auto records = Extract(WorkedExample().Bytes());
  ASSERT_EQ(records.size(), 2u);

  const MessageRecord& first = records[0];
  EXPECT_EQ(first.Number, 12);
  EXPECT_STREQ(first.UserId.data(), "ABC00001");
  EXPECT_EQ(std::string(first.Handle.data()), Handle16("テスト"));
  EXPECT_EQ(first.CharCount, 6 + 6 + 7);
  EXPECT_EQ(first.Flags, mfNone);
  EXPECT_EQ((std::vector<int>{first.Year, first.Month, first.Day, first.Hour, first.Minute}),
            (std::vector<int>{97, 3, 15, 21, 5}));

  const MessageRecord& second = records[1];
  EXPECT_EQ(second.Number, 1234);
  EXPECT_EQ(second.Flags, mfPosterDeleted);
  EXPECT_EQ(second.CharCount, 9 + 3);  // the title still counts
  EXPECT_EQ(second.Year, 98);
  EXPECT_EQ(second.Minute, 4);
}

TEST(ExtractMessagesTest, NotesWhereHeadersStandAndHowLinesFell) {
  // The worked example with a body line of 300 bytes, read in two pieces
  // that share one line number, and two stray lines at the end.
  for (const bool crlf : {false, true}) {
    const TempFile file(WorkedExample(crlf).Body(std::string(299, 'x')).Separator().Body("z").Bytes());
    auto table = std::make_unique<MessageTable>();
    ReadingNotes notes;
    notes.LinesOutside = 99;  // filled anew
    ASSERT_EQ(ExtractMessages(file.path(), *table, &notes), 2);
    EXPECT_EQ(notes.HeaderLines, (std::vector<std::int64_t>{2, 8}));
    EXPECT_EQ(notes.LinesRead, 13);
    EXPECT_EQ(notes.LinesOutside, 3);  // the first line, the line after the separator, the last
  }
}

TEST(ExtractMessagesTest, NotesLinesThatLookLikeHeaders) {
  // The worked example's header mangled by a tab: its message is left out,
  // and its line is noted, once for a line longer than a read.
  std::string log = WorkedExample().Bytes();
  const std::size_t gap = log.find("   ABC");
  log.erase(gap, 2);  // of the three spaces, one becomes a tab
  log[gap] = '\t';
  log.append("99/99\tXYZ00001\t").append(300, 'x').append("\n");
  const TempFile file(log);
  auto table = std::make_unique<MessageTable>();
  ReadingNotes notes;
  ASSERT_EQ(ExtractMessages(file.path(), *table, &notes), 1);
  EXPECT_EQ(notes.NearMissCount, 2);
  EXPECT_EQ(notes.NearMissLines, (std::vector<std::int64_t>{2, 11}));
}

// No line of our own logs looks like a header gone wrong.
TEST(ExtractMessagesTest, WellFormedLogsHaveNoNearMisses) {
  std::vector<std::filesystem::path> logs{ZUNKARO_FIXTURES "/worked-example.log",
                                          ZUNKARO_SAMPLES "/sample.log"};
  for (const auto& entry :
       std::filesystem::directory_iterator(ZUNKARO_SAMPLES "/../fuzz/corpus/analysis")) {
    logs.push_back(entry.path());
  }
  auto table = std::make_unique<MessageTable>();
  ReadingNotes notes;
  for (const auto& log : logs) {
    (void)ExtractMessages(log, *table, &notes);
    EXPECT_EQ(notes.NearMissCount, 0) << log;
  }
}

TEST(ExtractMessagesTest, CrLfAndLfReadAlike) {
  const std::string crlf = WorkedExample(true).Bytes();
  ASSERT_NE(crlf, WorkedExample().Bytes());
  EXPECT_EQ(Extract(crlf), Extract(WorkedExample().Bytes()));
}

// What is kept of one message, for the table below.
struct Kept {
  std::int32_t Number;
  std::int64_t CharCount;
  MessageFlags Flags;
  friend bool operator==(const Kept&, const Kept&) = default;
  friend std::ostream& operator<<(std::ostream& os, const Kept& k) {
    return os << "#" << k.Number << " " << k.CharCount << " chars, flags " << int{k.Flags};
  }
};

struct LogCase {
  const char* Name;
  friend void PrintTo(const LogCase& c, std::ostream* os) { *os << c.Name; }
  std::string Bytes;
  std::vector<Kept> Messages;
};

std::string Header(int number, std::string_view id = "ABC00001", std::string_view title = "Hi") {
  LogBuilder log;
  log.ShortHeader(number, id, "Taro", title);
  return log.Bytes();
}

// A header line alone, without the date line after it.
std::string HeaderLine(int number) {
  const std::string header = Header(number);
  return header.substr(0, header.find('\n') + 1);
}

class ExtractCaseTest : public ::testing::TestWithParam<LogCase> {};

TEST_P(ExtractCaseTest, Yields) {
  std::vector<Kept> kept;
  for (const MessageRecord& m : Extract(GetParam().Bytes)) {
    kept.push_back({m.Number, m.CharCount, m.Flags});
  }
  EXPECT_EQ(kept, GetParam().Messages);
}

const std::string kSeparator = " \b\n";

INSTANTIATE_TEST_SUITE_P(
    Logs, ExtractCaseTest,
    ::testing::Values(
        LogCase{"Empty", "", {}},
        LogCase{"NoHeader", "just text\n" + kSeparator + "more\n", {}},
        LogCase{"SeparatorsChangeNothing",
                kSeparator + Header(1) + "ab\n" + kSeparator + kSeparator + "lost\n" + Header(2) +
                    "c\n",
                {{1, 4, mfNone}, {2, 3, mfNone}}},
        LogCase{"HeaderClosesMessage", Header(1) + "ab\n" + Header(2) + "cd\n",
                {{1, 4, mfNone}, {2, 4, mfNone}}},
        // The second header is the first one's date line; its own date line
        // ("日付 : 97/03/15 21:05", 16 characters) is then a body line.
        LogCase{"HeaderShapedDateLine", HeaderLine(1) + Header(2), {{1, 2 + 16, mfNone}}},
        LogCase{"HeaderIsLastLine", std::string("x\n").append(HeaderLine(7)), {{7, 2, mfNone}}},
        LogCase{"HeaderWithoutLineFeedAtEnd", Header(7).substr(0, Header(7).find('\n')),
                {{7, 2, mfNone}}},
        LogCase{"EndOfFileByteStopsReading", Header(1) + "ab\x1a" "cd\n" + Header(2), {{1, 4, mfNone}}},
        LogCase{"EndOfFileByteFirst", std::string("\x1a").append(Header(1)), {}},
        LogCase{"CarriageReturnsDroppedAnywhere", Header(1) + "a\rb\r\r\n \b\r\nlost\n",
                {{1, 4, mfNone}}},
        LogCase{"SysopDeletion", Header(3, "********", "Title") + "abc\n", {{3, 3, mfSysopDeleted}}},
        LogCase{"SysopOverPosterDeletion", Header(3, "********", "発言者削除") + "abc\n",
                {{3, 3, mfSysopDeleted}}},
        LogCase{"PartlyStarredIdIsOrdinary", Header(3, "ABC*****") + "abc\n", {{3, 5, mfNone}}},
        LogCase{"PosterDeletedNeedsWholeMark", Header(3, "ABC00001", "発言者") + "", {{3, 3, mfNone}}},
        LogCase{"TitleOfLineFeedOnly", Header(4, "ABC00001", ""), {{4, 0, mfNone}}},
        LogCase{"LongTitleCountedWhole",
                Header(4, "ABC00001", std::string(100, 'T')), {{4, 100, mfNone}}},
        LogCase{"NulEndsWhatALineShows", Header(1) + std::string("ab\0cd\n", 6) + "ef\n",
                {{1, 6, mfNone}}},
        // A line of 300 bytes arrives as 255 and 45: a header-shaped second
        // read opens a message.
        // A header of exactly 255 bytes is a whole read: the line feed after
        // it is its date line, and the real date line ("日付 : 97/03/15 21:05",
        // 16 characters) is body.
        LogCase{"HeaderFillsARead", Header(5, "ABC00001", std::string(255 - 38, 'T')),
                {{5, 217 + 16, mfNone}}},
        LogCase{"LongLineSplitsIntoReads",
                Header(1) + std::string(255, 'x') + Header(2) + "y\n",
                {{1, 2 + 255, mfNone}, {2, 3, mfNone}}}),
    testing::CaseName{});

struct DateCase {
  const char* Name;
  friend void PrintTo(const DateCase& c, std::ostream* os) { *os << c.Name; }
  std::string DateLine;
  std::vector<int> Fields;  // year, month, day, hour, minute
};

class DateLineTest : public ::testing::TestWithParam<DateCase> {};

TEST_P(DateLineTest, Converts) {
  const auto records = Extract(HeaderLine(1) + GetParam().DateLine);
  ASSERT_EQ(records.size(), 1u);
  const MessageRecord& m = records[0];
  EXPECT_EQ((std::vector<int>{m.Year, m.Month, m.Day, m.Hour, m.Minute}), GetParam().Fields);
}

INSTANTIATE_TEST_SUITE_P(
    Dates, DateLineTest,
    ::testing::Values(DateCase{"Plain", "Date : 97/03/15 21:05\n", {97, 3, 15, 21, 5}},
                      DateCase{"OtherColumnsIgnored", "xxxxxxx97x03x15x21x05xxxx\n", {97, 3, 15, 21, 5}},
                      DateCase{"SpaceBeforeDigit", "Date :  5/ 3/-3/+7/5 \n", {5, 3, -3, 7, 5}},
                      DateCase{"Letters", "Date : ab/cd/ef/gh/ij\n", {0, 0, 0, 0, 0}},
                      DateCase{"CutShort", "Date : 97/0", {97, 0, 0, 0, 0}},
                      DateCase{"Empty", "\n", {0, 0, 0, 0, 0}}),
    testing::CaseName{});

TEST(ExtractMessagesTest, ReusedTableHoldsOnlyTheNewLog) {
  auto table = std::make_unique<MessageTable>();
  const TempFile first(Header(1) + std::string(50, 'a') + "\n" + Header(2));
  const TempFile second(Header(9, "XYZ00009"));
  ASSERT_EQ(ExtractMessages(first.path(), *table), 2);
  ASSERT_EQ(ExtractMessages(second.path(), *table), 1);
  EXPECT_EQ((*table)[0]->Number, 9);
  EXPECT_EQ((*table)[0]->CharCount, 2);
  EXPECT_STREQ((*table)[0]->UserId.data(), "XYZ00009");
}

TEST(ExtractMessagesTest, HoldsExactlyAFullTable) {
  std::string log;
  for (std::size_t i = 0; i < kTableSlots; ++i) log += Header(static_cast<int>(i % 1000));
  const TempFile full(log);
  auto table = std::make_unique<MessageTable>();
  EXPECT_EQ(ExtractMessages(full.path(), *table), static_cast<std::int32_t>(kTableSlots));

  const TempFile over(log + Header(1));
  try {
    (void)ExtractMessages(over.path(), *table);
    FAIL() << "a log of 65001 messages was read";
  } catch (const LogError& error) {
    EXPECT_EQ(error.path(), over.path());
    EXPECT_THAT(error.what(), ::testing::HasSubstr("more than 65000 messages"));
  }
}

struct OpenFailure {
  const char* Name;
  friend void PrintTo(const OpenFailure& c, std::ostream* os) { *os << c.Name; }
  std::function<std::filesystem::path(const TempFile&)> Path;
  const char* Reason;
};

class UnreadableLogTest : public ::testing::TestWithParam<OpenFailure> {};

TEST_P(UnreadableLogTest, NamesFileAndReason) {
  const TempFile file(Header(1));
  const std::filesystem::path path = GetParam().Path(file);
  auto table = std::make_unique<MessageTable>();
  try {
    (void)ExtractMessages(path, *table);
    FAIL() << path << " was read";
  } catch (const LogError& error) {
    EXPECT_EQ(error.path(), path);
    EXPECT_EQ(error.reason(), GetParam().Reason);
    EXPECT_EQ(std::string(error.what()), path.string() + ": " + GetParam().Reason);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, UnreadableLogTest,
    ::testing::Values(
        OpenFailure{"Missing", [](const TempFile& f) { return f.dir() / "missing.log"; },
                    "No such file or directory"},
        OpenFailure{"Directory", [](const TempFile& f) { return f.dir(); }, "Is a directory"},
        OpenFailure{"Device", [](const TempFile&) { return std::filesystem::path("/dev/zero"); },
                    "is a device, not a log file"}),
    testing::CaseName{});

}  // namespace
}  // namespace zunkaro
