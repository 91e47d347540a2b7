// The rank by characters, as the report shows it: walked down the users in
// report order (most characters first), equal counts share the rank of the
// first of them and a lower count takes its 1-based position (1, 1, 3, 4).
// The tally keeps no such rank; whoever lists the users derives it here.
#pragma once

#include <cstdint>

namespace zunkaro {

class CharRanking {
 public:
  // The rank of the next user down the list, whose count is `charCount`.
  [[nodiscard]] std::int32_t Next(std::int64_t charCount) noexcept {
    ++position_;
    if (position_ == 1 || charCount < rankValue_) {
      // The first user, or a lower count: the rank is the position.
      rank_ = position_;
      rankValue_ = charCount;
    }
    return rank_;
  }

 private:
  std::int32_t position_ = 0;
  std::int32_t rank_ = 1;
  std::int64_t rankValue_ = 0;  // the count at which the current rank began
};

}  // namespace zunkaro
