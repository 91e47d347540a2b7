#include "encoding/transcoder.hpp"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "encoding/byte_ranges.hpp"
#include "log/log_error.hpp"

namespace zunkaro {
namespace {

using namespace bytes;

constexpr std::size_t kRawPiece = std::size_t{1} << 16;
constexpr std::string_view kByteOrderMarkBytes = "\xef\xbb\xbf";
constexpr std::size_t kGetaBytes = 2;

const iconv_t kNoIconv = reinterpret_cast<iconv_t>(static_cast<std::intptr_t>(-1));

[[nodiscard]] constexpr bool Within(unsigned char b, unsigned char first, unsigned char last) noexcept {
  return b >= first && b <= last;
}

[[nodiscard]] std::string_view NameOf(Encoding e) noexcept {
  switch (e) {
    case Encoding::kUtf8:
      return "UTF-8";
    case Encoding::kEucJp:
      return "EUC-JP";
    case Encoding::kIso2022Jp:
      return "ISO-2022-JP";
    case Encoding::kShiftJis:
      break;
  }
  return "Shift-JIS";
}

// What the bytes at the front of a text are in an encoding.
enum class Shape : std::uint8_t { kValid, kInvalid, kIncomplete };
struct Sequence {
  Shape Is;
  std::size_t Length;
};

// One UTF-8 character at the front of `s` (not empty), by the ranges of
// Unicode's table of well-formed byte sequences.
[[nodiscard]] Sequence Utf8At(std::string_view s) noexcept {
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

// One EUC-JP character at the front of `s` (not empty).
[[nodiscard]] Sequence EucJpAt(std::string_view s) noexcept {
  const auto b = static_cast<unsigned char>(s[0]);
  std::size_t length = 0;
  unsigned char high = kEucLast;
  if (b <= kAsciiLast) {
    // ASCII.
    return {Shape::kValid, 1};
  }
  if (b == kEucSingleShift2) {
    // SS2 and a half-width katakana.
    length = 2;
    high = kEucKanaLast;
  } else if (b == kEucSingleShift3) {
    // SS3 and two bytes.
    length = 3;
  } else if (Within(b, kEucFirst, kEucLast)) {
    // Two bytes.
    length = 2;
  } else {
    // A byte that begins nothing.
    return {Shape::kInvalid, 1};
  }
  for (std::size_t i = 1; i < length; ++i) {
    if (i == s.size()) {
      return {Shape::kIncomplete, i};
    }
    if (!Within(static_cast<unsigned char>(s[i]), kEucFirst, high)) {
      return {Shape::kInvalid, i};
    }
  }
  return {Shape::kValid, length};
}

// The character sets of ISO-2022-JP and the escape sequences that choose
// them.
enum IsoSet : std::uint8_t { kAscii, kRoman, kKana, kJis0208, kJis0213Plane1, kJis0213Plane2, kJis0212 };
struct Designation {
  std::string_view Escape;
  IsoSet Set;
};
constexpr std::array kDesignations{
    Designation{"\x1b(B", kAscii},          Designation{"\x1b(J", kRoman},
    Designation{"\x1b(I", kKana},           Designation{"\x1b$@", kJis0208},
    Designation{"\x1b$B", kJis0208},        Designation{"\x1b$(B", kJis0208},
    Designation{"\x1b$(D", kJis0212},       Designation{"\x1b$(O", kJis0213Plane1},
    Designation{"\x1b$(Q", kJis0213Plane1}, Designation{"\x1b$(P", kJis0213Plane2},
};
// ESC & @ announces the 1990 revision before ESC $ B and chooses nothing.
constexpr std::string_view kRevision = "\x1b&@";

// The 94 x 94 cells of a two-byte set, each with its code-page-932 code
// (one byte below 0x100), or 0 where it has none.
constexpr std::size_t kRowCells = 94;
using CellTable = std::array<std::uint16_t, kRowCells * kRowCells>;

[[nodiscard]] std::size_t CellOf(unsigned char first, unsigned char second) noexcept {
  return static_cast<std::size_t>(first - kJisFirst) * kRowCells +
         static_cast<std::size_t>(second - kJisFirst);
}

// Converts `in` whole with `cd` to code page 932; 0 when it cannot.
[[nodiscard]] std::uint16_t ConvertOne(iconv_t cd, std::string_view in) noexcept {
  std::array<char, 8> buffer{};
  char* from = const_cast<char*>(in.data());
  std::size_t fromLeft = in.size();
  char* to = buffer.data();
  std::size_t toLeft = buffer.size();
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &from, &fromLeft, &to, &toLeft) == static_cast<std::size_t>(-1) || fromLeft != 0) {
    return 0;
  }
  const auto n = static_cast<std::size_t>(to - buffer.data());
  const auto byte = [&buffer](std::size_t i) { return static_cast<unsigned char>(buffer[i]); };
  if (n == 1) return byte(0);
  if (n == 2) return static_cast<std::uint16_t>((byte(0) << 8) | byte(1));
  return 0;
}

// Whether `cd` converts `in` whole.
[[nodiscard]] bool Converts(iconv_t cd, std::string_view in) noexcept {
  std::array<char, 16> buffer{};
  char* from = const_cast<char*>(in.data());
  std::size_t fromLeft = in.size();
  char* to = buffer.data();
  std::size_t toLeft = buffer.size();
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  return iconv(cd, &from, &fromLeft, &to, &toLeft) != static_cast<std::size_t>(-1) &&
         fromLeft == 0;
}

// The table of a set, made once with iconv. JIS X 0208 cells take the
// arithmetic code where code page 932 defines it; JIS X 0213 and JIS X 0212
// cells go through Unicode, as their EUC forms.
[[nodiscard]] CellTable MakeTable(IsoSet set) {
  CellTable table{};
  const bool jis0212 = set == kJis0212;
  const bool arithmetic = set == kJis0208;
  const iconv_t cd = arithmetic ? iconv_open("UTF-8", "CP932")
                                : iconv_open("CP932", jis0212 ? "EUC-JP" : "EUC-JISX0213");
  if (cd == kNoIconv) {
    return table;  // no table: every character becomes 〓
  }
  std::array<char, 2> sjis{};
  std::array<char, 3> euc{};
  for (unsigned char first = kJisFirst; first <= kJisLast; ++first) {
    for (unsigned char second = kJisFirst; second <= kJisLast; ++second) {
      std::uint16_t code = 0;
      if (arithmetic) {
        const std::uint16_t candidate = JisToShiftJis(first, second);
        sjis = {static_cast<char>(candidate >> 8), static_cast<char>(candidate & 0xFF)};
        // Defined in code page 932 when it decodes.
        code = Converts(cd, {sjis.data(), sjis.size()}) ? candidate : 0;
      } else {
        // EUC: each byte with its high bit set; SS3 before the second plane
        // and JIS X 0212.
        std::size_t n = 0;
        if (set != kJis0213Plane1) euc[n++] = static_cast<char>(kEucSingleShift3);
        euc[n++] = static_cast<char>(first | kJisToKana);
        euc[n++] = static_cast<char>(second | kJisToKana);
        code = ConvertOne(cd, {euc.data(), n});
      }
      table[CellOf(first, second)] = code;
    }
  }
  iconv_close(cd);
  return table;
}

[[nodiscard]] const CellTable& TableOf(IsoSet set) {
  static const CellTable kJis0208Table = MakeTable(kJis0208);
  static const CellTable kPlane1Table = MakeTable(kJis0213Plane1);
  static const CellTable kPlane2Table = MakeTable(kJis0213Plane2);
  static const CellTable kJis0212Table = MakeTable(kJis0212);
  switch (set) {
    case kJis0213Plane1:
      return kPlane1Table;
    case kJis0213Plane2:
      return kPlane2Table;
    case kJis0212:
      return kJis0212Table;
    default:
      return kJis0208Table;
  }
}

}  // namespace

