#include "encoding/utf8.hpp"

#include "encoding/byte_ranges.hpp"

namespace zunkaro {
namespace {

using namespace bytes;

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

[[nodiscard]] constexpr bool Within(unsigned char b, unsigned char first, unsigned char last) noexcept {
  return b >= first && b <= last;
}

}  // namespace

Sequence Utf8At(std::string_view s) noexcept {
  const auto b = static_cast<unsigned char>(s[0]);
  std::size_t length = 0;
  unsigned char low = kUtf8ContinuationFirst;
  unsigned char high = kUtf8ContinuationLast;
  if (b <= kAsciiLast) {
    // ASCII.
    return {Shape::kValid, 1};
  }
  if (Within(b, kUtf8TwoFirst, kUtf8TwoLast)) {
    // Two bytes.
    length = 2;
  } else if (Within(b, kUtf8ThreeFirst, kUtf8ThreeLast)) {
    // Three bytes, not overlong and no surrogate.
    length = 3;
    if (b == kUtf8ThreeFirst) low = kUtf8ShortestThreeLow;
    if (b == kUtf8Surrogates) high = kUtf8BelowSurrogatesHigh;
  } else if (Within(b, kUtf8FourFirst, kUtf8FourLast)) {
    // Four bytes, not overlong and not past U+10FFFF.
    length = 4;
    if (b == kUtf8FourFirst) low = kUtf8ShortestFourLow;
    if (b == kUtf8FourLast) high = kUtf8LastPlaneHigh;
  } else {
    // A continuation byte without its first, or a byte UTF-8 never uses.
    return {Shape::kInvalid, 1};
  }
  for (std::size_t i = 1; i < length; ++i) {
    if (i == s.size()) {
      return {Shape::kIncomplete, i};
    }
    if (!Within(static_cast<unsigned char>(s[i]), low, high)) {
      return {Shape::kInvalid, i};
    }
    low = kUtf8ContinuationFirst;
    high = kUtf8ContinuationLast;
  }
  return {Shape::kValid, length};
}

std::string ValidUtf8(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  while (!bytes.empty()) {
    const Sequence sequence = Utf8At(bytes);
    if (sequence.Is == Shape::kValid) {
      // A whole character, kept.
      text += bytes.substr(0, sequence.Length);
      bytes.remove_prefix(sequence.Length);
    } else {
      // A byte that belongs to no character.
      text += kReplacement;
      bytes.remove_prefix(1);
    }
  }
  return text;
}

}  // namespace zunkaro
