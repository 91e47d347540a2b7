#include "log/line_analysis.hpp"

#include <array>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// A pattern compiled to a table: for each position, which bytes it accepts.
template <std::size_t N>
class CompiledPattern {
 public:
  explicit constexpr CompiledPattern(std::string_view pattern) noexcept {
    for (std::size_t i = 0; i < N; ++i) {
      for (std::size_t b = 0; b < 256; ++b) {
        accepts_[i][b] = Accepts(pattern[i], static_cast<unsigned char>(b));
      }
    }
  }

  [[nodiscard]] constexpr bool Matches(std::string_view line) const noexcept {
    // A line shorter than the pattern never matches it.
    if (line.size() < N) {
      return false;
    }
    for (std::size_t i = 0; i < N; ++i) {
      if (!accepts_[i][static_cast<unsigned char>(line[i])]) {
        return false;
      }
    }
    return true;
  }

  // The positions at which the line (at least N bytes) differs from the
  // pattern, counted up to `enough`.
  [[nodiscard]] constexpr std::size_t Differences(std::string_view line,
                                                  std::size_t enough) const noexcept {
    std::size_t n = 0;
    for (std::size_t i = 0; i < N && n < enough; ++i) {
      if (!accepts_[i][static_cast<unsigned char>(line[i])]) ++n;
    }
    return n;
  }

 private:
  std::array<std::array<bool, 256>, N> accepts_{};
};

constexpr CompiledPattern<ShortHeaderPattern.size()> kShortHeader{ShortHeaderPattern};
constexpr CompiledPattern<LongHeaderPattern.size()> kLongHeader{LongHeaderPattern};
constexpr CompiledPattern<SeparatorPattern.size()> kSeparator{SeparatorPattern};

// What a byte is to the count, as the first byte of a character.
enum class ByteClass : std::uint8_t {
  kInvisible,  // 0x01..0x20: control bytes, line feed, space
  kVisible,    // 0x21..0x7E, 0xA1..0xDF: printable ASCII, half-width katakana
  kLead,       // 0x7F..0xA0, 0xE0..0xFF: the first of a double-byte character
};

constexpr std::array<ByteClass, 256> kByteClasses = [] {
  std::array<ByteClass, 256> classes{};
  for (std::size_t b = 0; b < classes.size(); ++b) {
    if (b <= kControlLast) {
      classes[b] = ByteClass::kInvisible;
    } else if ((b >= kAsciiFirst && b <= kAsciiLast) || (b >= kKanaFirst && b <= kKanaLast)) {
      classes[b] = ByteClass::kVisible;
    } else {
      classes[b] = ByteClass::kLead;
    }
  }
  return classes;
}();

}  // namespace

namespace {

// ClassifyLine, and with kLook whether a body line passes the first look of
// IsNearMissHeader, told by the tests of the first byte made anyway.
template <bool kLook>
[[nodiscard]] LineLook Classify(std::string_view line) noexcept {
  if (line.empty()) {
    return {LineKind::lkBody, false};
  }
  const auto first = static_cast<unsigned char>(line.front());
  if (IsDigit(first)) {
    // Both header forms begin with a digit.
    if (kShortHeader.Matches(line)) {
      return {LineKind::lkShortHeader, false};
    }
    if (kLongHeader.Matches(line)) {
      return {LineKind::lkLongHeader, false};
    }
    if constexpr (kLook) {
      return {LineKind::lkBody, MayBeNearMissHeader(line)};
    }
  } else if (first == static_cast<unsigned char>(SeparatorPattern.front())) {
    // The separator begins with a space.
    if (kSeparator.Matches(line)) {
      return {LineKind::lkSeparator, false};
    }
    if constexpr (kLook) {
      return {LineKind::lkBody, MayBeNearMissHeader(line)};
    }
  }
  // Most lines: no pattern can match.
  return {LineKind::lkBody, false};
}

}  // namespace

LineKind ClassifyLine(std::string_view line) noexcept { return Classify<false>(line).Kind(); }

LineLook LookAtLine(std::string_view line) noexcept { return Classify<true>(line); }

