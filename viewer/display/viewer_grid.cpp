#include "display/viewer_grid.h"

#include <array>

#include "display/grid_layout.h"
#include "claim/year_month.h"
#include "text/number_text.h"

namespace pellora {
namespace {

// Column 0 is the fixed column and stays empty. The headings of columns 5
// and 7 carry an ideographic space on each side, so that all four
// service-kind headings are six characters wide.
constexpr std::u16string_view kViewerHeadings =
    u"|年月|被保険者番号|保険者番号|氏名|　訪問看護　|予防訪問看護|　居宅療養　|予防居宅療養";
constexpr int kInitialCols = 7;  // the headings then make it nine
constexpr std::array<std::pair<int, int>, 4> kColumnWidths = {{
    {viewer_col::kYearMonth, 1000},
    {viewer_col::kInsured, 1000},
    {viewer_col::kInsurer, 0},  // hidden
    {viewer_col::kName, 1500},
}};

// The display column of a service kind code, or 0 for any other code (such
// as "8121", which carries no value).
int ServiceKindColumn(std::u16string_view kind) {
  if (kind == u"13") return viewer_col::kHomeNursing;
  if (kind == u"63") return viewer_col::kPreventiveHomeNursing;
  if (kind == u"31") return viewer_col::kHomeMedicalManagement;
  if (kind == u"34") return viewer_col::kPreventiveHomeMedicalManagement;
  return 0;
}

// The person and month a sort row belongs to. Insurer numbers are compared
// by value, so that 012345 and 12345 are one insurer.
struct DisplayKey {
  std::u16string yearMonth;
  std::u16string insured;
  std::u16string insurerText;
  double insurer = 0;

  bool SameRowAs(const DisplayKey& other) const {
    return insured == other.insured && yearMonth == other.yearMonth && insurer == other.insurer;
  }
};

}  // namespace

bool InitViewerGrid(FlexGrid& viewer) {
  try {
    viewer.SetRows(1);
    viewer.SetCols(kInitialCols);
    viewer.SetFormatString(kViewerHeadings);
    for (const auto& [col, twips] : kColumnWidths) viewer.SetColWidth(col, twips);
    return true;
  } catch (...) {
    return false;  // start-up reports the failure in its own words
  }
}

// Each run of consecutive sort rows with the same person and month fills one
// display row, each row writing its own service-kind column; a later row of
// the same kind overwrites an earlier one's value. Every row of a run would
// write the run's year-month and insured-person number again; they are
// written once, as nothing else changes them. The insurer number's text may
// differ in form within a run (same value), and the last one is shown.
void BuildViewerGrid(const FlexGrid& sort, FlexGrid& viewer) {
  DisplayKey previous;
  for (int i = 0; i < sort.Rows(); ++i) {
    DisplayKey key{sort.TextMatrix(i, sort_col::kYearMonth), sort.TextMatrix(i, sort_col::kInsured),
                   sort.TextMatrix(i, sort_col::kInsurer), 0};
    const bool sameInsurerText = i > 0 && key.insurerText == previous.insurerText;
    key.insurer = sameInsurerText ? previous.insurer : ValueOfText(key.insurerText);
    const bool newRow = i == 0 || !key.SameRowAs(previous);
    if (newRow) viewer.SetRows(viewer.Rows() + 1);

    const int d = viewer.Rows() - 1;
    if (newRow) {
      viewer.SetTextMatrix(d, viewer_col::kYearMonth, YearMonthText(key.yearMonth));
      viewer.SetTextMatrix(d, viewer_col::kInsured, key.insured);
    }
    if (newRow || !sameInsurerText) viewer.SetTextMatrix(d, viewer_col::kInsurer, key.insurerText);
    if (const int column = ServiceKindColumn(sort.TextMatrix(i, sort_col::kServiceKind)); column != 0)
      viewer.SetTextMatrix(d, column, DecimalText(ValueOfText(sort.TextMatrix(i, sort_col::kValue))));
    previous = std::move(key);
  }
  viewer.SetRow(0);
  viewer.SetCol(0);
}

// Sort code 1 orders only the rows below the heading row; the totals are
// left as they were (the next display rebuilds everything).
void SortViewerByColumn(FlexGrid& viewer) {
  viewer.SetRow(0);
  viewer.SetColSel(viewer.Col());
  viewer.SetSort(FlexGrid::kSortGenericAscending);
  viewer.Refresh();
}

}  // namespace pellora
