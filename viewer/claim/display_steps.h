#pragma once
// The steps that make a ClaimView of a claim file's records, each a plain
// function over the view, in the order the display pipeline runs them: the
// file kind, the header's year-month and provider number, the service
// records and their sort, the display rows, the monthly totals. The names
// come afterwards from the database (lookup/), and the window's controls
// are drawn from the finished view (display/).

#include <cstddef>
#include <string>
#include <vector>

#include "claim/claim_view.h"

namespace pellora {

// The kind of the file: the first data record that carries a code of
// either kind decides. With none, the kind stays undecided.
void SetFileKind(ClaimView& claim);

// The year-month of the file's kind, with its caption: a claim file's
// processing year-month (field 11 of the control record), a
// benefit-management file's submission year-month (field 4 of its first
// 8211 record, "" without one). For a file of undecided kind both stay as
// they were.
void SetHeadYearMonth(ClaimView& claim);

// The provider number: field 8 of the control record.
void SetProviderNumber(ClaimView& claim);

// One service record for each data record the record-code table reads as
// one, in file order.
void BuildSortGrid(ClaimView& claim);

// The service records ordered by service year-month, insured-person number
// and insurer number, compared as text without regard to case; records
// equal in all three keep their file order.
void SortSortGrid(ClaimView& claim);

// One display row for each run of sorted service records of the same
// year-month, insured-person number and insurer (claim/insurer_number.h).
// Each record writes its own service kind's value; a later record of the
// same kind overwrites an earlier one's.
void BuildViewerGrid(ClaimView& claim);

// One totals row per service month of the display rows, in their order: the
// persons of the month, those with a service kind the totals count as
// home-visit nursing (a value of 0 counts), and, for a claim file, those
// with a care-plan fee record; and whether サービス and ケアプラン are
// shown, by the file's kind (a file of undecided kind is shown like a claim
// file).
void BuildTotalGrid(ClaimView& claim);

// The steps after the loading, for a file of at least two lines, in their
// order: from SetFileKind to BuildTotalGrid.
void ShowClaimRecords(ClaimView& claim);

// Adds a service record of these eight columns (ServiceRecord's), read
// from the file's row `row`, its texts kept in the claim's pool.
void AddServiceRecord(ClaimView& claim, const std::array<std::u16string_view, ServiceRecord::kColumns>& columns,
                      int row = -1);

// The user's re-sort: the display rows ordered by column `column`, values
// that read as numbers before texts and by value (the grid's sort code 1),
// rows that compare equal in their order. Returns the order applied:
// element i is the former place of the row now at place i.
std::vector<std::size_t> SortViewerByColumn(ClaimView& claim, int column);

}  // namespace pellora
