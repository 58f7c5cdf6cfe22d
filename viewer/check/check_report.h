#pragma once
// The claim check's report written out, headless: as JSON and CSV for
// scripts and spreadsheets, as text for a terminal, and as the one line
// the printed display, the PDF and the window's warning end with.

#include <string>

#include "check/check.h"

namespace pellora::check {

// One line: 「点検: エラーなし」, 「点検: エラーなし、確認 M 件」 or
// 「点検: エラー N 件、確認 M 件」.
std::u16string SummaryLine(const Report& report);

// One UTF-8 JSON object: the summary, the counts, `findings` (an object
// each: line, field or null, item, severity "error" or "notice", rule,
// federationCode or null, insurerNumber, insuredNumber, form or null,
// serviceMonth, message, name) and `amounts` (`rows`, each with its month,
// form, service kind or null, `stated` or null and `added`; the file's
// `stated` or null and `added`).
std::string ReportJson(const Report& report);

// The same as one CSV file in the display's form (claim/display_csv.h):
// UTF-8 with a byte order mark, CR LF, every field quoted. The summary line,
// an empty line, the findings (headings first), an empty line, the amounts.
std::string ReportCsv(const Report& report);

// For a terminal, UTF-8: the summary, each finding in two lines (where,
// what kind, whom; then its message), and the amounts as the statements add
// them up, with what the 請求書 states beside them.
std::string ReportText(const Report& report);

}  // namespace pellora::check
