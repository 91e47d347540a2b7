// The analysis exactly as first written down: a byte-at-a-time reader on a
// C stream, a linear User-ID scan, and the exchange sorts that copy whole
// records through SwapTemp. Slow on purpose; every faster step of the real
// analysis is checked and measured against it.
#pragma once

#include <cstdint>
#include <filesystem>

#include "tally/analysis_state.hpp"
#include "tally/rank_users.hpp"

namespace zunkaro::reference {

// Reads the log into state.Messages and sets state.MessageCount. Returns
// false where the real analysis reports an error (the file cannot be opened,
// a read fails, more than 65000 messages).
// A line's kind (0 body, 1 short header, 2 long header, 3 separator) and a
// text's visible characters, both on NUL-terminated strings.
[[nodiscard]] int ClassifyLine(const char* line);
[[nodiscard]] std::int32_t CountChars(const char* text);

[[nodiscard]] bool ExtractMessages(const std::filesystem::path& path, AnalysisState& state);
void TallyUsers(AnalysisState& state);
void SortUsersBy(AnalysisState& state, SortKey key);
void AssignRanks(AnalysisState& state, SortKey key, RankField rank);
void RankUsers(AnalysisState& state);

}  // namespace zunkaro::reference
