#pragma once
// The check's one pass over a claim file, inside the check: the lines and
// their items (check.cpp), and what a record means together with the
// records around it, the statements, care plans, sheets and invoices, and
// the amounts they add up to (groups.cpp). check/check.h is the way in.
//
// The pass reads the lines' code page 932 bytes (check/line_fields.h) and
// decodes only what it tells.

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "check/check.h"
#include "check/layouts.h"
#include "check/line_fields.h"
#include "check/rules.h"
#include "check/values.h"

namespace pellora::check {

// A field's bytes.
using Bytes = std::string_view;

// Whom and what a finding is about, as the record's bytes say.
struct Who {
  Form form = Form::None;
  Bytes insurer, insured, month;
};

class Checker {
 public:
  Checker(const claim::ClaimRecords& records, std::span<const FileWarning> warnings);
  Report Run();

 private:
  // ---- check.cpp: the lines and their items ----
  void Warnings(int lastLine);
  void Line(int row, bool first, bool last);
  void Control();
  void End();
  void Data();
  void Number(bool end);
  // `skipped`: fields not to check, as FieldMask's bits.
  void CheckLayout(const Layout& layout, const Who& who, std::uint64_t skipped = 0);
  void CheckValue(const Item& item, int field, Bytes value, const Who& who);
  void CheckCharacters(Bytes line, const Layout* layout, const Who& who);
  void CheckMonth(const ExchangeId& id, int field, const Who& who);
  void Add(int line, std::optional<int> field, std::u16string_view item, std::string_view rule, Source appliedTo,
           std::u16string message, const Who& who);
  // A finding on the record being checked; field 0 for the record as a whole.
  void AddHere(int field, std::u16string_view item, std::string_view rule, Source appliedTo, std::u16string message,
               const Who& who) {
    Add(line_, field > 0 ? std::optional<int>(field) : std::nullopt, item, rule, appliedTo, std::move(message), who);
  }
  // Field `field` of the record being checked; "" beyond its last.
  Bytes F(int field) const {
    const auto fields = split_.fields();
    const auto index = static_cast<std::size_t>(field - 1);  // beyond every count for field 0
    return index < fields.size() ? fields[index] : Bytes();
  }
  std::size_t FieldCount() const { return split_.fields().size(); }
  // The bytes of fields `first` to `last` as they stand in the line, commas
  // and all; "" when the record does not reach `last` or a quote came
  // before its end (the fields from a quote on are not the line's bytes).
  Bytes Run(int first, int last) const {
    const Bytes a = F(first), b = F(last);
    const char* const begin = lineBytes_.data();
    if (b.data() == nullptr || b.data() < begin || b.data() + b.size() > begin + lineBytes_.size() || a.data() < begin)
      return {};
    return Bytes(a.data(), static_cast<std::size_t>(b.data() + b.size() - a.data()));
  }
  // `field` when the record reaches it, else 0 (the record as a whole).
  int Reached(int field) const { return static_cast<std::size_t>(field) <= FieldCount() ? field : 0; }
  Report Finish();

  // ---- groups.cpp: statements, care plans, sheets, invoices, amounts ----
  // The group a record of this family belongs to may still be open; any
  // other is closed first.
  void CloseGroupsBut(Family family);
  // Whether the record carries the key of the statement, care plan or sheet
  // being read, which it continues: its key's items were checked on that
  // group's first record, and are not told again on each of its records.
  bool Continues(const ExchangeId& id) const;
  void StatementRecord(const Who& who, bool continues);
  void OpenStatement(bool orphan, const Who& who);
  void ReadBasic(const Who& who);
  void DetailRecord(const Who& who);
  void TotalRecord(const Who& who);
  void CloseStatement();
  // Whether the record continues the care plan or sheet `g` (its key
  // `provider` and `who`'s), and the group `g` begun at the record.
  template <typename G>
  bool Continuing(const G& g, Bytes provider, const Who& who) const;
  template <typename G>
  void Begin(G& g, Bytes provider, const Who& who);
  void CarePlanRecord(const Who& who);
  void CloseCarePlan();
  void SheetRecord(const ExchangeId& id, const Who& who);
  void CloseSheet();
  void InvoiceRecord(const Who& who);
  void CompareInvoices();
  void AddToGroup(Bytes provider, Bytes month, Bytes claimKind, const Figures& figures, int line, const Who& who);
  Amounts MakeAmounts();

  const claim::ClaimRecords& records_;
  std::span<const FileWarning> warnings_;
  std::vector<Finding> findings_;

  // The record being checked, and its service month when it has one.
  LineFields split_;
  Bytes lineBytes_;
  int line_ = 0;
  std::optional<int> month_;