// The Shift-JIS form of a JIS X 0208 code, by the arithmetic that defines
// Shift-JIS (JIS X 0208:1997, annex 1; K. Lunde, "CJKV Information
// Processing", 2nd ed., 2009, ch. 9, "Shift-JIS encoding"): Shift-JIS packs
// two 94-cell rows into one first byte of 188 second bytes.
// - First byte: rows 1..62 (0x21..0x5E) take 0x81..0x9F, rows 63..94
//   (0x5F..0x7E) take 0xE0..0xEF: (j1 + 1) / 2 plus 0x70 or 0xB0.
// - Second byte: an odd row takes 0x40..0x9E, skipping 0x7F (j2 + 0x1F up
//   to 0x5F, j2 + 0x20 after it); an even row takes 0x9F..0xFC (j2 + 0x7E).
// The rows that code page 932 adds to JIS X 0208 (the NEC special
// characters of row 13, the NEC-selected IBM extensions of rows 89..92)
// follow the same arithmetic, which is why it gives them back where no
// converter does.
std::uint16_t JisToShiftJis(unsigned char first, unsigned char second) noexcept {
  constexpr unsigned kLowRowsLast = 0x5E;
  constexpr unsigned kLowRowsBase = 0x70;
  constexpr unsigned kHighRowsBase = 0xB0;
  constexpr unsigned kOddShiftLow = 0x1F;
  constexpr unsigned kOddShiftHigh = 0x20;
  constexpr unsigned kOddShiftBreak = 0x5F;
  constexpr unsigned kEvenShift = 0x7E;
  const unsigned lead = (first + 1u) / 2u + (first <= kLowRowsLast ? kLowRowsBase : kHighRowsBase);
  const bool oddRow = (first & 1u) != 0;
  const unsigned trail =
      second + (oddRow ? (second <= kOddShiftBreak ? kOddShiftLow : kOddShiftHigh) : kEvenShift);
  return static_cast<std::uint16_t>((lead << 8) | trail);
}

