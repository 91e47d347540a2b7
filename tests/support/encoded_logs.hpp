// The common ways a Shift-JIS log reaches another encoding or other line
// ends: iconv and nkf as users run them, and CR-only line ends.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "encoding/encoding.hpp"

namespace zunkaro::testing {

struct Route {
  const char* Name;
  // A shell filter from standard input to standard output, or none for the
  // CR-only conversion done here.
  const char* Command;
  Encoding Gives;
  friend void PrintTo(const Route& r, std::ostream* os) { *os << r.Name; }
};

// iconv -f CP932 and -f SHIFT_JIS to UTF-8, UTF-8 with a byte-order mark,
// iconv to EUC-JP-MS and to ISO-2022-JP-3, nkf -w -x, -e -x and -j -x,
// and every line ended by a carriage return alone.
[[nodiscard]] const std::vector<Route>& Routes();

// `sjis` converted by `route`; none when the route cannot carry it (iconv
// refuses characters its target has no form for).
[[nodiscard]] std::optional<std::string> Convert(const Route& route, const std::string& sjis);

}  // namespace zunkaro::testing
