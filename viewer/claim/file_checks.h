#pragma once
// What is wrong with a claim file that loaded, in words for the clerk: a
// file that is not code page 932 text, lines that end in LF only, no data
// records, a record count that does not match the control record's, no end
// record, a data kind whose records the window does not show, data records
// of which the window shows none. The window tells them all in one message box after the display;
// pellora-export writes them to standard error, each with its code.
//
// A claim file is a control record (record type "1" in field 1), its data
// records (type "2") and an end record (type "3") as its last line. Field 4
// of the control record is the number of data records, as the national
// exchange format lays the control record out: 1 record type, 2 record
// number, 3 volume number, 4 record count, 5 data kind, 6 welfare-office
// number, 7 insurer number or creation date, 8 provider number, 9
// prefecture, 10 medium, 11 processing year-month, 12 file management
// number. A count that is empty or not all digits is no count, and nothing
// is compared.

#include <string>
#include <string_view>
#include <vector>

#include "claim/records.h"

namespace pellora {

struct FileWarning {
  // Stable, for scripts: "empty-file", "utf-16", "not-text", "utf-8",
  // "lf-line-ends", "no-data-records", "record-count", "no-end-record",
  // "other-data-kind", "no-shown-records".
  std::string_view code;
  // One line of Japanese: what is wrong and what the display therefore shows.
  std::u16string text;
  bool operator==(const FileWarning&) const = default;
};

// The warnings for a file read to its end, in the order the clerk reads
// them: the bytes first, then the records. A file that is UTF-16 or not text
// at all has no records worth checking, and an empty file nothing but its
// emptiness. `shownRows` is the number of rows the display shows of it.
std::vector<FileWarning> CheckClaimFile(const claim::ClaimRecords& records, std::size_t shownRows);

}  // namespace pellora