  // What the lines before it said.
  std::int64_t previousNumber_ = 0;
  std::int64_t dataRecords_ = 0;
  std::optional<int> processingMonth_;
  // The exchange the control record names, when it is one of the two.
  std::optional<DataKind> fileKind_;
  bool sawStatements_ = false;
  std::set<std::pair<const ExchangeId*, int>> monthsTold_;
  std::set<int> processingTold_;
  std::set<const ExchangeId*> wrongFileTold_;

  // `v` for as long as the check runs: a field of a line is, as the file
  // keeps its lines; a field whose quotes were taken out is copied.
  Bytes Stable(Bytes v);
  std::deque<std::string> copies_;

  // A key of a group of records, kept beyond the line it was read from.
  struct Key {
    Bytes id, month, provider, insurer, insured;
    void Keep(Bytes i, Bytes m, Bytes p, Bytes r, Bytes d) { id = i, month = m, provider = p, insurer = r, insured = d; }
    bool Is(Bytes i, Bytes m, Bytes p, Bytes r, Bytes d) const {
      return Same(insured, d) && Same(month, m) && Same(id, i) && Same(provider, p) && Same(insurer, r);
    }
    Who WhoOf(Form form) const { return {form, insurer, insured, month}; }
  };

  struct KindFigures {
    Bytes kind;  // Stable
    Figures figures;
  };

  // The statement (明細書) being read.
  struct Statement {
    bool open = false;
    bool orphan = false;  // begun by a record other than its 基本
    int line = 0;         // its 基本's line, or its first record's
    Key key;
    Bytes keyRun;  // its key's month to insured person as they stand in its first line (Run)
    std::optional<int> month;
    int details = 0, totals = 0, rank = -1;
    std::int64_t sum14 = 0, sum16 = 0, sum17 = 0;  // its 集計's units, claims and shares
    bool publicExpense = false;                     // a 公費 pays part of it
    std::optional<std::int64_t> rate;
    std::optional<std::int64_t> units, claim, share;  // 基本 33, 34, 35
    Figures basic;                                     // what its 基本 says it claims
    Figures fromTotals;                                // what its 集計 add up to
    std::vector<KindFigures> kinds;
    std::size_t kindCount = 0;  // the first kinds in use; the others' room is kept
  } statement_;

  // The care-plan fee of one person being read.
  struct CarePlan {
    bool open = false;
    int line = 0;
    Key key;
    int totalLine = 0;  // the line of its line 99; 0 before it
    std::int64_t units = 0;
    std::optional<std::int64_t> total, claim, unitPrice;
    Bytes kind;  // Stable
  } carePlan_;

  // The benefit-management sheet being read.
  struct Sheet {
    bool open = false;
    int line = 0;
    Key key;
    int totalLine = 0;
    int details = 0;
    std::int64_t units = 0;
    std::optional<std::int64_t> total;
    std::vector<std::pair<Bytes, Bytes>> services;  // provider, kind; Stable
    std::size_t serviceCount = 0;
    std::vector<KindFigures> kinds;
    std::size_t kindCount = 0;
  } sheet_;

  // The statements and care plans of each provider, month and 請求情報区分,
  // by "provider|month|kind".
  struct Group {
    int line = 0;  // the first statement's
    Form form = Form::Claim;
    std::string insurer, insured, month;
    Figures added;
    bool invoiced = false;
  };
  std::map<std::string, Group, std::less<>> groups_;
  // The group of the last statement, by its provider, month and
  // 請求情報区分 (kept as the key's provider, month and id).
  Group* lastGroup_ = nullptr;
  Key lastGroupKey_;

  struct Invoice {
    int line = 0;
    std::string group;       // its group's key
    bool insurance = false;  // 保険・公費等区分 1
    // 件数, 単位数, 費用合計, 保険請求額, 公費請求額, 利用者負担 as stated,
    // each nothing where it is no number.
    std::array<std::optional<std::int64_t>, 6> stated;
    std::string month;
    Form form = Form::Claim;
  };
  std::vector<Invoice> invoices_;
  std::set<std::string, std::less<>> invoiceKeys_;

  // The amounts of each service month and form, by "month|form", with their
  // service kinds.
  struct MonthForm {
    std::string month;
    Form form = Form::None;
    Figures added;
    std::optional<Figures> stated;
    std::vector<KindFigures> kinds;
  };
  MonthForm& MonthFormOf(Bytes month, Form form);
  std::map<std::string, MonthForm, std::less<>> months_;
  MonthForm* lastMonth_ = nullptr;
  std::string keyBuffer_;
};

}  // namespace pellora::check
