// Everything one analysis of a log reads and writes. The window and the
// command each own one and run the same operations over it.
#pragma once

#include <cstdint>

#include "log/message_record.hpp"
#include "tally/user_tally.hpp"

namespace zunkaro {

struct AnalysisState {
  MessageRecord LongestMessage{};  // copy of the counted message with the most characters
  MessageTable Messages{};         // the messages of the current log, in file order
  UserTally SwapTemp{};            // scratch record while two tallies are exchanged
  UserTable Users{};               // one tally per User-ID
  std::int32_t MessageCount = 0;   // messages extracted from the current log
  std::int32_t UserCount = 0;      // distinct User-IDs tallied
  std::int32_t SysopDeletedCount = 0;
  std::int32_t PostTotal = 0;      // messages counted in the totals, SYSOP deletions included
  std::int64_t CharTotal = 0;      // characters of the counted messages; 64 bits, never overflows
};

}  // namespace zunkaro
