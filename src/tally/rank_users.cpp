#include "tally/rank_users.hpp"

#include <algorithm>
#include <deque>
#include <numeric>
#include <vector>

namespace zunkaro {
namespace {

// Counts, over positions 0..n-1, how many of them have been marked.
class PositionCounter {
 public:
  explicit PositionCounter(std::size_t n) : tree_(n + 1, 0) {}

  void Mark(std::size_t position) noexcept {
    for (std::size_t i = position + 1; i < tree_.size(); i += i & (~i + 1)) {
      ++tree_[i];
    }
  }

  // Marked positions below `end`.
  [[nodiscard]] std::size_t CountBelow(std::size_t end) const noexcept {
    std::size_t total = 0;
    for (std::size_t i = end; i > 0; i -= i & (~i + 1)) {
      total += tree_[i];
    }
    return total;
  }

 private:
  std::vector<std::size_t> tree_;
};

// Moves the first `steps` entries to the back, one at a time from whichever
// end is shorter.
void Rotate(std::deque<std::size_t>& queue, std::size_t steps) {
  steps %= queue.size();
  if (steps <= queue.size() / 2) {
    for (; steps > 0; --steps) {
      queue.push_back(queue.front());
      queue.pop_front();
    }
  } else {
    for (steps = queue.size() - steps; steps > 0; --steps) {
      queue.push_front(queue.back());
      queue.pop_back();
    }
  }
}

}  // namespace

// Why this gives the exchange procedure's order. Take the records of the
// smallest key v among those at least v ("small" ones; larger ones "big").
// Smaller keys never move a record of key >= v relative to the others, so the
// order of the records of key >= v is the procedure's order on that
// subsequence alone. In it, a pass i that starts on a big record moves only
// big records among big slots. A pass that starts on a small record moves it
// to the first big slot after it and a big record into slot i: the run of
// small records from slot i turns round by one, front to back, and joins the
// small records behind that big slot. So, walking the subsequence: every
// small record joins the back of a queue, every big record after the first
// small one turns the queue round by one, and the queue at the end is the
// order of the records of key v. Records of each key are placed so, from the
// largest key down, counting the big records between two small ones with a
// Fenwick tree.
void SortUsersBy(UserTable& users, std::int32_t count, SortKey key) {
  const auto n = static_cast<std::size_t>(count);
  if (n < 2) {
    return;
  }
  std::vector<std::int64_t> keys(n);
  for (std::size_t i = 0; i < n; ++i) {
    keys[i] = KeyOf(*users[i], key);
  }
  // Positions grouped by key, largest key first, each group in slot order.
  std::vector<std::size_t> byKey(n);
  std::iota(byKey.begin(), byKey.end(), std::size_t{0});
  std::sort(byKey.begin(), byKey.end(), [&keys](std::size_t a, std::size_t b) {
    return keys[a] != keys[b] ? keys[a] > keys[b] : a < b;
  });

  PositionCounter bigger(n);
  std::vector<std::size_t> order;
  order.reserve(n);
  std::deque<std::size_t> queue;
  for (std::size_t first = 0; first < n;) {
    std::size_t last = first;
    while (last < n && keys[byKey[last]] == keys[byKey[first]]) {
      ++last;
    }
    queue.clear();
    for (std::size_t g = first; g < last; ++g) {
      const std::size_t position = byKey[g];
      const std::size_t following = g + 1 < last ? byKey[g + 1] : n;
      queue.push_back(position);
      Rotate(queue, bigger.CountBelow(following) - bigger.CountBelow(position + 1));
    }
    order.insert(order.end(), queue.begin(), queue.end());
    for (std::size_t g = first; g < last; ++g) {
      bigger.Mark(byKey[g]);
    }
    first = last;
  }

  std::vector<std::unique_ptr<UserTally>> sorted(n);
  for (std::size_t i = 0; i < n; ++i) {
    sorted[i] = std::move(users[order[i]]);
  }
  std::move(sorted.begin(), sorted.end(), users.begin());
}

void AssignRanks(UserTable& users, std::int32_t count, SortKey key, RankField rank) noexcept {
  std::int32_t previousRank = 1;
  std::int64_t previousKey = 0;
  for (std::int32_t j = 0; j < count; ++j) {
    UserTally& user = *users[static_cast<std::size_t>(j)];
    const std::int64_t k = KeyOf(user, key);
    if (j == 0 || k < previousKey) {
      previousRank = j + 1;
      previousKey = k;
    }
    user.*rank = previousRank;
  }
}

void RankUsers(AnalysisState& state) {
  SortUsersBy(state.Users, state.UserCount, SortKey::PostCount);
  AssignRanks(state.Users, state.UserCount, SortKey::PostCount, &UserTally::PostRank);
  SortUsersBy(state.Users, state.UserCount, SortKey::AverageChars);
  AssignRanks(state.Users, state.UserCount, SortKey::AverageChars, &UserTally::AverageRank);
  SortUsersBy(state.Users, state.UserCount, SortKey::CharCount);
}

}  // namespace zunkaro
