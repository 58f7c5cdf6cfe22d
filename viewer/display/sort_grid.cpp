#include "display/sort_grid.h"

#include <array>

#include "claim/records.h"
#include "display/grid_layout.h"
#include "text/number_text.h"

namespace pellora {
namespace {

constexpr int kNone = 0;  // no field: the cell stays empty

// One extraction rule: which records it takes and where their facts lie.
// The two file kinds carry the same facts in different fields, and this
// table is where the record layout is put to use.
struct ExtractionRule {
  std::array<std::u16string_view, 2> codes;  // the second may be unused ("")
  // The condition besides the code: field `conditionField` equals (or, with
  // `mustDiffer`, differs from) `conditionText`; kNone for no condition.
  int conditionField;
  std::u16string_view conditionText;
  bool mustDiffer;
  int yearMonthField;
  int insuredField;
  int insurerField;
  int serviceKindField;  // kNone: the record's code stands in its place
  int valueField;
  int field18;
  int field19;
};

// Tested in this order; the first that holds applies. Records of codes 7111,
// 7121 and 8211, and of any other code, are not service records.
constexpr std::array<ExtractionRule, 7> kExtractionRules = {{
    // codes             condition         year-month insured insurer kind value 18 19
    {{u"7131", u""}, 4, u"10", false, 5, 8, 7, 9, 16, 18, 19},
    {{u"7132", u""}, 4, u"10", false, 5, 8, 7, 9, 16, 18, 19},
    {{u"7142", u"7141"}, 4, u"10", false, 5, 8, 7, 9, kNone, kNone, kNone},
    {{u"7152", u"7151"}, 4, u"10", false, 5, 8, 7, 9, kNone, kNone, kNone},
    {{u"7162", u"7161"}, 4, u"10", false, 5, 8, 7, 9, kNone, kNone, kNone},
    {{u"8121", u""}, kNone, u"", false, 6, 9, 7, kNone, kNone, kNone, kNone},
    {{u"8221", u""}, 10, u"99", true, 4, 11, 5, 21, kNone, kNone, kNone},
}};

bool Applies(const ExtractionRule& rule, const FlexGrid& raw, int row, std::u16string_view code) {
  if (code.empty() || (code != rule.codes[0] && code != rule.codes[1])) return false;
  if (rule.conditionField == kNone) return true;
  const bool equal = claim::Field(raw, row, rule.conditionField) == rule.conditionText;
  return rule.mustDiffer ? !equal : equal;
}

const ExtractionRule* RuleFor(const FlexGrid& raw, int row, std::u16string_view code) {
  for (const ExtractionRule& rule : kExtractionRules)
    if (Applies(rule, raw, row, code)) return &rule;
  return nullptr;
}

}  // namespace

void BuildSortGrid(const FlexGrid& raw, FlexGrid& sort) {
  const claim::RowRange rows = claim::DataRows(raw);
  for (int r = rows.first; r <= rows.last; ++r) {
    const std::u16string code = claim::Field(raw, r, claim::kRecordCodeField);
    const ExtractionRule* rule = RuleFor(raw, r, code);
    if (rule == nullptr) continue;
    const int s = sort.Rows();
    sort.SetRows(s + 1);
    auto copy = [&](int column, int field) {
      if (field != kNone) sort.SetTextMatrix(s, column, claim::Field(raw, r, field));
    };
    sort.SetTextMatrix(s, sort_col::kRecordCode, code);
    copy(sort_col::kYearMonth, rule->yearMonthField);
    copy(sort_col::kInsured, rule->insuredField);
    sort.SetTextMatrix(s, sort_col::kInsurer, ZeroPad6(claim::Field(raw, r, rule->insurerField)));
    if (rule->serviceKindField == kNone) {
      sort.SetTextMatrix(s, sort_col::kServiceKind, code);
    } else {
      copy(sort_col::kServiceKind, rule->serviceKindField);
    }
    copy(sort_col::kValue, rule->valueField);
    copy(sort_col::kField18, rule->field18);
    copy(sort_col::kField19, rule->field19);
  }
}

// The keys are the columns from the current column to the end of the
// selection, compared left to right as text without regard to case.
void SortSortGrid(FlexGrid& sort) {
  sort.SetRow(0);
  sort.SetCol(sort_col::kYearMonth);
  sort.SetColSel(sort_col::kInsurer);
  sort.SetSort(FlexGrid::kSortStringNoCaseAscending);
  sort.Refresh();
}

}  // namespace pellora
