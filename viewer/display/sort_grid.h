#pragma once
// The sort grid: every service record of a claim as one row of the same
// eight columns (ServiceRecord::Column), in the sorted order the display
// rows were merged from.

#include <memory>

#include "claim/claim_view.h"
#include "grid/flex_grid.h"

namespace pellora {

// The service records of `claim` as the rows of `sort`, written only once
// somebody looks at them (the debug mode, a test).
void ShowSortRecords(std::shared_ptr<const ClaimView> claim, FlexGrid& sort);

// The sort's keys selected, as the sort leaves them: the current cell at
// row 0 of the year-month column, the selection to the insurer number.
void SelectSortKeys(FlexGrid& sort);

}  // namespace pellora
