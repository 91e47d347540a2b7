#include "tally/rank_users.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <memory>
#include <new>
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

// The exchange procedure's order, found by "queue simulation per key value"
// with an order-statistic (Fenwick) tree.
//
// The exchange procedure runs passes i = 0, 1, ... n-1; pass i compares
// slot i with every later slot and exchanges when the later key is strictly
// larger. So pass i walks the chain of strict running maxima that starts at
// slot i and moves each of its keys one step along the chain: the largest
// into slot i, every other one into the next chain place. Slot i is final
// after its pass. The method rests on these claims:
//
// (C1) Values apart. For any value v, the order among the keys of at least v
//      at the end is the procedure's order on the subsequence of those keys
//      alone: smaller keys never change it. (A chain is increasing, so the
//      keys of at least v in it are its tail, and the first of them is the
//      first such key after slot i; moving the chain one step moves that
//      tail exactly as the pass on the subsequence does.) So each value's
//      keys can be ordered on their own, and the result is the values from
//      the largest down, each in its own order.
// (C2) The queue. Within that subsequence call the keys of value v "small"
//      and the larger ones "large". Walking it in position order, every small
//      key joins the back of a queue, and every large key that comes after
//      the first small key turns the queue round by one (its front goes to
//      its back). The queue at the end, front first, is the final order of
//      the keys of value v. (A pass that starts on a large key moves only
//      large keys; one that starts on the small key at the front moves it to
//      the first large place after it, behind the small keys before that
//      place, and a large key into its own slot.)
// (C3) No turn, no change. When no large key stands after the first small
//      key, the queue is never turned: the keys of value v keep their
//      position order.
// (C4) Turns between joins. The large keys between the k-th and the next
//      small key are the larger keys before the next one minus those before
//      the k-th; after the last small key come all the rest. One sweep in
//      position order with a Fenwick tree over the values (numbered from the
//      largest) counts, for every position, the larger keys before it.
// (C5) The ring. A queue that only joins at the back and turns is a ring
//      with a cut at its front: a join puts the key into the ring just
//      before the cut (the cut then stands after it), and a turn moves the
//      cut one place on. So the place where the k-th key joins, counted in
//      the ring of the k keys before it, and the cut at the end, follow by
//      plain arithmetic modulo the ring's size.
// (C6) From joining places to the ring. The last key to join keeps its
//      joining place; each earlier one, taken backwards, has as many places
//      before it, not taken by later joiners, as its joining place says.
//      A Fenwick tree of the free places finds that place in O(log n).
// (C7) Sorting the values. A stable radix sort on how far each key is below
//      the largest gives the positions largest key first, equal keys in
//      position order: the order in which (C2) walks each value's keys.
// Together: O(n log n) for the sweep and the rings, and O(n) per radix digit.
//
// The five-user example, through the three sorts (positions from 0, in the
// order the step before left):
// - PostCount, keys ABC 2, DEF 2, GHI 4, JKL 1, MNO 2. Value 4: GHI alone.
//   Value 2: ABC joins [ABC], DEF joins [ABC DEF], GHI is large and turns
//   [DEF ABC], JKL is smaller and not seen (C1), MNO joins [DEF ABC MNO].
//   In ring terms (C5): joining places 0, 0, 0, cuts 0, 0, 1; backwards
//   (C6) MNO takes place 0, DEF place 1, ABC place 2: ring [MNO DEF ABC],
//   read from the cut at 1: DEF ABC MNO. Value 1: JKL. So GHI DEF ABC MNO
//   JKL, ranks 1 2 2 2 5.
// - AverageChars, keys GHI 120, DEF 120, ABC 150, MNO 150, JKL 300. Value
//   300: JKL. Value 150: [ABC MNO], JKL turns: [MNO ABC]. Value 120: [GHI
//   DEF], then ABC, MNO and JKL turn it three times: [DEF GHI]. So JKL MNO
//   ABC DEF GHI, ranks 1 2 2 4 4.
// - CharCount, keys JKL 300, MNO 300, ABC 300, DEF 240, GHI 480. Value 480:
//   GHI. Value 300: [JKL MNO ABC], DEF not seen, GHI turns: [MNO ABC JKL].
//   Value 240: DEF. So the report's rows: GHI MNO ABC JKL DEF.
void ExchangeOrder::Find(std::span<const std::int64_t> keys, std::vector<std::uint32_t>& order) {
  const std::size_t n = keys.size();
  order.clear();
  if (n == 0) {
    return;
  }
  // (C7) positions largest key first, each value's keys in position order.
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

  // (C4) For each position, how many keys before it are larger.
  largerBefore_.resize(n);
  std::fill(largerBefore_.begin(), largerBefore_.end(), 0);
  if (groups > 1) {
    tree_.resize(groups + std::size_t{1});
    std::fill(tree_.begin(), tree_.end(), 0);
    for (std::size_t p = 0; p < n; ++p) {
      largerBefore_[p] = CountBelow(tree_, group_[p]);
      Add(tree_, group_[p], 1);
    }
  }

  // (C1) Each value on its own, from the largest down, appended in turn.
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
    // (C3) No larger key after the group's first: the group keeps its order.
    order.insert(order.end(), sorted_.begin() + static_cast<std::ptrdiff_t>(first),
                 sorted_.begin() + static_cast<std::ptrdiff_t>(last));
    return;
  }
  // (C5) Where each key joins the ring, counted in the ring of the keys
  // before it, and where the cut stands at the end; (C2, C4) the larger keys
  // between this key and the next (or the end) each turn the ring once.
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
  // (C6) The ring from the places, last joiner first: each takes the free
  // place with as many free places before it as its joining place says.
  ring_.resize(m);
  MarkFirst(tree_, m);
  for (std::size_t k = m; k-- > 0;) {
    const std::size_t place = FindMark(tree_, insertAt_[k]);
    ring_[place] = sorted_[first + k];
    Add(tree_, place, ~std::uint32_t{0});  // minus one
  }
  // (C2, C5) The queue, front first, is the ring read from the cut.
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
void MoveContents(std::span<UserTally*> slots, std::span<std::uint32_t> order) {
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

// The working memory of the rankings: kept by each thread from one run to
// the next, so that a run on a log no larger than the last one touches no
// fresh page.
//
// Every element of these arrays is written before it is read, so growing
// them leaves the new elements unwritten instead of zeroing them first.
template <typename T>
struct Unzeroed : std::allocator<T> {
  template <typename U>
  struct rebind {
    using other = Unzeroed<U>;
  };
  Unzeroed() = default;
  template <typename U>
  explicit Unzeroed(const Unzeroed<U>&) noexcept {}
  template <typename U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;  // default-initialised: left as it is
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};
template <typename T>
using WorkArray = std::vector<T, Unzeroed<T>>;

struct RankingWork {
  WorkArray<std::int64_t> Posts, Averages, Chars, Keys;
  WorkArray<std::uint32_t> Order, Composed;
  std::vector<std::uint32_t> Step;
  WorkArray<std::int32_t> PostRanks, AverageRanks;
  ExchangeOrder Exchange;
};

// The three sorts work on arrays of keys, read from the records once in
// slot order as the tally left them (the order they were made in), and
// compose their orders; the records are touched once more at the end.
void RankUsers(std::span<UserTally*> slots) {
  const std::size_t n = slots.size();
  thread_local RankingWork work;
  auto& posts = work.Posts;
  auto& averages = work.Averages;
  auto& chars = work.Chars;
  auto& keys = work.Keys;
  auto& order = work.Order;
  auto& composed = work.Composed;
  auto& step = work.Step;
  auto& postRanks = work.PostRanks;
  auto& averageRanks = work.AverageRanks;
  auto& exchange = work.Exchange;
  for (auto* v : {&posts, &averages, &chars, &keys}) {
    v->resize(n);
  }
  for (auto* v : {&order, &composed}) {
    v->resize(n);
  }
  postRanks.resize(n);
  averageRanks.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    posts[i] = slots[i]->PostCount;
    averages[i] = slots[i]->AverageChars;
    chars[i] = slots[i]->CharCount;
  }
  for (std::size_t i = 0; i < n; ++i) {
    order[i] = static_cast<std::uint32_t>(i);
  }
  // One sort from the order the last one left: order[j] is the slot of the
  // user in place j.
  const auto sortBy = [&](const WorkArray<std::int64_t>& bySlot) {
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
  const auto rankBy = [&](WorkArray<std::int32_t>& ranks) {
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

void RankUsers(AnalysisState& state) {
  RankUsers(state.Users.Slots().first(static_cast<std::size_t>(state.UserCount)));
}

}  // namespace zunkaro
