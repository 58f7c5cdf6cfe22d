#pragma once
// The display grid: one row per person and service month, with the value of
// each of four service kinds in its own column, drawn from a ClaimView; and
// the user's re-sort by a column.

#include "claim/claim_view.h"
#include "grid/flex_grid.h"

namespace pellora {

// Prepares `viewer` as start-up does: its headings and the widths of the
// columns the design fixes. False when the grid failed on the way.
bool InitViewerGrid(FlexGrid& viewer);

// The display rows of `claim` below the heading row of `viewer`, each name
// cell coloured by what became of its look-up; the current cell then at
// the origin.
void ShowViewerRows(const ClaimView& claim, FlexGrid& viewer);
// The same but the names, which ShowViewerNames then draws: the window
// shows what each step of the display made in the order the steps run.
void ShowViewerPersons(const ClaimView& claim, FlexGrid& viewer);

// The names alone, once they have been looked up: each row's name cell and
// its colour; the current cell then at the origin.
void ShowViewerNames(const ClaimView& claim, FlexGrid& viewer);

// The user's re-sort: the display rows of `claim`, and the rows of `viewer`
// that show them, ordered by grid column `column`, which becomes the
// current column and the selection's end, in the heading row.
void SortViewerByColumn(ClaimView& claim, FlexGrid& viewer, int column);

}  // namespace pellora
