#include "tally/post_calendar.hpp"

namespace zunkaro {

void PostCalendar::Add(const MessageRecord& message) {
  if ((message.Flags & mfPosterDeleted) != 0) {
    // Deleted by its poster: no post.
    return;
  }
  const bool knownHour = message.Hour >= 0 && static_cast<std::size_t>(message.Hour) < kHours;
  ++hours_[knownHour ? static_cast<std::size_t>(message.Hour) : kHours];
  const WrittenDate date{message.Year, message.Month, message.Day};
  if (lastCount_ == nullptr || date != last_) {
    // Map nodes stay where they are, so the count can be held on to.
    lastCount_ = &dates_[date];
    last_ = date;
  }
  ++*lastCount_;
}

void PostCalendar::Append(const PostCalendar& later) {
  for (std::size_t hour = 0; hour < hours_.size(); ++hour) {
    hours_[hour] += later.hours_[hour];
  }
  for (const auto& [date, count] : later.dates_) {
    dates_[date] += count;
  }
}

}  // namespace zunkaro