Transcoder::Transcoder(Encoding from, bool lenientEnd) : from_(from), lenientEnd_(lenientEnd) {
  if (from_ == Encoding::kUtf8 || from_ == Encoding::kEucJp) {
    const iconv_t cd = iconv_open("CP932", from_ == Encoding::kUtf8 ? "UTF-8" : "EUC-JP-MS");
    if (cd == kNoIconv) {
      throw std::runtime_error("cannot convert " + std::string(NameOf(from_)) +
                               " to Shift-JIS: " + std::strerror(errno));
    }
    iconv_ = cd;
  }
}

Transcoder::~Transcoder() {
  if (iconv_ != nullptr) {
    iconv_close(static_cast<iconv_t>(iconv_));
  }
}

void Transcoder::Advance(std::string_view taken) noexcept {
  offset_ += taken.size();
  line_ += std::count(taken.begin(), taken.end(), '\n');
}

void Transcoder::Substitute(std::string& out) {
  out += kGeta;
  ++substituted_.Count;
  if (substituted_.Lines.size() < Substitutions::kMostLines &&
      (substituted_.Lines.empty() || substituted_.Lines.back() != line_)) {
    substituted_.Lines.push_back(line_);
  }
}

void Transcoder::Refuse(std::string_view what) const {
  throw EncodingError(std::string(what) + " at line " + std::to_string(line_) + ", byte offset " +
                          std::to_string(offset_),
                      line_, offset_);
}

std::size_t Transcoder::Convert(std::string_view in, bool last, std::string& out) {
  return from_ == Encoding::kIso2022Jp ? ConvertIso2022Jp(in, last, out)
                                       : ConvertByIconv(in, last, out);
}

std::size_t Transcoder::ConvertByIconv(std::string_view in, bool last, std::string& out) {
  std::size_t at = 0;
  if (!started_ && from_ == Encoding::kUtf8) {
    if (!last && in.size() < kByteOrderMarkBytes.size() && kByteOrderMarkBytes.starts_with(in)) {
      return 0;  // too little yet to tell a byte-order mark
    }
    started_ = true;
    if (in.starts_with(kByteOrderMarkBytes)) {
      // The mark says the encoding; it is no character of the log.
      Advance(kByteOrderMarkBytes);
      at = kByteOrderMarkBytes.size();
    }
  }
  const auto cd = static_cast<iconv_t>(iconv_);
  // Shift-JIS never takes more bytes than UTF-8 or EUC-JP for a character,
  // and 〓 no more than what it stands for, but for a character cut short.
  std::size_t used = out.size();
  out.resize(used + (in.size() - at) + kGetaBytes);
  const auto put = [&out, &used](std::string_view bytes) {
    if (out.size() - used < bytes.size()) out.resize(used + bytes.size());
    std::memcpy(out.data() + used, bytes.data(), bytes.size());
    used += bytes.size();
  };
  while (at < in.size()) {
    char* from = const_cast<char*>(in.data() + at);
    std::size_t fromLeft = in.size() - at;
    char* to = out.data() + used;
    std::size_t toLeft = out.size() - used;
    const std::size_t done = iconv(cd, &from, &fromLeft, &to, &toLeft);
    const int error = errno;
    const auto taken = static_cast<std::size_t>(from - (in.data() + at));
    Advance(in.substr(at, taken));
    at += taken;
    used = static_cast<std::size_t>(to - out.data());
    if (done != static_cast<std::size_t>(-1)) {
      break;
    }
    if (error == E2BIG) {
      out.resize(out.size() + fromLeft + kGetaBytes);
      continue;
    }
    // iconv stopped at a character: see what it is.
    const std::string_view rest = in.substr(at);
    const Sequence sequence = from_ == Encoding::kUtf8 ? Utf8At(rest) : EucJpAt(rest);
    if (sequence.Is == Shape::kIncomplete) {
      if (!last) {
        break;  // the rest of it comes with the next bytes
      }
      if (!lenientEnd_) {
        Refuse("incomplete " + std::string(NameOf(from_)) + " character at the end of the log");
      }
      // A log cut off in the middle of a character.
      std::string geta;
      Substitute(geta);
      put(geta);
      Advance(rest);
      at = in.size();
      break;
    }
    if (sequence.Is == Shape::kInvalid) {
      Refuse("invalid " + std::string(NameOf(from_)));
    }
    // A character that code page 932 does not have.
    std::string geta;
    Substitute(geta);
    put(geta);
    Advance(rest.substr(0, sequence.Length));
    at += sequence.Length;
  }
  out.resize(used);
  return at;
}

