#include "tally/tally_users.hpp"

#include "tally/count_message.hpp"
#include "tally/user_index.hpp"

namespace zunkaro {

void TallyUsers(AnalysisState& state) {
  state.LongestMessage = MessageRecord{};
  state.SysopDeletedCount = 0;
  state.UserCount = 0;
  state.PostTotal = 0;
  state.CharTotal = 0;
  state.Users.Clear();

  // Kept by each thread from one run to the next.
  thread_local UserIndex index;
  index.Clear();
  const auto userOf = [&state](const MessageRecord& m) -> UserTally& {
    const auto slot = static_cast<std::uint32_t>(state.UserCount);
    const std::uint32_t found = index.FindOrAdd(m.UserId, slot);
    if (found != UserIndex::kAdded) {
      return *state.Users[found];
    }
    // A new User-ID takes the next slot.
    UserTally& user = state.Users.Put(slot);
    user.UserId = m.UserId;
    ++state.UserCount;
    return user;
  };
  for (std::int32_t i = 0; i < state.MessageCount; ++i) {
    CountMessage(*state.Messages[static_cast<std::size_t>(i)], state, userOf);
  }

  for (std::int32_t k = 0; k < state.UserCount; ++k) {
    UserTally& user = *state.Users[static_cast<std::size_t>(k)];
    user.AverageChars = user.CharCount / user.PostCount;
  }
}

}  // namespace zunkaro
