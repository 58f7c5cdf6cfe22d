#include "display/header_labels.h"

#include <algorithm>
#include <array>

#include "claim/records.h"
#include "claim/year_month.h"

namespace pellora {
namespace {

constexpr std::array<std::u16string_view, 11> kCareFeeClaimCodes = {
    u"7131", u"7121", u"7111", u"8121", u"7162", u"7152", u"7142", u"7161", u"7151", u"7141", u"7132"};
constexpr std::array<std::u16string_view, 2> kBenefitManagementCodes = {u"8221", u"8211"};
// The benefit-management record that carries the submission year-month.
constexpr std::u16string_view kSubmissionRecordCode = u"8211";
constexpr int kSubmissionYearMonthField = 4;
// Field 11 of a claim file's control record: the processing year-month.
constexpr int kProcessingYearMonthField = 11;

constexpr std::u16string_view kProcessingYearMonthCaption = u"処理対象年月";
constexpr std::u16string_view kSubmissionYearMonthCaption = u"提出年月";

template <std::size_t N>
bool IsOneOf(std::u16string_view code, const std::array<std::u16string_view, N>& codes) {
  return std::find(codes.begin(), codes.end(), code) != codes.end();
}

}  // namespace

void ClearHead(std::span<Label> head) {
  for (Label& label : head) label.Caption.clear();
}

// The first data record that carries any of the thirteen codes decides; a
// kind once found is not looked at again. With none, the kind stays as
// ClearHead left it.
void SetFileKind(const FlexGrid& raw, Label& kind) {
  const claim::RowRange rows = claim::DataRows(raw);
  for (int r = rows.first; r <= rows.last; ++r) {
    const std::u16string code = claim::Field(raw, r, claim::kRecordCodeField);
    if (IsOneOf(code, kCareFeeClaimCodes)) {
      kind.Caption = claim::kCareFeeClaimKind;
      return;
    }
    if (IsOneOf(code, kBenefitManagementCodes)) {
      kind.Caption = claim::kBenefitManagementKind;
      return;
    }
  }
}

// The caption is never reset: after a file of undecided kind it keeps what
// the last decided file gave it.
void SetHeadYearMonth(const FlexGrid& raw, const Label& kind, Label& yearMonth, Label& caption) {
  if (kind.Caption == claim::kCareFeeClaimKind) {
    yearMonth.Caption = YearMonthText(claim::Field(raw, claim::kControlRecordRow, kProcessingYearMonthField));
    caption.Caption = kProcessingYearMonthCaption;
  } else if (kind.Caption == claim::kBenefitManagementKind) {
    const claim::RowRange rows = claim::DataRows(raw);
    for (int r = rows.first; r <= rows.last; ++r) {
      if (claim::Field(raw, r, claim::kRecordCodeField) == kSubmissionRecordCode) {
        yearMonth.Caption = YearMonthText(claim::Field(raw, r, kSubmissionYearMonthField));
        break;
      }
    }
    caption.Caption = kSubmissionYearMonthCaption;
  }
}

}  // namespace pellora
