// The tally of a whole archive: many logs taken as one forum, as if they
// were one log, in the order they are given. It keeps no message, only one
// tally per User-ID and the totals, so its memory follows the users and any
// number of messages fits.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "log/message_record.hpp"
#include "tally/line_list.hpp"
#include "tally/post_calendar.hpp"
#include "tally/user_index.hpp"
#include "tally/user_tally.hpp"

namespace zunkaro {

class ArchiveTally {
 public:
  ArchiveTally() = default;
  ArchiveTally(const ArchiveTally&) = delete;
  ArchiveTally& operator=(const ArchiveTally&) = delete;
  ArchiveTally(ArchiveTally&&) noexcept = default;
  ArchiveTally& operator=(ArchiveTally&&) noexcept = default;

  // Counts one message, the latest so far, as the tally of a log does.
  void Add(const MessageRecord& message);

  // Counts the messages of `later`, which all come after those counted so
  // far: users new to this tally follow in `later`'s order, a known user
  // takes `later`'s handle, and `later`'s longest message replaces this one
  // only when it is strictly longer. Adding the tallies of a log's parts, in
  // order, gives the tally of the whole log.
  void Append(const ArchiveTally& later);

  // Sets each user's average, then orders and ranks the users as the
  // rankings of a log do. Counting more afterwards is not allowed.
  void Rank();

  // Appends the report of the ranked tally to `lines`.
  void WriteReport(LineList& lines) const;

  [[nodiscard]] std::int64_t MessageCount() const noexcept { return messageCount_; }
  // The users in report order, once ranked.
  [[nodiscard]] std::span<const UserTally* const> Users() const noexcept { return slots_; }
  // The users in order of first appearance, before the ranking.
  [[nodiscard]] std::span<const UserTally> UsersAsMet() const noexcept { return users_; }

  // Totals, as in a log's analysis.
  std::int64_t PostTotal = 0;  // ordinary and SYSOP-deleted messages
  std::int64_t CharTotal = 0;
  std::int64_t SysopDeletedCount = 0;
  MessageRecord LongestMessage{};
  PostCalendar Calendar;  // when the posts were made

 private:
  [[nodiscard]] UserTally& UserOf(const UserIdText& id);

  std::vector<UserTally> users_;   // in order of first appearance
  std::vector<UserTally*> slots_;  // the users in slot order; the rankings move their contents
  UserIndex index_{UserIndex::kSmallRoom};  // one per log of an archive: small at first
  std::int64_t messageCount_ = 0;
  bool ranked_ = false;
};

}  // namespace zunkaro
