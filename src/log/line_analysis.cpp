#include "log/line_analysis.hpp"

#include <array>

namespace zunkaro {
namespace {

// Byte ranges of Shift-JIS as the counting sees them (unsigned values).
constexpr unsigned char kNul = 0x00;
constexpr unsigned char kControlLast = 0x20;  // 0x01..0x20: controls, line feed, space
constexpr unsigned char kAsciiFirst = 0x21;   // 0x21..0x7E: printable ASCII
constexpr unsigned char kAsciiLast = 0x7E;
constexpr unsigned char kKanaFirst = 0xA1;    // 0xA1..0xDF: half-width katakana
constexpr unsigned char kKanaLast = 0xDF;
// Every other byte (0x7F..0xA0, 0xE0..0xFF) begins a double-byte character.
constexpr unsigned char kIdeographicSpaceLead = 0x81;  // 0x81 0x40: the full-width space
constexpr unsigned char kIdeographicSpaceTrail = 0x40;

// At most this many bytes of a text are counted.
constexpr std::size_t kCountLimit = 256;

// The wildcard letters of a pattern.
constexpr char kAnyDigit = '9';
constexpr char kUpperOrStar = 'Z';
constexpr char kDigitOrStar = 'X';
constexpr char kAnyByte = '*';

[[nodiscard]] constexpr bool IsDigit(unsigned char b) noexcept { return b >= '0' && b <= '9'; }
[[nodiscard]] constexpr bool IsUpper(unsigned char b) noexcept { return b >= 'A' && b <= 'Z'; }

// Whether one pattern byte accepts one byte of a line. A NUL byte is the end
// of the line, which no pattern byte accepts.
[[nodiscard]] constexpr bool Accepts(char pattern, unsigned char b) noexcept {
  switch (pattern) {
    case kAnyDigit:
      return IsDigit(b);
    case kUpperOrStar:
      return IsUpper(b) || b == '*';
    case kDigitOrStar:
      return IsDigit(b) || b == '*';
    case kAnyByte:
      return b != kNul;
    default:
      return b == static_cast<unsigned char>(pattern);
  }
}

[[nodiscard]] constexpr bool Matches(std::string_view line, std::string_view pattern) noexcept {
  // A line shorter than the pattern never matches it.
  if (line.size() < pattern.size()) {
    return false;
  }
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (!Accepts(pattern[i], static_cast<unsigned char>(line[i]))) {
      return false;
    }
  }
  return true;
}

struct KindPattern {
  LineKind Kind;
  std::string_view Pattern;
};
constexpr std::array kPatterns{
    KindPattern{LineKind::lkShortHeader, ShortHeaderPattern},
    KindPattern{LineKind::lkLongHeader, LongHeaderPattern},
    KindPattern{LineKind::lkSeparator, SeparatorPattern},
};

}  // namespace

LineKind ClassifyLine(std::string_view line) noexcept {
  for (const auto& [kind, pattern] : kPatterns) {
    if (Matches(line, pattern)) {
      return kind;
    }
  }
  return LineKind::lkBody;
}

std::int32_t CountChars(std::string_view text) noexcept {
  const std::size_t limit = text.size() < kCountLimit ? text.size() : kCountLimit;
  std::int32_t count = 0;
  std::size_t i = 0;
  while (i < limit) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead == kNul) {
      // The end of the text.
      break;
    }
    if (lead <= kControlLast) {
      // Control byte, line feed or space: invisible.
      i += 1;
    } else if ((lead >= kAsciiFirst && lead <= kAsciiLast) ||
               (lead >= kKanaFirst && lead <= kKanaLast)) {
      // Printable ASCII or half-width katakana: one byte, one character.
      count += 1;
      i += 1;
    } else if (i + 1 >= limit || text[i + 1] == '\0') {
      // A first byte with nothing after it: one character, and the end.
      count += 1;
      break;
    } else {
      // A double-byte character, whatever its second byte; the full-width
      // space is invisible.
      const auto trail = static_cast<unsigned char>(text[i + 1]);
      if (lead != kIdeographicSpaceLead || trail != kIdeographicSpaceTrail) {
        count += 1;
      }
      i += 2;
    }
  }
  return count;
}

}  // namespace zunkaro
