#include "export/result_view.hpp"

#include <array>
#include <cstring>

#include "core/analysis.hpp"
#include "tally/archive_tally.hpp"
#include "tally/char_rank.hpp"

namespace zunkaro {
namespace {

// A fixed-size text field up to its NUL.
template <std::size_t N>
[[nodiscard]] std::string_view Field(const std::array<char, N>& text) noexcept {
  const void* nul = std::memchr(text.data(), '\0', N);
  return {text.data(), nul == nullptr ? N : static_cast<std::size_t>(static_cast<const char*>(nul) -
                                                                       text.data())};
}

[[nodiscard]] MessageStatus StatusOf(const MessageRecord& m) noexcept {
  // Tested in the order the tally tests them.
  if ((m.Flags & mfPosterDeleted) != 0) return MessageStatus::kPosterDeleted;
  if (Field(m.UserId) == kSysopUserId) return MessageStatus::kSysopDeleted;
  return MessageStatus::kCounted;
}

[[nodiscard]] MessageRow RowOf(const MessageRecord& m, std::int64_t line) {
  return MessageRow{.Line = line,
                    .Number = static_cast<std::uint32_t>(m.Number),
                    .UserId = std::string(Field(m.UserId)),
                    .Handle = std::string(TrimHandle(Field(m.Handle))),
                    .Year = m.Year,
                    .Month = m.Month,
                    .Day = m.Day,
                    .Hour = m.Hour,
                    .Minute = m.Minute,
                    .Chars = m.CharCount,
                    .Status = StatusOf(m)};
}

// The users in report order, `count` of them with `user(i)` the i-th, with
// their rank by characters as the report shows it.
template <typename UserAt>
void AddUserRows(ResultView& view, std::size_t count, UserAt user_at) {
  CharRanking ranking;
  view.Users.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const UserTally* user = user_at(i);
    view.Users.push_back(UserRow{.Rank = ranking.Next(user->CharCount),
                                 .UserId = std::string(Field(user->UserId)),
                                 .Handle = std::string(TrimHandle(Field(user->Handle))),
                                 .Chars = user->CharCount,
                                 .Posts = user->PostCount,
                                 .PostRank = user->PostRank,
                                 .Average = user->AverageChars,
                                 .AverageRank = user->AverageRank});
  }
}

}  // namespace

std::string_view StatusName(MessageStatus status) noexcept {
  switch (status) {
    case MessageStatus::kCounted:
      return "counted";
    case MessageStatus::kPosterDeleted:
      return "poster-deleted";
    case MessageStatus::kSysopDeleted:
      return "sysop-deleted";
  }
  return "counted";
}

std::string_view TrimHandle(std::string_view handle) noexcept {
  const std::size_t end = handle.find_last_not_of(' ');
  return handle.substr(0, end == std::string_view::npos ? 0 : end + 1);
}

ResultView ViewOf(const Analysis& analysis, std::string log) {
  ResultView view;
  view.Log = std::move(log);
  view.LogEncoding = analysis.Input.Found;

  AddUserRows(view, static_cast<std::size_t>(analysis.UserCount),
              [&analysis](std::size_t i) -> const UserTally* { return analysis.Users[i]; });
  view.SysopDeleted = analysis.SysopDeletedCount;
  view.Total = Totals{.Users = analysis.UserCount,
                      .Chars = analysis.CharTotal,
                      .Posts = analysis.PostTotal,
                      .Average = analysis.PostTotal == 0 ? 0 : analysis.CharTotal / analysis.PostTotal};
  if (analysis.LongestMessage.CharCount > 0) {
    view.Longest = RowOf(analysis.LongestMessage, 0);
  }

  const std::vector<std::int64_t>& lines = analysis.Notes.HeaderLines;
  view.Messages.reserve(static_cast<std::size_t>(analysis.MessageCount));
  for (std::int32_t i = 0; i < analysis.MessageCount; ++i) {
    const auto slot = static_cast<std::size_t>(i);
    const MessageRecord& message = *analysis.Messages[slot];
    view.Messages.push_back(RowOf(message, slot < lines.size() ? lines[slot] : 0));
    view.Calendar.Add(message);
  }
  return view;
}

ResultView ViewOf(const ArchiveTally& archive, std::string log) {
  ResultView view;
  view.Log = std::move(log);
  AddUserRows(view, archive.Users().size(),
              [&archive](std::size_t i) { return archive.Users()[i]; });
  view.SysopDeleted = static_cast<std::int32_t>(archive.SysopDeletedCount);
  view.Total = Totals{.Users = static_cast<std::int32_t>(archive.Users().size()),
                      .Chars = archive.CharTotal,
                      .Posts = static_cast<std::int32_t>(archive.PostTotal),
                      .Average = archive.PostTotal == 0 ? 0 : archive.CharTotal / archive.PostTotal};
  if (archive.LongestMessage.CharCount > 0) {
    view.Longest = RowOf(archive.LongestMessage, 0);
  }
  view.Calendar = archive.Calendar;
  return view;
}

}  // namespace zunkaro
