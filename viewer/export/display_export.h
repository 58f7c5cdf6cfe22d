#pragma once
// What the main window shows of a claim, written out as data: the header,
// the display rows with their names and what became of each name's look-up,
// and the monthly totals. The writers read the claim (claim/claim_view.h),
// never a control; they run after ShowCsvFile.

#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "claim/claim_view.h"

namespace pellora::exporting {

// What became of a name's look-up, in words: "found", "not-found",
// "unavailable"; nothing for a name not looked up.
std::optional<std::string_view> NameStatus(LookupOutcome outcome);

// What the writers write: the claim on display, and the database its names
// were looked up in as the window's database box shows it.
struct ExportedClaim {
  const ClaimView& claim;
  std::u16string database;
  bool databaseUsable = false;
};

// `text` as a JSON string: UTF-8 in double quotes, with quotes,
// backslashes and control characters escaped.
std::string JsonString(std::u16string_view text);

// One JSON object (UTF-8): the file, the kind and year-month, the provider,
// one object per display row, one per month of the totals.
void WriteJson(const ExportedClaim& exported, std::ostream& out);

// The header, the display's columns and the totals as one CSV file, the
// form the window saves (claim/display_csv.h).
void WriteCsv(const ExportedClaim& exported, std::ostream& out);

// A table for reading in a terminal: the header, the rows with their names
// and the totals, with the columns the window shows (one it keeps hidden
// is left out here too).
void WriteText(const ExportedClaim& exported, std::ostream& out);

}  // namespace pellora::exporting
