#include "display/viewer_grid.h"

#include <array>

#include "claim/display_steps.h"
#include "display/grid_layout.h"
#include "display/header_labels.h"

namespace pellora {
namespace {

constexpr int kInitialCols = 7;  // the headings then make it nine
// The widths of the person's columns, in twips: 0 for the one the window
// keeps hidden.
constexpr std::array<int, kPersonColumns.size()> kShownWidths = {1000, 1000, 0, 1500};
static_assert(viewer_col::kYearMonth == 1 && viewer_col::kName == static_cast<int>(kPersonColumns.size()));
static_assert(!kPersonColumns[viewer_col::kInsurer - 1].shown && kShownWidths[viewer_col::kInsurer - 1] == 0);

// Column 0 is the fixed column and has no heading.
std::u16string ViewerHeadings() {
  std::u16string format;
  for (const PersonColumn& column : kPersonColumns) (format += u'|') += column.heading;
  for (const ServiceKind& kind : kServiceKinds) (format += u'|') += kind.heading;
  return format;
}

}  // namespace

bool InitViewerGrid(FlexGrid& viewer) {
  try {
    viewer.SetRows(1);
    viewer.SetCols(kInitialCols);
    viewer.SetFormatString(ViewerHeadings());
    for (std::size_t i = 0; i < kPersonColumns.size(); ++i)
      viewer.SetColWidth(viewer_col::kYearMonth + static_cast<int>(i), kShownWidths[i]);
    return true;
  } catch (...) {
    return false;  // start-up reports the failure in its own words
  }
}

// Empty cells are left unwritten: a new row's cells are empty already.
void ShowViewerRows(const ClaimView& claim, FlexGrid& viewer) {
  viewer.SetRows(1);
  viewer.SetRows(1 + static_cast<int>(claim.rows.size()));
  for (std::size_t i = 0; i < claim.rows.size(); ++i) {
    const DisplayRow& row = claim.rows[i];
    const int r = static_cast<int>(i) + 1;
    for (int col = viewer_col::kYearMonth; col <= viewer_col::kPreventiveHomeMedicalManagement; ++col) {
      if (col == viewer_col::kName) continue;
      const std::u16string text = DisplayCellText(row, col);
      if (!text.empty()) viewer.SetTextMatrix(r, col, text);
    }
  }
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

// The keys are the current column alone; the totals are left as they were
// (the next display rebuilds everything).
void SortViewerByColumn(ClaimView& claim, FlexGrid& viewer) {
  viewer.SetRow(0);
  viewer.SetColSel(viewer.Col());
  viewer.ReorderRows(viewer.FixedRows(), SortViewerByColumn(claim, viewer.Col()));
  viewer.Refresh();
}

}  // namespace pellora
