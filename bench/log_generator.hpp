// Forum logs of the shapes the benchmark measures, made from a seed.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

namespace zunkaro::bench {

enum class LogShape : std::uint8_t {
  kTypical,    // 65000 messages by about 800 users, about 16 MB
  kWorstCase,  // 65000 messages, each by a different User-ID
  kTieHeavy,   // many users with equal posts, averages and characters
  kLong,       // 65000 messages with long bodies, over 1 GB
};

struct GeneratedLog {
  std::uint64_t Bytes = 0;
  std::int32_t Messages = 0;
};

[[nodiscard]] std::string_view ShapeName(LogShape shape) noexcept;

// Writes a log of `shape` to `path`; the same seed gives the same bytes.
// Throws std::runtime_error when the file cannot be written.
GeneratedLog GenerateLog(LogShape shape, std::uint32_t seed, const std::filesystem::path& path);

}  // namespace zunkaro::bench
