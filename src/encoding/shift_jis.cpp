#include "encoding/shift_jis.hpp"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <cstdint>
#include <stdexcept>

namespace zunkaro {
namespace {

// Byte ranges of code page 932.
constexpr unsigned char kControlLast = 0x1F;  // 0x00..0x1F: C0 controls
constexpr unsigned char kDelete = 0x7F;       // and DEL, never passed on
constexpr unsigned char kKanaFirst = 0xA1;    // 0xA1..0xDF: half-width katakana
constexpr unsigned char kKanaLast = 0xDF;
constexpr unsigned char kLeadFirst = 0x81;    // 0x81..0x9F, 0xE0..0xFC: first of two bytes
constexpr unsigned char kLeadMiddleLast = 0x9F;
constexpr unsigned char kLeadUpperFirst = 0xE0;
constexpr unsigned char kLeadLast = 0xFC;
constexpr unsigned char kTrailFirst = 0x40;   // 0x40..0x7E, 0x80..0xFC: second byte
constexpr unsigned char kTrailGap = 0x7F;
constexpr unsigned char kTrailLast = 0xFC;

constexpr char32_t kKanaBase = 0xFF61;        // U+FF61 is 0xA1
constexpr std::string_view kReplacement = "\xef\xbf\xbd";  // U+FFFD, one per byte
// A double-byte character takes at most 3 UTF-8 bytes.
constexpr std::size_t kUtf8BytesPerPair = 3;

[[nodiscard]] constexpr bool IsLead(unsigned char b) noexcept {
  return (b >= kLeadFirst && b <= kLeadMiddleLast) || (b >= kLeadUpperFirst && b <= kLeadLast);
}
[[nodiscard]] constexpr bool IsTrail(unsigned char b) noexcept {
  return b >= kTrailFirst && b <= kTrailLast && b != kTrailGap;
}

void AppendKana(std::string& out, unsigned char b) {
  // Three UTF-8 bytes: 1110xxxx 10xxxxxx 10xxxxxx.
  const char32_t c = kKanaBase + (b - kKanaFirst);
  out += static_cast<char>(0xE0 | (c >> 12));
  out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
  out += static_cast<char>(0x80 | (c & 0x3F));
}

[[nodiscard]] iconv_t Handle(void* h) noexcept { return static_cast<iconv_t>(h); }

}  // namespace

ShiftJisDecoder::ShiftJisDecoder() = default;

ShiftJisDecoder::~ShiftJisDecoder() {
  if (iconv_ != nullptr) {
    iconv_close(Handle(iconv_));
  }
}

void* ShiftJisDecoder::Converter() {
  if (iconv_ == nullptr) {
    void* const opened = iconv_open("UTF-8", "CP932");
    if (opened == reinterpret_cast<void*>(static_cast<std::intptr_t>(-1))) {
      throw std::runtime_error(std::string("cannot decode Shift-JIS: ") + std::strerror(errno));
    }
    iconv_ = opened;
  }
  return iconv_;
}

std::string ShiftJisDecoder::ToUtf8(std::string_view sjis) {
  std::string out;
  AppendUtf8(sjis, out);
  return out;
}

void ShiftJisDecoder::AppendUtf8(std::string_view sjis, std::string& out) {
  out.reserve(out.size() + sjis.size() + sjis.size() / 2);
  const auto at = [&sjis](std::size_t k) { return static_cast<unsigned char>(sjis[k]); };
  std::size_t i = 0;
  while (i < sjis.size()) {
    const unsigned char b = at(i);
    if (b <= kControlLast || b == kDelete) {
      // A control byte: a mark, never the byte.
      out += kReplacement;
      ++i;
    } else if (b < kDelete) {
      // A run of printable ASCII: the same in both, copied at once.
      std::size_t end = i + 1;
      while (end < sjis.size() && at(end) > kControlLast && at(end) < kDelete) {
        ++end;
      }
      out.append(sjis.data() + i, end - i);
      i = end;
    } else if (b >= kKanaFirst && b <= kKanaLast) {
      // Half-width katakana: one byte, one character.
      AppendKana(out, b);
      ++i;
    } else if (i + 1 < sjis.size() && IsLead(b) && IsTrail(at(i + 1))) {
      // A run of well-formed pairs goes through the converter at once.
      std::size_t end = i;
      while (end + 1 < sjis.size() && IsLead(at(end)) && IsTrail(at(end + 1))) {
        end += 2;
      }
      char* in = const_cast<char*>(sjis.data() + i);
      std::size_t inLeft = end - i;
      const std::size_t start = out.size();
      out.resize(start + (inLeft / 2) * kUtf8BytesPerPair);
      char* to = out.data() + start;
      std::size_t toLeft = out.size() - start;
      const iconv_t converter = Handle(Converter());
      iconv(converter, nullptr, nullptr, nullptr, nullptr);
      const std::size_t done = iconv(converter, &in, &inLeft, &to, &toLeft);
      out.resize(static_cast<std::size_t>(to - out.data()));
      i = static_cast<std::size_t>(in - sjis.data());
      if (done == static_cast<std::size_t>(-1)) {
        // A pair with no character: a mark for each of its bytes, so the
        // columns stay where they were.
        out += kReplacement;
        out += kReplacement;
        i += 2;
      }
    } else {
      // A byte that begins no character, or a first byte without its second.
      out += kReplacement;
      ++i;
    }
  }
}

}  // namespace zunkaro
