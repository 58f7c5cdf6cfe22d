#pragma once
// What the main window shows, written out as data: the header, the display
// grid with its names and their colours, and the monthly totals. The
// writers only read the window's controls; they run after ShowCsvFile.

#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "shell/frmPellora.h"

namespace pellora::exporting {

// What a name field's colour says, in words: "found" (light yellow),
// "not-found" (light cyan), "unavailable" (pink); nothing for a field no
// look-up has coloured.
std::optional<std::string_view> NameStatus(std::optional<OleColor> colour);

// `text` as a JSON string: UTF-8 in double quotes, with quotes,
// backslashes and control characters escaped.
std::string JsonString(std::u16string_view text);

// One JSON object (UTF-8): the file, the kind and year-month, the provider,
// one object per display row, one per month of the totals.
void WriteJson(const frmPellora& window, std::ostream& out);

// The header, the display grid's columns 1 to 8 and the totals as one CSV
// file, the form the window saves (shell/display_csv.h).
void WriteCsv(const frmPellora& window, std::ostream& out);

// A table for reading in a terminal: the header, the rows with their names
// and the totals, with the columns the window shows (a column of width 0
// is hidden there and left out here).
void WriteText(const frmPellora& window, std::ostream& out);

}  // namespace pellora::exporting
