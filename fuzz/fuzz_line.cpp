// ClassifyLine and CountChars on any bytes: never a crash or a read outside
// the text, and always the answer of the literal form. The line-break search
// in every form agrees with its byte-at-a-time form.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "log/line_analysis.hpp"
#include "log/line_scan.hpp"
#include "reference/literal_analysis.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Exactly the bytes given, in a buffer of their own, so that a read past
  // them is seen.
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string terminated(text);  // the literal form wants a NUL after
  const int kind = static_cast<int>(zunkaro::ClassifyLine(text));
  if (kind != zunkaro::reference::ClassifyLine(terminated.c_str())) std::abort();
  const std::int32_t count = zunkaro::CountChars(text);
  if (count != zunkaro::detail::CountCharsByteByByte(text)) std::abort();
  if (count != zunkaro::reference::CountChars(terminated.c_str())) std::abort();

  // The fast searches may read a block past the limit: room of their own.
  std::string room(text);
  room.append(zunkaro::kLineScanOverread, '\n');
  const std::size_t found = zunkaro::detail::FindLineBreakByteByByte(room.data(), size);
  if (zunkaro::detail::FindLineBreakByWords(room.data(), size) != found) std::abort();
#if defined(__SSE2__)
  if (zunkaro::detail::FindLineBreakSse2(room.data(), size) != found) std::abort();
#endif
  return 0;
}
