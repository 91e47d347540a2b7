// The whole analysis of any file read as Shift-JIS against the literal one:
// the same records and the same report, byte for byte. The literal reading
// knows no CR-only line ends, so a file without a line feed reaches it with
// its carriage returns as line feeds.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <algorithm>
#include <memory>
#include <string>

#include "core/analysis.hpp"
#include "reference/literal_analysis.hpp"
#include "tally/write_report.hpp"

namespace {

// A file in memory holding the input, named by its descriptor.
class MemoryFile {
 public:
  explicit MemoryFile(const std::string& bytes) : fd_(memfd_create("zunkaro-fuzz", 0)) {
    if (fd_ < 0 || write(fd_, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
      std::abort();
    }
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
  std::string bytes(reinterpret_cast<const char*>(data), size);
  const MemoryFile file(bytes);
  if (bytes.find('\n') == std::string::npos) std::ranges::replace(bytes, '\r', '\n');
  const MemoryFile literalFile(bytes);

  zunkaro::StringLines fastLines;
  zunkaro::LogInput input = zunkaro::LogInput::File(file.Path());
  input.Forced = zunkaro::Encoding::kShiftJis;
  const zunkaro::Outcome outcome = fast->Analyse(input, fastLines);
  if (!zunkaro::reference::ExtractMessages(literalFile.Path(), *literal)) std::abort();
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
