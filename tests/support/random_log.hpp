// Random logs, from a seed: mostly well-formed messages, with the hostile
// bytes a log may hold (CR anywhere, 0x1A, NUL, lone lead bytes, lines far
// longer than a read, header-shaped lines in odd places).
#pragma once

#include <cstdint>
#include <string>

namespace zunkaro::testing {

[[nodiscard]] std::string RandomLog(std::uint32_t seed, int lines);

}  // namespace zunkaro::testing
