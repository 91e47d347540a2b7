#include "encoding/encoding.hpp"

#include <algorithm>
#include <array>
#include <cctype>

namespace zunkaro {
namespace {

struct Name {
  std::string_view Text;
  Encoding Stands;
};

// Canonical names first, then the aliases, all in lower case.
constexpr std::array kNames{
    Name{"shift-jis", Encoding::kShiftJis},  Name{"utf-8", Encoding::kUtf8},
    Name{"euc-jp", Encoding::kEucJp},        Name{"iso-2022-jp", Encoding::kIso2022Jp},
    Name{"shift_jis", Encoding::kShiftJis},  Name{"sjis", Encoding::kShiftJis},
    Name{"cp932", Encoding::kShiftJis},      Name{"windows-31j", Encoding::kShiftJis},
    Name{"ms932", Encoding::kShiftJis},      Name{"utf8", Encoding::kUtf8},
    Name{"euc_jp", Encoding::kEucJp},        Name{"eucjp", Encoding::kEucJp},
    Name{"euc-jp-ms", Encoding::kEucJp},     Name{"jis", Encoding::kIso2022Jp},
    Name{"iso2022jp", Encoding::kIso2022Jp},
};

[[nodiscard]] bool SameLetters(std::string_view a, std::string_view b) noexcept {
  return std::ranges::equal(a, b, [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

std::string_view EncodingName(Encoding encoding) noexcept {
  const auto* name = std::ranges::find(kNames, encoding, &Name::Stands);
  return name->Text;
}

std::optional<Encoding> FindEncoding(std::string_view name) noexcept {
  for (const Name& n : kNames) {
    if (SameLetters(n.Text, name)) {
      return n.Stands;
    }
  }
  return std::nullopt;
}

}  // namespace zunkaro
