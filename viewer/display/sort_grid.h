#pragma once
// The sort grid: every service record of either file kind as one row of the
// same eight columns (display/grid_layout.h), sorted so that the display
// grid can merge runs of rows.

#include "grid/flex_grid.h"

namespace pellora {

// Adds a row to `sort` for each service record of the raw record grid
// `raw`, in file order.
void BuildSortGrid(const FlexGrid& raw, FlexGrid& sort);

// Orders `sort` by service year-month, insured-person number and insurer
// number, as the display pipeline does right after BuildSortGrid.
void SortSortGrid(FlexGrid& sort);

}  // namespace pellora
