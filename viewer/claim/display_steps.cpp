#include "claim/display_steps.h"

#include <algorithm>

#include "claim/insurer_number.h"
#include "claim/year_month.h"
#include "text/number_text.h"
#include "text/sort_rules.h"

namespace pellora {
namespace {

// The place among the service kinds of a kind's code, or nothing for any
// other code (such as "8121", which carries no value).
std::optional<std::size_t> ServiceKindIndex(std::u16string_view code) {
  for (const DisplayColumn& column : kDisplayColumns)
    if (column.value == DisplayValue::Service && column.serviceCode == code) return ServiceIndexOf(column);
  return std::nullopt;
}

// Whether the person of a row has a kind the totals' サービス counts.
bool HasCountedService(const DisplayRow& row) {
  for (const DisplayColumn& column : kDisplayColumns)
    if (column.countedAsService && row.services[ServiceIndexOf(column)]) return true;
  return false;
}

bool Taken(const claim::ServiceFields& rule, const claim::ClaimRecords& records, int row) {
  if (rule.conditionField == claim::kNoField) return true;
  const bool equal = records.Field(row, rule.conditionField) == rule.conditionText;
  return rule.mustDiffer ? !equal : equal;
}

// Permutes `items` so that place i holds what was at order[i].
template <typename T>
void Permute(std::vector<T>& items, const std::vector<std::size_t>& order) {
  std::vector<T> ordered;
  ordered.reserve(items.size());
  for (const std::size_t i : order) ordered.push_back(std::move(items[i]));
  items = std::move(ordered);
}

// A benefit-management file's submission year-month: its cover record's,
// or, in a file without one (transmitted files carry none since the cover
// sheet was dropped), the control record's processing year-month. The
// exchange processes a file in the month it is submitted, so both name the
// same month.
std::u16string_view SubmissionYearMonth(const claim::ClaimRecords& records) {
  const claim::RowRange rows = records.DataRows();
  for (int r = rows.first; r <= rows.last; ++r) {
    const claim::RecordCode* code = claim::FindRecordCode(records.Field(r, claim::kRecordCodeField));
    if (code && code->submissionYearMonth != claim::kNoField) return records.Field(r, code->submissionYearMonth);
  }
  return records.Field(claim::kControlRecordRow, claim::kProcessingYearMonthField);
}

}  // namespace

void SetFileKind(ClaimView& claim) {
  const claim::RowRange rows = claim.records.DataRows();
  for (int r = rows.first; r <= rows.last; ++r) {
    if (const claim::RecordCode* code = claim::FindRecordCode(claim.records.Field(r, claim::kRecordCodeField))) {
      claim.kind = code->kind;
      return;
    }
  }
}

void SetHeadYearMonth(ClaimView& claim) {
  if (claim.kind == claim::FileKind::CareFeeClaim) {
    claim.yearMonth = YearMonthText(claim.records.Field(claim::kControlRecordRow, claim::kProcessingYearMonthField));
    claim.yearMonthCaption = YearMonthCaption::Processing;
  } else if (claim.kind == claim::FileKind::BenefitManagement) {
    claim.yearMonth = YearMonthText(SubmissionYearMonth(claim.records));
    claim.yearMonthCaption = YearMonthCaption::Submission;
  }
}

void SetProviderNumber(ClaimView& claim) {
  claim.providerNumber = claim.records.Field(claim::kControlRecordRow, claim::kProviderNumberField);
}

void BuildSortGrid(ClaimView& claim) {
  const claim::RowRange rows = claim.records.DataRows();
  // Most data records of a claim file are service records.
  if (rows.last >= rows.first) claim.serviceRecords.reserve(static_cast<std::size_t>(rows.last - rows.first + 1));
  for (int r = rows.first; r <= rows.last; ++r) {
    const auto field = [&](int n) { return claim.records.Field(r, n); };
    const std::u16string_view code = field(claim::kRecordCodeField);
    const claim::RecordCode* entry = claim::FindRecordCode(code);
    if (!entry || !entry->service || !Taken(*entry->service, claim.records, r)) continue;
    const claim::ServiceFields& rule = *entry->service;
    const std::u16string insurer = claim::InsurerNumber(field(rule.insurer));
    AddServiceRecord(claim, {code, field(rule.yearMonth), field(rule.insured), insurer,
                             rule.serviceKind == claim::kNoField ? code : field(rule.serviceKind), field(rule.value),
                             field(rule.field18), field(rule.field19)},
                     r);
  }
}

void AddServiceRecord(ClaimView& claim, const std::array<std::u16string_view, ServiceRecord::kColumns>& columns,
                      int row) {
  std::size_t units = 0;
  for (const std::u16string_view column : columns) units += column.size();
  ServiceRecord record;
  record.row = row;
  char16_t* const text = claim.texts.Room(units);
  record.text = text;
  std::size_t at = 0;
  for (std::size_t c = 0; c < columns.size(); ++c) {
    std::copy(columns[c].begin(), columns[c].end(), text + at);
    at += columns[c].size();
    record.ends[c] = static_cast<std::uint32_t>(at);
  }
  claim.serviceRecords.push_back(record);
}

void SortSortGrid(ClaimView& claim) {
  constexpr int kKeys[] = {ServiceRecord::kYearMonth, ServiceRecord::kInsured, ServiceRecord::kInsurer};
  std::vector<std::u16string_view> keys;
  keys.reserve(claim.serviceRecords.size() * std::size(kKeys));
  for (const ServiceRecord& record : claim.serviceRecords)
    for (const int column : kKeys) keys.push_back(record[column]);
  Permute(claim.serviceRecords, SortedRows(keys, std::size(kKeys), TextOrder::IgnoringCase));
}

// Every record of a run would write the run's year-month and insured-person
// number again; they are written once, as nothing else changes them. The
// insurer number's text may differ in form within a run (the same value),
// and the last one is shown.
void BuildViewerGrid(ClaimView& claim) {
  const ServiceRecord* previous = nullptr;
  for (std::size_t i = 0; i < claim.serviceRecords.size(); ++i) {
    const ServiceRecord& record = claim.serviceRecords[i];
    const std::u16string_view insurer = record[ServiceRecord::kInsurer];
    const bool newRow = !previous || record[ServiceRecord::kYearMonth] != (*previous)[ServiceRecord::kYearMonth] ||
                        !claim::SamePerson(record[ServiceRecord::kInsured], insurer,
                                           (*previous)[ServiceRecord::kInsured], (*previous)[ServiceRecord::kInsurer]);
    if (newRow) {
      DisplayRow row;
      row.yearMonth = YearMonthText(record[ServiceRecord::kYearMonth]);
      row.insured = record[ServiceRecord::kInsured];
      row.firstRecord = i;
      claim.rows.push_back(std::move(row));
    }
    DisplayRow& row = claim.rows.back();
    ++row.records;
    if (newRow || insurer != (*previous)[ServiceRecord::kInsurer]) row.insurer = insurer;
    if (const std::optional<std::size_t> kind = ServiceKindIndex(record[ServiceRecord::kServiceKind])) {
      row.services[*kind] = ValueOfText(record[ServiceRecord::kValue]);
    } else if (const claim::RecordCode* code = claim::FindRecordCode(record[ServiceRecord::kCode])) {
      row.carePlanFee = row.carePlanFee || code->carePlanFee;
    }
    previous = &record;
  }
}

// The display rows are ordered by year-month and each is a distinct person
// of its month, so a new month starts a totals row and every further row of
// the month is one more person.
void BuildTotalGrid(ClaimView& claim) {
  claim.showsServiceTotals = claim.kind != claim::FileKind::BenefitManagement;
  const DisplayRow* previous = nullptr;
  for (const DisplayRow& row : claim.rows) {
    if (!previous || row.yearMonth != previous->yearMonth) {
      claim.totals.push_back({TotalsMonthText(row.yearMonth), 1, 0, 0});
    } else if (!claim::SamePerson(row.insured, row.insurer, previous->insured, previous->insurer)) {
      claim.totals.back().persons += 1;
    }
    if (HasCountedService(row)) claim.totals.back().services += 1;
    if (claim.showsServiceTotals && row.carePlanFee) claim.totals.back().carePlans += 1;
    previous = &row;
  }
}

void ShowClaimRecords(ClaimView& claim) {
  SetFileKind(claim);
  SetHeadYearMonth(claim);
  SetProviderNumber(claim);
  BuildSortGrid(claim);
  SortSortGrid(claim);
  BuildViewerGrid(claim);
  BuildTotalGrid(claim);
}

std::vector<std::size_t> SortViewerByColumn(ClaimView& claim, int column) {
  std::vector<std::u16string> texts;
  texts.reserve(claim.rows.size());
  for (const DisplayRow& row : claim.rows) texts.push_back(DisplayCellText(row, column));
  const std::vector<std::u16string_view> keys(texts.begin(), texts.end());
  std::vector<std::size_t> order = SortedRows(keys, 1, TextOrder::Generic);
  Permute(claim.rows, order);
  return order;
}

}  // namespace pellora
