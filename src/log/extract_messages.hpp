// Message extraction: one pass over a log, turning its header, date, body
// and separator lines into message records.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "log/message_record.hpp"

namespace zunkaro {

class LogReader;

// What a reading found besides the records: where each message's header
// stands in the file, and how the lines fell, for the audit and the
// diagnostics. Lines are counted by line feeds, from 1.
struct ReadingNotes {
  std::vector<std::int64_t> HeaderLines;  // per message, in slot order: its header's line
  std::int64_t LinesRead = 0;             // the lines of the log, up to its end
  std::int64_t LinesOutside = 0;          // lines before, between and after messages
  // Lines that would be headers but for a byte or two (IsNearMissHeader):
  // how many, and the first kMostNearMissLines of them.
  static constexpr std::size_t kMostNearMissLines = 1000;
  std::int64_t NearMissCount = 0;
  std::vector<std::int64_t> NearMissLines;

  void Clear() noexcept {
    HeaderLines.clear();
    LinesRead = 0;
    LinesOutside = 0;
    NearMissCount = 0;
    NearMissLines.clear();
  }
};

// Reads the log at `path` into `messages` from slot 0, one record per header
// line in file order, and returns how many there are. Records already in the
// slots are reused. Throws LogError when the file cannot be opened or read to
// its end, or when it holds more than kTableSlots header lines; nothing is
// written past the table's end.
// `notes`, when given, is filled anew.
[[nodiscard]] std::int32_t ExtractMessages(const std::filesystem::path& path,
                                           MessageTable& messages,
                                           ReadingNotes* notes = nullptr);

// The same, from a reader already open.
[[nodiscard]] std::int32_t ExtractMessages(LogReader& reader, MessageTable& messages,
                                           ReadingNotes* notes = nullptr);

// Where extraction hands messages over one at a time when no table of them
// is kept.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  // A finished message: no line after it adds to it. Messages come in file
  // order.
  virtual void Take(const MessageRecord& message) = 0;
};

// Reads the log message by message into `sink`, with no limit on how many
// there are, and returns how many there were. Throws LogError as above.
std::int64_t ExtractMessages(LogReader& reader, MessageSink& sink);

}  // namespace zunkaro
