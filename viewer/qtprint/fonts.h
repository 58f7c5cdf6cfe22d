#pragma once
// The fonts Pellora draws its text in, on screen and on paper: the labels'
// Japanese UI font and the grids' half-width one. The window (ui/) and the
// pages (print::Face) take them from here, so that a print looks like the
// window and both find the same fonts on a desktop.

#include <QFont>

#include "print/pages.h"

namespace pellora::qtprint {

// The font of a face at the application's default size: the first family
// of the face's list that is installed. The window's text (Face::Window)
// is a CJK font, so that Japanese renders whatever the desktop's default
// is; the grids' (Face::Grid) has half-width digits and Latin letters
// exactly half as wide as a kanji, as the design's Japanese fonts have
// them, so that ten-digit numbers and year-months fit their columns, and
// is the window's font where none of its list is installed. Characters a
// family lacks come from the fonts Qt falls back on, never as boxes while
// any Japanese font is installed.
QFont FaceFont(print::Face face);

}  // namespace pellora::qtprint
