// The record of one message found in a log, and the table that holds them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "log/line_analysis.hpp"
#include "log/record_table.hpp"

namespace zunkaro {

// A User-ID: 8 bytes and a NUL. Eight asterisks mark a SYSOP deletion.
using UserIdText = std::array<char, kUserIdBytes + 1>;
// A handle: 16 Shift-JIS bytes as in the log, trailing spaces kept, and a NUL.
using HandleText = std::array<char, kHandleBytes + 1>;

inline constexpr std::string_view kSysopUserId = "********";

[[nodiscard]] inline std::string_view View(const UserIdText& id) noexcept {
  return {id.data(), kUserIdBytes};
}

// How a message was deleted; never both.
enum MessageFlags : std::uint8_t {
  mfNone = 0,
  mfPosterDeleted = 4,  // the title begins with "発言者削除"
  mfSysopDeleted = 8,   // the User-ID is eight asterisks
};

struct MessageRecord {
  std::int32_t Number = 0;  // the header's first number
  UserIdText UserId{};
  HandleText Handle{};
  // The date line's five two-byte fields, as converted (-9..99).
  std::int8_t Year = 0;
  std::int8_t Month = 0;
  std::int8_t Day = 0;
  std::int8_t Hour = 0;
  std::int8_t Minute = 0;
  // Visible characters of the title and every body line. 64 bits wide, so
  // that no log this machine can hold overflows it.
  std::int64_t CharCount = 0;
  MessageFlags Flags = mfNone;

  friend bool operator==(const MessageRecord&, const MessageRecord&) = default;
};

// Slot n holds the message found n-th in the log, for n below the count.
using MessageTable = RecordTable<MessageRecord>;

}  // namespace zunkaro
