// The three orderings of the users, largest first, and their competition
// ranks.
#pragma once

#include <cstdint>

#include "tally/analysis_state.hpp"

namespace zunkaro {

enum class SortKey : std::uint8_t { PostCount, AverageChars, CharCount };

[[nodiscard]] constexpr std::int64_t KeyOf(const UserTally& user, SortKey key) noexcept {
  switch (key) {
    case SortKey::PostCount:
      return user.PostCount;
    case SortKey::AverageChars:
      return user.AverageChars;
    case SortKey::CharCount:
      return user.CharCount;
  }
  return 0;
}

// The rank fields a ranking may set.
using RankField = std::int32_t UserTally::*;

// Orders slots 0..count-1 of `users` by `key`, largest first. Equal keys come
// out in exactly the order of the exchange procedure:
//   for i in 0..n-1: for j in i+1..n-1: if key(i) < key(j): exchange i and j
// which is not stable; this gives that order in O(n log n) time.
void SortUsersBy(UserTable& users, std::int32_t count, SortKey key);

// Competition ranks (1, 1, 3, 4) into `rank` of a table just sorted by `key`.
void AssignRanks(UserTable& users, std::int32_t count, SortKey key, RankField rank) noexcept;

// Sorts by PostCount and sets PostRank, sorts by AverageChars and sets
// AverageRank, then sorts by CharCount: the order of the report's rows.
void RankUsers(AnalysisState& state);

}  // namespace zunkaro
