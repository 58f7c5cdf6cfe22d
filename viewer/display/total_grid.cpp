#include "display/total_grid.h"

namespace pellora {

bool InitTotalGrid(FlexGrid& total) {
  try {
    total.SetRows(1);
    // The columns a file's kind shows or hides get their widths with the
    // file (ShowTotalWidths).
    for (const TotalColumn& column : kTotalColumns)
      if (column.width != kWidthLeftToGrid && !column.claimFilesOnly)
        total.SetColWidth(GridColumnOf(column.value), column.width);
    return true;
  } catch (...) {
    return false;  // start-up reports the failure in its own words
  }
}

void ShowTotals(const ClaimView& claim, FlexGrid& total) {
  for (const TotalColumn& column : kTotalColumns)
    total.SetColAlignment(GridColumnOf(column.value), AlignOf(column.type) == ColumnAlign::Right
                                                          ? FlexGrid::Alignment::Right
                                                          : FlexGrid::Alignment::Left);
  total.SetRows(1);
  total.SetRows(1 + static_cast<int>(claim.totals.size()));
  for (std::size_t i = 0; i < claim.totals.size(); ++i)
    for (const TotalColumn& column : kTotalColumns)
      total.SetTextMatrix(static_cast<int>(i) + 1, GridColumnOf(column.value), CellText(claim.totals[i], column));
  total.SetRow(0);
  total.SetCol(0);
  ShowTotalWidths(claim, total);
}

void ShowTotalWidths(const ClaimView& claim, FlexGrid& total) {
  for (const TotalColumn& column : kTotalColumns)
    if (column.claimFilesOnly) total.SetColWidth(GridColumnOf(column.value), WidthOf(column, claim.showsServiceTotals));
}

}  // namespace pellora
