// The whole analysis of any file against the literal one: the same records
// and the same report, byte for byte.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "core/analysis.hpp"
#include "reference/literal_analysis.hpp"
#include "tally/write_report.hpp"

namespace {

// A file in memory holding the input, named by its descriptor.
class MemoryFile {
 public:
  MemoryFile(const std::uint8_t* data, std::size_t size)
      : fd_(memfd_create("zunkaro-fuzz", 0)) {
    if (fd_ < 0 || write(fd_, data, size) != static_cast<ssize_t>(size)) std::abort();
  }
  ~MemoryFile() { close(fd_); }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;
  [[nodiscard]] std::string Path() const { return "/proc/self/fd/" + std::to_string(fd_); }

 private:
  int fd_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const auto fast = std::make_unique<zunkaro::Analysis>();
  static const auto literal = std::make_unique<zunkaro::AnalysisState>();
  const MemoryFile file(data, size);

  zunkaro::StringLines fastLines;
  const zunkaro::Outcome outcome = fast->Analyse(file.Path(), fastLines);
  if (!zunkaro::reference::ExtractMessages(file.Path(), *literal)) std::abort();
  if (fast->MessageCount != literal->MessageCount) std::abort();
  for (std::size_t i = 0; i < static_cast<std::size_t>(fast->MessageCount); ++i) {
    if (!(*fast->Messages[i] == *literal->Messages[i])) std::abort();
  }
  zunkaro::reference::TallyUsers(*literal);
  if ((outcome == zunkaro::Outcome::kNoMessages) != (literal->MessageCount == 0)) std::abort();
  if (outcome == zunkaro::Outcome::kReport) {
    zunkaro::reference::RankUsers(*literal);
    zunkaro::StringLines literalLines;
    zunkaro::WriteReport(*literal, literalLines);
    if (fastLines.lines() != literalLines.lines()) std::abort();
  }
  return 0;
}
