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
//
// A file read to its end also tells what the loader saw of it besides its
// fields, for the checks of display/file_checks.h; a file whose failure was
// reported tells nothing more.

#include <optional>
#include <string>

#include "controls/message_boxes.h"
#include "csv/byte_census.h"
#include "grid/flex_grid.h"

namespace pellora {

struct LoadedFile {
  ByteCensus bytes;
  bool linesEndInLf = false;
  // Lines read: rows 0 to lines - 1 of the grid hold them.
  int lines = 0;
  // Fields of the first line: cells of row 0 beyond them are an earlier
  // file's.
  int firstLineFields = 0;
};

std::optional<LoadedFile> LoadCsvGrid(const std::u16string& fileName, FlexGrid& grid, MessageBoxes& ui);

}  // namespace pellora
