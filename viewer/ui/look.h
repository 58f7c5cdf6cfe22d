#pragma once
// How the windows' design data becomes Qt: colours (the system colours
// resolved against the palette), the Japanese font, twips as pixels, and
// text between the window's UTF-16 and QString.

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QRect>
#include <QSize>
#include <QString>
#include <string>
#include <string_view>

#include "controls/controls.h"
#include "shell/window_design.h"

namespace pellora::ui {

// A colour property's value on screen: its own colour, or the palette's
// colour for a system colour (window background: the base of text boxes;
// button face: the window itself).
QColor ToQColor(OleColor color, const QPalette& palette);

// The window's text: a CJK font, so that Japanese renders whatever the
// desktop's default is, at the design's 9 points (12 pixels at 96 dots per
// inch). The first family of the list that is installed is taken.
QFont WindowFont();
// The grids' text: the same size, with half-width digits and Latin letters
// exactly half as wide as a kanji, as the design's Japanese fonts have
// them, so that ten-digit numbers and year-months fit their columns.
QFont GridFont();

QRect ToPixels(const TwipsRect& rect);
QSize ToPixels(TwipsSize size);

inline QString ToQString(std::u16string_view text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::u16string ToU16(const QString& text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size()));
}

}  // namespace pellora::ui
