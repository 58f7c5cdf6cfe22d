#include "display/header_labels.h"

namespace pellora {

void ClearHead(std::span<Label> head) {
  for (Label& label : head) label.Caption.clear();
}

void ShowHead(const ClaimView& claim, std::span<Label, 4> head, Label& yearMonthCaption) {
  head[0].Caption = claim.yearMonth;
  head[1].Caption = claim::KindText(claim.kind);
  head[2].Caption = claim.providerNumber;
  head[3].Caption = claim.providerName;
  head[3].BackColor = OutcomeColor(claim.providerOutcome).value_or(kWindowBackgroundColor);
  yearMonthCaption.Caption = CaptionText(claim.yearMonthCaption);
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
