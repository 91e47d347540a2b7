// The search for the bytes that end or break a plain line of a log: NUL,
// line feed, carriage return and 0x1A. The reader takes a line in place up to
// the first of them. There are three forms of the search, all built wherever
// the machine allows them and all tested against the byte-at-a-time one:
// - byte at a time, the plain form;
// - eight bytes at a time in a 64-bit word, for any machine;
// - sixteen bytes at a time with SSE2, where the processor has it.
#pragma once

#include <cstddef>

namespace zunkaro {

// The bytes that end or break a plain line, named once for the search and
// the reader.
namespace line_bytes {
inline constexpr char kNul = '\0';
inline constexpr char kCarriageReturn = '\r';
inline constexpr char kLineFeed = '\n';
inline constexpr char kEndOfFile = '\x1a';  // ends the log
}  // namespace line_bytes

// The fast forms read whole blocks and may look this many bytes past
// `limit`: the buffer must hold them (their values do not matter).
inline constexpr std::size_t kLineScanOverread = 16;

// The position of the first NUL, line feed, carriage return or 0x1A among
// the first `limit` bytes at `p`, or `limit` when there is none. The fastest
// form this machine has.
[[nodiscard]] std::size_t FindLineBreak(const char* p, std::size_t limit) noexcept;

namespace detail {

// The same, one byte at a time; reads nothing past `limit`.
[[nodiscard]] std::size_t FindLineBreakByteByByte(const char* p, std::size_t limit) noexcept;

// The same, a 64-bit word at a time.
[[nodiscard]] std::size_t FindLineBreakByWords(const char* p, std::size_t limit) noexcept;

#if defined(__SSE2__)
// The same, sixteen bytes at a time with SSE2.
[[nodiscard]] std::size_t FindLineBreakSse2(const char* p, std::size_t limit) noexcept;
#endif

}  // namespace detail
}  // namespace zunkaro
