// Named byte ranges of the encodings a log may come in.
#pragma once

namespace zunkaro::bytes {

// ASCII, and the bytes that mean the same in every encoding here.
inline constexpr unsigned char kAsciiLast = 0x7F;
inline constexpr unsigned char kEscape = 0x1B;
inline constexpr unsigned char kLineFeed = 0x0A;
inline constexpr unsigned char kCarriageReturn = 0x0D;

// Shift-JIS (code page 932).
inline constexpr unsigned char kSjisKanaFirst = 0xA1;  // 0xA1..0xDF: half-width katakana
inline constexpr unsigned char kSjisKanaLast = 0xDF;
inline constexpr unsigned char kSjisLeadFirst = 0x81;  // 0x81..0x9F, 0xE0..0xFC: first of two
inline constexpr unsigned char kSjisLeadMiddleLast = 0x9F;
inline constexpr unsigned char kSjisLeadUpperFirst = 0xE0;
inline constexpr unsigned char kSjisLeadLast = 0xFC;
inline constexpr unsigned char kSjisTrailFirst = 0x40;  // 0x40..0x7E, 0x80..0xFC: second of two
inline constexpr unsigned char kSjisTrailGap = 0x7F;
inline constexpr unsigned char kSjisTrailLast = 0xFC;
// The geta mark 〓, written for a character that has no Shift-JIS form.
inline constexpr const char* kGeta = "\x81\xac";

// UTF-8 (Unicode 15, table 3-7: well-formed byte sequences).
inline constexpr unsigned char kUtf8ContinuationFirst = 0x80;
inline constexpr unsigned char kUtf8ContinuationLast = 0xBF;
inline constexpr unsigned char kUtf8TwoFirst = 0xC2;  // C2..DF: two bytes
inline constexpr unsigned char kUtf8TwoLast = 0xDF;
inline constexpr unsigned char kUtf8ThreeFirst = 0xE0;  // E0..EF: three bytes
inline constexpr unsigned char kUtf8ThreeLast = 0xEF;
inline constexpr unsigned char kUtf8Surrogates = 0xED;  // ED A0..BF would be a surrogate
inline constexpr unsigned char kUtf8FourFirst = 0xF0;   // F0..F4: four bytes
inline constexpr unsigned char kUtf8FourLast = 0xF4;
inline constexpr unsigned char kUtf8ShortestThreeLow = 0xA0;  // after E0: no overlong form
inline constexpr unsigned char kUtf8ShortestFourLow = 0x90;   // after F0: no overlong form
inline constexpr unsigned char kUtf8BelowSurrogatesHigh = 0x9F;  // after ED
inline constexpr unsigned char kUtf8LastPlaneHigh = 0x8F;        // after F4: up to U+10FFFF
inline constexpr unsigned char kUtf8PayloadMask = 0x3F;
inline constexpr unsigned kUtf8PayloadBits = 6;
inline constexpr unsigned char kUtf8TwoMask = 0x1F;
inline constexpr unsigned char kUtf8ThreeMask = 0x0F;
inline constexpr unsigned char kUtf8FourMask = 0x07;
inline constexpr char32_t kByteOrderMark = 0xFEFF;

// EUC-JP, with the code-page-932 extensions (rows 89..92 and the user area).
inline constexpr unsigned char kEucSingleShift2 = 0x8E;  // then one half-width katakana
inline constexpr unsigned char kEucSingleShift3 = 0x8F;  // then two bytes of JIS X 0212
inline constexpr unsigned char kEucFirst = 0xA1;          // A1..FE: either byte of two
inline constexpr unsigned char kEucLast = 0xFE;
inline constexpr unsigned char kEucKanaLast = 0xDF;       // after 8E: A1..DF
inline constexpr unsigned char kEucRowSymbols = 0xA1;     // row 1: CJK punctuation
inline constexpr unsigned char kEucRowHiragana = 0xA4;    // row 4
inline constexpr unsigned char kEucRowKatakana = 0xA5;    // row 5

// ISO-2022-JP: the bytes of a two-byte character and of JIS X 0201 katakana.
inline constexpr unsigned char kJisFirst = 0x21;  // 21..7E: either byte of a pair
inline constexpr unsigned char kJisLast = 0x7E;
inline constexpr unsigned char kJisKanaLast = 0x5F;  // 21..5F: katakana under ESC ( I
inline constexpr unsigned char kJisToKana = 0x80;    // JIS X 0201 katakana 21..5F is A1..DF

}  // namespace zunkaro::bytes
