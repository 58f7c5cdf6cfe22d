#pragma once
// How wide a grid's columns are drawn, in pixels at the 96 dots per inch
// the window's design was made for: the grid views' rule, and the display
// grid's widths as that rule gives them, which the paper copies in
// proportion.

#include <functional>
#include <span>
#include <string_view>
#include <vector>

#include "grid/flex_grid.h"

namespace pellora {

// Measures a text as the grid draws it, in pixels.
using TextPixels = std::function<int(std::u16string_view)>;

// The width in pixels of each of a grid's columns. A width the routines set
// in twips is converted (0 hides the column), and widened where its heading
// -- its text in the fixed row 0, measured by `textWidth`, with room on
// either side -- would not fit. A column left to the grid is as wide as its
// heading; a column of a grid without headings gets the grid's default
// width, and a fixed column without a heading a narrow one. The columns of
// `equalWidth` that are left to the grid all take the widest of them.
std::vector<int> ColumnPixelWidths(const FlexGrid& grid, const TextPixels& textWidth,
                                   std::span<const int> equalWidth = {});

// The display grid's widths by that rule, as start-up prepares the grid
// (claim/display_columns.h), without a grid to ask.
std::vector<int> DisplayColumnPixelWidths(const TextPixels& textWidth);

}  // namespace pellora
