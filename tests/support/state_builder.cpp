#include "support/state_builder.hpp"

#include <algorithm>

namespace zunkaro::testing {
namespace {

template <std::size_t N>
void Fill(std::array<char, N>& field, std::string_view text, char pad) {
  field.fill('\0');
  const std::size_t n = std::min(text.size(), N - 1);
  std::copy_n(text.begin(), n, field.begin());
  if (pad != '\0') std::fill(field.begin() + static_cast<std::ptrdiff_t>(n), field.end() - 1, pad);
}

}  // namespace

MessageRecord& AddMessage(AnalysisState& state, std::string_view userId, std::string_view handle,
                          std::int64_t chars, MessageFlags flags) {
  MessageRecord& m = state.Messages.Put(static_cast<std::size_t>(state.MessageCount++));
  m.Number = state.MessageCount;
  Fill(m.UserId, userId, '\0');
  Fill(m.Handle, handle, ' ');
  m.CharCount = chars;
  m.Flags = flags;
  return m;
}

UserTally& AddUser(AnalysisState& state, std::string_view userId, std::int32_t posts,
                   std::int64_t chars, std::int64_t average) {
  UserTally& user = state.Users.Put(static_cast<std::size_t>(state.UserCount++));
  Fill(user.UserId, userId, '\0');
  Fill(user.Handle, "", ' ');
  user.PostCount = posts;
  user.CharCount = chars;
  user.AverageChars = average;
  return user;
}

}  // namespace zunkaro::testing
