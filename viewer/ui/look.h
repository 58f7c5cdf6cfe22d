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

// The window's text and the grids' at the design's 9 points (12 pixels at
// 96 dots per inch), in the faces that the printed pages use as well
// (qtprint/fonts.h): a CJK font for the labels, a half-width one for the
// grids.
QFont WindowFont();
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
