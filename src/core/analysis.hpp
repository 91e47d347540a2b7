// One analysis of a forum log, from the file to the report: the state the
// window and the command own, and the steps they run over it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

#include "core/log_input.hpp"
#include "log/extract_messages.hpp"
#include "log/line_analysis.hpp"
#include "tally/analysis_state.hpp"
#include "tally/line_list.hpp"

namespace zunkaro {

enum class Outcome : std::uint8_t {
  kReport,      // the report was written
  kNoMessages,  // the log holds no message: "Cannot find messages.", no report
};

// The one message of the analysis's own.
inline constexpr std::string_view kNoMessagesText = "Cannot find messages.";

class Analysis : public AnalysisState {
 public:
  [[nodiscard]] static LineKind ClassifyLine(std::string_view line) noexcept;
  [[nodiscard]] static std::int32_t CountChars(std::string_view text) noexcept;

  // Reads the log into Messages and sets MessageCount. Throws LogError; on
  // an error MessageCount is 0, so nothing of a half-read log is tallied.
  // The log's encoding is found from its bytes, and a log in another
  // encoding than Shift-JIS is read as its Shift-JIS original.
  void ExtractMessages(const std::filesystem::path& path);
  void ExtractMessages(const LogInput& input);
  void TallyUsers();
  void RankUsers();
  void WriteReport(LineList& lines) const;

  // Where the messages of the last log stand, and how its lines fell.
  ReadingNotes Notes;
  // What the last log's bytes were: encoding, line ends, substitutions.
  InputNotes Input;

  // The whole road of one log: extract, tally, and, when the log holds
  // messages, rank and append the report to `lines`.
  [[nodiscard]] Outcome Analyse(const std::filesystem::path& path, LineList& lines);
  [[nodiscard]] Outcome Analyse(const LogInput& input, LineList& lines);
};

}  // namespace zunkaro
