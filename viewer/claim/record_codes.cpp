#include "claim/record_codes.h"

#include <array>

namespace pellora::claim {
namespace {

// A service detail with its value (7131, 7132), a service record without
// one (7141 to 7162): both taken when field 4 is "10".
constexpr ServiceFields kDetailWithValue{4, u"10", false, 5, 8, 7, 9, 16, 18, 19};
constexpr ServiceFields kDetail{4, u"10", false, 5, 8, 7, 9, kNoField, kNoField, kNoField};
// The care-plan fee record: always taken; it names the person and month
// but fills no service column.
constexpr ServiceFields kCarePlanFee{kNoField, u"", false, 6, 9, 7, kNoField, kNoField, kNoField, kNoField};
// A benefit-management detail, but for the totals line (field 10 "99").
constexpr ServiceFields kBenefitDetail{10, u"99", true, 4, 11, 5, 21, kNoField, kNoField, kNoField};

constexpr FileKind kClaim = FileKind::CareFeeClaim;
constexpr FileKind kBenefit = FileKind::BenefitManagement;

constexpr std::array<RecordCode, 18> kRecordCodes = {{
    {u"7111", kClaim, std::nullopt},
    {u"7121", kClaim, std::nullopt},
    {u"7131", kClaim, kDetailWithValue},
    {u"7132", kClaim, kDetailWithValue},
    {u"7141", kClaim, kDetail},
    {u"7142", kClaim, kDetail},
    {u"7151", kClaim, kDetail},
    {u"7152", kClaim, kDetail},
    {u"7161", kClaim, kDetail},
    {u"7162", kClaim, kDetail},
    // The care-plan fee details: 8121 of the first generation, replaced by
    // 8122 (and 8123 for prevention), then by 8124 and 8125, which are
    // current since 2009. Their first fifteen items never moved.
    {u"8121", kClaim, kCarePlanFee, kNoField, true},
    {u"8122", kClaim, kCarePlanFee, kNoField, true},
    {u"8123", kClaim, kCarePlanFee, kNoField, true},
    {u"8124", kClaim, kCarePlanFee, kNoField, true},
    {u"8125", kClaim, kCarePlanFee, kNoField, true},
    // The benefit-management file's cover record, with its submission
    // year-month in field 4. Transmitted files no longer carry it.
    {u"8211", kBenefit, std::nullopt, 4},
    // The benefit-management details: 8221, replaced in 2006 by 8222, which
    // adds the care managers' numbers at its end.
    {u"8221", kBenefit, kBenefitDetail},
    {u"8222", kBenefit, kBenefitDetail},
}};

}  // namespace

std::u16string_view KindText(FileKind kind) {
  switch (kind) {
    case FileKind::CareFeeClaim: return u"介護給付費請求書情報";
    case FileKind::BenefitManagement: return u"給付管理票情報";
    case FileKind::Undecided: break;
  }
  return u"";
}


const RecordCode* FindRecordCode(std::u16string_view code) {
  // Every code is four characters: most fields that are not a code are
  // told apart by their length alone.
  if (code.size() != 4) return nullptr;
  for (const RecordCode& entry : kRecordCodes)
    if (entry.code == code) return &entry;
  return nullptr;
}

}  // namespace pellora::claim