namespace {

constexpr char kTab = '\t';
constexpr char kSpace = ' ';
constexpr char kSlash = '/';
// The widths of a message number in a line taken for a mangled header.
constexpr std::size_t kFewestDigits = 2;
constexpr std::size_t kMostDigits = 6;
// The most bytes in which a line may differ from a header pattern.
constexpr std::size_t kMostDifferences = 2;

[[nodiscard]] constexpr bool IsGap(char c) noexcept { return c == kSpace || c == kTab; }

// Skips the bytes at `at` that `is` accepts, at most `most`; how many.
template <typename Accept>
[[nodiscard]] std::size_t Skip(std::string_view line, std::size_t& at, std::size_t most,
                               Accept is) noexcept {
  std::size_t n = 0;
  while (at < line.size() && n < most && is(line[at])) {
    ++at;
    ++n;
  }
  return n;
}

// Number "/" number, a gap, a User-ID, a gap: the shape of a header's start,
// perhaps after one space.
[[nodiscard]] bool HasHeaderShape(std::string_view line) noexcept {
  const auto digit = [](char c) { return IsDigit(static_cast<unsigned char>(c)); };
  const auto upperOrStar = [](char c) { return IsUpper(static_cast<unsigned char>(c)) || c == '*'; };
  const auto digitOrStar = [](char c) { return IsDigit(static_cast<unsigned char>(c)) || c == '*'; };
  std::size_t at = 0;
  // A line shifted right by a space.
  (void)Skip(line, at, 1, [](char c) { return c == kSpace; });
  const std::size_t first = Skip(line, at, kMostDigits + 1, digit);
  if (first < kFewestDigits || first > kMostDigits || at == line.size() || line[at++] != kSlash) {
    return false;
  }
  const std::size_t second = Skip(line, at, kMostDigits + 1, digit);
  if (second < kFewestDigits || second > kMostDigits || Skip(line, at, line.size(), IsGap) == 0) {
    return false;
  }
  constexpr std::size_t kLetters = 3;
  constexpr std::size_t kDigits = kUserIdBytes - kLetters;
  return Skip(line, at, kLetters, upperOrStar) == kLetters &&
         Skip(line, at, kDigits, digitOrStar) == kDigits && Skip(line, at, 1, IsGap) == 1;
}

// Whether the line differs from the pattern in at most kMostDifferences of
// the pattern's bytes.
template <std::size_t N>
[[nodiscard]] bool NearlyMatches(const CompiledPattern<N>& pattern, std::string_view line) noexcept {
  if (line.size() < N) {
    return false;
  }
  return pattern.Differences(line, kMostDifferences + 1) <= kMostDifferences;
}

}  // namespace

bool IsNearMissHeader(std::string_view line) noexcept {
  // A cheap look first: most body lines have no digit in their first two bytes.
  if (!MayBeNearMissHeader(line)) {
    return false;
  }
  if (ClassifyLine(line) != LineKind::lkBody) {
    return false;
  }
  return HasHeaderShape(line) || NearlyMatches(kShortHeader, line) ||
         NearlyMatches(kLongHeader, line);
}

namespace {

// A first byte in the last place counted takes its second from beyond it,
// where the text goes on: the full-width space still counts nothing.
[[nodiscard]] bool FullWidthSpaceAtLimit(std::string_view text, std::size_t n) noexcept {
  return n == kCountLimit && text.size() > kCountLimit &&
         static_cast<unsigned char>(text[kCountLimit - 1]) == kIdeographicSpaceLead &&
         static_cast<unsigned char>(text[kCountLimit]) == kIdeographicSpaceTrail;
}

}  // namespace

