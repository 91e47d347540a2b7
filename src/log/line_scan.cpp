#include "log/line_scan.hpp"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <bit>
#include <cstdint>
#include <cstring>

namespace zunkaro {
namespace {

using namespace line_bytes;

constexpr std::size_t kWordBytes = sizeof(std::uint64_t);
constexpr unsigned kBitsPerByte = 8;
constexpr std::size_t kSse2Block = 16;
static_assert(kWordBytes <= kLineScanOverread && kSse2Block <= kLineScanOverread);
static_assert(std::endian::native == std::endian::little,
              "the word form takes the first byte in memory as the lowest of the word");

// Each byte of a word set to `b`.
[[nodiscard]] constexpr std::uint64_t Broadcast(char b) noexcept {
  return 0x0101010101010101ULL * static_cast<unsigned char>(b);
}

// The high bit of every byte of `w` that is zero, and possibly of bytes
// above a zero byte (the borrow of the subtraction runs upward from it). So
// the lowest mark is always exact, which is all the search needs.
[[nodiscard]] constexpr std::uint64_t ZeroBytes(std::uint64_t w) noexcept {
  return (w - Broadcast('\x01')) & ~w & Broadcast('\x80');
}

}  // namespace

namespace detail {

std::size_t FindLineBreakByteByByte(const char* p, std::size_t limit) noexcept {
  for (std::size_t i = 0; i < limit; ++i) {
    const char byte = p[i];
    if (byte == kNul || byte == kLineFeed || byte == kCarriageReturn || byte == kEndOfFile) {
      return i;
    }
  }
  return limit;
}

std::size_t FindLineBreakByWords(const char* p, std::size_t limit) noexcept {
  for (std::size_t i = 0; i < limit; i += kWordBytes) {
    std::uint64_t w = 0;
    std::memcpy(&w, p + i, sizeof w);
    // Each term's lowest mark is exact, so the lowest of all of them is.
    const std::uint64_t marks = ZeroBytes(w) | ZeroBytes(w ^ Broadcast(kLineFeed)) |
                                ZeroBytes(w ^ Broadcast(kCarriageReturn)) |
                                ZeroBytes(w ^ Broadcast(kEndOfFile));
    if (marks != 0) {
      // Little-endian: the first byte in memory is the lowest of the word.
      const std::size_t at =
          i + static_cast<std::size_t>(std::countr_zero(marks)) / kBitsPerByte;
      return at < limit ? at : limit;
    }
  }
  return limit;
}

#if defined(__SSE2__)

std::size_t FindLineBreakSse2(const char* p, std::size_t limit) noexcept {
  const __m128i nul = _mm_setzero_si128();
  const __m128i lineFeed = _mm_set1_epi8(kLineFeed);
  const __m128i carriageReturn = _mm_set1_epi8(kCarriageReturn);
  const __m128i endOfFile = _mm_set1_epi8(kEndOfFile);
  for (std::size_t i = 0; i < limit; i += kSse2Block) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    const __m128i hits =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, nul), _mm_cmpeq_epi8(block, lineFeed)),
                     _mm_or_si128(_mm_cmpeq_epi8(block, carriageReturn),
                                  _mm_cmpeq_epi8(block, endOfFile)));
    // A bit per byte, the first byte lowest.
    const auto marks = static_cast<unsigned>(_mm_movemask_epi8(hits));
    if (marks != 0) {
      const std::size_t at = i + static_cast<std::size_t>(std::countr_zero(marks));
      return at < limit ? at : limit;
    }
  }
  return limit;
}

#endif

}  // namespace detail

std::size_t FindLineBreak(const char* p, std::size_t limit) noexcept {
#if defined(__SSE2__)
  return detail::FindLineBreakSse2(p, limit);
#else
  return detail::FindLineBreakByWords(p, limit);
#endif
}

}  // namespace zunkaro
