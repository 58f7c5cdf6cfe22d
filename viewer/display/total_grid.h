#pragma once
// The totals grid: per service month, the persons the display grid lists and
// how many of them have a home-visit nursing entry.

#include "controls/controls.h"
#include "grid/flex_grid.h"

namespace pellora {

// Prepares `total` as start-up does: headings only, the month column's
// width. False when the grid failed on the way.
bool InitTotalGrid(FlexGrid& total);

// Adds one row per service month of the display grid `viewer` to `total`,
// which holds only its heading row.
void BuildTotalGrid(const FlexGrid& viewer, FlexGrid& total);

// The widths of the "サービス" and "ケアプラン" columns of `total` by the file
// kind in `kind`: hidden for a benefit-management file, shown otherwise.
void SetTotalWidthsByKind(const Label& kind, FlexGrid& total);

}  // namespace pellora
