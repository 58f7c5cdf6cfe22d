#include "display/total_grid.h"

#include "claim/records.h"
#include "display/grid_layout.h"
#include "claim/year_month.h"
#include "text/number_text.h"

namespace pellora {
namespace {

constexpr int kMonthColumnWidth = 700;
// Widths of "サービス" and "ケアプラン" for a claim file; 0 hides them.
constexpr int kServicesWidth = 765;
constexpr int kCarePlansWidth = 885;

// A count lives only as text in its cell: read it, add 1, write it back.
// Counts are read by their value and held as doubles, which are exact for
// every whole number up to 2^53, far more than a grid has rows, so a count
// never overflows and a month of any size is counted to the end. (A count
// that did reach 2^53 would stop growing rather than fail.)
void AddOneTo(FlexGrid& grid, int row, int col) {
  grid.SetTextMatrix(row, col, DecimalText(ValueOfText(grid.TextMatrix(row, col)) + 1));
}

}  // namespace

bool InitTotalGrid(FlexGrid& total) {
  try {
    total.SetRows(1);
    total.SetColWidth(total_col::kMonth, kMonthColumnWidth);
    return true;
  } catch (...) {
    return false;  // start-up reports the failure in its own words
  }
}

// The display rows are ordered by year-month and each is a distinct person
// of its month, so a new month starts a totals row and every further row of
// the month is one more person.
void BuildTotalGrid(const FlexGrid& viewer, FlexGrid& total) {
  std::u16string previousMonth, previousInsured, previousInsurer;
  for (int i = 1; i < viewer.Rows(); ++i) {
    std::u16string month = viewer.TextMatrix(i, viewer_col::kYearMonth);
    std::u16string insured = viewer.TextMatrix(i, viewer_col::kInsured);
    std::u16string insurer = viewer.TextMatrix(i, viewer_col::kInsurer);
    if (i == 1 || month != previousMonth) {
      const int t = total.Rows();
      total.SetRows(t + 1);
      total.SetTextMatrix(t, total_col::kMonth, TotalsMonthText(month));
      total.SetTextMatrix(t, total_col::kPersons, u"1");
      total.SetTextMatrix(t, total_col::kServices, u"0");
      total.SetTextMatrix(t, total_col::kCarePlans, u"0");
    } else if (insured != previousInsured || insurer != previousInsurer) {
      AddOneTo(total, total.Rows() - 1, total_col::kPersons);
    }
    // Only the two home-visit nursing columns count, and a cell holding "0"
    // counts too: the person has the service, without a value.
    if (!viewer.TextMatrix(i, viewer_col::kPreventiveHomeNursing).empty() ||
        !viewer.TextMatrix(i, viewer_col::kHomeNursing).empty())
      AddOneTo(total, total.Rows() - 1, total_col::kServices);
    previousMonth = std::move(month);
    previousInsured = std::move(insured);
    previousInsurer = std::move(insurer);
  }
  total.SetRow(0);
  total.SetCol(0);
}

// A file of undecided kind is shown like a claim file.
void SetTotalWidthsByKind(const Label& kind, FlexGrid& total) {
  const bool benefitManagement = kind.Caption == claim::kBenefitManagementKind;
  total.SetColWidth(total_col::kServices, benefitManagement ? 0 : kServicesWidth);
  total.SetColWidth(total_col::kCarePlans, benefitManagement ? 0 : kCarePlansWidth);
}

}  // namespace pellora
