#pragma once
// The header labels: the file kind, its year-month with the caption beside
// it, and the provider's number and name, drawn from a ClaimView.

#include <span>

#include "claim/claim_view.h"
#include "controls/controls.h"

namespace pellora {

// The header of `claim`: head(1) the kind, head(0) the year-month and
// `yearMonthCaption` beside it, head(2) the provider number and head(3) its
// name, coloured by what became of its look-up (the window's background
// when it was not looked up).
void ShowHead(const ClaimView& claim, std::span<Label, 4> head, Label& yearMonthCaption);
// ShowHead in its two steps: the header but the provider's name, which is
// left empty on the window's background until the name step draws it.
void ShowHeadNumbers(const ClaimView& claim, std::span<Label, 4> head, Label& yearMonthCaption);
void ShowProviderName(const ClaimView& claim, Label& name);

// The colour a looked-up value's field takes: light yellow found, light
// cyan no matching row, pink no usable database or a failed look-up;
// nothing when it was not looked up.
std::optional<OleColor> OutcomeColor(LookupOutcome outcome);

}  // namespace pellora
