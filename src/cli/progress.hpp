// The progress line of a long run on standard error: logs done of the total,
// megabytes read and the rate, redrawn in place and cleared at the end. It
// appears only once the run has taken a while, so a short run shows nothing.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace zunkaro {

class Progress {
 public:
  using Clock = std::chrono::steady_clock;

  // A line on `err` about `total` logs, drawn once `delay` has passed, when
  // `shown`; otherwise nothing is ever written.
  Progress(std::FILE* err, bool shown, std::size_t total,
           Clock::duration delay = std::chrono::seconds(1));
  ~Progress() { Clear(); }
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  // Whether `err` is a terminal, where a progress line belongs.
  [[nodiscard]] static bool IsTerminal(std::FILE* err) noexcept;

  // A log is done and `bytes` more were read; from any thread.
  void LogDone(std::uint64_t bytes) noexcept {
    bytes_.fetch_add(bytes, std::memory_order_relaxed);
    done_.fetch_add(1, std::memory_order_relaxed);
  }

  // Redraws the line when it is due, at most ten times a second; from the
  // thread that writes the output.
  void Draw();

  // Takes the line away, so that other text can be written; the next Draw
  // puts it back.
  void Clear();

 private:
  std::FILE* err_;
  bool shown_;
  std::size_t total_;
  Clock::time_point start_;
  Clock::duration delay_;
  std::atomic<std::size_t> done_{0};
  std::atomic<std::uint64_t> bytes_{0};
  std::size_t drawnWidth_ = 0;  // of the line on the screen; 0 when none
  Clock::time_point drawnAt_{};
};

}  // namespace zunkaro
