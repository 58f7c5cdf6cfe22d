#pragma once
// The display grid: one row per person and service month, with the value of
// each of four service kinds in its own column, built from the sorted sort
// grid; and the user's re-sort by a column.

#include "grid/flex_grid.h"

namespace pellora {

// Prepares `viewer` as start-up does: its headings and the widths of the
// columns the design fixes. False when the grid failed on the way.
bool InitViewerGrid(FlexGrid& viewer);

// Adds the display rows of the sorted sort grid `sort` to `viewer`, which
// holds only its heading row.
void BuildViewerGrid(const FlexGrid& sort, FlexGrid& viewer);

// Orders the data rows of `viewer` by its current column.
void SortViewerByColumn(FlexGrid& viewer);

}  // namespace pellora
