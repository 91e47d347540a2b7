#include "ui/fonts.hpp"

#include <array>

#include <QStringList>

#include "ui/text.hpp"

namespace zunkaro::ui {
namespace {

struct Substitute {
  std::string_view Face;        // Shift-JIS, as a description names it
  std::array<const char*, 3> Installed;  // the faces that stand for it, best first
};

// IPA fonts come with Debian (fonts-ipafont-gothic); the others are their
// usual stand-ins elsewhere.
constexpr std::array kSubstitutes{
    // "ＭＳ Ｐゴシック": proportional Gothic
    Substitute{"\x82l\x82r \x82o\x83S\x83V\x83\x62\x83N",
               {"IPAPGothic", "VL PGothic", "Noto Sans CJK JP"}},
    // "ＭＳ ゴシック": fixed-pitch Gothic, full width twice half width
    Substitute{"\x82l\x82r \x83S\x83V\x83\x62\x83N",
               {"IPAGothic", "VL Gothic", "Noto Sans Mono CJK JP"}},
};

}  // namespace

void RegisterFontSubstitutes() {
  for (const Substitute& substitute : kSubstitutes) {
    QStringList faces;
    for (const char* face : substitute.Installed) {
      faces << QString::fromLatin1(face);
    }
    QFont::insertSubstitutions(FromShiftJis(substitute.Face), faces);
  }
}

QFont MakeFont(std::string_view sjisFace, int pixelHeight) {
  QFont font(FromShiftJis(sjisFace));
  font.setPixelSize(pixelHeight);
  font.setStyle(QFont::StyleNormal);
  font.setWeight(QFont::Normal);
  return font;
}

}  // namespace zunkaro::ui
