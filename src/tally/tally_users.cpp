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
  const UserIndex::IdOfSlot idOfSlot = [&state](std::uint32_t slot) -> const UserIdText& {
    return state.Users.Slots()[slot]->UserId;
  };
  const auto userOf = [&state, &idOfSlot](const MessageRecord& m) -> UserTally& {
    const auto slot = static_cast<std::uint32_t>(state.UserCount);
    const std::uint32_t found = index.FindOrAdd(m.UserId, idOfSlot);
    if (found != UserIndex::kAdded) {
      return *state.Users.Slots()[found];
    }
    // A new User-ID takes the next slot.
    UserTally& user = state.Users.Put(slot);
    user.UserId = m.UserId;
    ++state.UserCount;
    return user;
  };
  for (const MessageRecord* m :
       state.Messages.Slots().first(static_cast<std::size_t>(state.MessageCount))) {
    CountMessage(*m, state, userOf);
  }

  for (UserTally* user : state.Users.Slots().first(static_cast<std::size_t>(state.UserCount))) {
    user->AverageChars = user->CharCount / user->PostCount;
  }
}

}  // namespace zunkaro
