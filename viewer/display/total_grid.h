#pragma once
// The totals grid: per service month, the persons the display lists and how
// many of them have a home-visit nursing entry, drawn from a ClaimView.

#include "claim/claim_view.h"
#include "grid/flex_grid.h"

namespace pellora {

// Prepares `total` as start-up does: headings only, the month column's
// width. False when the grid failed on the way.
bool InitTotalGrid(FlexGrid& total);

// The totals of `claim` below the heading row of `total`, with the
// "サービス" and "ケアプラン" columns hidden for a benefit-management file
// and shown otherwise; the current cell then at the origin.
void ShowTotals(const ClaimView& claim, FlexGrid& total);

// The widths alone: "サービス" and "ケアプラン" hidden or shown as the claim
// says.
void ShowTotalWidths(const ClaimView& claim, FlexGrid& total);

}  // namespace pellora
