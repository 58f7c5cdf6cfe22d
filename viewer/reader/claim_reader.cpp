#include "reader/claim_reader.h"

#include <unordered_map>

#include "claim/display_steps.h"
#include "claim/file_checks.h"
#include "claim/insurer_number.h"
#include "claim/year_month.h"

namespace pellora {
namespace {

// A finding's person by the display's row of the person and month, whose
// name the database gave: the rows by their month, person and insurer
// (claim/insurer_number.h), once, for any number of findings.
void NameFindings(const ClaimView& claim, check::Report& report) {
  const auto key = [](std::u16string_view yearMonth, std::u16string_view insured, std::u16string_view insurer) {
    std::u16string k(yearMonth);
    ((k += u'\t') += insured) += u'\t';
    return k += insurer;
  };
  std::unordered_map<std::u16string, const DisplayRow*> rows;
  for (const DisplayRow& row : claim.rows)
    if (row.nameOutcome == LookupOutcome::Found) rows.emplace(key(row.yearMonth, row.insured, row.insurer), &row);
  if (rows.empty()) return;
  for (check::Finding& finding : report.findings) {
    if (finding.insuredNumber.empty()) continue;
    const auto row = rows.find(key(YearMonthText(finding.serviceMonth), finding.insuredNumber,
                                   claim::InsurerNumber(finding.insurerNumber)));
    if (row != rows.end()) finding.name = row->second->name;
  }
}

}  // namespace

void ReadClaim(const std::u16string& path, const NameDatabase& names, ClaimView& claim) {
  claim.file = path;
  claim.records = claim::ClaimRecords(RecordFile::Read(path));
  // A file that could not be read, or of one line, has no records to show
  // and no names to look up.
  if (claim.records.Rows() >= 2) {
    ShowClaimRecords(claim);
    LookupProviderName(claim, names);
    LookupInsuredNames(claim, names);
  }
  // What is wrong with a file is told of a file read to its end; a file
  // that was not is told by its failure alone.
  if (claim.records.file().failure()) return;
  claim.warnings = CheckClaimFile(claim.records, claim.rows.size());
  auto report = std::make_shared<check::Report>(check::CheckClaim(claim.records, claim.warnings));
  NameFindings(claim, *report);
  claim.check = std::move(report);
}

ClaimView ReadClaim(const std::u16string& path, const NameDatabase& names) {
  ClaimView claim;
  ReadClaim(path, names, claim);
  return claim;
}

}  // namespace pellora
