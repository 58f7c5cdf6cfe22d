#pragma once
// The selected cells of a grid as the clipboard carries them: plain text
// for anything that pastes text (an e-mail, an editor) and an HTML table for
// spreadsheets. Both hold exactly the texts the grid shows.
//
// A spreadsheet reads a pasted "0000000001" from plain text as the number 1;
// the HTML flavour marks every cell as text, so that insured-person and
// provider numbers keep their leading zeros, while the plain flavour stays
// the grid's own text, unquoted, as a reader of an e-mail expects it.

#include <string>

#include "grid/flex_grid.h"

namespace pellora {

// The rows and columns of the selection, corners put in order: the
// rectangle from (Row, Col) to (RowSel, ColSel).
struct GridSelection {
  int top = 0;
  int left = 0;
  int bottom = 0;
  int right = 0;
};
GridSelection SelectionOf(const FlexGrid& grid);

// The selection covers every visible column that is not fixed, so that it
// reads as whole rows: they are copied with the heading row first.
bool SelectsWholeRows(const FlexGrid& grid);

// The first and last columns a selection can span: shown (a width other
// than 0) and not fixed. Both -1 when there is none.
struct SelectableColumns {
  int first = -1;
  int last = -1;
};
SelectableColumns SelectableColumnsOf(const FlexGrid& grid);

// Selects whole rows: from `top` (made the current row) to `bottom`, across
// the selectable columns. Nothing changes when there are none.
void SelectRows(FlexGrid& grid, int top, int bottom);

// The selected cells, a TAB between the cells of a row and CR LF after each
// row (the last too, as spreadsheets write it); columns of width 0 are left
// out; with whole rows selected, the heading row (row 0) comes first unless
// it is selected itself. A grid without rows or columns gives "".
std::u16string SelectionAsText(const FlexGrid& grid);

// The same cells as an HTML page whose <body> holds one table, each cell
// marked as text (x:str and the number format "@"), the texts escaped.
std::u16string SelectionAsHtml(const FlexGrid& grid);

}  // namespace pellora
