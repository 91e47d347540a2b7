// Detection and conversion, differentially: a Shift-JIS log converted to
// UTF-8, EUC-JP and ISO-2022-JP by encoders independent of ours (iconv, and
// JIS codes computed here from a table-free inverse), and read back, gives
// the same message records as the log itself, both with the encoding
// forced and found. Where detection keeps Shift-JIS for a converted log, it
// must say that it was a close call, or the bytes must be the same.
#include <iconv.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "memory_file.hpp"
#include "core/analysis.hpp"

namespace {

using zunkaro::Encoding;


std::optional<std::string> Iconv(const char* to, const char* from, const std::string& in) {
  const iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(static_cast<std::intptr_t>(-1))) std::abort();
  std::string out(in.size() * 4 + 16, '\0');
  char* src = const_cast<char*>(in.data());
  std::size_t srcLeft = in.size();
  char* dst = out.data();
  std::size_t dstLeft = out.size();
  const std::size_t done = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  iconv_close(cd);
  if (done == static_cast<std::size_t>(-1)) return std::nullopt;
  out.resize(out.size() - dstLeft);
  return out;
}

// ISO-2022-JP by the inverse of the Shift-JIS arithmetic: none for text
// with an escape byte or a character outside JIS rows 1..94.
std::optional<std::string> ToIso2022Jp(const std::string& sjis) {
  enum { kAscii, kKana, kDouble } mode = kAscii;
  std::string out;
  const auto set = [&](int next, const char* escape) {
    if (mode != next) out += escape;
    mode = static_cast<decltype(mode)>(next);
  };
  for (std::size_t i = 0; i < sjis.size(); ++i) {
    const auto b = static_cast<unsigned char>(sjis[i]);
    if (b == 0x1B || b == 0x0E || b == 0x0F) return std::nullopt;
    if (b < 0x80) {
      set(kAscii, "\x1b(B");
      out += static_cast<char>(b);
    } else if (b >= 0xA1 && b <= 0xDF) {
      set(kKana, "\x1b(I");
      out += static_cast<char>(b - 0x80);
    } else if (i + 1 < sjis.size() && ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEF))) {
      const auto t = static_cast<unsigned char>(sjis[++i]);
      const unsigned row2 = (b <= 0x9F ? b - 0x70u : b - 0xB0u) * 2u;  // row pair, as first byte + 1
      unsigned first = 0;
      unsigned second = 0;
      if (t >= 0x9F) {
        first = row2;
        second = t - 0x7Eu;
      } else {
        first = row2 - 1u;
        second = t - (t >= 0x80 ? 0x20u : 0x1Fu);
      }
      set(kDouble, "\x1b$B");
      out += static_cast<char>(first);
      out += static_cast<char>(second);
    } else {
      return std::nullopt;
    }
  }
  set(kAscii, "\x1b(B");
  return out;
}

std::vector<zunkaro::MessageRecord> Records(const std::string& bytes, std::optional<Encoding> forced,
                                            zunkaro::InputNotes* notes = nullptr) {
  static const auto analysis = std::make_unique<zunkaro::Analysis>();
  const MemoryFile file(bytes);
  zunkaro::LogInput input = zunkaro::LogInput::File(file.Path());
  input.Forced = forced;
  analysis->ExtractMessages(input);
  if (notes != nullptr) *notes = analysis->Input;
  std::vector<zunkaro::MessageRecord> records;
  for (std::int32_t i = 0; i < analysis->MessageCount; ++i) {
    records.push_back(*analysis->Messages[static_cast<std::size_t>(i)]);
  }
  return records;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  // Text that code page 932 holds, in the form it takes after a trip
  // through Unicode (duplicates folded), so that every route carries it.
  const std::optional<std::string> utf8 = Iconv("UTF-8", "CP932", input);
  if (!utf8) return 0;
  const std::optional<std::string> sjis = Iconv("CP932", "UTF-8", *utf8);
  if (!sjis) std::abort();
  const auto expected = Records(*sjis, Encoding::kShiftJis);

  struct Route {
    Encoding Gives;
    std::optional<std::string> Bytes;
  };
  const Route routes[] = {
      {Encoding::kUtf8, utf8},
      {Encoding::kUtf8, "\xef\xbb\xbf" + *utf8},
      {Encoding::kEucJp, Iconv("EUC-JP-MS", "CP932", *sjis)},
      {Encoding::kIso2022Jp, ToIso2022Jp(*sjis)},
  };
  for (const Route& route : routes) {
    if (!route.Bytes) continue;
    if (Records(*route.Bytes, route.Gives) != expected) std::abort();
    zunkaro::InputNotes notes;
    const auto found = Records(*route.Bytes, std::nullopt, &notes);
    if (notes.Found == route.Gives) {
      if (found != expected) std::abort();
    } else if (*route.Bytes != *sjis &&
               !(notes.Found == Encoding::kShiftJis && notes.CloseCall)) {
      // Bytes that the route changed are read in its encoding, or kept as
      // Shift-JIS on a close call. Bytes it left as they were (ASCII with an
      // escape sequence, say) may be read in any encoding that takes them.
      std::abort();
    }
  }
  return 0;
}
