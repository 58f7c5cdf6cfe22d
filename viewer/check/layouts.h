#pragma once
// The record layouts of the claim files, as data: one table per record kind
// and record type, item by item (item k of a data record is CSV field k + 2;
// the control record's items are its fields), and the exchange IDs with the
// service months they are valid for. A new layout is one more table here;
// the check (check.cpp) reads them all the same way.
//
// Each table and item says how sure the public sources are of it
// (check/rules.h): the check tells a fault of a confirmed item as an error
// and of any other as a notice.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "check/check.h"
#include "check/rules.h"

namespace pellora::check {

// What an item may hold.
enum class Value : std::uint8_t {
  Text,        // anything code page 932 carries (names, remarks)
  Digits,      // ASCII digits, at most `size`
  Amount,      // a whole number, perhaps with a minus, of at most `size` digits
  Alnum,       // ASCII digits and capitals (a service kind may be 2A), at most `size`
  Provider,    // 事業所番号: 10 digits
  Insurer,     // 証記載保険者番号: 8 digits, zero-padded
  Insured,     // 被保険者番号: 10 digits, or H and 9 digits (public assistance alone)
  YearMonth,   // YYYYMM
  Date,        // YYYYMMDD
  Code,        // one of `codes`
  LineNumber,  // 01 to 99
};
inline constexpr std::size_t kValues = static_cast<std::size_t>(Value::LineNumber) + 1;

struct Item {
  std::u16string_view name;
  Value value = Value::Text;
  std::uint8_t size = 0;  // the most digits or characters; 0: not limited
  bool required = false;
  std::span<const std::string_view> codes = {};  // Value::Code
  // How sure the sources are of what the item may hold, its codes and
  // whether it is required (its place and meaning are its table's), and of
  // its size.
  Source source = Source::Confirmed;
  Source sizeSource = Source::Confirmed;
  // The rule of a value outside `codes`.
  std::string_view codeRule = rule::kUnknownCode;
};

// The fields of `items` from `firstField` on whose item `holds`, as bits:
// bit k for field k + 1, up to field 64 (no layout reaches beyond).
template <typename Holds>
constexpr std::uint64_t FieldMask(std::span<const Item> items, int firstField, Holds holds) {
  std::uint64_t mask = 0;
  for (std::size_t i = 0; i < items.size() && firstField - 1 + static_cast<int>(i) < 64; ++i)
    if (holds(items[i])) mask |= std::uint64_t{1} << (firstField - 1 + static_cast<int>(i));
  return mask;
}

struct Layout {
  constexpr Layout(std::u16string_view name, int fields, Source source, std::span<const Item> items, int firstField = 3)
      : name(name), fields(fields), source(source), items(items), firstField(firstField),
        required(FieldMask(items, firstField, [](const Item& i) { return i.required; })) {
    for (std::size_t v = 0; v < kValues; ++v)
      holding[v] = FieldMask(items, firstField, [v](const Item& i) { return static_cast<std::size_t>(i.value) == v; });
  }

