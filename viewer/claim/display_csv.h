#pragma once
// What the main window shows of a claim (claim/claim_view.h) as one CSV file: the form both the window's
// "CSV ファイルに保存..." and `pellora-export --format csv` write, so that a
// file kept with a month's submission reads the same whichever made it.
//
// UTF-8 with a byte order mark (spreadsheet programs then read the names
// right), CR LF line ends, every field in double quotes with quotes inside
// doubled, so that spreadsheet programs keep the numbers' leading zeros:
//
//   - the header, a line each: the kind, the year-month and the provider,
//     each its caption followed by its value(s) (the provider: number, name);
//   - an empty line;
//   - the display's columns (年月, 被保険者番号, 保険者番号, 氏名
//     and the four service kinds; the insurer number too, which the window
//     keeps in a hidden column, as it tells two persons of one number apart),
//     headings first;
//   - an empty line;
//   - the totals' columns the window shows (a benefit-management file
//     has no サービス and ケアプラン), headings first.

#include <span>
#include <string>
#include <string_view>

#include "claim/claim_view.h"

namespace pellora {

std::string DisplayCsv(const ClaimView& claim);

// One line of such a file, appended to `out`: each field in double quotes
// (quotes inside doubled), UTF-8, CR LF at the end. The claim check's CSV
// report is written line by line in the same form.
void AppendCsvLine(std::string& out, std::span<const std::u16string_view> fields);

}  // namespace pellora
