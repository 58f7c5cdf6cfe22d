#include "reader/claim_reader.h"

#include "claim/display_steps.h"
#include "claim/file_checks.h"

namespace pellora {

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
  if (!claim.records.file().failure()) claim.warnings = CheckClaimFile(claim.records, claim.rows.size());
}

ClaimView ReadClaim(const std::u16string& path, const NameDatabase& names) {
  ClaimView claim;
  ReadClaim(path, names, claim);
  return claim;
}

}  // namespace pellora
