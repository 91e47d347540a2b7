#include "tally/user_index.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

namespace zunkaro {
namespace {

UserIdText IdOf(std::uint32_t n) {
  UserIdText id{};
  // Three letters and five digits, as in a log: 26^3 * 10^5 User-IDs.
  std::snprintf(id.data(), id.size(), "%c%c%c%05u", 'A' + static_cast<int>(n / 2600000 % 26),
                'A' + static_cast<int>(n / 100000 % 26), 'A' + static_cast<int>(n / 2600 % 26),
                n % 100000);
  return id;
}

// From either room, past several growths and out of the first room: every
// User-ID keeps its slot; and after Clear the index starts afresh.
TEST(UserIndexTest, KeepsEverySlotAsItGrows) {
  for (const unsigned room : {UserIndex::kSmallRoom, UserIndex::kRoomForOneLog}) {
    UserIndex index(room);
    for (int run = 0; run < 2; ++run) {
      std::vector<UserIdText> ids;
      const auto idOfSlot = [&ids](std::uint32_t slot) -> const UserIdText& { return ids[slot]; };
      constexpr std::uint32_t kUsers = 150000;  // more than the first room of either
      for (std::uint32_t n = 0; n < kUsers; ++n) {
        const UserIdText id = IdOf(n * 7 + static_cast<std::uint32_t>(run));
        ASSERT_EQ(index.FindOrAdd(id, idOfSlot), UserIndex::kAdded) << n;
        ids.push_back(id);
        if (n % 1000 == 0) {
          ASSERT_EQ(index.FindOrAdd(ids[n / 2], idOfSlot), n / 2);
        }
      }
      for (std::uint32_t slot = 0; slot < kUsers; ++slot) {
        ASSERT_EQ(index.FindOrAdd(ids[slot], idOfSlot), slot);
      }
      index.Clear();
    }
  }
}

}  // namespace
}  // namespace zunkaro
