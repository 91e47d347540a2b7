// When the posts were made: how many in each hour of the day and on each
// date, as the date lines give them, for the charts of a report. A post is a
// message counted in the posts total (ordinary, or deleted by the SYSOP).
// Dates are kept as written, two-digit fields and all, so counting one costs
// a few instructions; what a date means is settled when it is read out.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>

#include "log/message_record.hpp"

namespace zunkaro {

class PostCalendar {
 public:
  static constexpr std::size_t kHours = 24;

  // A date as written: year, month and day fields of -9..99 each.
  struct WrittenDate {
    std::int8_t Year;
    std::int8_t Month;
    std::int8_t Day;
    friend auto operator<=>(const WrittenDate&, const WrittenDate&) = default;
  };

  PostCalendar() = default;
  // A copy counts on by itself: it does not hold on to the other's dates.
  PostCalendar(const PostCalendar& other) : hours_(other.hours_), dates_(other.dates_) {}
  PostCalendar& operator=(const PostCalendar& other) {
    hours_ = other.hours_;
    dates_ = other.dates_;
    lastCount_ = nullptr;
    return *this;
  }
  // A move takes the dates' nodes along, so the one held on to stays good.
  PostCalendar(PostCalendar&&) noexcept = default;
  PostCalendar& operator=(PostCalendar&&) noexcept = default;
  ~PostCalendar() = default;

  // Counts `message` when it is a post.
  void Add(const MessageRecord& message);
  // Counts the posts of `later` too.
  void Append(const PostCalendar& later);

  // Posts in hours 0 to 23, then those whose hour is none of them.
  [[nodiscard]] const std::array<std::int64_t, kHours + 1>& ByHour() const noexcept { return hours_; }
  // Posts on each date as written.
  [[nodiscard]] const std::map<WrittenDate, std::int64_t>& ByDate() const noexcept { return dates_; }

 private:
  std::array<std::int64_t, kHours + 1> hours_{};
  std::map<WrittenDate, std::int64_t> dates_;
  // The posts of a log come mostly date by date: the date last counted
  // is found without a search.
  std::int64_t* lastCount_ = nullptr;
  WrittenDate last_{};
};

}  // namespace zunkaro
