// A whole archive: many logs analysed as one forum, as if they were one log
// in the order given. Each log is read on its own, with its own end and its
// own 0x1A, and a message still open at the end of a log ends there. Then
// their tallies are added in order (ArchiveTally::Append), ranked once, and
// reported as one log is.
#pragma once

#include <filesystem>

#include "core/log_input.hpp"
#include "tally/archive_tally.hpp"

namespace zunkaro {

// The tally of one log of an archive, with no limit on its messages, read
// in whatever encoding it comes as the analysis of one log reads it. Throws
// LogError when the log cannot be read to its end.
[[nodiscard]] ArchiveTally TallyArchiveLog(const LogInput& input);
[[nodiscard]] ArchiveTally TallyArchiveLog(const std::filesystem::path& path);

}  // namespace zunkaro
