#pragma once
// ReadClaim: a claim file made into the claim the window shows of it, with
// no window. The file is read once (csv/record_file.h); the display steps
// (claim/display_steps.h) make its kind, header, rows and totals; the names
// come from the provider's database (lookup/); and what is wrong with the
// file (claim/file_checks.h) comes last. Each row keeps the records it was
// merged from, so that a row leads to its lines of the file and a line to
// its row (claim/claim_view.h: SourceLines, RowOfLine). Every line of the
// file is then checked against the exchange format (check/check.h), and
// each finding gets the name of its person where the display has one.
//
// The window, pellora-export, the save, the copy, the find, the print and
// the benchmarks all start from here; each only shows the claim it gives.
//
// Failures: a file that cannot be opened gives a claim without records and
// its failure (claim.records.file().failure(), atOpen); a file whose
// reading fails part-way keeps the lines read whole and shows them, with
// its failure. Whoever shows the claim tells the failure. Neither throws;
// nor do the look-ups, which mark what they could not do on the names. A
// display step that fails (memory running out) throws on, leaving the
// claim made as far as it got.

#include <string>

#include "check/check.h"
#include "claim/claim_view.h"
#include "lookup/master_data_lookups.h"

namespace pellora {

// Reads the claim file at `path` into `claim`, which starts as a claim of
// no file: its year-month caption and whether its totals show サービス
// and ケアプラン are kept where this file decides neither (a file of no
// decided kind, a file of fewer than two lines), so that a window can
// carry what the file shown before decided.
void ReadClaim(const std::u16string& path, const NameDatabase& names, ClaimView& claim);

// The same into a new claim.
ClaimView ReadClaim(const std::u16string& path, const NameDatabase& names);

}  // namespace pellora
