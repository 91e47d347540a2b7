// The encodings a log may come in, and their names on the command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace zunkaro {

enum class Encoding : std::uint8_t {
  kShiftJis,   // code page 932: what the analysis reads, and the default
  kUtf8,       // with or without a byte-order mark
  kEucJp,      // with the code-page-932 extensions
  kIso2022Jp,  // 7-bit, by escape sequences
};

// The encoding's canonical name: "shift-jis", "utf-8", "euc-jp", "iso-2022-jp".
[[nodiscard]] std::string_view EncodingName(Encoding encoding) noexcept;

// The encoding a name stands for, by its canonical name or one of the aliases
// people type (sjis, cp932, utf8, eucjp, jis ...), in any case; nothing for
// a name it does not know.
[[nodiscard]] std::optional<Encoding> FindEncoding(std::string_view name) noexcept;

}  // namespace zunkaro
