#include "encoding/detector.hpp"

#include "encoding/byte_ranges.hpp"

namespace zunkaro {
namespace {

using namespace bytes;

[[nodiscard]] constexpr bool Within(unsigned char b, unsigned char first, unsigned char last) noexcept {
  return b >= first && b <= last;
}

// Characters beyond ASCII that a Japanese text is made of: general
// punctuation, arrows, mathematical and technical signs, box drawing,
// shapes and circled numbers (U+2010..U+27FF); CJK punctuation, kana and
// kanji (U+3000..U+9FFF); compatibility kanji; full- and half-width forms.
[[nodiscard]] constexpr bool IsJapanese(char32_t c) noexcept {
  return (c >= 0x2010 && c <= 0x27FF) || (c >= 0x3000 && c <= 0x9FFF) ||
         (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFF00 && c <= 0xFFEF);
}

// A share of at least one in `parts` (`part` of `whole`), and at least one.
[[nodiscard]] constexpr bool AtLeastShare(std::uint64_t part, std::uint64_t whole,
                                          std::uint64_t parts) noexcept {
  return part != 0 && part * parts >= whole;
}

// Two-byte characters in which kana and CJK punctuation must make at least
// one in this many for EUC-JP to win over Shift-JIS.
constexpr std::uint64_t kEucKanaShare = 5;
// Characters beyond ASCII of which Japanese ones must make at least one in
// this many for UTF-8 to win over Shift-JIS.
constexpr std::uint64_t kUtf8JapaneseShare = 2;

}  // namespace

EncodingDetector::EncodingDetector() noexcept = default;

void EncodingDetector::RuleOut(Candidate c) noexcept {
  Evidence& e = evidence_[c];
  if (!e.RuledOut) {
    e.RuledOut = true;
    e.RuledOutAt = offset_;
    e.LineFeedsBefore = lineFeeds_;
  }
}

bool EncodingDetector::OnlyShiftJis() const noexcept {
  return evidence_[kUtf8].RuledOut && evidence_[kEucJp].RuledOut && evidence_[kIso2022Jp].RuledOut;
}

void EncodingDetector::Feed(std::string_view text) noexcept {
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (!evidence_[kUtf8].RuledOut) FeedUtf8(b);
    if (!evidence_[kEucJp].RuledOut) FeedEucJp(b);
    if (!evidence_[kIso2022Jp].RuledOut) FeedIso2022Jp(b);
    if (!shiftJisInvalid_) FeedShiftJis(b);
    if (b == kLineFeed) ++lineFeeds_;
    ++offset_;
  }
}

void EncodingDetector::FeedUtf8(unsigned char b) noexcept {
  Evidence& e = evidence_[kUtf8];
  if (utf8Wanted_ > 0) {
    if (!Within(b, utf8Low_, utf8High_)) {
      // A sequence broken off.
      RuleOut(kUtf8);
      return;
    }
    utf8Code_ = (utf8Code_ << kUtf8PayloadBits) | (b & kUtf8PayloadMask);
    utf8Low_ = kUtf8ContinuationFirst;
    utf8High_ = kUtf8ContinuationLast;
    if (--utf8Wanted_ == 0) {
      if (utf8Code_ == kByteOrderMark && offset_ == 2) {
        // The mark at the very start is no character of the text.
        byteOrderMark_ = true;
        return;
      }
      ++e.Characters;
      if (IsJapanese(utf8Code_)) ++e.Japanese;
    }
    return;
  }
  utf8Low_ = kUtf8ContinuationFirst;
  utf8High_ = kUtf8ContinuationLast;
  if (b <= kAsciiLast) {
    // ASCII: one byte.
  } else if (Within(b, kUtf8TwoFirst, kUtf8TwoLast)) {
    // Two bytes; C0 and C1 would be overlong.
    utf8Wanted_ = 1;
    utf8Code_ = b & kUtf8TwoMask;
  } else if (Within(b, kUtf8ThreeFirst, kUtf8ThreeLast)) {
    // Three bytes, neither overlong (after E0) nor a surrogate (after ED).
    utf8Wanted_ = 2;
    utf8Code_ = b & kUtf8ThreeMask;
    if (b == kUtf8ThreeFirst) utf8Low_ = kUtf8ShortestThreeLow;
    if (b == kUtf8Surrogates) utf8High_ = kUtf8BelowSurrogatesHigh;
  } else if (Within(b, kUtf8FourFirst, kUtf8FourLast)) {
    // Four bytes, neither overlong (after F0) nor past U+10FFFF (after F4).
    utf8Wanted_ = 3;
    utf8Code_ = b & kUtf8FourMask;
    if (b == kUtf8FourFirst) utf8Low_ = kUtf8ShortestFourLow;
    if (b == kUtf8FourLast) utf8High_ = kUtf8LastPlaneHigh;
  } else {
    // A continuation byte without its first, or a byte UTF-8 never uses.
    RuleOut(kUtf8);
  }
}

