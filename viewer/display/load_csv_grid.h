#pragma once
// LoadCsvGrid: the first link of the display chain. Copies a claim file,
// unchanged, into the hidden raw record grid: line r of the file in row r,
// field n of a line in column n (column 0 is never written).
//
// The grid only grows: rows and columns are added as lines and fields need
// them, and cells a shorter line does not reach keep what they held. A file
// that cannot be opened is reported as "ErrNo:ErrDesc" with the critical
// icon and leaves the grid untouched; a failure after the open is reported as
// "number;description" with the information icon and keeps the rows read so
// far, so that the display goes on with them.

#include <string>

#include "controls/message_boxes.h"
#include "grid/flex_grid.h"

namespace pellora {

void LoadCsvGrid(const std::u16string& fileName, FlexGrid& grid, MessageBoxes& ui);

}  // namespace pellora
