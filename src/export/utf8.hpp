// Text that is certainly UTF-8, for names that come from outside (a log's
// file name is the system's bytes, which need not be UTF-8).
#pragma once

#include <string>
#include <string_view>

namespace zunkaro {

// `bytes` with every byte that does not belong to a well-formed UTF-8
// sequence (RFC 3629: no overlong forms, no surrogates, nothing above
// U+10FFFF) replaced by U+FFFD.
[[nodiscard]] std::string ValidUtf8(std::string_view bytes);

}  // namespace zunkaro
