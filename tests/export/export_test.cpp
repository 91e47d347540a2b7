// The exporters over the view of a result: the figures of the report, text
// that stays valid and inert whatever the log holds.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <memory>
#include <string>

#include "core/analysis.hpp"
#include "core/archive.hpp"
#include "export/csv_export.hpp"
#include "export/html_export.hpp"
#include "export/json_export.hpp"
#include "export/message_listing.hpp"
#include "export/result_view.hpp"
#include "encoding/utf8.hpp"
#include "support/case_name.hpp"
#include "support/encoded_logs.hpp"
#include "support/log_builder.hpp"

namespace zunkaro {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using Json = nlohmann::json;

const std::string kWorked = ZUNKARO_FIXTURES "/worked-example.log";
const std::string kHostile = ZUNKARO_FIXTURES "/hostile-handles.log";

ResultView ViewOfLog(const std::string& log) {
  auto analysis = std::make_unique<Analysis>();
  StringLines report;
  EXPECT_EQ(analysis->Analyse(log, report), Outcome::kReport);
  return ViewOf(*analysis, log);
}

class ViewEncodingTest : public ::testing::TestWithParam<testing::Route> {};

TEST_P(ViewEncodingTest, TellsTheEncodingFound) {
  const auto converted = testing::Convert(GetParam(), testing::ReadFileBytes(kWorked));
  ASSERT_TRUE(converted);
  const testing::TempFile log(*converted);
  const ResultView view = ViewOfLog(log.path().string());
  EXPECT_EQ(view.LogEncoding, GetParam().Gives);
  EXPECT_EQ(view.Users.size(), 4U);
}

INSTANTIATE_TEST_SUITE_P(Routes, ViewEncodingTest, ::testing::ValuesIn(testing::Routes()),
                         testing::CaseName{});

// An archive keeps no message, yet its charts are those of its logs
// concatenated: the posts by hour and by date are counted as they are read.
TEST(ResultViewTest, ArchiveCalendarIsThatOfItsLogsConcatenated) {
  const std::string sample = ZUNKARO_SAMPLES "/sample.log";
  std::string whole;
  ArchiveTally archive;
  for (const std::string& log : {sample, kHostile, kWorked, sample}) {
    whole += testing::ReadFileBytes(log);
    archive.Append(TallyArchiveLog(log));
  }
  archive.Rank();
  const testing::TempFile concatenated(whole);
  const ResultView merged = ViewOf(archive, "archive");
  const ResultView one = ViewOfLog(concatenated.path().string());
  EXPECT_EQ(merged.Calendar.ByHour(), one.Calendar.ByHour());
  EXPECT_EQ(merged.Calendar.ByDate(), one.Calendar.ByDate());
  EXPECT_GT(merged.Calendar.ByHour().back(), 0);  // the hostile log's hours of -9 and 99
  EXPECT_THAT(HtmlPage({&merged, 1}), HasSubstr("<rect"));
}

TEST(ResultViewTest, WorkedExampleHasTheReportsFiguresAndRanks) {
  const ResultView view = ViewOfLog(kWorked);
  ASSERT_EQ(view.Users.size(), 4U);
  // Report order; ranks by characters 1, 1, 3, 4 as the report shows them.
  const std::vector<std::tuple<int, std::string, std::int64_t, int, int, std::int64_t, int>> users{
      {1, "BBB00002", 1200, 3, 3, 400, 1},
      {1, "AAA00001", 1200, 4, 1, 300, 2},
      {3, "CCC00003", 800, 4, 1, 200, 3},
      {4, "DDD00004", 95, 1, 4, 95, 4}};
  for (std::size_t i = 0; i < users.size(); ++i) {
    const UserRow& u = view.Users[i];
    EXPECT_EQ(std::tie(u.Rank, u.UserId, u.Chars, u.Posts, u.PostRank, u.Average, u.AverageRank),
              users[i]);
  }
  EXPECT_EQ(view.Users[0].Handle, "NEKO-san");  // no fill spaces
  EXPECT_EQ(view.SysopDeleted, 1);
  EXPECT_EQ(view.Total.Users, 4);
  EXPECT_EQ(view.Total.Chars, 3295);
  EXPECT_EQ(view.Total.Posts, 13);
  EXPECT_EQ(view.Total.Average, 253);
  EXPECT_EQ(view.Longest.Number, 123U);
  EXPECT_EQ(view.Longest.Chars, 612);
  EXPECT_EQ(view.Longest.Handle, "NEKO-san");
  // Every message, in log order, at the line of its header.
  ASSERT_FALSE(view.Messages.empty());
  EXPECT_EQ(view.Messages.front().Line, 3);
  EXPECT_EQ(view.Messages.front().Number, 118U);
  std::int64_t counted = 0;
  std::int32_t posts = 0;
  for (const MessageRow& m : view.Messages) {
    if (m.Status == MessageStatus::kCounted) counted += m.Chars;
    if (m.Status != MessageStatus::kPosterDeleted) ++posts;
  }
  EXPECT_EQ(counted, view.Total.Chars);
  EXPECT_EQ(posts, view.Total.Posts);
}

TEST(JsonExportTest, OneCompactLineWithTheFixedFieldNames) {
  const std::string line = JsonLine(ViewOfLog(kWorked));
  ASSERT_EQ(line.find('\n'), line.size() - 1);
  const Json json = Json::parse(line);
  EXPECT_EQ(json["log"], kWorked);
  EXPECT_EQ(json["encoding"], "shift-jis");
  EXPECT_EQ(json["users"][1], Json::parse(R"({"rank": 1, "user_id": "AAA00001",
      "handle": "みかん", "chars": 1200, "posts": 4, "post_rank": 1, "average": 300,
      "average_rank": 2})"));
  EXPECT_EQ(json["sysop_deleted"], 1);
  EXPECT_EQ(json["totals"], Json::parse(R"({"users": 4, "chars": 3295, "posts": 13, "average": 253})"));
  EXPECT_EQ(json["longest"], Json::parse(R"({"number": 123, "year": 97, "month": 5, "day": 3,
      "hour": 21, "minute": 7, "user_id": "BBB00002", "handle": "NEKO-san", "chars": 612})"));
}

TEST(JsonExportTest, ZeroedLongestAndNumbersPast32Bits) {
  ResultView view;
  view.Log = "big.log";
  view.Users.push_back(UserRow{.Rank = 1, .UserId = "ABC00001", .Handle = "x",
                               .Chars = 9'000'000'000'123, .Posts = 2'000'000'000,
                               .PostRank = 1, .Average = 4'500, .AverageRank = 1});
  view.Total = Totals{.Users = 1, .Chars = 9'000'000'000'123, .Posts = 2'000'000'000, .Average = 4'500};
  const std::string line = JsonLine(view);
  EXPECT_THAT(line, HasSubstr(R"("chars":9000000000123)"));
  EXPECT_THAT(line, HasSubstr(R"("longest":{"number":0,"year":0,"month":0,"day":0,"hour":0,)"
                              R"("minute":0,"user_id":"","handle":"","chars":0})"));
}

TEST(JsonExportTest, HostileTextIsValidUtf8AndComesBackAsText) {
  const ResultView view = ViewOfLog(kHostile);
  // parse() refuses bytes that are not UTF-8.
  const Json json = Json::parse(JsonLine(view));
  std::vector<std::string> handles;
  for (const Json& user : json["users"]) handles.push_back(user["handle"]);
  EXPECT_THAT(handles, ::testing::IsSupersetOf({"</table><script>", "a,b\"c", "=1+2", "&amp;<&",
                                                 "\xEF\xBF\xBD\xEF\xBF\xBD[31m\xEF\xBF\xBD"}));
  const std::string messages = MessageJsonLines(view);
  std::size_t count = 0;
  for (std::size_t start = 0; start < messages.size(); ++count) {
    const std::size_t end = messages.find('\n', start);
    const Json m = Json::parse(messages.substr(start, end - start));
    EXPECT_EQ(m["status"], StatusName(view.Messages[count].Status));
    EXPECT_EQ(m["line"], view.Messages[count].Line);
    start = end + 1;
  }
  EXPECT_EQ(count, view.Messages.size());
  // A log name that is not UTF-8 is still valid JSON.
  ResultView named = view;
  named.Log = "bad\xff\xfe.log";
  EXPECT_EQ(Json::parse(JsonLine(named))["log"], "bad\xEF\xBF\xBD\xEF\xBF\xBD.log");
}

struct CsvCase {
  std::string Name;
  std::string Field;
  std::string Written;
};

class CsvFieldTest : public ::testing::TestWithParam<CsvCase> {};

TEST_P(CsvFieldTest, QuotedOnlyWhereNeededAndNeverChanged) {
  EXPECT_EQ(CsvField(GetParam().Field), GetParam().Written);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, CsvFieldTest,
    ::testing::Values(CsvCase{"Plain", "NEKO-san", "NEKO-san"},
                      CsvCase{"Japanese", "みかん", "みかん"},
                      CsvCase{"Empty", "", ""},
                      CsvCase{"Comma", "a,b", "\"a,b\""},
                      CsvCase{"Quote", "a\"b", "\"a\"\"b\""},
                      CsvCase{"LineEnds", "a\r\nb", "\"a\r\nb\""},
                      CsvCase{"Formula", "=1+2", "\"=1+2\""},
                      CsvCase{"Plus", "+1", "\"+1\""},
                      CsvCase{"Minus", "-2+3", "\"-2+3\""},
                      CsvCase{"At", "@SUM(A1)", "\"@SUM(A1)\""},
                      CsvCase{"LeadingSpace", " x", "\" x\""},
                      CsvCase{"EqualsInside", "a=b", "a=b"}),
    testing::CaseName{});

TEST(CsvExportTest, HeaderAndOneRowPerUserWithCrLf) {
  EXPECT_EQ(CsvHeader(), "log,rank,user_id,handle,chars,posts,post_rank,average,average_rank\r\n");
  const std::string rows = CsvRows(ViewOfLog(kWorked));
  EXPECT_EQ(rows, kWorked + ",1,BBB00002,NEKO-san,1200,3,3,400,1\r\n" + kWorked +
                      ",1,AAA00001,みかん,1200,4,1,300,2\r\n" + kWorked +
                      ",3,CCC00003,ゆきだるま,800,4,1,200,3\r\n" + kWorked +
                      ",4,DDD00004,Kappa,95,1,4,95,4\r\n");
  EXPECT_EQ(MessageCsvHeader(),
            "log,line,number,user_id,handle,year,month,day,hour,minute,chars,status\r\n");
  EXPECT_THAT(MessageCsvRows(ViewOfLog(kHostile)),
              HasSubstr(",6,AMP00006,&amp;<&,-9,-9,-9,-9,-9,6,counted\r\n"));
}

TEST(MessageListingTest, OneFixedWidthLinePerMessage) {
  const ResultView view = ViewOfLog(kWorked);
  StringLines lines;
  WriteMessageListing(view, lines);
  ASSERT_EQ(lines.lines().size(), view.Messages.size() + 1);
  EXPECT_EQ(lines.lines()[0],
            "    line  number  date            user_id   handle              chars  status");
  EXPECT_EQ(testing::Utf8(lines.lines()[1]),
            "       3  #00118  97/05/01 10:02  AAA00001  みかん                300  counted");
}

TEST(HtmlExportTest, EveryLogTextIsEscaped) {
  const ResultView hostile = ViewOfLog(kHostile);
  const std::string page = HtmlPage(std::vector<ResultView>{hostile, ViewOfLog(kWorked)});
  EXPECT_THAT(page, Not(HasSubstr("<img")));
  EXPECT_THAT(page, Not(HasSubstr("</table><script>")));
  EXPECT_THAT(page, HasSubstr("&lt;/table&gt;&lt;script&gt;"));
  EXPECT_THAT(page, HasSubstr("&amp;amp;&lt;&amp;"));
  EXPECT_THAT(page, HasSubstr("a,b&quot;c"));
  // One script, ours; a section, a table and three charts per log.
  auto count = [&page](std::string_view what) {
    std::size_t n = 0;
    for (std::size_t at = page.find(what); at != std::string::npos; at = page.find(what, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count("<script"), 1U);
  EXPECT_EQ(count("<section"), 2U);
  EXPECT_EQ(count("<svg"), 6U);
  EXPECT_EQ(count("<tr data-order"), hostile.Users.size() + 4);
  EXPECT_EQ(ValidUtf8(page), page);
  EXPECT_EQ(EscapeHtml("a\x01<b>\x7f'"), "a\xEF\xBF\xBD&lt;b&gt;\xEF\xBF\xBD&#39;");
}

struct DateCase {
  std::string Name;
  int Year, Month, Day;
  std::optional<int> Days;  // since 1970-01-01
};

class DayNumberTest : public ::testing::TestWithParam<DateCase> {};

TEST_P(DayNumberTest, TwoDigitYearsAndDaysThatDoNotExist) {
  EXPECT_EQ(DayNumber(GetParam().Year, GetParam().Month, GetParam().Day), GetParam().Days);
}

INSTANTIATE_TEST_SUITE_P(
    Dates, DayNumberTest,
    ::testing::Values(DateCase{"FirstOf1970", 70, 1, 1, 0},
                      DateCase{"LastOf1999", 99, 12, 31, 10956},
                      DateCase{"FirstOf2000", 0, 1, 1, 10957},
                      DateCase{"LeapDay2000", 0, 2, 29, 11016},
                      DateCase{"LastOf2069", 69, 12, 31, 36524},
                      DateCase{"LeapDay1996", 96, 2, 29, 9555},
                      DateCase{"NoLeapDay1997", 97, 2, 29, std::nullopt},
                      DateCase{"ThirtiethOfFebruary", 97, 2, 30, std::nullopt},
                      DateCase{"MonthThirteen", 97, 13, 1, std::nullopt},
                      DateCase{"MonthZero", 97, 0, 1, std::nullopt},
                      DateCase{"DayZero", 97, 1, 0, std::nullopt},
                      DateCase{"Negative", -9, -9, -9, std::nullopt},
                      DateCase{"AllNines", 99, 99, 99, std::nullopt}),
    testing::CaseName{});

struct Utf8Case {
  std::string Name;
  std::string Bytes;
  std::string Valid;
};

class ValidUtf8Test : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(ValidUtf8Test, KeepsWellFormedAndMarksTheRest) {
  EXPECT_EQ(ValidUtf8(GetParam().Bytes), GetParam().Valid);
}

const std::string kMark = "\xEF\xBF\xBD";
INSTANTIATE_TEST_SUITE_P(
    Sequences, ValidUtf8Test,
    ::testing::Values(Utf8Case{"Ascii", "abc", "abc"},
                      Utf8Case{"AllLengths", "\xC3\xA9\xE3\x81\x82\xF0\x9F\x98\x80",
                               "\xC3\xA9\xE3\x81\x82\xF0\x9F\x98\x80"},
                      Utf8Case{"LoneContinuation", "a\x80z", "a" + kMark + "z"},
                      Utf8Case{"Overlong", "\xC0\xAF", kMark + kMark},
                      Utf8Case{"OverlongThree", "\xE0\x80\xAF", kMark + kMark + kMark},
                      Utf8Case{"Surrogate", "\xED\xA0\x80", kMark + kMark + kMark},
                      Utf8Case{"AboveLast", "\xF4\x90\x80\x80", kMark + kMark + kMark + kMark},
                      Utf8Case{"CutShort", "\xE3\x81", kMark + kMark},
                      Utf8Case{"ShiftJis", "\x82\xa0", kMark + kMark}),
    testing::CaseName{});

}  // namespace
}  // namespace zunkaro
