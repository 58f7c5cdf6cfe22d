#pragma once
// pellora-export --db PATH --table NAME: every row of one table of the
// provider's database as JSON lines, one object per row, so that a clerk
// can see why a person's name is missing, and the reader can be compared
// with other readers of the same file.
//
// Each object has the table's columns in their order, by name: text and
// memo values as strings, NULL as null, numbers as numbers (money exactly,
// to its four decimals), yes/no as true or false, dates as ISO 8601 text
// ("2024-04-01T09:30:00"). Columns of a type the reader leaves alone
// (binary, OLE, GUID, decimal, ACE's complex and calculated columns) are
// left out of every object and named on standard error.

#include <ostream>
#include <string>

namespace pellora::exporting {

// Writes the table to `out`. Returns kExitShown, kExitClaimFileFailed when
// the database or the table cannot be read (the reason on `err`, nothing on
// `out`), or kExitOutputFailed.
int WriteTableLines(const std::u16string& database, const std::string& table, std::ostream& out,
                    std::ostream& err);

}  // namespace pellora::exporting
