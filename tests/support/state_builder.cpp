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
  auto& slot = state.Messages[static_cast<std::size_t>(state.MessageCount++)];
  slot = std::make_unique<MessageRecord>();
  slot->Number = state.MessageCount;
  Fill(slot->UserId, userId, '\0');
  Fill(slot->Handle, handle, ' ');
  slot->CharCount = chars;
  slot->Flags = flags;
  return *slot;
}

UserTally& AddUser(AnalysisState& state, std::string_view userId, std::int32_t posts,
                   std::int64_t chars, std::int64_t average) {
  auto& slot = state.Users[static_cast<std::size_t>(state.UserCount++)];
  slot = std::make_unique<UserTally>();
  Fill(slot->UserId, userId, '\0');
  Fill(slot->Handle, "", ' ');
  slot->PostCount = posts;
  slot->CharCount = chars;
  slot->AverageChars = average;
  return *slot;
}

}  // namespace zunkaro::testing
