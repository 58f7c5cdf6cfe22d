#include "display/total_grid.h"

#include "display/grid_layout.h"
#include "text/number_text.h"

namespace pellora {
namespace {

constexpr int kMonthColumnWidth = 700;
// Widths of "サービス" and "ケアプラン" for a claim file; 0 hides them.
constexpr int kServicesWidth = 765;
constexpr int kCarePlansWidth = 885;

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

void ShowTotals(const ClaimView& claim, FlexGrid& total) {
  total.SetRows(1);
  total.SetRows(1 + static_cast<int>(claim.totals.size()));
  for (std::size_t i = 0; i < claim.totals.size(); ++i) {
    const MonthTotal& month = claim.totals[i];
    const int t = static_cast<int>(i) + 1;
    total.SetTextMatrix(t, total_col::kMonth, month.month);
    total.SetTextMatrix(t, total_col::kPersons, DecimalText(month.persons));
    total.SetTextMatrix(t, total_col::kServices, DecimalText(month.services));
    total.SetTextMatrix(t, total_col::kCarePlans, DecimalText(month.carePlans));
  }
  total.SetRow(0);
  total.SetCol(0);
  ShowTotalWidths(claim, total);
}

void ShowTotalWidths(const ClaimView& claim, FlexGrid& total) {
  total.SetColWidth(total_col::kServices, claim.showsServiceTotals ? kServicesWidth : 0);
  total.SetColWidth(total_col::kCarePlans, claim.showsServiceTotals ? kCarePlansWidth : 0);
}

}  // namespace pellora
