#pragma once

#include <string_view>

namespace zunkaro {

// "Zunkaro Version 0.30β2", in Shift-JIS as the window shows it.
inline constexpr std::string_view kVersionLineShiftJis = "Zunkaro Version 0.30\x83\xc0" "2";
// The same version for a UTF-8 terminal.
inline constexpr std::string_view kVersionUtf8 = "0.30\xce\xb2" "2";

// The same version in plain ASCII, for --version.
inline constexpr std::string_view kVersionAscii = "0.30beta2";

}  // namespace zunkaro
