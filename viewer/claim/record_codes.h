#pragma once
// The record-type codes of a claim file's data records (field 3), in one
// table that every step reads: which file kind a code marks, and, for the
// service records, which of their fields carry the facts the display shows.
// The two file kinds carry the same facts in different fields, and this is
// where the record layout is put to use. Codes are compared as exact text:
// "7131" matches only those four characters, with no blanks around them.
//
// The exchange format has had generations: a later revision replaced a
// record with a new code that keeps the old one's items in place and adds
// items at its end. Each new code is read as the code it replaced, so that
// the files clerks hold today show as those of the first generation did.

#include <optional>
#include <string_view>

namespace pellora::claim {

enum class FileKind {
  Undecided,          // no data record carries a code of either kind
  CareFeeClaim,       // 介護給付費請求書情報
  BenefitManagement,  // 給付管理票情報
};

// The kind as the header shows it: "" for an undecided kind.
std::u16string_view KindText(FileKind kind);

inline constexpr int kNoField = 0;

// Where a service record carries its facts, by field number (from 1).
struct ServiceFields {
  // Taken only when field `conditionField` equals `conditionText` (or, with
  // `mustDiffer`, differs from it); kNoField: always taken.
  int conditionField;
  std::u16string_view conditionText;
  bool mustDiffer;
  int yearMonth;
  int insured;
  int insurer;
  // kNoField: the record's code stands in its place (the sort grid's
  // column 4 then holds the code, and the record fills no service column).
  int serviceKind;
  // The value for the display's service-kind column, and fields 18 and 19
  // that the sort grid carries along; kNoField for none.
  int value;
  int field18;
  int field19;
};

struct RecordCode {
  std::u16string_view code;
  FileKind kind;
  // How a service record of this code is read; nothing for a code whose
  // records are not service records.
  std::optional<ServiceFields> service;
  // The field that holds the file's submission year-month, for the record
  // that carries it; kNoField otherwise.
  int submissionYearMonth = kNoField;
  // A care-plan fee record: the totals' ケアプラン counts the persons of a
  // month who have one.
  bool carePlanFee = false;
};

// The entry of `code`, or nothing for a code of neither kind.
const RecordCode* FindRecordCode(std::u16string_view code);

// The data kinds of a control record (field 5) whose files carry the
// records the window shows: care-fee claims and benefit management.
inline constexpr std::u16string_view kCareFeeClaimDataKind = u"711";
inline constexpr std::u16string_view kBenefitManagementDataKind = u"821";

}  // namespace pellora::claim
