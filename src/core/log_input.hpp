// Opening a log for the analysis: a file or standard input, in whatever
// encoding it comes, with whatever line ends, as one source of Shift-JIS
// lines.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "encoding/encoding.hpp"
#include "encoding/transcoder.hpp"
#include "log/byte_source.hpp"
#include "log/file_calls.hpp"

namespace zunkaro {

// Which log to read, and how.
struct LogInput {
  std::filesystem::path Path;          // the file, unless StandardInput
  bool StandardInput = false;
  std::optional<Encoding> Forced;      // none: found from the log's bytes

  // A file, its encoding found from its bytes.
  static LogInput File(std::filesystem::path path) { return {std::move(path), false, {}}; }
};

// What opening and reading a log found out about its bytes.
struct InputNotes {
  static constexpr std::uint64_t kStandardInputJudged = std::uint64_t{1} << 20;

  Encoding Found = Encoding::kShiftJis;
  bool Forced = false;          // by the caller, not found
  bool CloseCall = false;       // valid in another encoding too; see Why
  std::string Why;              // why this encoding, in a sentence
  // The bytes the encoding and the line ends were judged on, when that was
  // not the whole log (standard input is judged on its first part); 0 when
  // it was the whole log or as much as was needed.
  std::uint64_t JudgedOn = 0;
  bool CarriageReturnLineEnds = false;  // no line feed at all: each CR ends a line
  Substitutions Substituted;            // characters with no Shift-JIS form
};

// An open log: its bytes as Shift-JIS, and where the conversion, if any,
// keeps its notes while the log is read.
struct OpenedLog {
  std::unique_ptr<ByteSource> Source;
  const TranscodingSource* Transcoding = nullptr;  // inside Source, or none
};

// Opens the log, finds its encoding (unless forced) and its line ends, and
// fills `notes` but for the substitutions, which the reading makes.
//
// The bytes are looked at only as far as needed: a Shift-JIS log rules out
// the other encodings within its first few bytes beyond ASCII, and its
// first piece, kept in memory, is read again from memory. A log that stays
// valid in another encoding is followed to its end and then read again from
// its start; standard input and other pipes, which cannot be read twice,
// are judged on their first kStandardInputJudged bytes, kept in memory.
// Throws LogError naming the log when it cannot be opened or read.
[[nodiscard]] OpenedLog OpenLog(const LogInput& input, InputNotes& notes,
                                const FileCalls& calls = SystemFileCalls());

}  // namespace zunkaro
