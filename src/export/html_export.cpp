#include "export/html_export.hpp"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string_view>

#include "encoding/shift_jis.hpp"
#include "encoding/utf8.hpp"

namespace zunkaro {
namespace {

// The page's frame. Fonts: Japanese text on macOS (Hiragino), Windows (Yu
// Gothic, Meiryo, MS PGothic) and Linux (Noto CJK, IPA, VL, Takao).
constexpr std::string_view kPageStart = R"(<!DOCTYPE html>
<html lang="ja">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<meta name="generator" content="zunkaro-report">
<title>Zunkaro</title>
<style>
:root { color-scheme: light; }
body { margin: 1.5em auto; max-width: 62em; padding: 0 1em; color: #1f2328; background: #fff;
  font-family: "Hiragino Kaku Gothic ProN", "Hiragino Sans", "Yu Gothic UI", "Yu Gothic",
    YuGothic, Meiryo, "MS PGothic", "Noto Sans CJK JP", "Noto Sans JP", "IPAexGothic",
    "IPAPGothic", "IPAGothic", "VL PGothic", "TakaoPGothic", sans-serif;
  line-height: 1.5; }
h1 { font-size: 1.5em; margin: 0 0 .5em; }
h2 { font-size: 1.2em; border-bottom: 2px solid #d0d7de; padding-bottom: .2em; overflow-wrap: anywhere; }
section.log { margin-bottom: 3em; }
table { border-collapse: collapse; font-variant-numeric: tabular-nums; }
table.ranking { width: 100%; }
th, td { padding: .2em .6em; border-bottom: 1px solid #d0d7de; text-align: left; white-space: pre; }
td.n, th.n { text-align: right; }
thead th { background: #f6f8fa; cursor: pointer; user-select: none; }
thead th[aria-sort=ascending]::after { content: " \25B2"; }
thead th[aria-sort=descending]::after { content: " \25BC"; }
tbody tr:nth-child(even) { background: #fafbfc; }
dl.figures { display: grid; grid-template-columns: max-content auto; gap: .2em 1.5em; }
dl.figures dt { font-weight: bold; }
dl.figures dd { margin: 0; font-variant-numeric: tabular-nums; white-space: pre-wrap; }
figure { margin: 1.5em 0; }
figcaption { font-weight: bold; margin-bottom: .3em; }
svg { max-width: 100%; height: auto; font-size: 12px; }
svg text { fill: #1f2328; font-family: inherit; }
svg .bar { fill: #4a7bd0; }
svg .unknown { fill: #b0b7c0; }
svg .axis { stroke: #8c959f; stroke-width: 1; }
</style>
</head>
<body>
<h1>Zunkaro</h1>
)";

// Sorts a ranking table by the column whose heading is clicked (or chosen
// with Enter or Space); clicked again, the other way round.
constexpr std::string_view kPageEnd = R"(<script>
"use strict";
document.querySelectorAll("table.ranking").forEach(function (table) {
  var headings = table.querySelectorAll("thead th");
  headings.forEach(function (heading, column) {
    heading.tabIndex = 0;
    function sort() {
      var body = table.tBodies[0];
      var rows = Array.prototype.slice.call(body.rows);
      var numeric = heading.classList.contains("n");
      var way = heading.getAttribute("aria-sort") === "ascending" ? -1 : 1;
      rows.sort(function (a, b) {
        var x = a.cells[column].textContent, y = b.cells[column].textContent;
        var order = numeric ? Number(x) - Number(y) : x.localeCompare(y, "ja");
        return order * way || a.dataset.order - b.dataset.order;
      });
      headings.forEach(function (other) { other.removeAttribute("aria-sort"); });
      heading.setAttribute("aria-sort", way === 1 ? "ascending" : "descending");
      rows.forEach(function (row) { body.appendChild(row); });
    }
    heading.addEventListener("click", sort);
    heading.addEventListener("keydown", function (event) {
      if (event.key === "Enter" || event.key === " ") { event.preventDefault(); sort(); }
    });
  });
});
</script>
</body>
</html>
)";

// The ranking table's columns, as the report heads them:
// 順位, User-ID, ハンドル, 発言文字数, 発言数, 順位, 平均文字数, 順位.
constexpr std::string_view kTableHead =
    "<thead><tr><th class=\"n\" scope=\"col\">\xE9\xA0\x86\xE4\xBD\x8D</th>"
    "<th scope=\"col\">User-ID</th>"
    "<th scope=\"col\">\xE3\x83\x8F\xE3\x83\xB3\xE3\x83\x89\xE3\x83\xAB</th>"
    "<th class=\"n\" scope=\"col\">\xE7\x99\xBA\xE8\xA8\x80\xE6\x96\x87\xE5\xAD\x97\xE6\x95\xB0</th>"
    "<th class=\"n\" scope=\"col\">\xE7\x99\xBA\xE8\xA8\x80\xE6\x95\xB0</th>"
    "<th class=\"n\" scope=\"col\">\xE9\xA0\x86\xE4\xBD\x8D</th>"
    "<th class=\"n\" scope=\"col\">\xE5\xB9\xB3\xE5\x9D\x87\xE6\x96\x87\xE5\xAD\x97\xE6\x95\xB0</th>"
    "<th class=\"n\" scope=\"col\">\xE9\xA0\x86\xE4\xBD\x8D</th></tr></thead>\n";

constexpr std::string_view kSysopDeleted = "SYSOP\xE5\x89\x8A\xE9\x99\xA4";          // SYSOP削除
constexpr std::string_view kTotalsLabel = "\xE5\x90\x88\xE8\xA8\x88";                 // 合計
constexpr std::string_view kPeople = "\xE4\xBA\xBA";                                  // 人
constexpr std::string_view kLongestLabel =
    "\xE6\x9C\x80\xE9\xAB\x98\xE6\x96\x87\xE5\xAD\x97\xE6\x95\xB0\xE7\x99\xBA\xE8\xA8\x80";  // 最高文字数発言
constexpr std::string_view kCharsUnit = "\xE6\x96\x87\xE5\xAD\x97";                   // 文字
constexpr std::string_view kPostsUnit = "\xE4\xBB\xB6";                               // 件
constexpr std::string_view kUnknown = "\xE4\xB8\x8D\xE6\x98\x8E";                     // 不明
constexpr std::string_view kNone = "\xE3\x81\xAA\xE3\x81\x97";                        // なし
constexpr std::string_view kTopCaption =
    "\xE7\x99\xBA\xE8\xA8\x80\xE6\x96\x87\xE5\xAD\x97\xE6\x95\xB0\xE3\x81\xAE\xE5\xA4\x9A\xE3\x81\x84"
    "\xE9\xA0\x86";  // 発言文字数の多い順
constexpr std::string_view kHourCaption =
    "\xE6\x99\x82\xE5\x88\xBB\xE5\x88\xA5\xE3\x81\xAE\xE7\x99\xBA\xE8\xA8\x80\xE6\x95\xB0";  // 時刻別の発言数
constexpr std::string_view kDayCaption =
    "\xE6\x97\xA5\xE5\x88\xA5\xE3\x81\xAE\xE7\x99\xBA\xE8\xA8\x80\xE6\x95\xB0";  // 日別の発言数

constexpr std::size_t kTopPosters = 10;
constexpr int kCenturySplit = 70;  // two-digit years from here on are 19xx
constexpr int kLastTwoDigitYear = 99;

// Chart geometry, in SVG user units.
constexpr int kChartWidth = 720;
constexpr int kLabelWidth = 190;  // the top posters' names
constexpr int kBarHeight = 18;
constexpr int kRowHeight = 24;
constexpr int kPlotHeight = 160;
constexpr int kAxisRoom = 36;  // below the plot, for labels
constexpr int kPlotMargin = 24;  // left and right of the bars

void Escape(std::string& out, std::string_view utf8) {
  for (const char c : utf8) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      case '\t':
      case '\n': out += c; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
          // A control character has no place in a page.
          out += "\xEF\xBF\xBD";
        } else {
          out += c;
        }
    }
  }
}

class Page {
 public:
  Page& Raw(std::string_view text) {
    html_ += text;
    return *this;
  }
  // Text that came from outside, UTF-8 already.
  Page& Text(std::string_view utf8) {
    Escape(html_, utf8);
    return *this;
  }
  // Shift-JIS text from the log.
  Page& Log(std::string_view sjis) { return Text(decoder_.ToUtf8(sjis)); }
  Page& Number(std::int64_t value) { return Raw(std::to_string(value)); }
  // A length in SVG units, to two decimals.
  Page& Units(double value) {
    std::array<char, 32> text{};
    const int n = std::snprintf(text.data(), text.size(), "%.2f", value);
    return Raw(std::string_view(text.data(), static_cast<std::size_t>(std::max(n, 0))));
  }
  // "%05u" as the report prints a message's number.
  Page& FiveDigits(std::uint32_t value) {
    std::array<char, 16> text{};
    const int n = std::snprintf(text.data(), text.size(), "%05u", value);
    return Raw(std::string_view(text.data(), static_cast<std::size_t>(std::max(n, 0))));
  }
  // "%02d" as the report prints a date part.
  Page& TwoDigits(std::int64_t value) {
    if (value >= 0 && value < 10) html_ += '0';
    return Number(value);
  }

  [[nodiscard]] std::string Take() { return std::move(html_); }

 private:
  std::string html_;
  ShiftJisDecoder decoder_;
};

void Ranking(Page& page, const ResultView& view) {
  page.Raw("<table class=\"ranking\">\n").Raw(kTableHead).Raw("<tbody>\n");
  int order = 0;
  for (const UserRow& user : view.Users) {
    page.Raw("<tr data-order=\"").Number(order++).Raw("\"><td class=\"n\">").Number(user.Rank);
    page.Raw("</td><td>").Log(user.UserId).Raw("</td><td>").Log(user.Handle);
    page.Raw("</td><td class=\"n\">").Number(user.Chars).Raw("</td><td class=\"n\">").Number(user.Posts);
    page.Raw("</td><td class=\"n\">").Number(user.PostRank).Raw("</td><td class=\"n\">");
    page.Number(user.Average).Raw("</td><td class=\"n\">").Number(user.AverageRank);
    page.Raw("</td></tr>\n");
  }
  page.Raw("</tbody>\n</table>\n");
}

void Figures(Page& page, const ResultView& view) {
  const Totals& total = view.Total;
  page.Raw("<dl class=\"figures\">\n<dt>").Raw(kTotalsLabel).Raw("</dt><dd>").Number(total.Users);
  page.Raw(" ").Raw(kPeople).Raw(", ").Number(total.Chars).Raw(" ").Raw(kCharsUnit).Raw(", ");
  page.Number(total.Posts).Raw(" ").Raw(kPostsUnit).Raw(", ").Number(total.Average).Raw(" ");
  page.Raw(kCharsUnit).Raw("/").Raw(kPostsUnit).Raw("</dd>\n<dt>").Raw(kSysopDeleted);
  page.Raw("</dt><dd>").Number(view.SysopDeleted).Raw(" ").Raw(kPostsUnit).Raw("</dd>\n<dt>");
  page.Raw(kLongestLabel).Raw("</dt><dd>");
  const MessageRow& m = view.Longest;
  if (m.Chars == 0) {
    page.Raw(kNone);
  } else {
    page.Raw("#").FiveDigits(m.Number).Raw(" ").TwoDigits(m.Year).Raw("/").TwoDigits(m.Month);
    page.Raw("/").TwoDigits(m.Day).Raw(" ").TwoDigits(m.Hour).Raw(":").TwoDigits(m.Minute);
    page.Raw(" ").Log(m.UserId).Raw(" ").Log(m.Handle).Raw(" ").Number(m.Chars).Raw(" ");
    page.Raw(kCharsUnit);
  }
  page.Raw("</dd>\n</dl>\n");
}

void ChartStart(Page& page, std::string_view caption, int width, int height) {
  page.Raw("<figure>\n<figcaption>").Raw(caption).Raw("</figcaption>\n");
  page.Raw("<svg class=\"chart\" xmlns=\"http://www.w3.org/2000/svg\" role=\"img\" viewBox=\"0 0 ");
  page.Number(width).Raw(" ").Number(height).Raw("\" width=\"").Number(width).Raw("\" height=\"");
  page.Number(height).Raw("\"><title>").Raw(caption).Raw("</title>\n");
}

void ChartEnd(Page& page) { page.Raw("</svg>\n</figure>\n"); }

// A bar's length in units, for a value out of `most`.
[[nodiscard]] int Scaled(std::int64_t value, std::int64_t most, int length) noexcept {
  if (most <= 0 || value <= 0) return 0;
  return std::max(1, static_cast<int>(static_cast<double>(value) / static_cast<double>(most) * length));
}

void TopPosters(Page& page, const ResultView& view) {
  const std::size_t shown = std::min(view.Users.size(), kTopPosters);
  const int barRoom = kChartWidth - kLabelWidth - 80;
  ChartStart(page, kTopCaption, kChartWidth, std::max<int>(1, static_cast<int>(shown)) * kRowHeight);
  const std::int64_t most = view.Users.empty() ? 0 : view.Users.front().Chars;
  for (std::size_t i = 0; i < shown; ++i) {
    const UserRow& user = view.Users[i];
    const int y = static_cast<int>(i) * kRowHeight;
    const int length = Scaled(user.Chars, most, barRoom);
    page.Raw("<text x=\"").Number(kLabelWidth - 6).Raw("\" y=\"").Number(y + kBarHeight - 4);
    page.Raw("\" text-anchor=\"end\">").Log(user.Handle.empty() ? user.UserId : user.Handle);
    page.Raw("</text><rect class=\"bar\" x=\"").Number(kLabelWidth).Raw("\" y=\"").Number(y);
    page.Raw("\" width=\"").Number(length).Raw("\" height=\"").Number(kBarHeight).Raw("\"><title>");
    page.Log(user.UserId).Raw(" ").Log(user.Handle).Raw(": ").Number(user.Chars).Raw("</title></rect>");
    page.Raw("<text x=\"").Number(kLabelWidth + length + 6).Raw("\" y=\"").Number(y + kBarHeight - 4);
    page.Raw("\">").Number(user.Chars).Raw("</text>\n");
  }
  ChartEnd(page);
}

// Vertical bars over `counts`, labelled below by `label(i)` every `labelEvery`
// bars; the last bar is grey when `lastUnknown`.
template <typename Label>
void Columns(Page& page, std::string_view caption, const std::vector<std::int64_t>& counts,
             Label label, std::size_t labelEvery, bool lastUnknown) {
  // The chart keeps its width; a long span gets narrow slots, and a bar is
  // never thinner than kThinnestBar so that a lone day still shows.
  constexpr double kThinnestBar = 2.0;
  const double slot = static_cast<double>(kChartWidth - 2 * kPlotMargin) /
                      static_cast<double>(std::max<std::size_t>(1, counts.size()));
  ChartStart(page, caption, kChartWidth, kPlotHeight + kAxisRoom);
  page.Raw("<line class=\"axis\" x1=\"0\" y1=\"").Number(kPlotHeight).Raw("\" x2=\"");
  page.Number(kChartWidth).Raw("\" y2=\"").Number(kPlotHeight).Raw("\"/>\n");
  const std::int64_t most = counts.empty() ? 0 : *std::ranges::max_element(counts);
  for (std::size_t i = 0; i < counts.size(); ++i) {
    const double x = kPlotMargin + static_cast<double>(i) * slot;
    const bool unknown = lastUnknown && i + 1 == counts.size();
    if (counts[i] > 0) {
      const int height = Scaled(counts[i], most, kPlotHeight - 16);
      page.Raw("<rect class=\"").Raw(unknown ? "unknown" : "bar").Raw("\" x=\"").Units(x + slot / 8);
      page.Raw("\" y=\"").Number(kPlotHeight - height).Raw("\" width=\"");
      page.Units(std::max(kThinnestBar, slot * 3 / 4)).Raw("\" height=\"").Number(height);
      page.Raw("\"><title>").Raw(label(i)).Raw(": ").Number(counts[i]).Raw("</title></rect>\n");
    }
    if (unknown || i % labelEvery == 0) {
      page.Raw("<text x=\"").Units(x + slot / 2).Raw("\" y=\"").Number(kPlotHeight + 16);
      page.Raw("\" text-anchor=\"middle\">").Raw(label(i)).Raw("</text>\n");
    }
  }
  ChartEnd(page);
}

void PostsByHour(Page& page, const ResultView& view) {
  // 24 hours, then the unknown bucket for an hour that is none.
  const auto& byHour = view.Calendar.ByHour();
  std::vector<std::int64_t> counts(byHour.begin(), byHour.end());
  const bool anyUnknown = counts.back() > 0;
  if (!anyUnknown) counts.pop_back();
  Columns(
      page, kHourCaption, counts,
      [](std::size_t i) { return i == PostCalendar::kHours ? std::string(kUnknown) : std::to_string(i); }, 3,
      anyUnknown);
}

[[nodiscard]] std::string DateText(int dayNumber) {
  const std::chrono::year_month_day date{std::chrono::sys_days{std::chrono::days{dayNumber}}};
  std::array<char, 16> text{};
  const int n = std::snprintf(text.data(), text.size(), "%04d-%02u-%02u", static_cast<int>(date.year()),
                              static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
  return std::string(text.data(), static_cast<std::size_t>(std::max(n, 0)));
}

void PostsPerDay(Page& page, const ResultView& view) {
  std::map<int, std::int64_t> days;
  std::int64_t unknown = 0;
  for (const auto& [date, count] : view.Calendar.ByDate()) {
    const std::optional<int> day = DayNumber(date.Year, date.Month, date.Day);
    if (day) {
      days[*day] += count;
    } else {
      unknown += count;
    }
  }
  // Every day from the first to the last, empty ones included; at most 100
  // years of two-digit dates, so at most 36525 slots.
  std::vector<std::int64_t> counts;
  const int first = days.empty() ? 0 : days.begin()->first;
  if (!days.empty()) {
    counts.assign(static_cast<std::size_t>(days.rbegin()->first - first + 1), 0);
    for (const auto& [day, count] : days) counts[static_cast<std::size_t>(day - first)] = count;
  }
  const std::size_t known = counts.size();
  if (unknown > 0) counts.push_back(unknown);
  const std::size_t labelEvery = std::max<std::size_t>(1, (known + 5) / 6);
  Columns(
      page, kDayCaption, counts,
      [first, known](std::size_t i) {
        return i == known ? std::string(kUnknown) : DateText(first + static_cast<int>(i));
      },
      labelEvery, unknown > 0);
}

void Section(Page& page, const ResultView& view) {
  page.Raw("<section class=\"log\">\n<h2>").Text(ValidUtf8(view.Log)).Raw("</h2>\n");
  Ranking(page, view);
  Figures(page, view);
  TopPosters(page, view);
  PostsByHour(page, view);
  PostsPerDay(page, view);
  page.Raw("</section>\n");
}

}  // namespace

std::string EscapeHtml(std::string_view utf8) {
  std::string out;
  Escape(out, utf8);
  return out;
}

std::optional<int> FullYear(int twoDigitYear) noexcept {
  if (twoDigitYear < 0 || twoDigitYear > kLastTwoDigitYear) return std::nullopt;
  return twoDigitYear >= kCenturySplit ? 1900 + twoDigitYear : 2000 + twoDigitYear;
}

std::optional<int> DayNumber(int year, int month, int day) noexcept {
  const std::optional<int> full = FullYear(year);
  if (!full || month < 1 || day < 1) return std::nullopt;
  const std::chrono::year_month_day date{std::chrono::year{*full},
                                         std::chrono::month{static_cast<unsigned>(month)},
                                         std::chrono::day{static_cast<unsigned>(day)}};
  if (!date.ok()) return std::nullopt;
  return std::chrono::sys_days{date}.time_since_epoch().count();
}

std::string HtmlPage(std::span<const ResultView> views) {
  Page page;
  page.Raw(kPageStart);
  for (const ResultView& view : views) {
    Section(page, view);
  }
  page.Raw(kPageEnd);
  return page.Take();
}

}  // namespace zunkaro
