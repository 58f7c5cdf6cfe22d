#include "display/viewer_grid.h"

#include "claim/display_steps.h"
#include "display/header_labels.h"

namespace pellora {
namespace {

constexpr int kInitialCols = 7;  // the headings then make the table's columns

// The fixed column 0 has no heading.
std::u16string ViewerHeadings() {
  std::u16string format;
  for (const DisplayColumn& column : kDisplayColumns) (format += u'|') += GridHeading(column);
  return format;
}

FlexGrid::Alignment GridAlignmentOf(ColumnType type) {
  return AlignOf(type) == ColumnAlign::Right ? FlexGrid::Alignment::Right : FlexGrid::Alignment::Left;
}

}  // namespace

bool InitViewerGrid(FlexGrid& viewer) {
  try {
    viewer.SetRows(1);
    viewer.SetCols(kInitialCols);
    viewer.SetFormatString(ViewerHeadings());
    for (const DisplayColumn& column : kDisplayColumns) {
      if (column.width != kWidthLeftToGrid) viewer.SetColWidth(GridColumnOf(column), column.width);
      viewer.SetColAlignment(GridColumnOf(column), GridAlignmentOf(column.type));
    }
    return true;
  } catch (...) {
    return false;  // start-up reports the failure in its own words
  }
}

// Empty cells are left unwritten: a new row's cells are empty already.
void ShowViewerPersons(const ClaimView& claim, FlexGrid& viewer) {
  viewer.SetRows(1);
  viewer.SetRows(1 + static_cast<int>(claim.rows.size()));
  for (std::size_t i = 0; i < claim.rows.size(); ++i) {
    const DisplayRow& row = claim.rows[i];
    const int r = static_cast<int>(i) + 1;
    for (const DisplayColumn& column : kDisplayColumns) {
      if (column.value == DisplayValue::Name) continue;
      const std::u16string text = CellText(row, column);
      if (!text.empty()) viewer.SetTextMatrix(r, GridColumnOf(column), text);
    }
  }
  viewer.SetRow(0);
  viewer.SetCol(0);
}

void ShowViewerRows(const ClaimView& claim, FlexGrid& viewer) {
  ShowViewerPersons(claim, viewer);
  ShowViewerNames(claim, viewer);
}

void ShowViewerNames(const ClaimView& claim, FlexGrid& viewer) {
  for (std::size_t i = 0; i < claim.rows.size(); ++i) {
    const DisplayRow& row = claim.rows[i];
    const int r = static_cast<int>(i) + 1;
    viewer.SetTextMatrix(r, viewer_col::kName, row.name);
    if (const std::optional<OleColor> colour = OutcomeColor(row.nameOutcome))
      viewer.SetCellBackColor(r, viewer_col::kName, *colour);
  }
  viewer.SetRow(0);
  viewer.SetCol(0);
}

// The keys are the chosen column alone; the totals are left as they were
// (the next display rebuilds everything).
void SortViewerByColumn(ClaimView& claim, FlexGrid& viewer, int column) {
  viewer.SetRow(0);
  viewer.SetCol(column);
  viewer.SetColSel(column);
  viewer.ReorderRows(viewer.FixedRows(), SortViewerByColumn(claim, column));
  viewer.Refresh();
}

}  // namespace pellora
