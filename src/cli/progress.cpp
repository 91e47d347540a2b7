#include "cli/progress.hpp"

#include <unistd.h>

namespace zunkaro {
namespace {

constexpr double kBytesPerMegabyte = 1e6;
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);

}  // namespace

Progress::Progress(std::FILE* err, bool shown, std::size_t total, Clock::duration delay)
    : err_(err), shown_(shown), total_(total), start_(Clock::now()), delay_(delay) {}

bool Progress::IsTerminal(std::FILE* err) noexcept {
  const int fd = ::fileno(err);
  return fd >= 0 && ::isatty(fd) == 1;
}

void Progress::Draw() {
  if (!shown_) {
    return;
  }
  const Clock::time_point now = Clock::now();
  const Clock::duration elapsed = now - start_;
  if (elapsed < delay_ || (drawnWidth_ != 0 && now - drawnAt_ < kRedrawEvery)) {
    return;
  }
  drawnAt_ = now;
  const double seconds = std::chrono::duration<double>(elapsed).count();
  const double megabytes =
      static_cast<double>(bytes_.load(std::memory_order_relaxed)) / kBytesPerMegabyte;
  char text[128];
  const int width =
      std::snprintf(text, sizeof text, "zunkaro-report: %zu/%zu logs, %.1f MB, %.1f MB/s",
                    done_.load(std::memory_order_relaxed), total_, megabytes,
                    seconds > 0 ? megabytes / seconds : 0.0);
  if (width <= 0) {
    return;
  }
  const auto drawn = static_cast<std::size_t>(width) < sizeof text
                         ? static_cast<std::size_t>(width)
                         : sizeof text - 1;
  // Spaces over what is left of a longer line before.
  const int pad = drawnWidth_ > drawn ? static_cast<int>(drawnWidth_ - drawn) : 0;
  std::fprintf(err_, "\r%s%*s", text, pad, "");
  std::fflush(err_);
  drawnWidth_ = drawn;
}

void Progress::Clear() {
  if (drawnWidth_ == 0) {
    return;
  }
  std::fprintf(err_, "\r%*s\r", static_cast<int>(drawnWidth_), "");
  std::fflush(err_);
  drawnWidth_ = 0;
}

}  // namespace zunkaro
