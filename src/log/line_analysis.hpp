// Line analysis: what a line of a forum log is, and how many visible
// characters a Shift-JIS text holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zunkaro {

// What a line is, by the fixed pattern its first bytes match. The non-zero
// values are the positions of the patterns in the order they are tried.
enum class LineKind : std::uint8_t {
  lkBody = 0,         // no pattern matches: a body line, or any other line
  lkShortHeader = 1,  // a header with message numbers of 3 digits
  lkLongHeader = 2,   // a header with message numbers of 5 digits
  lkSeparator = 3,    // space, backspace, line feed: closes a message
};

// The patterns, tried in this order. In a pattern "9" is a digit, "Z" an
// upper-case letter or "*", "X" a digit or "*", "*" any byte; every other
// byte stands for itself.
inline constexpr std::string_view ShortHeaderPattern =
    "999/999   ZZZXXXXX  ****************  ";
inline constexpr std::string_view LongHeaderPattern =
    "99999/99999 ZZZXXXXX  **************** ";
inline constexpr std::string_view SeparatorPattern = " \b\n";

// Where the fields of the two header forms stand (0-based byte columns).
struct HeaderLayout {
  std::size_t NumberWidth;   // the message number: 3 or 5 digits from column 0
  std::size_t UserIdColumn;  // 8 bytes
  std::size_t HandleColumn;  // 16 bytes
  std::size_t TitleColumn;   // the title, to the end of the line
};
inline constexpr HeaderLayout kShortHeaderLayout{3, 10, 20, ShortHeaderPattern.size()};
inline constexpr HeaderLayout kLongHeaderLayout{5, 12, 22, LongHeaderPattern.size()};

inline constexpr std::size_t kUserIdBytes = 8;
inline constexpr std::size_t kHandleBytes = 16;

// The kind of one line as read. The line ends at its first NUL byte, if it
// has one, as a C string does; whatever follows a matched pattern is not
// looked at.
[[nodiscard]] LineKind ClassifyLine(std::string_view line) noexcept;
// What the reading loop needs of a line: its kind, and for a body line
// whether it passes the first look of IsNearMissHeader. The look is told by
// the tests of the first byte that classifying makes anyway, so that the
// lines that fail it (nearly all) pay nothing for it.
// It is one byte, the kind and a flag, so that it passes in one register.
class LineLook {
 public:
  constexpr LineLook(LineKind kind, bool mayBeNearMiss) noexcept
      : bits_(static_cast<std::uint8_t>(static_cast<std::uint8_t>(kind) |
                                        (mayBeNearMiss ? kNearMissBit : 0))) {}
  [[nodiscard]] constexpr LineKind Kind() const noexcept {
    return static_cast<LineKind>(bits_ & ~kNearMissBit);
  }
  [[nodiscard]] constexpr bool MayBeNearMiss() const noexcept { return (bits_ & kNearMissBit) != 0; }

 private:
  static constexpr std::uint8_t kNearMissBit = 0x80;
  std::uint8_t bits_;
};
[[nodiscard]] LineLook LookAtLine(std::string_view line) noexcept;

// Whether a line that is no header would be one but for a byte or two: a
// line that begins as a header does (perhaps after a space), a message
// number, "/", a second
// number, a gap, a User-ID and a gap, with the gaps of any width and of
// spaces or tabs and the numbers of 2 to 6 digits (a tab for spaces, a
// column shifted); or a line that differs from a header pattern in one or
// two of its bytes. Such a line is a message that the analysis leaves out.
// Only lines that begin with a digit, or a space and a digit, are looked at
// closely.
[[nodiscard]] bool IsNearMissHeader(std::string_view line) noexcept;

// The cheap first look of IsNearMissHeader, for the reading loop: false for
// every line that cannot be a near miss.
[[nodiscard]] inline bool MayBeNearMissHeader(std::string_view line) noexcept {
  constexpr std::size_t kShortest = 20;  // a number, "/", a number, gaps, a User-ID
  const auto digit = [](char c) { return c >= '0' && c <= '9'; };
  return line.size() >= kShortest && (digit(line[0]) || (line[0] == ' ' && digit(line[1])));
}

// The visible characters of a Shift-JIS text: printable ASCII, half-width
// katakana and every double-byte character but the full-width space count
// one each; spaces, control bytes and line feeds count nothing. The text ends
// at its first NUL byte; at most its first 256 bytes are looked at.
// Malformed Shift-JIS is counted by the same byte classes, never rejected.
[[nodiscard]] std::int32_t CountChars(std::string_view text) noexcept;

namespace detail {
// CountChars one byte at a time: the plain form of the count, which the fast
// one must always agree with.
[[nodiscard]] std::int32_t CountCharsByteByByte(std::string_view text) noexcept;
}  // namespace detail

}  // namespace zunkaro
