// The fonts the form description names are the faces of the system the
// forms were designed on. Here they stand for installed Japanese faces whose
// full-width characters are exactly two half-width columns wide, so that a
// fixed-width report keeps its columns.
#pragma once

#include <QFont>

#include <string_view>

namespace zunkaro::ui {

// Makes Qt find an installed face for every face name of the descriptions.
// The application object does it once at start.
void RegisterFontSubstitutes();

// A font by its Shift-JIS face name, `pixelHeight` pixels high, no style.
[[nodiscard]] QFont MakeFont(std::string_view sjisFace, int pixelHeight);

}  // namespace zunkaro::ui
