// The display pipeline: a claim file from its path to the names, through
// every display step in the one order in which each step finds what it
// reads; and the window's small text routine CharPos.

#include <limits>

#include "display/claim_records.h"
#include "errors/routine_error.h"
#include "shell/frmPellora.h"

namespace pellora {

// No step catches here: whatever fails ends the display where it is and
// goes to the caller, which decides what the user is told.
void frmPellora::ShowCsvFile() {
  LoadCsvGrid(lblCsvFname.Caption, vsfCsv);
  ClearHead();
  // A file that could not be read, or of one line, has no records to show.
  if (vsfCsv.Rows() < 2) return;
  SetFileKind();
  SetHeadYearMonth();
  // Read as a field, so that a control record too short to have one gives
  // an empty provider instead of ending the display.
  lblHead[2].Caption = claim::Field(vsfCsv, claim::kControlRecordRow, claim::kProviderNumberField);
  BuildSortGrid();
  SortSortGrid();
  BuildViewerGrid();
  BuildTotalGrid();
  LookupProviderName();
  LookupInsuredNames();
  SetTotalWidthsByKind();
}

std::int16_t frmPellora::CharPos(std::u16string_view s, std::u16string_view ch, std::int16_t mode) {
  constexpr std::size_t kLastPosition = std::numeric_limits<std::int16_t>::max();
  std::int16_t position = 0;
  for (std::size_t i = 1; i <= s.size(); ++i) {
    if (i > kLastPosition) throw RoutineError(kErrOverflow);
    if (ch.size() == 1 && s[i - 1] == ch.front()) {
      position = static_cast<std::int16_t>(i);
      if (mode == 1) break;
    }
  }
  return position;
}

}  // namespace pellora
