#include "log/extract_messages.hpp"

#include <cstring>
#include <string>

#include "log/line_analysis.hpp"
#include "log/log_error.hpp"
#include "log/log_reader.hpp"

namespace zunkaro {
namespace {

// "発言者削除": a title that begins so was deleted by its poster.
constexpr std::string_view kPosterDeletedMark = "\x94\xad\x8c\xbe\x8e\xd2\x8d\xed\x8f\x9c";

// The date line's five two-byte fields, by column.
constexpr std::size_t kDateFieldWidth = 2;
constexpr std::size_t kYearColumn = 7;
constexpr std::size_t kMonthColumn = 10;
constexpr std::size_t kDayColumn = 13;
constexpr std::size_t kHourColumn = 16;
constexpr std::size_t kMinuteColumn = 19;

[[nodiscard]] constexpr bool IsSpace(char c) noexcept {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// A field of `width` bytes from `column`, cut short by the end of the line,
// converted as a C decimal conversion does: leading white space, one
// optional sign, digits up to the first other byte; no digits give 0.
[[nodiscard]] constexpr int FieldNumber(std::string_view line, std::size_t column,
                                        std::size_t width) noexcept {
  if (column >= line.size()) {
    return 0;
  }
  const std::string_view field = line.substr(column, width);
  std::size_t i = 0;
  while (i < field.size() && IsSpace(field[i])) {
    ++i;
  }
  bool negative = false;
  if (i < field.size() && (field[i] == '+' || field[i] == '-')) {
    negative = field[i] == '-';
    ++i;
  }
  int value = 0;
  while (i < field.size() && field[i] >= '0' && field[i] <= '9') {
    value = value * 10 + (field[i] - '0');
    ++i;
  }
  return negative ? -value : value;
}

[[nodiscard]] std::int8_t DateField(std::string_view line, std::size_t column) noexcept {
  // Two bytes convert to -9..99, which an 8-bit field holds.
  return static_cast<std::int8_t>(FieldNumber(line, column, kDateFieldWidth));
}

// Fills a new record from its header line; the date comes later.
void ReadHeader(std::string_view line, const HeaderLayout& layout, MessageRecord& record) {
  record.Number = FieldNumber(line, 0, layout.NumberWidth);
  std::memcpy(record.UserId.data(), line.data() + layout.UserIdColumn, kUserIdBytes);
  std::memcpy(record.Handle.data(), line.data() + layout.HandleColumn, kHandleBytes);
  const std::string_view title = line.substr(layout.TitleColumn);
  if (View(record.UserId) == kSysopUserId) {
    // Deleted by the SYSOP: the title is not counted, and this mark replaces
    // the poster's.
    record.Flags = mfSysopDeleted;
    record.CharCount = 0;
  } else {
    record.Flags = title.starts_with(kPosterDeletedMark) ? mfPosterDeleted : mfNone;
    record.CharCount = CountChars(title);
  }
}

void ReadDate(std::string_view line, MessageRecord& record) noexcept {
  record.Year = DateField(line, kYearColumn);
  record.Month = DateField(line, kMonthColumn);
  record.Day = DateField(line, kDayColumn);
  record.Hour = DateField(line, kHourColumn);
  record.Minute = DateField(line, kMinuteColumn);
}

}  // namespace

// The notes of a reading, or none; the extraction's loop stays the same.
class NoteTaker {
 public:
  explicit NoteTaker(ReadingNotes* notes) noexcept : notes_(notes) {
    if (notes_ != nullptr) {
      notes_->Clear();
    }
  }
  void Header(std::int64_t line) {
    if (notes_ != nullptr) {
      notes_->HeaderLines.push_back(line);
    }
  }
  void Outside() noexcept {
    if (notes_ != nullptr) {
      ++notes_->LinesOutside;
    }
  }
  // A body line, which may be a header gone wrong.
  void Body(std::string_view text, const LogReader& reader) {
    // The pieces of a line longer than a read count once.
    if (notes_ != nullptr && reader.LineNumber() != lastNearMiss_ && IsNearMissHeader(text)) {
      lastNearMiss_ = reader.LineNumber();
      ++notes_->NearMissCount;
      if (notes_->NearMissLines.size() < ReadingNotes::kMostNearMissLines) {
        notes_->NearMissLines.push_back(lastNearMiss_);
      }
    }
  }
  void End(const LogReader& reader) noexcept {
    if (notes_ != nullptr) {
      notes_->LinesRead = reader.LineNumber();
    }
  }

