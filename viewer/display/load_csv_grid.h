#pragma once
// The raw record grid: a claim file, unchanged, one line per row and one
// field per column (line r in row r, field n of a line in column n; column 0
// is never written).
//
// The grid only grows: rows and columns are added as lines and fields need
// them, and cells a shorter line does not reach keep what they held. A file
// that cannot be opened is reported as "ErrNo:ErrDesc" with the critical
// icon and leaves the grid untouched; a failure after the open is reported as
// "number;description" with the information icon and keeps the rows read so
// far, so that the display goes on with them.

#include <string>

#include "claim/records.h"
#include "controls/message_boxes.h"
#include "grid/flex_grid.h"

namespace pellora {

// LoadCsvGrid: tells a failure to read the records' file, and hands the
// records to `grid`, which copies them in only once somebody looks at it
// (the debug window, a test): the raw record grid is hidden, and a claim
// file's four million fields are the dearest part of its display.
void LoadCsvGrid(const claim::ClaimRecords& records, FlexGrid& grid, MessageBoxes& ui);
// The same for the file at `fileName`, read here; returns its records.
claim::ClaimRecords LoadCsvGrid(const std::u16string& fileName, FlexGrid& grid, MessageBoxes& ui);

// How the failure to read a claim file is told: "ErrNo:ErrDesc" with the
// critical icon for a file that could not be opened, "number;description"
// with the information icon for a failure after the open.
struct LoadFailureMessage {
  std::u16string text;
  MsgIcon icon;
};
LoadFailureMessage LoadFailureMessageOf(const RecordFile::Failure& failure);

}  // namespace pellora
