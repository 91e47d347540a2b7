// Message extraction: one pass over a log, turning its header, date, body
// and separator lines into message records.
#pragma once

#include <cstdint>
#include <filesystem>

#include "log/message_record.hpp"

namespace zunkaro {

class LogReader;

// Reads the log at `path` into `messages` from slot 0, one record per header
// line in file order, and returns how many there are. Records already in the
// slots are reused. Throws LogError when the file cannot be opened or read to
// its end, or when it holds more than kTableSlots header lines; nothing is
// written past the table's end.
[[nodiscard]] std::int32_t ExtractMessages(const std::filesystem::path& path,
                                           MessageTable& messages);

// The same, from a reader already open.
[[nodiscard]] std::int32_t ExtractMessages(LogReader& reader, MessageTable& messages);

}  // namespace zunkaro
