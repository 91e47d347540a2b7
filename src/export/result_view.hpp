// A read-only view of one analysis's result, for the exporters: the users in
// report order with their three ranks, the totals, the SYSOP deletions, the
// longest message, and every message in log order with where its header
// stands. Text stays as the log has it (Shift-JIS bytes); the exporters
// decode it for their own output. Built from an analysis in one place, so
// no exporter reads the analysis's tables.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "encoding/encoding.hpp"
#include "tally/post_calendar.hpp"

namespace zunkaro {

class Analysis;
class ArchiveTally;

struct UserRow {
  std::int32_t Rank = 0;  // by characters, as the report shows it
  std::string UserId;
  std::string Handle;     // Shift-JIS, without its trailing fill spaces
  std::int64_t Chars = 0;
  std::int32_t Posts = 0;
  std::int32_t PostRank = 0;
  std::int64_t Average = 0;
  std::int32_t AverageRank = 0;
};

enum class MessageStatus : std::uint8_t { kCounted, kPosterDeleted, kSysopDeleted };

// "counted", "poster-deleted", "sysop-deleted".
[[nodiscard]] std::string_view StatusName(MessageStatus status) noexcept;

struct MessageRow {
  std::int64_t Line = 0;     // 1-based line of the header in the file; 0 for the longest message
  std::uint32_t Number = 0;  // as the report prints it
  std::string UserId;
  std::string Handle;        // Shift-JIS, without its trailing fill spaces
  // As read from the date line: -9..99 each.
  std::int32_t Year = 0;
  std::int32_t Month = 0;
  std::int32_t Day = 0;
  std::int32_t Hour = 0;
  std::int32_t Minute = 0;
  std::int64_t Chars = 0;    // visible characters as counted
  MessageStatus Status = MessageStatus::kCounted;
};

struct Totals {
  std::int32_t Users = 0;
  std::int64_t Chars = 0;
  std::int32_t Posts = 0;   // SYSOP deletions included
  std::int64_t Average = 0; // Chars / Posts, truncated; 0 when nothing was posted
};

struct ResultView {
  std::string Log;  // the log as it was named
  Encoding LogEncoding = Encoding::kShiftJis;
  std::vector<UserRow> Users;  // report order
  std::int32_t SysopDeleted = 0;
  Totals Total;
  MessageRow Longest;  // all zeros and empty text when no message had a character
  std::vector<MessageRow> Messages;  // log order; none for an archive, which keeps none
  PostCalendar Calendar;             // when the posts were made
};

// The view of a tallied and ranked analysis of the log named `log`, in the
// encoding its reading found.
[[nodiscard]] ResultView ViewOf(const Analysis& analysis, std::string log);

// The view of a ranked archive tally (--merge): the same figures, and no
// messages, as an archive keeps none. `log` names the archive.
[[nodiscard]] ResultView ViewOf(const ArchiveTally& archive, std::string log);

// A handle without its trailing fill spaces.
[[nodiscard]] std::string_view TrimHandle(std::string_view handle) noexcept;

}  // namespace zunkaro
