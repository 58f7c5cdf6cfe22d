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

LoadFailureMessage LoadFailureMessageOf(const RecordFile::Failure& failure) {
  if (failure.atOpen) return {ErrText({failure.number, failure.description}), MsgIcon::Critical};
  // A failure after the open: its number, ";", its text.
  return {DecimalText(std::int64_t{failure.number}) + u";" + failure.description, MsgIcon::Information};
}

// A file that could not be opened leaves the grid untouched.
void LoadCsvGrid(const claim::ClaimRecords& records, FlexGrid& grid, MessageBoxes& ui) {
  const std::optional<RecordFile::Failure>& failure = records.file().failure();
  if (failure) {
    LoadFailureMessage message = LoadFailureMessageOf(*failure);
    ui.Show(std::move(message.text), message.icon, std::nullopt);
  }
  if (failure && failure->atOpen) return;
  grid.Defer(RowsAfter(records, grid), ColsAfter(records, grid),
             [records](FlexGrid& raw, int rowLimit) { WriteRawRecords(records, raw, rowLimit); });
}

claim::ClaimRecords LoadCsvGrid(const std::u16string& fileName, FlexGrid& grid, MessageBoxes& ui) {
  claim::ClaimRecords records(RecordFile::Read(fileName));
  LoadCsvGrid(records, grid, ui);
  return records;
}

}  // namespace pellora
