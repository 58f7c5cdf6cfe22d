#pragma once
// The claim check as the window runs it, over a file on disk: the file
// read, its display made, its warnings told, then the check.

#include <filesystem>
#include <string>

#include "check/check.h"
#include "claim/display_steps.h"
#include "claim/file_checks.h"
#include "claimgen/claimgen.h"
#include "csv/record_file.h"
#include "tests/csv/temp_files.h"

namespace pellora::check::testing {

inline Report CheckPath(const std::filesystem::path& path) {
  ClaimView claim;
  claim.records = claim::ClaimRecords(RecordFile::Read(pellora::testing::U16Path(path)));
  if (claim.records.Rows() >= 2) ShowClaimRecords(claim);
  const std::vector<FileWarning> warnings = CheckClaimFile(claim.records, claim.rows.size());
  return CheckClaim(claim.records, warnings);
}

inline Report CheckBytes(const pellora::testing::TempFolder& folder, const std::string& bytes) {
  return CheckPath(folder.Write("claim.csv", bytes));
}

// A claimgen file of today's codes, with `fault` ("" for none).
inline claimgen::Options Today(const std::string& fault = "", std::size_t lines = 400) {
  claimgen::Options options;
  options.seed = 5;
  options.lines = lines;
  options.generation = claimgen::Generation::Current;
  options.fault = fault;
  return options;
}

}  // namespace pellora::check::testing
