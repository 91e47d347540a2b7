// One self-contained HTML page for one or more logs: no network and no
// file besides itself, readable without JavaScript. Each log gets a section
// with its ranking table, its totals, SYSOP deletions and longest message,
// and inline SVG charts: the top posters by characters, posts by hour of the
// day and posts per day across the log's span. All log text is escaped.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "export/result_view.hpp"

namespace zunkaro {

[[nodiscard]] std::string HtmlPage(std::span<const ResultView> views);

// Text for HTML, between tags or inside a quoted attribute: & < > " '
// become references, and a control character other than tab and line feed
// becomes U+FFFD. `utf8` must be UTF-8.
[[nodiscard]] std::string EscapeHtml(std::string_view utf8);

// A log's two-digit year as a full year: 70 to 99 are 1970 to 1999, 0 to 69
// are 2000 to 2069. Nothing for a year outside 0 to 99.
[[nodiscard]] std::optional<int> FullYear(int twoDigitYear) noexcept;

// Days since 1970-01-01 of a log's date, or nothing when no such day exists
// (a month 13, a 30 February, a year below 0).
[[nodiscard]] std::optional<int> DayNumber(int year, int month, int day) noexcept;

}  // namespace zunkaro
