// The three orderings of the users, largest first, and their competition
// ranks.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

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

// The order in which the exchange procedure
//   for i in 0..n-1: for j in i+1..n-1: if key(i) < key(j): exchange i and j
// leaves n keys, largest first. It is not stable, and equal keys come out in
// exactly its order; this finds that order in O(n log n) time. Its working
// memory is kept from one ordering to the next.
class ExchangeOrder {
 public:
  // Fills `order` with positions into `keys`: order[j] is the key that ends
  // in place j.
  void Find(std::span<const std::int64_t> keys, std::vector<std::uint32_t>& order);

 private:
  // Places the positions of one key, sorted_[first..last), behind those of
  // larger keys.
  void PlaceGroup(std::size_t first, std::size_t last, std::vector<std::uint32_t>& order);

  std::vector<std::uint32_t> sorted_;        // positions, largest key first, in position order
  std::vector<std::uint32_t> scratch_;       // the same, while being sorted
  std::vector<std::uint32_t> group_;         // per position: its key's place among the keys
  std::vector<std::uint32_t> largerBefore_;  // per position: larger keys before it
  std::vector<std::uint32_t> tree_;          // Fenwick tree
  std::vector<std::uint32_t> insertAt_;      // per member of a group: where it joins the ring
  std::vector<std::uint32_t> ring_;          // a group's members, in ring order
};

// Orders slots 0..count-1 of a user table by a key, largest first, in the
// exchange procedure's order.
void SortUsersBy(UserTable& users, std::int32_t count, SortKey key);

// Competition ranks (1, 1, 3, 4) into `rank` of a table just sorted by `key`.
void AssignRanks(UserTable& users, std::int32_t count, SortKey key, RankField rank) noexcept;

// Sorts by PostCount and sets PostRank, sorts by AverageChars and sets
// AverageRank, then sorts by CharCount: the order of the report's rows.
void RankUsers(AnalysisState& state);

// The same over any slots, such as the users of a whole archive, which may
// be more than a table holds.
void RankUsers(std::span<UserTally*> slots);

}  // namespace zunkaro