std::size_t Transcoder::ConvertIso2022Jp(std::string_view in, bool last, std::string& out) {
  for (const char c : in) {
    const auto b = static_cast<unsigned char>(c);
    const auto set = static_cast<IsoSet>(isoSet_);
    if (!isoEscape_.empty()) {
      // Inside an escape sequence.
      isoEscape_ += c;
      if (isoEscape_ == kRevision) {
        isoEscape_.clear();
      } else if (const auto* d = std::ranges::find(kDesignations, std::string_view(isoEscape_),
                                                   &Designation::Escape);
                 d != kDesignations.end()) {
        isoSet_ = d->Set;
        isoEscape_.clear();
      } else if (std::ranges::none_of(kDesignations, [this](const Designation& known) {
                   return known.Escape.starts_with(isoEscape_);
                 }) &&
                 !kRevision.starts_with(isoEscape_)) {
        Refuse("unknown ISO-2022-JP escape sequence");
      }
    } else if (b == kEscape) {
      // An escape sequence begins; it never splits a pair.
      if (isoFirst_ >= 0) Refuse("escape sequence inside an ISO-2022-JP character");
      isoEscape_ = c;
      pendingOffset_ = offset_;
      pendingLine_ = line_;
    } else if (b > kAsciiLast) {
      // Seven bits only.
      Refuse("invalid ISO-2022-JP: a byte above 0x7F");
    } else if (set == kAscii || set == kRoman) {
      // ASCII, or JIS X 0201 Roman, whose yen and overline code page 932
      // holds at the same bytes.
      out += c;
    } else if ((b == kLineFeed || b == kCarriageReturn) && isoFirst_ < 0) {
      // A line end between characters; the set stays in use.
      out += c;
    } else if (set == kKana) {
      // JIS X 0201 katakana: the same byte with its high bit set.
      if (!Within(b, kJisFirst, kJisKanaLast)) Refuse("invalid ISO-2022-JP katakana");
      out += static_cast<char>(b | kJisToKana);
    } else if (!Within(b, kJisFirst, kJisLast)) {
      Refuse("invalid ISO-2022-JP two-byte character");
    } else if (isoFirst_ < 0) {
      // The first byte of a pair.
      isoFirst_ = b;
      pendingOffset_ = offset_;
      pendingLine_ = line_;
    } else {
      // The second byte: the character, from its set's table.
      const std::uint16_t code = TableOf(set)[CellOf(static_cast<unsigned char>(isoFirst_), b)];
      isoFirst_ = -1;
      if (code == 0) {
        Substitute(out);
      } else if (code <= 0xFF) {
        out += static_cast<char>(code);
      } else {
        out += static_cast<char>(code >> 8);
        out += static_cast<char>(code & 0xFF);
      }
    }
    ++offset_;
    if (b == kLineFeed) ++line_;
  }
  if (last && (isoFirst_ >= 0 || !isoEscape_.empty())) {
    // The log ends inside a character or an escape sequence.
    if (!lenientEnd_) {
      // Named where it begins.
      offset_ = pendingOffset_;
      line_ = pendingLine_;
      Refuse("incomplete ISO-2022-JP character or escape sequence at the end of the log");
    }
    isoFirst_ = -1;
    isoEscape_.clear();
    Substitute(out);
  }
  return in.size();
}

TranscodingSource::TranscodingSource(std::unique_ptr<ByteSource> raw, Encoding from,
                                     bool lenientEnd)
    : ByteSource(raw->Name()), raw_(std::move(raw)), transcoder_(from, lenientEnd) {}

std::size_t TranscodingSource::Read(char* into, std::size_t most) {
  while (outAt_ == out_.size()) {
    if (rawEnded_) {
      return 0;
    }
    out_.clear();
    outAt_ = 0;
    const std::size_t kept = in_.size();
    in_.resize(kept + kRawPiece);
    const std::size_t got = raw_->Read(in_.data() + kept, kRawPiece);
    in_.resize(kept + got);
    rawEnded_ = got == 0;
    try {
      const std::size_t taken = transcoder_.Convert(in_, rawEnded_, out_);
      in_.erase(0, taken);
    } catch (const EncodingError& error) {
      throw LogError(Name(), error.what());
    }
  }
  const std::size_t n = std::min(most, out_.size() - outAt_);
  std::memcpy(into, out_.data() + outAt_, n);
  outAt_ += n;
  return n;
}

}  // namespace zunkaro
