// Builds small forum logs for tests, column for column as the header, date,
// body and separator lines stand in a real log.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace zunkaro::testing {

// UTF-8 to Shift-JIS (code page 932); throws on text it cannot encode.
[[nodiscard]] std::string Sjis(std::string_view utf8);

// Shift-JIS to UTF-8 for readable failure messages; never fails.
[[nodiscard]] std::string Utf8(std::string_view sjis);

struct Date {
  int Year = 97;
  int Month = 3;
  int Day = 15;
  int Hour = 21;
  int Minute = 5;
};

// Text already in Shift-JIS, where LogBuilder otherwise takes UTF-8.
struct SjisText {
  std::string_view Bytes;
};

class LogBuilder {
 public:
  // Handles and titles are UTF-8 or SjisText; the handle is filled with
  // spaces to 16 Shift-JIS bytes (or cut to them).
  LogBuilder& ShortHeader(int number, std::string_view userId, std::string_view handle,
                          std::string_view title, Date date = {});
  LogBuilder& LongHeader(int number, std::string_view userId, std::string_view handle,
                         std::string_view title, Date date = {});
  LogBuilder& ShortHeader(int number, std::string_view userId, SjisText handle, SjisText title,
                          Date date = {});
  LogBuilder& LongHeader(int number, std::string_view userId, SjisText handle, SjisText title,
                         Date date = {});
  // One body line of UTF-8 text, or of Shift-JIS bytes.
  LogBuilder& Body(std::string_view text);
  LogBuilder& Body(SjisText text);
  // Body lines that hold exactly `count` visible characters in all.
  LogBuilder& BodyOfChars(std::int64_t count);
  LogBuilder& Separator();
  // Bytes exactly as given, no line end added.
  LogBuilder& Raw(std::string_view bytes);
  // Line ends written as CR LF instead of LF from here on.
  LogBuilder& CrLf(bool on = true);

  [[nodiscard]] const std::string& Bytes() const noexcept { return bytes_; }
  // Forgets the bytes built so far, to build a long log piece by piece.
  void Clear() noexcept { bytes_.clear(); }

 private:
  void Header(int number, int numberWidth, std::string_view gapBeforeId, std::string_view userId,
              SjisText handle, std::string_view gapAfterHandle, SjisText title, Date date);
  void EndLine();

  std::string bytes_;
  bool crlf_ = false;
};

// The date line for `date`: "日付 : YY/MM/DD HH:MM".
[[nodiscard]] std::string DateLine(Date date);

// A file in a fresh temporary directory, removed with the object.
class TempFile {
 public:
  explicit TempFile(std::string_view bytes, std::string_view name = "test.log");
  ~TempFile();
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  [[nodiscard]] const std::filesystem::path& path() const noexcept { return path_; }
  [[nodiscard]] const std::filesystem::path& dir() const noexcept { return dir_; }

 private:
  std::filesystem::path dir_;
  std::filesystem::path path_;
};

[[nodiscard]] std::string ReadFileBytes(const std::filesystem::path& path);

// Everything written to a temporary stream, from its start; closes it.
[[nodiscard]] std::string Drain(std::FILE* file);

}  // namespace zunkaro::testing
