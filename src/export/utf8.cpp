#include "export/utf8.hpp"

#include <cstdint>

namespace zunkaro {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// Lead bytes, by the length of the sequence they begin (RFC 3629, section 4).
constexpr std::uint8_t kAsciiLast = 0x7F;
constexpr std::uint8_t kTwoFirst = 0xC2;  // 0xC0 and 0xC1 would only begin overlong forms
constexpr std::uint8_t kTwoLast = 0xDF;
constexpr std::uint8_t kThreeFirst = 0xE0;
constexpr std::uint8_t kThreeLast = 0xEF;
constexpr std::uint8_t kFourFirst = 0xF0;
constexpr std::uint8_t kFourLast = 0xF4;  // above would pass U+10FFFF
// Continuation bytes.
constexpr std::uint8_t kTailFirst = 0x80;
constexpr std::uint8_t kTailLast = 0xBF;
// Lead bytes whose second byte has a narrower range.
constexpr std::uint8_t kOverlongThreeLead = 0xE0;  // second byte A0..BF
constexpr std::uint8_t kSurrogateLead = 0xED;      // second byte 80..9F
constexpr std::uint8_t kOverlongFourLead = 0xF0;   // second byte 90..BF
constexpr std::uint8_t kTopFourLead = 0xF4;        // second byte 80..8F
constexpr std::uint8_t kThreeSecondFirst = 0xA0;
constexpr std::uint8_t kSurrogateSecondLast = 0x9F;
constexpr std::uint8_t kFourSecondFirst = 0x90;
constexpr std::uint8_t kTopSecondLast = 0x8F;

[[nodiscard]] constexpr bool In(std::uint8_t byte, std::uint8_t first, std::uint8_t last) noexcept {
  return byte >= first && byte <= last;
}

// The length of the well-formed sequence at the start of `rest`, or 0.
[[nodiscard]] std::size_t SequenceLength(std::string_view rest) noexcept {
  const auto at = [&rest](std::size_t i) { return static_cast<std::uint8_t>(rest[i]); };
  const std::uint8_t lead = at(0);
  if (lead <= kAsciiLast) {
    // ASCII: one byte.
    return 1;
  }
  std::size_t length = 0;
  std::uint8_t secondFirst = kTailFirst;
  std::uint8_t secondLast = kTailLast;
  if (In(lead, kTwoFirst, kTwoLast)) {
    // Two bytes: U+0080..U+07FF.
    length = 2;
  } else if (In(lead, kThreeFirst, kThreeLast)) {
    // Three bytes: U+0800..U+FFFF without the surrogates.
    length = 3;
    if (lead == kOverlongThreeLead) secondFirst = kThreeSecondFirst;
    if (lead == kSurrogateLead) secondLast = kSurrogateSecondLast;
  } else if (In(lead, kFourFirst, kFourLast)) {
    // Four bytes: U+10000..U+10FFFF.
    length = 4;
    if (lead == kOverlongFourLead) secondFirst = kFourSecondFirst;
    if (lead == kTopFourLead) secondLast = kTopSecondLast;
  } else {
    // A continuation byte alone, or a byte UTF-8 never uses.
    return 0;
  }
  if (rest.size() < length || !In(at(1), secondFirst, secondLast)) {
    return 0;
  }
  for (std::size_t i = 2; i < length; ++i) {
    if (!In(at(i), kTailFirst, kTailLast)) return 0;
  }
  return length;
}

}  // namespace

std::string ValidUtf8(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  while (!bytes.empty()) {
    const std::size_t length = SequenceLength(bytes);
    if (length == 0) {
      text += kReplacement;
      bytes.remove_prefix(1);
    } else {
      text += bytes.substr(0, length);
      bytes.remove_prefix(length);
    }
  }
  return text;
}

}  // namespace zunkaro
