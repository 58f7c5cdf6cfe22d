#include "check/rules.h"

#include <array>

namespace pellora::check {
namespace {

constexpr Source kSure = Source::Confirmed;
constexpr Source kOne = Source::OneSource;
constexpr Source kOurs = Source::Inferred;

constexpr std::array<Rule, 57> kRules = {{
    {rule::kEmptyFile, "", kSure, "the file has no bytes"},
    {rule::kUtf16, "", kSure, "the file is UTF-16, not code page 932"},
    {rule::kNotText, "", kSure, "the file is not text"},
    {rule::kUtf8, "", kSure, "the file is UTF-8, not code page 932"},
    {rule::kLfLineEnds, "", kSure, "the lines end in LF, not CR LF"},
    {rule::kNoDataRecords, "", kOurs, "no data records"},
    {rule::kRecordCount, "", kSure, "the control record's count (field 4) against the data records"},
    {rule::kNoEndRecord, "", kSure, "the last line is the end record"},
    {rule::kOtherDataKind, "", kOurs, "the control record's data kind (field 5) is 711 or 821"},
    {rule::kNoShownRecords, "", kOurs, "data records of which the display shows none"},
    {rule::kNoControlRecord, "", kSure, "the first line is the control record"},
    {rule::kRecordKind, "", kSure, "field 1 is 1, 2 or 3, the control and end records first and last only"},
    {rule::kRecordNumber, "", kSure,
     "record numbers (field 2) consecutive from 1; the end record's is the data records + 2"},
    {rule::kFieldCount, "", kSure, "the number of fields of the record's layout"},
    {rule::kForbiddenQuote, "", kOne, "no single quote ' in any field"},
    {rule::kNotCp932, "", kSure, "no bytes that are not a code page 932 character"},
    {rule::kRequired, "ABB0", kSure, "a required item is set"},
    {rule::kNotDigits, "", kSure, "digits only in a numeric item (被保険者番号: digits, or H and nine digits)"},
    {rule::kNotAlphanumeric, "", kSure, "ASCII digits and capitals only in a code that may hold letters (サービス種類コード)"},
    {rule::kTooManyDigits, "", kSure, "at most the digits the item allows"},
    {rule::kNumberLength, "", kSure,
     "事業所番号 and 被保険者番号 at their full 10 characters, 証記載保険者番号 at 8 digits (leading zeros lost)"},
    {rule::kInsurerSixDigits, "", kOurs, "証記載保険者番号 of 6 digits, not zero-padded to 8"},
    {rule::kBadYearMonth, "", kSure, "a real year-month YYYYMM"},
    {rule::kBadDate, "", kSure, "a real date YYYYMMDD"},
    {rule::kUnknownCode, "", kSure,
     "a known code: 性別, 要介護状態区分, 保険・公費等区分, 請求情報区分, 作成区分, record type, line number"},
    {rule::kMediumCode, "", kOurs, "the control record's medium (field 10) is 1, 2, 3, 4 or 7"},
    {rule::kUnknownExchangeId, "", kOurs, "an exchange ID (field 3) the check knows"},
    {rule::kExchangeIdMonth, "", kSure, "the exchange ID is valid for the record's service month"},
    {rule::kRecordInWrongFile, "", kSure,
     "claim records (71xx, 812x) in a 711 file, benefit-management records (82xx) in an 821 file"},
    {rule::kServiceMonthProcessing, "", kSure, "each service month lies before the processing year-month"},
    {rule::kRecordOrder, "", kSure,
     "7111 first; in a statement 基本, 明細, other details, 集計 and the rest in order; a sheet's line 99 last"},
    {rule::kStatementWithoutBasic, "", kSure, "a statement's records begin with its 基本 record (01)"},
    {rule::kStatementWithoutDetail, "", kSure, "a statement has a 明細 record (02)"},
    {rule::kStatementWithoutTotal, "", kSure, "a statement has a 集計 record (10)"},
    {rule::kStatementKey, "", kSure, "every record of a statement carries its 基本 record's key (items 1-6)"},
    {rule::kStatementBasicTwice, "", kSure, "one 基本 record per statement"},
    {rule::kClaimAboveComputed, "ASSA", kSure,
     "集計 保険請求額 (item 16) not above floor(floor(units × unit price / 100) × 保険給付率 / 100)"},
    {rule::kClaimBelowComputed, "", kOurs, "集計 保険請求額 not below that computed value"},
    {rule::kUserShare, "", kOne, "集計 利用者負担額 (item 17) = the cost less 保険請求額"},
    {rule::kBasicTotals, "", kOne, "基本 items 33, 34, 35 = the sums of the statement's 集計 items 14, 16, 17"},
    {rule::kDetailUnits, "", kOne, "明細 サービス単位数 (item 14) = 単位数 × 日数・回数 where 単位数 is set"},
    {rule::kPublicAssistanceClaim, "ATT5", kSure, "no 保険請求額 for an insured number beginning with H"},
    {rule::kDateOutsideMonth, "AEEA", kOurs, "基本 開始・中止年月日 inside the service month"},
    {rule::kDaysOverMonth, "AEE2", kOurs, "集計 サービス実日数 not above the month's days"},
    {rule::kOutsideCertification, "12PD", kOurs,
     "the service month inside the certification (認定有効期間, 限度額適用期間)"},
    {rule::kInvoiceTwice, "", kSure, "one 7111 per provider, month, 保険・公費等区分, 法別番号 and 請求情報区分"},
    {rule::kInvoiceTotals, "", kOne,
     "a 7111's 件数, 単位数, 費用合計, 保険請求額, 公費請求額 and 利用者負担 against its statements"},
    {rule::kStatementWithoutInvoice, "", kSure, "each statement and care-plan fee has its 7111 (provider, month, 請求情報区分)"},
    {rule::kCarePlanTotalLine, "", kOne, "a person's care-plan lines end with one line 99"},
    {rule::kCarePlanTotal, "", kOne, "line 99: item 21 = Σ item 20, item 22 = floor(item 21 × unit price / 100)"},
    {rule::kCarePlanTotalFields, "", kOne, "items 21 and 22 on line 99 only"},
    {rule::kCarePlanUnits, "", kOurs, "care-plan サービス単位数 (item 20) = 単位数 × 回数"},
    {rule::kBenefitTotalLine, "", kSure, "line 99's 給付計画合計単位数 (item 24) = Σ 給付計画単位数 of the details"},
    {rule::kBenefitNoTotalLine, "", kSure, "every sheet has its line 99"},
    {rule::kBenefitTotalLineFields, "", kSure, "items 17 to 21 empty on line 99"},
    {rule::kBenefitTooManyLines, "", kSure, "at most 98 detail lines per sheet"},
    {rule::kBenefitServiceTwice, "ANNK", kSure, "no provider and service kind twice in one sheet"},
}};

}  // namespace

std::span<const Rule> Rules() { return kRules; }

const Rule* FindRule(std::string_view code) {
  for (const Rule& r : kRules)
    if (r.code == code) return &r;
  return nullptr;
}

std::u16string_view FormText(Form form) {
  switch (form) {
    case Form::Claim: return u"請";
    case Form::Benefit: return u"給";
    case Form::CarePlan: return u"サ";
    case Form::None: break;
  }
  return u"";
}

std::u16string_view SeverityText(Severity severity) { return severity == Severity::Error ? u"エラー" : u"確認"; }

}  // namespace pellora::check
