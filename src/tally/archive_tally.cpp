#include "tally/archive_tally.hpp"

#include <stdexcept>

#include "tally/count_message.hpp"
#include "tally/rank_users.hpp"
#include "tally/write_report.hpp"

namespace zunkaro {

UserTally& ArchiveTally::UserOf(const UserIdText& id) {
  if (ranked_) {
    throw std::logic_error("an archive tally counted after its ranking");
  }
  const std::uint32_t found = index_.FindOrAdd(
      id, [this](std::uint32_t slot) -> const UserIdText& { return users_[slot].UserId; });
  if (found != UserIndex::kAdded) {
    return users_[found];
  }
  // A new User-ID, after all the others.
  UserTally& user = users_.emplace_back();
  user.UserId = id;
  return user;
}

void ArchiveTally::Add(const MessageRecord& message) {
  ++messageCount_;
  Calendar.Add(message);
  CountMessage(message, *this,
               [this](const MessageRecord& m) -> UserTally& { return UserOf(m.UserId); });
}

void ArchiveTally::Append(const ArchiveTally& later) {
  if (later.ranked_) {
    throw std::logic_error("a ranked archive tally appended");
  }
  for (const UserTally& theirs : later.users_) {
    UserTally& ours = UserOf(theirs.UserId);
    // Their messages are the later ones: their handle is the latest.
    ours.Handle = theirs.Handle;
    ours.PostCount += theirs.PostCount;
    ours.CharCount += theirs.CharCount;
  }
  messageCount_ += later.messageCount_;
  PostTotal += later.PostTotal;
  CharTotal += later.CharTotal;
  SysopDeletedCount += later.SysopDeletedCount;
  Calendar.Append(later.Calendar);
  if (later.LongestMessage.CharCount > LongestMessage.CharCount) {
    // Strictly longer: of equals the earlier, ours, stays.
    LongestMessage = later.LongestMessage;
  }
}

void ArchiveTally::Rank() {
  ranked_ = true;
  slots_.clear();
  for (UserTally& user : users_) {
    user.AverageChars = user.CharCount / user.PostCount;
    slots_.push_back(&user);
  }
  RankUsers(slots_);
}

void ArchiveTally::WriteReport(LineList& lines) const {
  zunkaro::WriteReport(
      ReportSource{slots_, SysopDeletedCount, PostTotal, CharTotal, &LongestMessage}, lines);
}

}  // namespace zunkaro
