#pragma once

#include <cstdint>
#include <span>

#include "tally/analysis_state.hpp"
#include "tally/line_list.hpp"

namespace zunkaro {

// Appends the fixed-width Shift-JIS report of a tallied and ranked analysis
// to `lines`: title, heading, one line per user in slot order with its rank by
// characters, the SYSOP deletions when there are any, the totals and the
// longest message. A run without users gets no user lines, and a total
// average of 0 when nothing was posted. A value wider than its column is
// printed whole and pushes the rest of its line to the right.
void WriteReport(const AnalysisState& state, LineList& lines);

// What a report is made of: the ranked users in report order and the totals.
// One log's analysis state gives one; so does the tally of a whole archive.
struct ReportSource {
  std::span<const UserTally* const> Users;
  std::int64_t SysopDeletedCount = 0;
  std::int64_t PostTotal = 0;
  std::int64_t CharTotal = 0;
  const MessageRecord* LongestMessage = nullptr;  // never null
};

// The same report from any source.
void WriteReport(const ReportSource& source, LineList& lines);

}  // namespace zunkaro
