#pragma once
// The check's one pass over a claim file, inside the check: the lines and
// their items (check.cpp), and what a record means together with the
// records around it, the statements, care plans, sheets and invoices, and
// the amounts they add up to (groups.cpp). check/check.h is the way in.

#include <array>
#include <cstdint>
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
#include "check/rules.h"
#include "csv/field_splitter.h"

namespace pellora::check {

using Text = std::u16string_view;

// Whom and what a finding is about.
struct Who {
  Form form = Form::None;
  Text insurer, insured, month;
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
  void CheckLayout(const Layout& layout, const Who& who);
  void CheckItem(const Item& item, int field, Text value, const Who& who);
  void CheckCharacters(std::string_view bytes, const Layout* layout, const Who& who);
  void CheckMonth(const ExchangeId& id, int field, const Who& who);
  void Add(int line, std::optional<int> field, Text item, std::string_view rule, Source appliedTo,
           std::u16string message, const Who& who);
  // A finding on the record being checked; field 0 for the record as a whole.
  void AddHere(int field, Text item, std::string_view rule, Source appliedTo, std::u16string message, const Who& who) {
    Add(line_, field > 0 ? std::optional<int>(field) : std::nullopt, item, rule, appliedTo, std::move(message), who);
  }
  // Field `field` of the record being checked; "" beyond its last.
  Text F(int field) const {
    return field >= 1 && static_cast<std::size_t>(field) <= fields_.size() ? fields_[field - 1] : Text();
  }
  Report Finish();

  // ---- groups.cpp: statements, care plans, sheets, invoices, amounts ----
  // The group a record of this family belongs to is still open; any
  // other is closed first.
  void CloseGroupsBut(Family family);
  void StatementRecord(const Who& who);
  void OpenStatement(bool orphan, const Who& who);
  void ReadBasic(const Who& who);
  void DetailRecord(const Who& who);
  void TotalRecord(const Who& who);
  void CloseStatement();
  void CarePlanRecord(const Who& who);
  void CloseCarePlan();
  void SheetRecord(const ExchangeId& id, const Who& who);
  void CloseSheet();
  void InvoiceRecord(const Who& who);
  void CompareInvoices();
  void AddFigures(Text month, Form form, Text kind, const Figures& figures);
  void AddToGroup(Text provider, Text month, Text claimKind, const Figures& figures, int line, const Who& who);
  Amounts MakeAmounts();

  const claim::ClaimRecords& records_;
  std::span<const FileWarning> warnings_;
  std::vector<Finding> findings_;

  // The record being checked.
  FieldSplitter splitter_;
  std::span<const Text> fields_;
  int line_ = 0;

  // What the lines before it said.
  std::int64_t previousNumber_ = 0;
  std::int64_t dataRecords_ = 0;
  std::optional<int> processingMonth_;
  std::u16string dataKind_;
  bool sawStatements_ = false;
  std::set<std::pair<const ExchangeId*, int>> monthsTold_;
  std::set<int> processingTold_;
  std::set<const ExchangeId*> wrongFileTold_;

  // A key of a group of records, kept beyond the line it was read from.
  struct Key {
    std::u16string id, month, provider, insurer, insured;
    void Keep(Text i, Text m, Text p, Text r, Text d) {
      id.assign(i), month.assign(m), provider.assign(p), insurer.assign(r), insured.assign(d);
    }
    bool Is(Text i, Text m, Text p, Text r, Text d) const {
      return id == i && month == m && provider == p && insurer == r && insured == d;
    }
    Who WhoOf(Form form) const { return {form, insurer, insured, month}; }
  };

  struct KindFigures {
    std::u16string kind;
    Figures figures;
  };

  // The statement (明細書) being read.
  struct Statement {
    bool open = false;
    bool orphan = false;  // begun by a record other than its 基本
    int line = 0;         // its 基本's line, or its first record's
    Key key;
    std::optional<int> month;
    int details = 0, totals = 0, rank = -1;
    std::int64_t sum14 = 0, sum16 = 0, sum17 = 0;  // its 集計's units, claims and shares
    bool publicExpense = false;  // a 公費 pays part of it
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
    std::u16string kind;
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
    std::vector<std::pair<std::u16string, std::u16string>> services;  // provider, kind
    std::size_t serviceCount = 0;
    std::vector<KindFigures> kinds;
    std::size_t kindCount = 0;
  } sheet_;

  // The statements and care plans of each provider, month and 請求情報区分,
  // by "provider|month|kind".
  struct Group {
    int line = 0;  // the first statement's
    Form form = Form::Claim;
    std::u16string insurer, insured, month;
    Figures added;
    bool invoiced = false;
  };
  std::map<std::u16string, Group, std::less<>> groups_;

  struct Invoice {
    int line = 0;
    std::u16string group;  // its group's key
    bool insurance = false;  // 保険・公費等区分 1
    // 件数, 単位数, 費用合計, 保険請求額, 公費請求額, 利用者負担 as stated,
    // each nothing where it is no number.
    std::array<std::optional<std::int64_t>, 6> stated;
    std::u16string month;
    Form form = Form::Claim;
  };
  std::vector<Invoice> invoices_;
  std::set<std::u16string, std::less<>> invoiceKeys_;

  // The amounts by "month|form|kind".
  std::map<std::u16string, AmountRow, std::less<>> amounts_;
  std::u16string keyBuffer_;
};

}  // namespace pellora::check