  std::u16string_view name;  // e.g. 基本情報レコード
  // The fields of the record; 0 when no source gives the count.
  int fields = 0;
  // How sure the sources are of the count.
  Source source = Source::Confirmed;
  // From the item in `firstField` on: items beyond them are not checked.
  std::span<const Item> items;
  int firstField = 3;
  // The fields of its required items, and of its items by what they may
  // hold, as FieldMask gives them: a line's items are checked by these
  // bits, each kind of value in a loop of its own.
  std::uint64_t required = 0;
  std::array<std::uint64_t, kValues> holding{};
};

// Which records an exchange ID marks, and how they are read.
enum class Family : std::uint8_t {
  Invoice,         // 7111 請求書
  Statement,       // 7131, 7132: 明細書 of record types 01, 02, 10, ...
  OtherStatement,  // the other 71xx 明細書, whose layouts the check knows by their key alone
  CarePlan,        // 8121 to 8125 居宅介護支援費
  Benefit,         // 8221, 8222 給付管理票
  Unchecked,       // 7121, and 8211 the benefit-management cover record: known, layout not
};

// The exchanges whose files the check reads, by the control record's data
// kind: 711 care-fee claims (with the care-plan fees), 821 benefit
// management.
enum class DataKind : std::uint8_t { Claims, Benefits };
std::optional<DataKind> DataKindOf(std::string_view dataKind);
std::string_view DataKindCode(DataKind kind);

struct ExchangeId {
  std::string_view code;
  Family family;
  Form form;
  DataKind dataKind;  // the exchange of the files that carry it
  // The service months it is valid for, YYYYMM, 0 for open; within
  // doubtFrom to doubtTo the sources disagree, and a record there is only
  // told as a notice.
  int firstMonth = 0, lastMonth = 0;
  int doubtFrom = 0, doubtTo = 0;
  // Where the record carries its service month and person: fields, 0 for
  // none.
  int monthField = 0, insurerField = 0, insuredField = 0;
  // The layout of a record of an ID without record types, and the one
  // whose statements' records are told apart by field 4.
  const Layout* layout = nullptr;
};

// The entry of `code` (field 3 of a data record); nullptr for an ID the
// check does not know.
const ExchangeId* FindExchangeId(std::string_view code);

// The layout of a statement's record of type `type` (field 4), for an ID of
// Family::Statement; for an unknown type, the statements' key alone.
const Layout& StatementLayout(std::string_view type);
// The key alone (items 1 to 6), which every 明細書 record shares.
const Layout& StatementKeyLayout();
// A statement's record types in their order: 基本 0, the details 1 and 2,
// 集計 3, what follows it 4 and 5; -1 for a type without a place.
int StatementRank(std::string_view type);

// The name of the item in `field` of a record of `layout` (none: a record
// the check knows no layout of), or the field's number when the layout does
// not reach it.
std::u16string ItemName(const Layout* layout, int field);

const Layout& ControlLayout();
const Layout& EndLayout();

// The statement record types the check reads.
inline constexpr std::string_view kBasic = "01";
inline constexpr std::string_view kDetail = "02";
inline constexpr std::string_view kTotal = "10";

// The fields of the items the check reads beyond their layout's.
namespace field {
// Every 明細書 record: items 1 to 6.
inline constexpr int kRecordType = 4;
inline constexpr int kStatementMonth = 5;
inline constexpr int kStatementProvider = 6;
inline constexpr int kStatementInsurer = 7;
inline constexpr int kStatementInsured = 8;
// 基本
inline constexpr int kPublic1Payer = 9;
inline constexpr int kPublic2Payer = 11;
inline constexpr int kPublic3Payer = 13;
inline constexpr int kCertificationFrom = 19;
inline constexpr int kCertificationTo = 20;
inline constexpr int kServiceStart = 23;
inline constexpr int kServiceEnd = 24;
inline constexpr int kBenefitRate = 31;
inline constexpr int kBasicUnits = 35;
inline constexpr int kBasicClaim = 36;
inline constexpr int kBasicShare = 37;
inline constexpr int kBasicOtherClaim1 = 38;  // 緊急時施設療養費請求額
inline constexpr int kBasicOtherClaim2 = 39;  // 特定診療費請求額
// 明細
inline constexpr int kDetailUnitValue = 11;
inline constexpr int kDetailCount = 12;
inline constexpr int kDetailUnits = 16;
// 集計
inline constexpr int kServiceKind = 9;
inline constexpr int kRealDays = 10;
inline constexpr int kTotalUnits = 16;
inline constexpr int kUnitPrice = 17;
inline constexpr int kTotalClaim = 18;
inline constexpr int kTotalShare = 19;
// 7111
inline constexpr int kInvoiceMonth = 4;
inline constexpr int kInvoiceProvider = 5;
inline constexpr int kInsuranceOrPublic = 6;
inline constexpr int kLawNumber = 7;
inline constexpr int kClaimKind = 8;
inline constexpr int kInvoiceCount = 9;
inline constexpr int kInvoiceUnits = 10;
inline constexpr int kInvoiceCost = 11;
inline constexpr int kInvoiceInsurance = 12;
inline constexpr int kInvoicePublic = 13;
inline constexpr int kInvoiceShare = 14;
// 8121 to 8125
inline constexpr int kCarePlanProvider = 4;
inline constexpr int kCarePlanMonth = 6;
inline constexpr int kCarePlanInsurer = 7;
inline constexpr int kCarePlanUnitPrice = 8;
inline constexpr int kCarePlanInsured = 9;
inline constexpr int kCarePlanCertificationFrom = 15;
inline constexpr int kCarePlanCertificationTo = 16;
inline constexpr int kCarePlanLine = 18;
inline constexpr int kCarePlanCode = 19;
inline constexpr int kCarePlanUnitValue = 20;
inline constexpr int kCarePlanCount = 21;
inline constexpr int kCarePlanUnits = 22;
inline constexpr int kCarePlanTotal = 23;
inline constexpr int kCarePlanClaim = 24;
// 8221, 8222
inline constexpr int kSheetMonth = 4;
inline constexpr int kSheetInsurer = 5;
inline constexpr int kSheetProvider = 6;
inline constexpr int kSheetLine = 10;
inline constexpr int kSheetInsured = 11;
inline constexpr int kLimitFrom = 15;
inline constexpr int kLimitTo = 16;
inline constexpr int kSheetServiceProvider = 19;
inline constexpr int kSheetServiceKind = 21;
inline constexpr int kSheetUnits = 22;
inline constexpr int kSheetTotal = 26;
// The control record
inline constexpr int kProcessingMonth = 11;
}  // namespace field

}  // namespace pellora::check
