#include "core/analysis.hpp"

#include "log/extract_messages.hpp"
#include "log/log_reader.hpp"
#include "tally/rank_users.hpp"
#include "tally/tally_users.hpp"
#include "tally/write_report.hpp"

namespace zunkaro {

LineKind Analysis::ClassifyLine(std::string_view line) noexcept {
  return zunkaro::ClassifyLine(line);
}

std::int32_t Analysis::CountChars(std::string_view text) noexcept {
  return zunkaro::CountChars(text);
}

void Analysis::ExtractMessages(const std::filesystem::path& path) {
  ExtractMessages(LogInput::File(path));
}

void Analysis::ExtractMessages(const LogInput& input) {
  MessageCount = 0;
  Notes.Clear();
  OpenedLog opened = OpenLog(input, Input);
  const TranscodingSource* transcoding = opened.Transcoding;
  LogReader reader(std::move(opened.Source));
  MessageCount = zunkaro::ExtractMessages(reader, Messages, &Notes);
  if (transcoding != nullptr) {
    Input.Substituted = transcoding->Substituted();
  }
}

void Analysis::TallyUsers() { zunkaro::TallyUsers(*this); }

void Analysis::RankUsers() { zunkaro::RankUsers(*this); }

void Analysis::WriteReport(LineList& lines) const { zunkaro::WriteReport(*this, lines); }

Outcome Analysis::Analyse(const std::filesystem::path& path, LineList& lines) {
  return Analyse(LogInput::File(path), lines);
}

Outcome Analysis::Analyse(const LogInput& input, LineList& lines) {
  ExtractMessages(input);
  TallyUsers();
  if (MessageCount == 0) {
    return Outcome::kNoMessages;
  }
  RankUsers();
  WriteReport(lines);
  return Outcome::kReport;
}

}  // namespace zunkaro
