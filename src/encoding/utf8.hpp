// Well-formed UTF-8, by the ranges of Unicode's table of well-formed byte
// sequences (RFC 3629: no overlong forms, no surrogates, nothing above
// U+10FFFF): the one check that the transcoder and the exporters share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zunkaro {

// What the bytes at the front of a text are.
enum class Shape : std::uint8_t { kValid, kInvalid, kIncomplete };
struct Sequence {
  Shape Is;
  std::size_t Length;  // of the character; of what was good before the fault
};

// One UTF-8 character at the front of `s` (not empty).
[[nodiscard]] Sequence Utf8At(std::string_view s) noexcept;

// `bytes` with every byte that does not belong to a well-formed UTF-8
// sequence replaced by U+FFFD: for names that come from outside (a log's
// file name is the system's bytes, which need not be UTF-8).
[[nodiscard]] std::string ValidUtf8(std::string_view bytes);

}  // namespace zunkaro
