#include "display/load_csv_grid.h"

#include <algorithm>
#include <optional>

#include "errors/err_info.h"

namespace pellora {
namespace {

// What the copy makes of the grid's counts: rows and columns only grow.
int RowsAfter(const claim::ClaimRecords& records, const FlexGrid& grid) { return std::max(grid.Rows(), records.Rows()); }
int ColsAfter(const claim::ClaimRecords& records, const FlexGrid& grid) {
  const std::size_t fields = records.file().MostFields();
  return fields == 0 ? grid.Cols() : std::max(grid.Cols(), static_cast<int>(fields) + 1);
}

// Tells the user why a claim file could not be read; nothing for a file
// that was read to its end.
void TellLoadFailure(const claim::ClaimRecords& records, MessageBoxes& ui) {
  const std::optional<RecordFile::Failure>& failure = records.file().failure();
  if (!failure) return;
  if (failure->atOpen) {
    ui.Show(ErrText({failure->number, failure->description}), MsgIcon::Critical, std::nullopt);
  } else {
    // A failure after the open: its number, ";", its text.
    ui.Show(DecimalText(std::int64_t{failure->number}) + u";" + failure->description, MsgIcon::Information, std::nullopt);
  }
}

// Copies the records into `grid`, the rows before `rowLimit` (those after
// it are given no cells: they are about to be dropped).
void WriteRawRecords(const claim::ClaimRecords& records, FlexGrid& grid, int rowLimit) {
  grid.SetCols(ColsAfter(records, grid));
  grid.SetRows(RowsAfter(records, grid));
  const int rows = std::min(rowLimit, static_cast<int>(records.file().Lines()));
  for (int r = 0; r < rows; ++r) {
    const std::span<const std::u16string_view> fields = records.Fields(r);
    for (std::size_t f = 0; f < fields.size(); ++f) grid.SetTextMatrix(r, static_cast<int>(f) + 1, fields[f]);
  }
}

}  // namespace

// A file that could not be opened leaves the grid untouched.
claim::ClaimRecords LoadCsvGrid(const std::u16string& fileName, FlexGrid& grid, MessageBoxes& ui) {
  claim::ClaimRecords records(RecordFile::Read(fileName));
  TellLoadFailure(records, ui);
  const std::optional<RecordFile::Failure>& failure = records.file().failure();
  if (failure && failure->atOpen) return records;
  grid.Defer(RowsAfter(records, grid), ColsAfter(records, grid),
             [records](FlexGrid& raw, int rowLimit) { WriteRawRecords(records, raw, rowLimit); });
  return records;
}

}  // namespace pellora
