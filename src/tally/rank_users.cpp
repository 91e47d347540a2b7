#include "tally/rank_users.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <utility>

namespace zunkaro {
namespace {

// Fenwick trees over places 0..n-1, in n + 1 entries.
[[nodiscard]] constexpr std::size_t LowBit(std::size_t i) noexcept { return i & (~i + 1); }

void Add(std::vector<std::uint32_t>& tree, std::size_t place, std::uint32_t delta) noexcept {
  for (std::size_t i = place + 1; i < tree.size(); i += LowBit(i)) {
    tree[i] += delta;
  }
}

// How many marks stand in places below `end`.
[[nodiscard]] std::uint32_t CountBelow(const std::vector<std::uint32_t>& tree,
                                       std::size_t end) noexcept {
  std::uint32_t total = 0;
  for (std::size_t i = end; i > 0; i -= LowBit(i)) {
    total += tree[i];
  }
  return total;
}

// The place of the mark with `before` marks before it, in a tree whose
// places are a power of two; without branches, as the path is unforeseeable.
[[nodiscard]] std::size_t FindMark(const std::vector<std::uint32_t>& tree,
                                   std::uint32_t before) noexcept {
  std::size_t place = 0;
  for (std::size_t step = (tree.size() - 1) / 2; step > 0; step /= 2) {
    const std::uint32_t below = tree[place + step];
    const bool past = below <= before;
    before -= past ? below : 0;
    place += past ? step : 0;
  }
  return place;
}

// A tree of n marked places, and unmarked ones after them up to a power of
// two, so that FindMark needs no bounds.
void MarkFirst(std::vector<std::uint32_t>& tree, std::size_t n) {
  const std::size_t places = std::bit_ceil(n);
  tree.resize(places + 1);
  tree[0] = 0;
  for (std::size_t i = 1; i <= places; ++i) {
    // Entry i covers places i - LowBit(i) + 1 .. i (from 1); the first n are marked.
    const std::size_t low = i - LowBit(i);
    tree[i] = static_cast<std::uint32_t>(std::min(i, n) > low ? std::min(i, n) - low : 0);
  }
}

// Sorts positions by key, largest first, equal keys in position order: a
// stable radix sort on how far each key is below the largest.
constexpr unsigned kDigitBits = 11;
constexpr std::size_t kDigits = std::size_t{1} << kDigitBits;

void SortPositions(std::span<const std::int64_t> keys, std::vector<std::uint32_t>& sorted,
                   std::vector<std::uint32_t>& scratch) {
  const std::size_t n = keys.size();
  sorted.resize(n);
  scratch.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    sorted[i] = static_cast<std::uint32_t>(i);
  }
  const auto [low, high] = std::minmax_element(keys.begin(), keys.end());
  const std::int64_t largest = *high;
  // Keys are counts, never negative, so the distance always fits.
  const auto span = static_cast<std::uint64_t>(largest - *low);
  const auto below = [&keys, largest](std::uint32_t p) {
    return static_cast<std::uint64_t>(largest - keys[p]);
  };
  std::array<std::uint32_t, kDigits> counts{};
  for (unsigned shift = 0; shift < 64 && (span >> shift) != 0; shift += kDigitBits) {
    counts.fill(0);
    for (const std::uint32_t p : sorted) {
      ++counts[(below(p) >> shift) & (kDigits - 1)];
    }
    std::uint32_t start = 0;
    for (std::uint32_t& c : counts) {
      start += std::exchange(c, start);
    }
    for (const std::uint32_t p : sorted) {
      scratch[counts[(below(p) >> shift) & (kDigits - 1)]++] = p;
    }
    sorted.swap(scratch);
  }
}

}  // namespace

