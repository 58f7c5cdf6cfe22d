#pragma once
// The claim check: every line of a claim file against the exchange format,
// before the file is sent, told line by line in the federation's manner
// ("項目名：内容"), with the month's amounts from the same pass.
//
// It reads the records the display reads (claim/records.h) and the file's
// warnings (claim/file_checks.h), and knows the files of both exchanges
// (711 care-fee claims, 821 benefit management) and both generations of
// record codes. What it checks, and how sure the exchange format's public
// sources are of each rule, is in check/rules.h; the record layouts, one
// table each, in check/layouts.h.
//
// A finding is an error (エラー) when the federation would refuse or return
// the file for it, by a rule that two or more sources agree on; a notice
// (確認) when only one source, or our own inference, stands behind the
// rule, or when only the federation's registries could tell. A complete
// file gets neither.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "claim/file_checks.h"
#include "claim/records.h"

namespace pellora::check {

enum class Severity {
  Error,   // エラー
  Notice,  // 確認
};

// The form a finding's record belongs to, as the federation's return list
// names it.
enum class Form {
  None,      // the control and end records, the file as a whole
  Claim,     // 請: the 請求書 and the statements (明細書)
  Benefit,   // 給: the benefit-management sheets (給付管理票)
  CarePlan,  // サ: the care-plan fees (居宅介護支援費)
};

// "請", "給", "サ", or "" for Form::None.
std::u16string_view FormText(Form form);
// "エラー" or "確認".
std::u16string_view SeverityText(Severity severity);

struct Finding {
  int line = 0;               // 1-based line of the file; 0 = the file as a whole
  std::optional<int> field;   // CSV field number (from 1); nothing for a whole line or the file
  std::u16string item;        // the item's name, e.g. 被保険者番号; "" for a whole line or the file
  Severity severity = Severity::Error;
  std::string_view rule;            // our stable code (check/rules.h)
  std::string_view federationCode;  // the federation's reason code, or "" for none
  std::u16string insurerNumber;     // 証記載保険者番号 of the record's person, "" if none
  std::u16string insuredNumber;     // 被保険者番号, "" if none
  Form form = Form::None;
  std::u16string serviceMonth;  // YYYYMM, "" if none
  std::u16string message;       // "項目名：内容"
  std::u16string name;          // left empty here: the caller fills it from the database
};

// Amounts in yen, units and counts.
struct Figures {
  std::int64_t statements = 0;  // 件数: statements (明細書), care-plan persons or benefit sheets
  std::int64_t units = 0;
  std::int64_t cost = 0;           // 費用合計
  std::int64_t insurance = 0;      // 保険請求額
  std::int64_t publicExpense = 0;  // 公費請求額
  std::int64_t userShare = 0;      // 利用者負担
  bool operator==(const Figures&) const = default;
};

// One line of the month's amounts: a service month and form, for all its
// service kinds (serviceKind "") or for one of them.
struct AmountRow {
  std::u16string serviceMonth;  // YYYYMM
  Form form = Form::None;
  std::u16string serviceKind;  // "" for the form's whole month
  // What the 請求書 (7111) of the month and claim kind states: only on the
  // rows of a whole month of 請 and サ, and only when the file has one.
  std::optional<Figures> stated;
  // What the statements (or sheets) add up to.
  Figures added;
};

struct Amounts {
  // By service month, then form (請, サ, 給), the whole month before its
  // service kinds, the kinds in code order.
  std::vector<AmountRow> rows;
  // The file: the sums of the whole-month rows.
  std::optional<Figures> stated;
  Figures added;
};

struct Report {
  // In line order (a line's findings by field, the whole line first), the
  // file's own before the first line.
  std::vector<Finding> findings;
  Amounts amounts;
  std::size_t errors = 0;
  std::size_t notices = 0;
};

// Checks every line of `records` in one pass. `warnings` are the file's
// (CheckClaimFile): each is reported on its line too, with its code as the
// rule and its text as the message; a file whose bytes are not text (UTF-16,
// binary) or that is empty gets those alone.
Report CheckClaim(const claim::ClaimRecords& records, std::span<const FileWarning> warnings);

}  // namespace pellora::check
