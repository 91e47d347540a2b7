#include "support/log_builder.hpp"

#include <iconv.h>
#include <stdlib.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "encoding/shift_jis.hpp"

namespace zunkaro::testing {

std::string Sjis(std::string_view utf8) {
  iconv_t cd = iconv_open("CP932", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    throw std::runtime_error("iconv_open CP932");
  }
  std::string out(utf8.size() * 2 + 1, '\0');
  char* in = const_cast<char*>(utf8.data());
  std::size_t inLeft = utf8.size();
  char* to = out.data();
  std::size_t toLeft = out.size();
  const std::size_t done = iconv(cd, &in, &inLeft, &to, &toLeft);
  iconv_close(cd);
  if (done == static_cast<std::size_t>(-1)) {
    throw std::runtime_error("not encodable in Shift-JIS: " + std::string(utf8));
  }
  out.resize(out.size() - toLeft);
  return out;
}

std::string Utf8(std::string_view sjis) {
  ShiftJisDecoder decoder;
  return decoder.ToUtf8(sjis);
}

std::string DateLine(Date d) {
  static const std::string kLabel = Sjis("日付 : ");
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%02d/%02d/%02d %02d:%02d", d.Year, d.Month, d.Day, d.Hour,
                d.Minute);
  return kLabel + buffer;
}

LogBuilder& LogBuilder::ShortHeader(int number, std::string_view userId, std::string_view handle,
                                    std::string_view title, Date date) {
  return ShortHeader(number, userId, SjisText{Sjis(handle)}, SjisText{Sjis(title)}, date);
}

LogBuilder& LogBuilder::LongHeader(int number, std::string_view userId, std::string_view handle,
                                   std::string_view title, Date date) {
  return LongHeader(number, userId, SjisText{Sjis(handle)}, SjisText{Sjis(title)}, date);
}

LogBuilder& LogBuilder::ShortHeader(int number, std::string_view userId, SjisText handle,
                                    SjisText title, Date date) {
  Header(number, 3, "   ", userId, handle, "  ", title, date);
  return *this;
}

LogBuilder& LogBuilder::LongHeader(int number, std::string_view userId, SjisText handle,
                                   SjisText title, Date date) {
  Header(number, 5, " ", userId, handle, " ", title, date);
  return *this;
}

void LogBuilder::Header(int number, int numberWidth, std::string_view gapBeforeId,
                        std::string_view userId, SjisText handle, std::string_view gapAfterHandle,
                        SjisText title, Date date) {
  char numbers[32];
  // The second number of a header is not read; any of the right width will do.
  const int modulus = numberWidth == 3 ? 1000 : 100000;
  std::snprintf(numbers, sizeof numbers, "%0*d/%0*d", numberWidth, number % modulus, numberWidth,
                (number + 3) % modulus);
  std::string handleBytes(handle.Bytes);
  handleBytes.resize(16, ' ');
  bytes_ += numbers;
  bytes_ += gapBeforeId;
  bytes_ += userId;
  bytes_ += "  ";
  bytes_ += handleBytes;
  bytes_ += gapAfterHandle;
  bytes_ += title.Bytes;
  EndLine();
  bytes_ += DateLine(date);
  EndLine();
}

LogBuilder& LogBuilder::Body(std::string_view text) { return Body(SjisText{Sjis(text)}); }

LogBuilder& LogBuilder::Body(SjisText text) {
  bytes_ += text.Bytes;
  EndLine();
  return *this;
}

LogBuilder& LogBuilder::BodyOfChars(std::int64_t count) {
  // Full-width kana, 100 to a line (200 bytes), as forum text mostly is.
  static const std::string kKana = Sjis("あいうえおかきくけこさしすせそたちつてとなにぬねの");
  constexpr std::int64_t kPerLine = 100;
  while (count > 0) {
    const std::int64_t n = count < kPerLine ? count : kPerLine;
    for (std::int64_t i = 0; i < n; ++i) {
      const auto k = static_cast<std::size_t>(i % 25) * 2;
      bytes_.append(kKana, k, 2);
    }
    EndLine();
    count -= n;
  }
  return *this;
}

LogBuilder& LogBuilder::Separator() {
  bytes_ += " \b";
  EndLine();
  return *this;
}

LogBuilder& LogBuilder::Raw(std::string_view bytes) {
  bytes_ += bytes;
  return *this;
}

LogBuilder& LogBuilder::CrLf(bool on) {
  crlf_ = on;
  return *this;
}

void LogBuilder::EndLine() { bytes_ += crlf_ ? "\r\n" : "\n"; }

TempFile::TempFile(std::string_view bytes, std::string_view name) {
  std::string pattern = (std::filesystem::temp_directory_path() / "zunkaro-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("mkdtemp failed");
  }
  dir_ = pattern;
  path_ = dir_ / name;
  std::ofstream file(path_, std::ios::binary);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!file) {
    throw std::runtime_error("cannot write " + path_.string());
  }
}

TempFile::~TempFile() {
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(dir_, ignored);
}

std::string ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    throw std::runtime_error("cannot read " + path.string());
  }
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

std::string Drain(std::FILE* file) {
  std::rewind(file);
  std::string text;
  std::array<char, 4096> buffer{};
  std::size_t n = 0;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), file)) > 0) text.append(buffer.data(), n);
  std::fclose(file);
  return text;
}

}  // namespace zunkaro::testing
