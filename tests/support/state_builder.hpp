// Fills an analysis state by hand, for tests of the tally, the rankings and
// the report.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "tally/analysis_state.hpp"

namespace zunkaro::testing {

[[nodiscard]] inline std::unique_ptr<AnalysisState> NewState() {
  return std::make_unique<AnalysisState>();
}

// Appends a message to state.Messages; the handle is filled with spaces to
// 16 bytes. A test that starts a second log sets MessageCount to 0 and calls
// state.Messages.Clear() first.
MessageRecord& AddMessage(AnalysisState& state, std::string_view userId, std::string_view handle,
                          std::int64_t chars, MessageFlags flags = mfNone);

// Appends a user tally to state.Users.
UserTally& AddUser(AnalysisState& state, std::string_view userId, std::int32_t posts,
                   std::int64_t chars, std::int64_t average);

}  // namespace zunkaro::testing
