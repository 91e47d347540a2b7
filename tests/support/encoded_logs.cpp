#include "support/encoded_logs.hpp"

#include <sys/wait.h>

#include <cstdlib>
#include <vector>

#include "support/log_builder.hpp"

namespace zunkaro::testing {
namespace {


// Every line end, LF or CR LF, as a carriage return alone.
std::string CarriageReturnsOnly(const std::string& bytes) {
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    out += bytes[i] == '\n' ? '\r' : bytes[i];
  }
  return out;
}

}  // namespace

const std::vector<Route>& Routes() {
  static const std::vector<Route> kRoutes{
      {"IconvCp932ToUtf8", "iconv -f CP932 -t UTF-8", Encoding::kUtf8},
      {"IconvShiftJisToUtf8", "iconv -f SHIFT_JIS -t UTF-8", Encoding::kUtf8},
      {"Utf8WithByteOrderMark", "{ printf '\\357\\273\\277'; iconv -f CP932 -t UTF-8; }",
       Encoding::kUtf8},
      {"IconvEucJpMs", "iconv -f CP932 -t EUC-JP-MS", Encoding::kEucJp},
      {"IconvIso2022Jp3", "iconv -f CP932 -t ISO-2022-JP-3", Encoding::kIso2022Jp},
      {"NkfUtf8", "nkf -w -x", Encoding::kUtf8},
      {"NkfEucJp", "nkf -e -x", Encoding::kEucJp},
      {"NkfIso2022Jp", "nkf -j -x", Encoding::kIso2022Jp},
      {"CarriageReturnsOnly", nullptr, Encoding::kShiftJis},
  };
  return kRoutes;
}

std::optional<std::string> Convert(const Route& route, const std::string& sjis) {
  if (route.Command == nullptr) {
    return CarriageReturnsOnly(sjis);
  }
  const TempFile in(sjis, "in.log");
  const std::string out = (in.dir() / "out.log").string();
  // Built by appends: GCC 12 at -O3 warns wrongly of a chain of + that
  // starts with a literal.
  std::string command = "(";
  command.append(route.Command).append(") <'").append(in.path().string());
  command.append("' >'").append(out).append("' 2>/dev/null");
  const int status = std::system(command.c_str());
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    return std::nullopt;
  }
  return ReadFileBytes(out);
}

}  // namespace zunkaro::testing
