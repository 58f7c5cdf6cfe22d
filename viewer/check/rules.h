#pragma once
// Every rule of the claim check, with its stable code, the federation's
// reason code where it has one, and how sure the public sources of the
// exchange format are of it:
//
//   Confirmed  two or more independent sources agree: the federation would
//              refuse or return the file, so a finding is an error;
//   OneSource  one source alone: a finding is a notice until a second
//              source confirms the rule;
//   Inferred   our own reading of the format, or a fact only the
//              federation's registries hold: a notice.
//
// A rule of a confirmed source can still give a notice, where the record it
// is applied to has a layout that only one source describes (the care-plan
// fees 8124 and 8125, the less common record types of a statement), or an
// item whose size or codes only one source gives.

#include <span>
#include <string_view>

#include "check/check.h"

namespace pellora::check {

enum class Source {
  Confirmed,  // [2+]
  OneSource,  // [1]
  Inferred,   // [inf]
};

struct Rule {
  std::string_view code;
  std::string_view federationCode;  // "" for none
  Source source;
  // What it checks, in a few words, as the export's README lists it.
  std::string_view checks;
};

// Every rule, the file's warnings first; each code once.
std::span<const Rule> Rules();

// The rule of `code`; nullptr for none.
const Rule* FindRule(std::string_view code);

// A finding's severity by its rule's source and the source of what it was
// applied to: an error only when both are confirmed.
constexpr Severity SeverityOf(Source rule, Source appliedTo) {
  return rule == Source::Confirmed && appliedTo == Source::Confirmed ? Severity::Error : Severity::Notice;
}

// The codes, for the check's own use.
namespace rule {
// The file's warnings (claim/file_checks.h), as they are coded there.
inline constexpr std::string_view kEmptyFile = "empty-file";
inline constexpr std::string_view kUtf16 = "utf-16";
inline constexpr std::string_view kNotText = "not-text";
inline constexpr std::string_view kUtf8 = "utf-8";
inline constexpr std::string_view kLfLineEnds = "lf-line-ends";
inline constexpr std::string_view kNoDataRecords = "no-data-records";
inline constexpr std::string_view kRecordCount = "record-count";
inline constexpr std::string_view kNoEndRecord = "no-end-record";
inline constexpr std::string_view kOtherDataKind = "other-data-kind";
inline constexpr std::string_view kNoShownRecords = "no-shown-records";
// The lines.
inline constexpr std::string_view kNoControlRecord = "no-control-record";
inline constexpr std::string_view kRecordKind = "record-kind";
inline constexpr std::string_view kRecordNumber = "record-number";
inline constexpr std::string_view kFieldCount = "field-count";
inline constexpr std::string_view kForbiddenQuote = "forbidden-quote";
inline constexpr std::string_view kNotCp932 = "not-cp932";
// The items.
inline constexpr std::string_view kRequired = "required";
inline constexpr std::string_view kNotDigits = "not-digits";
inline constexpr std::string_view kNotAlphanumeric = "not-alphanumeric";
inline constexpr std::string_view kTooManyDigits = "too-many-digits";
inline constexpr std::string_view kNumberLength = "number-length";
inline constexpr std::string_view kInsurerSixDigits = "insurer-number-six-digits";
inline constexpr std::string_view kBadYearMonth = "bad-year-month";
inline constexpr std::string_view kBadDate = "bad-date";
inline constexpr std::string_view kUnknownCode = "unknown-code";
inline constexpr std::string_view kMediumCode = "medium-code";
// The exchange IDs and the months.
inline constexpr std::string_view kUnknownExchangeId = "unknown-exchange-id";
inline constexpr std::string_view kExchangeIdMonth = "exchange-id-month";
inline constexpr std::string_view kRecordInWrongFile = "record-in-wrong-file";
inline constexpr std::string_view kServiceMonthProcessing = "service-month-processing";
inline constexpr std::string_view kRecordOrder = "record-order";
// The statements (明細書).
inline constexpr std::string_view kStatementWithoutBasic = "statement-without-basic";
inline constexpr std::string_view kStatementWithoutDetail = "statement-without-detail";
inline constexpr std::string_view kStatementWithoutTotal = "statement-without-total";
inline constexpr std::string_view kStatementKey = "statement-key";
inline constexpr std::string_view kStatementBasicTwice = "statement-basic-twice";
inline constexpr std::string_view kClaimAboveComputed = "claim-above-computed";
inline constexpr std::string_view kClaimBelowComputed = "claim-below-computed";
inline constexpr std::string_view kUserShare = "user-share";
inline constexpr std::string_view kBasicTotals = "basic-totals";
inline constexpr std::string_view kDetailUnits = "detail-units";
inline constexpr std::string_view kPublicAssistanceClaim = "public-assistance-claim";
inline constexpr std::string_view kDateOutsideMonth = "date-outside-month";
inline constexpr std::string_view kDaysOverMonth = "days-over-month";
inline constexpr std::string_view kOutsideCertification = "outside-certification";
// The 請求書 (7111).
inline constexpr std::string_view kInvoiceTwice = "invoice-twice";
inline constexpr std::string_view kInvoiceTotals = "invoice-totals";
inline constexpr std::string_view kStatementWithoutInvoice = "statement-without-invoice";
// The care-plan fees (8121 to 8125).
inline constexpr std::string_view kCarePlanTotalLine = "care-plan-total-line";
inline constexpr std::string_view kCarePlanTotal = "care-plan-total";
inline constexpr std::string_view kCarePlanTotalFields = "care-plan-total-fields";
inline constexpr std::string_view kCarePlanUnits = "care-plan-units";
// The benefit-management sheets (8221, 8222).
inline constexpr std::string_view kBenefitTotalLine = "benefit-total-line";
inline constexpr std::string_view kBenefitNoTotalLine = "benefit-no-total-line";
inline constexpr std::string_view kBenefitTotalLineFields = "benefit-total-line-fields";
inline constexpr std::string_view kBenefitTooManyLines = "benefit-too-many-lines";
inline constexpr std::string_view kBenefitServiceTwice = "benefit-service-twice";
}  // namespace rule

}  // namespace pellora::check