 private:
  ReadingNotes* notes_;
  std::int64_t lastNearMiss_ = 0;
};

namespace {

// Where the records go: the slots of a table, up to its end.
class TableStore {
 public:
  explicit TableStore(MessageTable& messages) : messages_(messages) { messages_.Clear(); }
  [[nodiscard]] MessageRecord& Next(const LogReader& reader) {
    if (next_ == kTableSlots) {
      throw LogError(reader.path(), "more than " + std::to_string(kTableSlots) +
                                        " messages; a log may hold at most " +
                                        std::to_string(kTableSlots));
    }
    return messages_.Put(next_++);
  }
  void Finish() noexcept {}
  [[nodiscard]] std::size_t Count() const noexcept { return next_; }

 private:
  MessageTable& messages_;
  std::size_t next_ = 0;
};

// Or one record at a time into a sink: a record is handed over when the
// next one begins or the log ends, as no line can add to it after that.
class SinkStore {
 public:
  explicit SinkStore(MessageSink& sink) noexcept : sink_(sink) {}
  [[nodiscard]] MessageRecord& Next(const LogReader&) {
    Finish();
    record_ = MessageRecord{};
    pending_ = true;
    ++count_;
    return record_;
  }
  void Finish() {
    if (pending_) {
      sink_.Take(record_);
      pending_ = false;
    }
  }
  [[nodiscard]] std::int64_t Count() const noexcept { return count_; }

 private:
  MessageSink& sink_;
  MessageRecord record_{};
  bool pending_ = false;
  std::int64_t count_ = 0;
};

}  // namespace

template <typename Store>
static void Extract(LogReader& reader, Store& store, ReadingNotes* notes) {
  NoteTaker note(notes);
  Line line;
  MessageRecord* open = nullptr;   // the open message, if any
  while (reader.ReadLine(line)) {
    const std::string_view text = line.Text();
    const LineLook look = LookAtLine(text);
    const LineKind kind = look.Kind();
    switch (kind) {
      case LineKind::lkBody:
        // Text of the open message; outside a message it is dropped.
        if (look.MayBeNearMiss()) {
          note.Body(text, reader);
        }
        if (open != nullptr) {
          open->CharCount += CountChars(text);
        } else {
          note.Outside();
        }
        break;
      case LineKind::lkSeparator:
        // Closes the open message; a separator outside one changes nothing.
        if (open == nullptr) {
          note.Outside();
        }
        open = nullptr;
        break;
      case LineKind::lkShortHeader:
      case LineKind::lkLongHeader: {
        // Closes the open message and opens the next, whose date line follows.
        MessageRecord& record = store.Next(reader);
        note.Header(reader.LineNumber());
        ReadHeader(text, kind == LineKind::lkShortHeader ? kShortHeaderLayout : kLongHeaderLayout,
                   record);
        // The line after a header is its date line, whatever it holds; a
        // header at the end of the file keeps a date of zeros.
        if (reader.ReadLine(line)) {
          ReadDate(line.Text(), record);
        }
        open = &record;
        break;
      }
    }
  }
  note.End(reader);
  store.Finish();
}

std::int32_t ExtractMessages(LogReader& reader, MessageTable& messages, ReadingNotes* notes) {
  TableStore store(messages);
  Extract(reader, store, notes);
  return static_cast<std::int32_t>(store.Count());
}

std::int64_t ExtractMessages(LogReader& reader, MessageSink& sink) {
  SinkStore store(sink);
  Extract(reader, store, nullptr);
  return store.Count();
}

std::int32_t ExtractMessages(const std::filesystem::path& path, MessageTable& messages,
                             ReadingNotes* notes) {
  LogReader reader(path);
  return ExtractMessages(reader, messages, notes);
}

}  // namespace zunkaro
