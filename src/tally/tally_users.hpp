#pragma once

#include "tally/analysis_state.hpp"

namespace zunkaro {

// Resets the run totals and tallies the extracted messages, in log order,
// into one UserTally per User-ID (in order of each User-ID's first ordinary
// message), the totals, the SYSOP deletions and the longest message; then
// sets every user's average.
// - A poster-deleted message counts nowhere.
// - A SYSOP-deleted message counts in PostTotal and SysopDeletedCount only.
// - Of several messages with the most characters the earliest wins; a run in
//   which no ordinary message has a character leaves LongestMessage zeroed.
void TallyUsers(AnalysisState& state);

}  // namespace zunkaro
