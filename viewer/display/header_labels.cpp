#include "display/header_labels.h"

namespace pellora {

void ShowHead(const ClaimView& claim, std::span<Label, 4> head, Label& yearMonthCaption) {
  ShowHeadNumbers(claim, head, yearMonthCaption);
  ShowProviderName(claim, head[3]);
}

void ShowHeadNumbers(const ClaimView& claim, std::span<Label, 4> head, Label& yearMonthCaption) {
  head[0].Caption = claim.yearMonth;
  head[1].Caption = claim::KindText(claim.kind);
  head[2].Caption = claim.providerNumber;
  head[3] = {};
  yearMonthCaption.Caption = CaptionText(claim.yearMonthCaption);
}

void ShowProviderName(const ClaimView& claim, Label& name) {
  name.Caption = claim.providerName;
  name.BackColor = OutcomeColor(claim.providerOutcome).value_or(kWindowBackgroundColor);
}

std::optional<OleColor> OutcomeColor(LookupOutcome outcome) {
  switch (outcome) {
    case LookupOutcome::Found: return kLightYellow;
    case LookupOutcome::NotFound: return kLightCyan;
    case LookupOutcome::Unavailable: return kPink;
    case LookupOutcome::NotLookedUp: break;
  }
  return std::nullopt;
}

}  // namespace pellora