namespace detail {

std::int32_t CountCharsByteByByte(std::string_view text) noexcept {
  std::size_t n = text.size() < kCountLimit ? text.size() : kCountLimit;
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  for (std::size_t i = 0; i < n; ++i) {
    if (p[i] == kNul) {
      // The text ends at its NUL; a first byte just before it counts one.
      n = i;
      break;
    }
  }
  std::int32_t count = 0;
  std::size_t i = 0;
  // Every byte but the last has a byte after it for a second byte.
  while (i + 1 < n) {
    const ByteClass c = kByteClasses[p[i]];
    if (c == ByteClass::kLead) {
      // A double-byte character, whatever its second byte; the full-width
      // space is invisible.
      count += (p[i] == kIdeographicSpaceLead && p[i + 1] == kIdeographicSpaceTrail) ? 0 : 1;
      i += 2;
    } else {
      // A single byte: visible or not.
      count += c == ByteClass::kVisible ? 1 : 0;
      i += 1;
    }
  }
  if (i < n) {
    // The last byte alone; a first byte with nothing after it counts one.
    const ByteClass c = kByteClasses[p[i]];
    count += (c == ByteClass::kVisible || c == ByteClass::kLead) ? 1 : 0;
    if (c == ByteClass::kLead && FullWidthSpaceAtLimit(text, n)) {
      count -= 1;
    }
  }
  return count;
}

}  // namespace detail

#if defined(__SSE2__)

namespace {

// The same count from bit masks, a bit per byte (first byte lowest), made 16
// bytes at a time. Which bytes begin a character depends on all before it,
// but in a run of first-class bytes (0x7F..0xA0, 0xE0..0xFF) that begins a
// character, characters begin at every other byte: the run's first, third and
// so on, and a run of odd length takes the byte after it as its last second
// byte. Adding each run's first bit to the run clears the run and sets the
// bit after it, which finds the runs and their ends without a loop.

constexpr std::size_t kBlock = 16;
constexpr std::size_t kWordBits = 64;
constexpr std::size_t kBlocksPerWord = kWordBits / kBlock;
constexpr std::uint64_t kEvenBits = 0x5555555555555555ULL;
constexpr unsigned char kLeadLowFirst = 0x7F;   // 0x7F..0xA0: first bytes
constexpr unsigned char kLeadLowLast = 0xA0;
constexpr unsigned char kLeadHighFirst = 0xE0;  // 0xE0..0xFF: first bytes

[[nodiscard]] __m128i Bytes(unsigned char b) noexcept { return _mm_set1_epi8(static_cast<char>(b)); }

[[nodiscard]] std::uint64_t Bits(__m128i mask) noexcept {
  return static_cast<std::uint32_t>(_mm_movemask_epi8(mask));
}

// Bytes of `x` (unsigned) in lo..hi.
[[nodiscard]] __m128i InRange(__m128i x, unsigned char lo, unsigned char hi) noexcept {
  const __m128i offset = _mm_sub_epi8(x, Bytes(lo));
  return _mm_cmpeq_epi8(_mm_min_epu8(offset, Bytes(static_cast<unsigned char>(hi - lo))), offset);
}

// The masks of up to 64 bytes of text, a bit per byte, first byte lowest.
struct WordMasks {
  std::uint64_t Lead = 0;        // first-class bytes, wherever they stand
  std::uint64_t Blank = 0;       // 0x00..0x20: NUL, control bytes, space
  std::uint64_t Nul = 0;
  std::uint64_t SpaceLead = 0;   // 0x81
  std::uint64_t SpaceTrail = 0;  // 0x40

  // Adds one block of 16 bytes at bit `at`.
  void Add(__m128i x, unsigned at) noexcept {
    const __m128i lead = _mm_or_si128(InRange(x, kLeadLowFirst, kLeadLowLast),
                                      _mm_cmpeq_epi8(_mm_max_epu8(x, Bytes(kLeadHighFirst)), x));
    Lead |= Bits(lead) << at;
    Blank |= Bits(_mm_cmpeq_epi8(_mm_min_epu8(x, Bytes(kControlLast)), x)) << at;
    Nul |= Bits(_mm_cmpeq_epi8(x, _mm_setzero_si128())) << at;
    SpaceLead |= Bits(_mm_cmpeq_epi8(x, Bytes(kIdeographicSpaceLead))) << at;
    SpaceTrail |= Bits(_mm_cmpeq_epi8(x, Bytes(kIdeographicSpaceTrail))) << at;
  }
};

// The second bytes of double-byte characters in a word of the lead mask;
// `carry` says whether its first byte is the second of a character begun
// before it, and is set for the next word.
[[nodiscard]] std::uint64_t SecondBytes(std::uint64_t lead, bool& carry) noexcept {
  const std::uint64_t carried = carry ? 1 : 0;
  const std::uint64_t runs = lead & ~carried;
  const std::uint64_t starts = runs & ~(runs << 1);
  const std::uint64_t afterEven = runs + (starts & kEvenBits);
  std::uint64_t afterOdd = 0;
  // An odd-started run through the last byte takes the next word's first.
  carry = __builtin_add_overflow(runs, starts & ~kEvenBits, &afterOdd);
  const std::uint64_t evenRuns = runs ^ afterEven;  // each run and the byte after it
  const std::uint64_t oddRuns = runs ^ afterOdd;
  // A run's second bytes stand at the other parity from its start, its
  // following byte included.
  return carried | (evenRuns & ~kEvenBits) | (oddRuns & kEvenBits);
}

// The number of set bits, without a processor instruction for it.
[[nodiscard]] constexpr int CountBits(std::uint64_t x) noexcept {
  x -= (x >> 1) & 0x5555555555555555ULL;
  x = (x & 0x3333333333333333ULL) + ((x >> 2) & 0x3333333333333333ULL);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
  return static_cast<int>((x * 0x0101010101010101ULL) >> 56);
}

}  // namespace