void EncodingDetector::FeedEucJp(unsigned char b) noexcept {
  Evidence& e = evidence_[kEucJp];
  if (eucWanted_ > 0) {
    if (!Within(b, eucLow_, eucHigh_)) {
      // A two- or three-byte character broken off.
      RuleOut(kEucJp);
      return;
    }
    eucLow_ = kEucFirst;
    eucHigh_ = kEucLast;
    if (--eucWanted_ == 0) {
      ++e.Characters;
      if (eucLead_ == kEucRowSymbols || eucLead_ == kEucRowHiragana ||
          eucLead_ == kEucRowKatakana) {
        ++e.Japanese;
      }
    }
    return;
  }
  eucLow_ = kEucFirst;
  eucHigh_ = kEucLast;
  eucLead_ = b;
  if (b <= kAsciiLast) {
    // ASCII: one byte.
  } else if (b == kEucSingleShift2) {
    // Half-width katakana: SS2 and one byte.
    eucWanted_ = 1;
    eucHigh_ = kEucKanaLast;
  } else if (b == kEucSingleShift3) {
    // JIS X 0212 and the IBM extensions: SS3 and two bytes.
    eucWanted_ = 2;
  } else if (Within(b, kEucFirst, kEucLast)) {
    // JIS X 0208 and the NEC extensions: two bytes.
    eucWanted_ = 1;
  } else {
    // 0x80..0x8D, 0x90..0xA0 and 0xFF begin nothing in EUC-JP.
    RuleOut(kEucJp);
  }
}

void EncodingDetector::FeedIso2022Jp(unsigned char b) noexcept {
  Evidence& e = evidence_[kIso2022Jp];
  if (b > kAsciiLast) {
    // Seven bits only.
    RuleOut(kIso2022Jp);
    return;
  }
  // The escape sequences: ESC ( B, ESC ( J, ESC ( I, ESC $ @, ESC $ B,
  // ESC & @ (a revision before ESC $ B), ESC $ ( D, O, P, Q and B.
  enum : int { kNone, kAfterEscape, kParen, kDollar, kAmpersand, kDollarParen };
  switch (isoEscape_) {
    case kAfterEscape:
      isoEscape_ = b == '(' ? kParen : b == '$' ? kDollar : b == '&' ? kAmpersand : kNone;
      if (isoEscape_ == kNone) RuleOut(kIso2022Jp);
      return;
    case kParen:
      // A single-byte set: ASCII, JIS X 0201 Roman, or JIS X 0201 katakana.
      isoEscape_ = kNone;
      isoDoubleByte_ = false;
      isoKana_ = b == 'I';
      isoDesignated_ = isoDesignated_ || isoKana_;
      if (b != 'B' && b != 'J' && b != 'I') RuleOut(kIso2022Jp);
      return;
    case kDollar:
      if (b == '(') {
        isoEscape_ = kDollarParen;
        return;
      }
      // JIS C 6226 or JIS X 0208.
      isoEscape_ = kNone;
      isoDoubleByte_ = isoDesignated_ = true;
      isoKana_ = false;
      if (b != '@' && b != 'B') RuleOut(kIso2022Jp);
      return;
    case kAmpersand:
      isoEscape_ = kNone;
      if (b != '@') RuleOut(kIso2022Jp);
      return;
    case kDollarParen:
      // JIS X 0212, JIS X 0213 planes 1 and 2, or JIS X 0208 spelt long.
      isoEscape_ = kNone;
      isoDoubleByte_ = isoDesignated_ = true;
      isoKana_ = false;
      if (b != 'D' && b != 'O' && b != 'P' && b != 'Q' && b != 'B') RuleOut(kIso2022Jp);
      return;
    default:
      break;
  }
  if (b == kEscape) {
    // An escape never splits a pair.
    if (isoHalfPair_) RuleOut(kIso2022Jp);
    isoEscape_ = kAfterEscape;
  } else if (isoDoubleByte_ && Within(b, kJisFirst, kJisLast)) {
    // One byte of a two-byte character.
    isoHalfPair_ = !isoHalfPair_;
    if (!isoHalfPair_) {
      ++e.Characters;
      ++e.Japanese;
    }
  } else if (isoKana_ && Within(b, kJisFirst, kJisKanaLast)) {
    // One half-width katakana.
    ++e.Characters;
    ++e.Japanese;
  } else if ((isoDoubleByte_ || isoKana_) && !isoHalfPair_ &&
             (b == kLineFeed || b == kCarriageReturn)) {
    // A line end between characters; the set stays in use.
  } else if (isoDoubleByte_ || isoKana_) {
    // A byte that no character of the set in use has.
    RuleOut(kIso2022Jp);
  }
}

