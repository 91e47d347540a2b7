// Turns a log in UTF-8, EUC-JP or ISO-2022-JP into Shift-JIS (code page
// 932) as it is read, a piece at a time, so that the analysis reads every
// log as the Shift-JIS bytes it was written in and a log of any size takes
// the same small memory.
//
// - UTF-8: glibc iconv's "CP932", after a byte-order mark at the start is
//   dropped. It takes both the Microsoft and the JIS code points where the
//   two differ (〜 as U+FF5E or U+301C, － as U+FF0D or U+2212, ¬ as U+FFE2
//   or U+00AC ...), so text converted either way comes back.
// - EUC-JP: glibc iconv's "EUC-JP-MS", EUC-JP with the code-page-932
//   extensions (the NEC special characters of row 13, the NEC-selected IBM
//   extensions of rows 89 to 92 and the IBM extensions after SS3).
// - ISO-2022-JP: by our own state machine, since no iconv converter gives
//   code-page-932 text back: the NEC rows that nkf writes under ESC $ B are
//   no JIS X 0208. A JIS X 0208 code is turned into Shift-JIS by the
//   arithmetic of the Shift-JIS definition (see JisToShiftJis); JIS X 0213
//   and JIS X 0212 characters go through Unicode, by a table that iconv
//   fills once.
//
// A character that has no code-page-932 form becomes the geta mark 〓
// (0x81 0xAC), one visible character as the original was, and its line is
// kept for the diagnostics.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "encoding/encoding.hpp"
#include "log/byte_source.hpp"

namespace zunkaro {

// The characters written as 〓 because Shift-JIS has no form for them.
struct Substitutions {
  static constexpr std::size_t kMostLines = 1000;  // lines kept, to bound memory

  std::uint64_t Count = 0;
  std::vector<std::int64_t> Lines;  // the first kMostLines lines that hold one, each once
  friend bool operator==(const Substitutions&, const Substitutions&) = default;
};

// A byte sequence that the encoding does not allow.
class EncodingError : public std::runtime_error {
 public:
  EncodingError(const std::string& what, std::int64_t line, std::uint64_t offset)
      : std::runtime_error(what), line_(line), offset_(offset) {}
  [[nodiscard]] std::int64_t Line() const noexcept { return line_; }
  [[nodiscard]] std::uint64_t Offset() const noexcept { return offset_; }

 private:
  std::int64_t line_;
  std::uint64_t offset_;
};

// The Shift-JIS code of the JIS X 0208 character at `first`, `second`
// (each 0x21..0x7E), as the two bytes of the result, first byte high.
[[nodiscard]] std::uint16_t JisToShiftJis(unsigned char first, unsigned char second) noexcept;

class Transcoder {
 public:
  // `from` is UTF-8, EUC-JP or ISO-2022-JP. With `lenientEnd`, a character
  // cut short by the end of the log becomes 〓; without it, it is an error
  // as any other sequence the encoding does not allow.
  Transcoder(Encoding from, bool lenientEnd);
  ~Transcoder();
  Transcoder(const Transcoder&) = delete;
  Transcoder& operator=(const Transcoder&) = delete;

  // Converts the bytes that follow those converted so far, appending their
  // Shift-JIS to `out`, and returns how many bytes of `in` it took: a
  // character cut off at the end of `in` is left for the next call, unless
  // `last` says that nothing follows. Throws EncodingError at the first
  // sequence the encoding does not allow, naming its line and byte offset.
  std::size_t Convert(std::string_view in, bool last, std::string& out);

  [[nodiscard]] const Substitutions& Substituted() const noexcept { return substituted_; }

 private:
  std::size_t ConvertByIconv(std::string_view in, bool last, std::string& out);
  std::size_t ConvertIso2022Jp(std::string_view in, bool last, std::string& out);
  // Writes 〓 for a character at the current line.
  void Substitute(std::string& out);
  [[noreturn]] void Refuse(std::string_view what) const;
  void Advance(std::string_view taken) noexcept;

  Encoding from_;
  bool lenientEnd_;
  void* iconv_ = nullptr;
  bool started_ = false;          // the byte-order mark has been looked for
  std::uint64_t offset_ = 0;      // of the next byte to convert
  std::int64_t line_ = 1;         // of the next byte to convert
  Substitutions substituted_;
  // ISO-2022-JP: the set in use, a pending first byte, an escape sequence.
  std::uint8_t isoSet_ = 0;
  int isoFirst_ = -1;
  std::string isoEscape_;
  std::uint64_t pendingOffset_ = 0;  // where the pair or escape sequence began
  std::int64_t pendingLine_ = 1;
};

// A source of Shift-JIS bytes over a source in another encoding.
class TranscodingSource final : public ByteSource {
 public:
  TranscodingSource(std::unique_ptr<ByteSource> raw, Encoding from, bool lenientEnd);

  // Throws LogError naming the log, the line and the byte offset of a
  // sequence the encoding does not allow.
  [[nodiscard]] std::size_t Read(char* into, std::size_t most) override;

  [[nodiscard]] const Substitutions& Substituted() const noexcept {
    return transcoder_.Substituted();
  }

 private:
  std::unique_ptr<ByteSource> raw_;
  Transcoder transcoder_;
  std::string in_;       // raw bytes not yet converted
  std::string out_;      // converted bytes not yet handed out
  std::size_t outAt_ = 0;
  bool rawEnded_ = false;
};

}  // namespace zunkaro
