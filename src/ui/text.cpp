#include "ui/text.hpp"

#include <QFile>

#include "encoding/shift_jis.hpp"

namespace zunkaro::ui {
namespace {

// One decoder for everything shown. Only the GUI thread shows text.
ShiftJisDecoder& Decoder() {
  static ShiftJisDecoder decoder;
  return decoder;
}

}  // namespace

std::string Utf8FromShiftJis(std::string_view sjis) { return Decoder().ToUtf8(sjis); }

QString FromShiftJis(std::string_view sjis) {
  const std::string utf8 = Utf8FromShiftJis(sjis);
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QString FromPath(const std::filesystem::path& path) { return QFile::decodeName(path.c_str()); }

std::filesystem::path ToPath(const QString& text) {
  const QByteArray bytes = QFile::encodeName(text);
  return std::filesystem::path(std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

}  // namespace zunkaro::ui