std::int32_t CountChars(std::string_view text) noexcept {
  const std::size_t n = text.size() < kCountLimit ? text.size() : kCountLimit;
  if (n < kBlock) {
    // Too short for a whole block.
    return detail::CountCharsByteByByte(text);
  }
  const char* p = text.data();
  // Whole blocks are read in place; the last, partial one from the block that
  // ends with the text, its first bytes dropped; past the end all is NUL.
  const std::size_t tail = n % kBlock;
  const std::size_t blocks = n / kBlock + (tail != 0 ? 1 : 0);
  std::int32_t count = 0;
  bool carry = false;
  std::uint64_t spaceLeadBefore = 0;
  for (std::size_t first = 0;; first += kBlocksPerWord) {
    if (carry && first * kBlock == kCountLimit && FullWidthSpaceAtLimit(text, n)) {
      // The last place counted holds a first byte (its second byte would
      // begin this word), and with what follows it is a full-width space.
      count -= 1;
    }
    WordMasks m;
    const std::size_t end = std::min(blocks, first + kBlocksPerWord);
    for (std::size_t b = first; b < end; ++b) {
      const auto at = static_cast<unsigned>((b - first) * kBlock);
      if (b + 1 < blocks || tail == 0) {
        m.Add(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + b * kBlock)), at);
      } else {
        WordMasks last;
        last.Add(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + n - kBlock)), 0);
        const auto drop = static_cast<unsigned>(kBlock - tail);
        m.Lead |= (last.Lead >> drop) << at;
        m.Blank |= (last.Blank >> drop) << at;
        m.Nul |= (last.Nul >> drop) << at;
        m.SpaceLead |= (last.SpaceLead >> drop) << at;
        m.SpaceTrail |= (last.SpaceTrail >> drop) << at;
      }
    }
    // Past the end of the text: NUL.
    const auto filled = static_cast<unsigned>((end - first) * kBlock -
                                              (end == blocks && tail != 0 ? kBlock - tail : 0));
    if (filled < kWordBits) {
      const std::uint64_t past = ~std::uint64_t{0} << filled;
      m.Blank |= past;
      m.Nul |= past;
    }
    const std::uint64_t second = SecondBytes(m.Lead, carry);
    // Bytes before the first NUL count.
    const std::uint64_t live = m.Nul == 0 ? ~std::uint64_t{0} : (m.Nul & (~m.Nul + 1)) - 1;
    // Every character's first byte that is not blank counts, but the
    // full-width space: a second byte 0x40 after a first byte 0x81.
    const std::uint64_t ideographicSpaces =
        ((m.SpaceLead << 1) | spaceLeadBefore) & m.SpaceTrail & second & live;
    count += CountBits(~second & ~m.Blank & live) - CountBits(ideographicSpaces);
    if (m.Nul != 0) {
      return count;
    }
    spaceLeadBefore = m.SpaceLead >> (kWordBits - 1);
  }
}

#else

std::int32_t CountChars(std::string_view text) noexcept {
  return detail::CountCharsByteByByte(text);
}

#endif

}  // namespace zunkaro
