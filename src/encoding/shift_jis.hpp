// Shift-JIS (code page 932) text for people to read: the report stays
// Shift-JIS everywhere, and only what is shown is decoded.
#pragma once

#include <string>
#include <string_view>

namespace zunkaro {

// Decodes Shift-JIS bytes to UTF-8. A byte or pair that is not Shift-JIS,
// and every control byte, becomes U+FFFD, so that a hostile handle can never
// reach a terminal as a control sequence. Never fails.
class ShiftJisDecoder {
 public:
  ShiftJisDecoder();
  ~ShiftJisDecoder();
  ShiftJisDecoder(const ShiftJisDecoder&) = delete;
  ShiftJisDecoder& operator=(const ShiftJisDecoder&) = delete;

  [[nodiscard]] std::string ToUtf8(std::string_view sjis);
  // The same, appended to `out`.
  void AppendUtf8(std::string_view sjis, std::string& out);

 private:
  // The converter, opened when the first double-byte character comes.
  void* Converter();
  void* iconv_ = nullptr;
};

}  // namespace zunkaro
