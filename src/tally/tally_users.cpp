#include "tally/tally_users.hpp"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

namespace zunkaro {
namespace {

// An open-addressing index from User-ID to slot of Users, with room for
// twice as many User-IDs as there are messages, so probes stay short.
constexpr unsigned kSmallestIndexBits = 4;
constexpr std::uint32_t kEmpty = 0;  // entries hold slot + 1
constexpr std::uint64_t kHashMultiplier = 0x9E3779B97F4A7C15ULL;

[[nodiscard]] std::uint64_t Key(const UserIdText& id) noexcept {
  std::uint64_t key = 0;
  std::memcpy(&key, id.data(), sizeof key);
  return key;
}

[[nodiscard]] std::size_t Home(std::uint64_t key, unsigned bits) noexcept {
  return static_cast<std::size_t>((key * kHashMultiplier) >> (64 - bits));
}

}  // namespace

void TallyUsers(AnalysisState& state) {
  state.LongestMessage = MessageRecord{};
  state.SysopDeletedCount = 0;
  state.UserCount = 0;
  state.PostTotal = 0;
  state.CharTotal = 0;
  state.Users.Clear();

  const unsigned bits = std::max(
      kSmallestIndexBits,
      static_cast<unsigned>(std::bit_width(2 * static_cast<std::size_t>(state.MessageCount))));
  const std::size_t size = std::size_t{1} << bits;
  // Key and slot side by side: one probe, one cache line.
  struct Entry {
    std::uint64_t Key;
    std::uint32_t Slot;  // slot + 1, or kEmpty
  };
  std::vector<Entry> index(size, Entry{0, kEmpty});

  for (std::int32_t i = 0; i < state.MessageCount; ++i) {
    const MessageRecord& m = *state.Messages[static_cast<std::size_t>(i)];
    if ((m.Flags & mfPosterDeleted) != 0) {
      // Deleted by its poster: counted nowhere.
      continue;
    }
    if (View(m.UserId) == kSysopUserId) {
      // Deleted by the SYSOP: a post without characters or user.
      ++state.SysopDeletedCount;
      ++state.PostTotal;
      continue;
    }
    const std::uint64_t key = Key(m.UserId);
    std::size_t probe = Home(key, bits);
    while (index[probe].Slot != kEmpty && index[probe].Key != key) {
      probe = (probe + 1) & (size - 1);
    }
    if (index[probe].Slot != kEmpty) {
      // A known User-ID: its latest handle replaces the old one.
      UserTally& user = *state.Users[index[probe].Slot - 1];
      user.Handle = m.Handle;
      ++user.PostCount;
      user.CharCount += m.CharCount;
    } else {
      // A new User-ID takes the next slot.
      const auto slot = static_cast<std::size_t>(state.UserCount);
      UserTally& user = state.Users.Put(slot);
      user.UserId = m.UserId;
      user.Handle = m.Handle;
      user.PostCount = 1;
      user.CharCount = m.CharCount;
      index[probe] = {key, static_cast<std::uint32_t>(slot + 1)};
      ++state.UserCount;
    }
    ++state.PostTotal;
    state.CharTotal += m.CharCount;
    if (m.CharCount > state.LongestMessage.CharCount) {
      state.LongestMessage = m;
    }
  }

  for (std::int32_t k = 0; k < state.UserCount; ++k) {
    UserTally& user = *state.Users[static_cast<std::size_t>(k)];
    user.AverageChars = user.CharCount / user.PostCount;
  }
}

}  // namespace zunkaro
