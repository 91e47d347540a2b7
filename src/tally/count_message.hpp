// How one message counts in a tally: the rule shared by the tally of one log
// and that of an archive.
#pragma once

#include "log/message_record.hpp"
#include "tally/user_tally.hpp"

namespace zunkaro {

// Counts `m`, the latest message so far, into `totals` (PostTotal, CharTotal,
// SysopDeletedCount, LongestMessage). `userOf(m)` gives the tally of m's
// User-ID, a fresh one (User-ID set, counts zero) at its first message.
// - A poster-deleted message counts nowhere.
// - A SYSOP-deleted message counts in PostTotal and SysopDeletedCount only.
// - Otherwise the user takes the message's handle, the latest one; and of
//   several messages with the most characters the earliest stays longest.
template <typename Totals, typename UserOf>
void CountMessage(const MessageRecord& m, Totals& totals, UserOf&& userOf) {
  if ((m.Flags & mfPosterDeleted) != 0) {
    // Deleted by its poster: counted nowhere.
    return;
  }
  if (View(m.UserId) == kSysopUserId) {
    // Deleted by the SYSOP: a post without characters or user.
    ++totals.SysopDeletedCount;
    ++totals.PostTotal;
    return;
  }
  UserTally& user = userOf(m);
  user.Handle = m.Handle;
  ++user.PostCount;
  user.CharCount += m.CharCount;
  ++totals.PostTotal;
  totals.CharTotal += m.CharCount;
  if (m.CharCount > totals.LongestMessage.CharCount) {
    // Strictly more: the earliest of equals stays.
    totals.LongestMessage = m;
  }
}

}  // namespace zunkaro
