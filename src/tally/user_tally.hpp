// The tally of one User-ID, and the table of them.
#pragma once

#include <cstdint>

#include "log/message_record.hpp"

namespace zunkaro {

struct UserTally {
  UserIdText UserId{};
  HandleText Handle{};           // the handle of the user's latest ordinary message
  std::int32_t PostCount = 0;    // ordinary messages; at least 1
  std::int64_t CharCount = 0;    // their visible characters
  std::int64_t AverageChars = 0; // CharCount / PostCount, truncated
  std::int32_t PostRank = 0;     // competition rank by PostCount
  std::int32_t AverageRank = 0;  // competition rank by AverageChars

  friend bool operator==(const UserTally&, const UserTally&) = default;
};

// Slot n holds one User-ID's tally, for n below the user count.
using UserTable = RecordTable<UserTally>;

}  // namespace zunkaro
