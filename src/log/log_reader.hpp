// Reads a log one line at a time, as a text-mode C stream with a 256-byte
// line buffer would, but from a large buffer in one sequential pass:
// - every carriage return is dropped, wherever it stands;
// - a 0x1A byte ends the file;
// - a line is the bytes up to and including the next line feed, but never
//   more than 255 bytes: a longer line arrives as several lines.
// Memory holds one read buffer and one line, never the whole file. The bytes
// come from a ByteSource: a file, standard input, or a source that turns
// another encoding into Shift-JIS, so these rules hold for every log alike.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string_view>

#include "log/byte_source.hpp"
#include "log/file_calls.hpp"

namespace zunkaro {

// One line as read. Its text ends at the first NUL byte it holds, as a C
// string would; the bytes after that NUL are read but never seen. The text
// stays valid until the next read into the same line or from the same reader.
class Line {
 public:
  static constexpr std::size_t kMaxBytes = 255;

  [[nodiscard]] std::string_view Text() const noexcept { return text_; }

 private:
  friend class LogReader;
  std::string_view text_;
  std::array<char, kMaxBytes + 1> bytes_{};  // for lines that need piecing together
};

class LogReader {
 public:
  // Opens the log for reading. Throws LogError naming the file when it cannot
  // be opened, or when it is a directory or a device rather than a file.
  explicit LogReader(const std::filesystem::path& path,
                     const FileCalls& calls = SystemFileCalls());
  // Reads from `source`, which names the log.
  explicit LogReader(std::unique_ptr<ByteSource> source);
  ~LogReader();
  LogReader(const LogReader&) = delete;
  LogReader& operator=(const LogReader&) = delete;

  // Reads the next line. Returns false at the end of the log. Throws LogError
  // when reading fails part-way: a log that was not read to its end never
  // passes for a whole one.
  [[nodiscard]] bool ReadLine(Line& line);

  [[nodiscard]] const std::filesystem::path& path() const noexcept { return source_->Name(); }

  // The 1-based number of the line that the last ReadLine() gave, counting
  // line feeds in the file: the pieces of a line longer than a read share
  // its number. 0 before the first read.
  [[nodiscard]] std::int64_t LineNumber() const noexcept { return lineNumber_; }

 private:
  // Moves what is left to the front of the buffer and reads more after it,
  // until a whole line's worth is there or the file ends.
  void Fill();
  // Reads once into the buffer after what it holds; false at the end of the file.
  [[nodiscard]] bool ReadMore();
  // A line with carriage returns inside, a 0x1A, a NUL, or no line feed in
  // reach: taken a byte at a time.
  [[nodiscard]] bool ReadLineSlowly(Line& line);

  std::unique_ptr<ByteSource> source_;
  std::unique_ptr<char[]> buffer_;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  bool fileEnded_ = false;  // read(2) has given everything
  bool ended_ = false;      // the log has ended: end of file or 0x1A
  std::int64_t lineNumber_ = 0;      // of the line last read
  std::int64_t nextLineNumber_ = 1;  // of the next read, once a line feed ended the last
};

}  // namespace zunkaro
