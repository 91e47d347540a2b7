// Finds a log's encoding from its bytes, by the validity rules of each
// encoding rather than by letter statistics: general-purpose detectors take
// short Japanese texts for Western code pages, while these rules were right
// on every test log.
//
// Every candidate but Shift-JIS has a state machine that follows the bytes
// and rules the candidate out at the first byte its encoding does not allow.
// Shift-JIS is never ruled out: it is the default and the tie-breaker, and
// any bytes at all are analysed as Shift-JIS. A log of Shift-JIS text rules
// out the others within its first few bytes beyond ASCII (hiragana and most
// kanji begin with 0x81..0x9F, which neither UTF-8 nor EUC-JP allows there,
// and ISO-2022-JP allows no byte above 0x7F), so that the caller can stop
// feeding the detector early; a log that stays valid in another encoding is
// fed to its end.
//
// Where the bytes are valid both as Shift-JIS and as another encoding, the
// other encoding wins only on strong evidence, and the decision says why:
// - UTF-8: a byte-order mark; or bytes that are no Shift-JIS; or at least
//   as many Japanese characters (kana, kanji, full-width forms, CJK
//   punctuation) as other characters beyond ASCII. "ﾋｰﾛｰ" in Shift-JIS
//   reads as two Arabic and Latin letters in UTF-8, and stays Shift-JIS.
// - EUC-JP: bytes that are no Shift-JIS; or kana and CJK punctuation (JIS
//   rows 1, 4 and 5) in at least a fifth of its two-byte characters.
//   Half-width katakana in Shift-JIS reads as kanji in EUC-JP, and stays
//   Shift-JIS.
// - ISO-2022-JP: 7-bit bytes with at least one designation of a Japanese
//   set (ESC $ B and the like, or ESC ( I for katakana) and no unknown one.
// Pure ASCII is Shift-JIS.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "encoding/encoding.hpp"

namespace zunkaro {

struct Detection {
  Encoding Found = Encoding::kShiftJis;
  // The bytes were valid in another encoding as well, and the evidence for
  // it was weak: they are read as Found (Shift-JIS) all the same.
  bool CloseCall = false;
  // Why, in a sentence for the diagnostics: "valid UTF-8 throughout, ...".
  std::string Why;
};

class EncodingDetector {
 public:
  EncodingDetector() noexcept;

  // Follows the next bytes of the log.
  void Feed(std::string_view bytes) noexcept;

  // Whether every encoding but Shift-JIS is ruled out: more bytes cannot
  // change the decision.
  [[nodiscard]] bool OnlyShiftJis() const noexcept;

  [[nodiscard]] bool SawLineFeed() const noexcept { return lineFeeds_ != 0; }
  [[nodiscard]] std::uint64_t BytesSeen() const noexcept { return offset_; }

  // The decision on the bytes fed so far. A character cut short by the end
  // of those bytes rules nothing out: a log cut off part-way is still read
  // in its encoding.
  [[nodiscard]] Detection Decide() const;

  // The candidates other than Shift-JIS, and what the bytes showed of each.
  enum Candidate : std::uint8_t { kUtf8, kEucJp, kIso2022Jp, kCandidates };
  struct Evidence {
    bool RuledOut = false;
    std::uint64_t RuledOutAt = 0;      // byte offset of the first byte not allowed
    std::uint64_t LineFeedsBefore = 0;  // line feeds before it
    std::uint64_t Characters = 0;      // characters beyond ASCII
    std::uint64_t Japanese = 0;        // of which kana, kanji, CJK punctuation
  };
  [[nodiscard]] const Evidence& Of(Candidate c) const noexcept { return evidence_[c]; }

 private:
  void RuleOut(Candidate c) noexcept;
  void FeedUtf8(unsigned char b) noexcept;
  void FeedEucJp(unsigned char b) noexcept;
  void FeedIso2022Jp(unsigned char b) noexcept;
  void FeedShiftJis(unsigned char b) noexcept;
  [[nodiscard]] std::string RuledOutText(Candidate c) const;

  std::array<Evidence, kCandidates> evidence_{};
  std::uint64_t offset_ = 0;
  std::uint64_t lineFeeds_ = 0;
  bool byteOrderMark_ = false;
  bool shiftJisInvalid_ = false;  // a byte no Shift-JIS text holds

  // UTF-8: continuation bytes still wanted, the range of the next one, and
  // the code point so far.
  int utf8Wanted_ = 0;
  unsigned char utf8Low_ = 0;
  unsigned char utf8High_ = 0;
  char32_t utf8Code_ = 0;
  // EUC-JP: bytes still wanted, the range of the next, the lead byte.
  int eucWanted_ = 0;
  unsigned char eucLow_ = 0;
  unsigned char eucHigh_ = 0;
  unsigned char eucLead_ = 0;
  // ISO-2022-JP: where in an escape sequence, the set in use, and whether
  // the first byte of a pair is waiting for its second.
  int isoEscape_ = 0;
  bool isoDoubleByte_ = false;
  bool isoKana_ = false;
  bool isoHalfPair_ = false;
  bool isoDesignated_ = false;
  // Shift-JIS: whether the last byte was a first byte of two.
  bool sjisLead_ = false;
};

}  // namespace zunkaro