// Why this gives the exchange procedure's order. Take the keys of the
// smallest value v among those at least v ("small" ones; the others "large").
// Smaller keys never change the order among those of at least v, so that
// order is the procedure's order on their subsequence alone. In it, a pass i
// that starts on a large key moves only large keys among large places. A pass
// that starts on a small key moves it to the first large place after it and
// a large key into place i: the run of small keys from place i turns round by
// one, front to back, and joins the small keys behind that large place. So,
// walking the subsequence, every small key joins the back of a queue, every
// large key after the first small one turns the queue round by one, and the
// queue at the end is the order of the keys of value v.
//
// The queue is a ring with a cut, its front: joining the back puts a key into
// the ring just before the cut, and turning moves the cut. Where each key
// joins is then plain arithmetic on the cut's place in a fixed reading of the
// ring, and the ring itself follows from those places, read backwards, with
// a Fenwick tree of the places still free. Each value's keys are placed so,
// from the largest value down; how many large keys stand between two small
// ones comes from one sweep over the positions with a Fenwick tree over the
// values.
void ExchangeOrder::Find(std::span<const std::int64_t> keys, std::vector<std::uint32_t>& order) {
  const std::size_t n = keys.size();
  order.clear();
  if (n == 0) {
    return;
  }
  SortPositions(keys, sorted_, scratch_);

  // Each position's value, numbered from the largest.
  group_.resize(n);
  std::uint32_t groups = 0;
  for (std::size_t j = 0; j < n; ++j) {
    if (j > 0 && keys[sorted_[j]] != keys[sorted_[j - 1]]) {
      ++groups;
    }
    group_[sorted_[j]] = groups;
  }
  ++groups;

  // For each position, how many keys before it are larger.
  largerBefore_.assign(n, 0);
  if (groups > 1) {
    tree_.assign(groups + std::size_t{1}, 0);
    for (std::size_t p = 0; p < n; ++p) {
      largerBefore_[p] = CountBelow(tree_, group_[p]);
      Add(tree_, group_[p], 1);
    }
  }

  for (std::size_t first = 0; first < n;) {
    std::size_t last = first + 1;
    while (last < n && group_[sorted_[last]] == group_[sorted_[first]]) {
      ++last;
    }
    PlaceGroup(first, last, order);
    first = last;
  }
}

void ExchangeOrder::PlaceGroup(std::size_t first, std::size_t last,
                               std::vector<std::uint32_t>& order) {
  const std::size_t m = last - first;
  // All `first` larger keys; those before the group's first key never turn it.
  const auto larger = static_cast<std::uint32_t>(first);
  if (largerBefore_[sorted_[first]] == larger) {
    // No larger key after the group's first: the group keeps its order.
    order.insert(order.end(), sorted_.begin() + static_cast<std::ptrdiff_t>(first),
                 sorted_.begin() + static_cast<std::ptrdiff_t>(last));
    return;
  }
  // Where each key joins the ring, in a fixed reading of it, and where the
  // cut stands at the end: every larger key after it turns the ring.
  insertAt_.resize(m);
  std::size_t cut = 0;
  for (std::size_t k = 0; k < m; ++k) {
    insertAt_[k] = static_cast<std::uint32_t>(cut);
    const std::uint32_t upTo = k + 1 < m ? largerBefore_[sorted_[first + k + 1]] : larger;
    cut += 1 + (upTo - largerBefore_[sorted_[first + k]]);
    if (cut > k) {
      cut %= k + 1;
    }
  }
  // The ring from the places, last joiner first: each takes the free place
  // with as many free places before it as its joining place says.
  ring_.resize(m);
  MarkFirst(tree_, m);
  for (std::size_t k = m; k-- > 0;) {
    const std::size_t place = FindMark(tree_, insertAt_[k]);
    ring_[place] = sorted_[first + k];
    Add(tree_, place, ~std::uint32_t{0});  // minus one
  }
  // Read the ring from the cut.
  order.insert(order.end(), ring_.begin() + static_cast<std::ptrdiff_t>(cut), ring_.end());
  order.insert(order.end(), ring_.begin(), ring_.begin() + static_cast<std::ptrdiff_t>(cut));
}

