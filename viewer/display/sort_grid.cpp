#include "display/sort_grid.h"

#include <algorithm>

namespace pellora {

// The grid's columns are the records' own (ServiceRecord::Column), in their
// order.
void SelectSortKeys(FlexGrid& sort) {
  sort.SetRow(0);
  sort.SetCol(ServiceRecord::kYearMonth);
  sort.SetColSel(ServiceRecord::kInsurer);
}

void ShowSortRecords(std::shared_ptr<const ClaimView> claim, FlexGrid& sort) {
  const int rows = static_cast<int>(claim->serviceRecords.size());
  sort.Defer(rows, sort.Cols(), [claim = std::move(claim)](FlexGrid& grid, int rowLimit) {
    grid.SetRows(0);
    grid.SetRows(static_cast<int>(claim->serviceRecords.size()));
    const int written = std::min(rowLimit, grid.Rows());
    for (int r = 0; r < written; ++r) {
      const ServiceRecord& record = claim->serviceRecords[static_cast<std::size_t>(r)];
      for (int c = 0; c < ServiceRecord::kColumns && c < grid.Cols(); ++c)
        if (!record[c].empty()) grid.SetTextMatrix(r, c, record[c]);
    }
  });
}

}  // namespace pellora