void EncodingDetector::FeedShiftJis(unsigned char b) noexcept {
  if (sjisLead_) {
    // The second of two bytes.
    sjisLead_ = false;
    if (!Within(b, kSjisTrailFirst, kSjisTrailLast) || b == kSjisTrailGap) shiftJisInvalid_ = true;
  } else if (Within(b, kSjisLeadFirst, kSjisLeadMiddleLast) ||
             Within(b, kSjisLeadUpperFirst, kSjisLeadLast)) {
    // The first of two bytes.
    sjisLead_ = true;
  } else if (b > kAsciiLast && !Within(b, kSjisKanaFirst, kSjisKanaLast)) {
    // 0x80, 0xA0 and 0xFD..0xFF: no Shift-JIS text holds them.
    shiftJisInvalid_ = true;
  }
}

std::string EncodingDetector::RuledOutText(Candidate c) const {
  static constexpr const char* kNames[kCandidates] = {"UTF-8", "EUC-JP", "ISO-2022-JP"};
  const Evidence& e = evidence_[c];
  return std::string(kNames[c]) + " at line " + std::to_string(e.LineFeedsBefore + 1) +
         " (byte offset " + std::to_string(e.RuledOutAt) + ")";
}

Detection EncodingDetector::Decide() const {
  const Evidence& utf8 = evidence_[kUtf8];
  const Evidence& euc = evidence_[kEucJp];
  const Evidence& iso = evidence_[kIso2022Jp];
  const auto share = [](const Evidence& e) {
    return std::to_string(e.Japanese) + " of its " + std::to_string(e.Characters);
  };
  if (!iso.RuledOut && isoDesignated_) {
    return {Encoding::kIso2022Jp, false,
            "7-bit bytes with escape sequences to Japanese character sets throughout"};
  }
  if (!utf8.RuledOut && byteOrderMark_) {
    return {Encoding::kUtf8, false, "begins with a UTF-8 byte-order mark and is valid UTF-8"};
  }
  if (!utf8.RuledOut && utf8.Characters != 0) {
    if (shiftJisInvalid_) {
      return {Encoding::kUtf8, false, "valid UTF-8 throughout, and not Shift-JIS"};
    }
    if (AtLeastShare(utf8.Japanese, utf8.Characters, kUtf8JapaneseShare)) {
      return {Encoding::kUtf8, false,
              "valid UTF-8 throughout; " + share(utf8) +
                  " characters beyond ASCII are Japanese"};
    }
  }
  if (!euc.RuledOut && euc.Characters != 0) {
    if (shiftJisInvalid_) {
      return {Encoding::kEucJp, false, "valid EUC-JP throughout, and not Shift-JIS"};
    }
    if (AtLeastShare(euc.Japanese, euc.Characters, kEucKanaShare)) {
      return {Encoding::kEucJp, false,
              "valid EUC-JP throughout; " + share(euc) +
                  " two-byte characters are kana or Japanese punctuation"};
    }
  }
  // Shift-JIS. Say why another encoding lost where the bytes allowed it.
  std::string closeCall;
  if (!utf8.RuledOut && utf8.Characters != 0) {
    closeCall = "the bytes are valid UTF-8 too, but only " + share(utf8) +
                " characters beyond ASCII would be Japanese";
  } else if (!euc.RuledOut && euc.Characters != 0) {
    closeCall = "the bytes are valid EUC-JP too, but only " + share(euc) +
                " two-byte characters would be kana or Japanese punctuation";
  }
  if (!closeCall.empty()) {
    return {Encoding::kShiftJis, true, closeCall + "; read as Shift-JIS, the default"};
  }
  if (utf8.Characters == 0 && !utf8.RuledOut && !byteOrderMark_) {
    return {Encoding::kShiftJis, false, "only ASCII bytes: read as Shift-JIS, the default"};
  }
  std::string why = "no other encoding fits:";
  const char* comma = "";
  for (const Candidate c : {kUtf8, kEucJp, kIso2022Jp}) {
    if (evidence_[c].RuledOut) {
      why += comma;
      why += " not " + RuledOutText(c);
      comma = ",";
    }
  }
  return {Encoding::kShiftJis, false, why};
}

}  // namespace zunkaro
