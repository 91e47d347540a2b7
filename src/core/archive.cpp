#include "core/archive.hpp"

#include "log/extract_messages.hpp"
#include "log/log_reader.hpp"

namespace zunkaro {
namespace {

// Counts each message as extraction finishes it; no message is kept.
class TallySink final : public MessageSink {
 public:
  explicit TallySink(ArchiveTally& tally) noexcept : tally_(tally) {}
  void Take(const MessageRecord& message) override { tally_.Add(message); }

 private:
  ArchiveTally& tally_;
};

}  // namespace

ArchiveTally TallyArchiveLog(const std::filesystem::path& path) {
  ArchiveTally tally;
  TallySink sink(tally);
  LogReader reader(path);
  (void)ExtractMessages(reader, sink);
  return tally;
}

}  // namespace zunkaro
