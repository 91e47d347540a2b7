#include "core/archive.hpp"

#include "log/extract_messages.hpp"
#include "log/log_reader.hpp"

#include <utility>

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

ArchiveTally TallyArchiveLog(const LogInput& input) {
  ArchiveTally tally;
  TallySink sink(tally);
  InputNotes notes;
  OpenedLog opened = OpenLog(input, notes);
  LogReader reader(std::move(opened.Source));
  (void)ExtractMessages(reader, sink);
  return tally;
}

ArchiveTally TallyArchiveLog(const std::filesystem::path& path) {
  return TallyArchiveLog(LogInput::File(path));
}

}  // namespace zunkaro
