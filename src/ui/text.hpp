// Text for the screen. The system's text is Shift-JIS throughout; it is
// decoded only where Qt shows it, always by the one decoder of the core.
#pragma once

#include <QString>

#include <filesystem>
#include <string>
#include <string_view>

namespace zunkaro::ui {

// Shift-JIS bytes as Qt shows them. Bytes that are no character, and every
// control byte, show as U+FFFD, one per byte.
[[nodiscard]] QString FromShiftJis(std::string_view sjis);

// The same, as UTF-8 bytes, for the messages of exceptions.
[[nodiscard]] std::string Utf8FromShiftJis(std::string_view sjis);

// A file path as the user sees it, and back; file names are the system's
// own bytes, which Qt reads as UTF-8.
[[nodiscard]] QString FromPath(const std::filesystem::path& path);
[[nodiscard]] std::filesystem::path ToPath(const QString& text);

}  // namespace zunkaro::ui