namespace {

// Competition ranks of keys in sorted order, largest first: 1 plus the
// number of keys before that are strictly larger.
template <typename KeyAt, typename SetRank>
void CompetitionRanks(std::size_t n, KeyAt keyAt, SetRank setRank) {
  std::int32_t rank = 1;
  std::int64_t previous = 0;
  for (std::size_t j = 0; j < n; ++j) {
    const std::int64_t k = keyAt(j);
    if (j == 0 || k < previous) {
      rank = static_cast<std::int32_t>(j + 1);
      previous = k;
    }
    setRank(j, rank);
  }
}

// Each slot keeps its record and takes the contents of the record that was
// in slot order[j]: the records are read in memory order afterwards. The
// permutation is followed cycle by cycle, with one record aside.
void MoveContents(std::span<UserTally*> slots, std::vector<std::uint32_t>& order) {
  for (std::size_t start = 0; start < order.size(); ++start) {
    if (order[start] == start) {
      continue;
    }
    const UserTally aside = *slots[start];
    std::size_t j = start;
    while (order[j] != start) {
      const std::size_t from = order[j];
      *slots[j] = *slots[from];
      order[j] = static_cast<std::uint32_t>(j);  // placed
      j = from;
    }
    *slots[j] = aside;
    order[j] = static_cast<std::uint32_t>(j);
  }
}

}  // namespace

void SortUsersBy(UserTable& users, std::int32_t count, SortKey key) {
  const auto n = static_cast<std::size_t>(count);
  const std::span<UserTally*> slots = users.Slots().first(n);
  std::vector<std::int64_t> keys(n);
  for (std::size_t i = 0; i < n; ++i) {
    keys[i] = KeyOf(*slots[i], key);
  }
  std::vector<std::uint32_t> order;
  ExchangeOrder().Find(keys, order);
  MoveContents(slots, order);
}

void AssignRanks(UserTable& users, std::int32_t count, SortKey key, RankField rank) noexcept {
  CompetitionRanks(
      static_cast<std::size_t>(count), [&](std::size_t j) { return KeyOf(*users[j], key); },
      [&](std::size_t j, std::int32_t r) { users[j]->*rank = r; });
}

// The three sorts work on arrays of keys, read from the records once in
// slot order as the tally left them (the order they were made in), and
// compose their orders; the records are touched once more at the end.
void RankUsers(AnalysisState& state) {
  const auto n = static_cast<std::size_t>(state.UserCount);
  const std::span<UserTally*> slots = state.Users.Slots().first(n);
  std::vector<std::int64_t> posts(n);
  std::vector<std::int64_t> averages(n);
  std::vector<std::int64_t> chars(n);
  for (std::size_t i = 0; i < n; ++i) {
    posts[i] = slots[i]->PostCount;
    averages[i] = slots[i]->AverageChars;
    chars[i] = slots[i]->CharCount;
  }
  std::vector<std::int64_t> keys(n);
  std::vector<std::uint32_t> order(n);
  std::vector<std::uint32_t> step;
  std::vector<std::uint32_t> composed(n);
  std::vector<std::int32_t> postRanks(n);
  std::vector<std::int32_t> averageRanks(n);
  for (std::size_t i = 0; i < n; ++i) {
    order[i] = static_cast<std::uint32_t>(i);
  }
  ExchangeOrder exchange;
  // One sort from the order the last one left: order[j] is the slot of the
  // user in place j.
  const auto sortBy = [&](const std::vector<std::int64_t>& bySlot) {
    for (std::size_t j = 0; j < n; ++j) {
      keys[j] = bySlot[order[j]];
    }
    exchange.Find(keys, step);
    for (std::size_t j = 0; j < n; ++j) {
      composed[j] = order[step[j]];
    }
    order.swap(composed);
  };
  // Ranks by the key just sorted by: keys[step[j]] is the key in place j.
  const auto rankBy = [&](std::vector<std::int32_t>& ranks) {
    CompetitionRanks(
        n, [&](std::size_t j) { return keys[step[j]]; },
        [&](std::size_t j, std::int32_t r) { ranks[order[j]] = r; });
  };
  sortBy(posts);
  rankBy(postRanks);
  sortBy(averages);
  rankBy(averageRanks);
  sortBy(chars);

  for (std::size_t i = 0; i < n; ++i) {
    slots[i]->PostRank = postRanks[i];
    slots[i]->AverageRank = averageRanks[i];
  }
  MoveContents(slots, order);
}

}  // namespace zunkaro
