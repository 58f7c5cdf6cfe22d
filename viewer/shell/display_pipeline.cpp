// The display pipeline: a claim file from its path to the names, through
// every display step in the one order in which each step finds what it
// reads; and the window's small text routine CharPos.

#include <limits>

#include "claim/records.h"
#include "errors/routine_error.h"
#include "shell/frmPellora.h"

namespace pellora {
namespace {

// The steps after the loading, for a file of at least two lines.
void ShowClaimRecords(frmPellora& w) {
  w.SetFileKind();
  w.SetHeadYearMonth();
  // Read as a field, so that a control record too short to have one gives
  // an empty provider instead of ending the display.
  w.lblHead[2].Caption = claim::Field(w.vsfCsv, claim::kControlRecordRow, claim::kProviderNumberField);
  w.BuildSortGrid();
  w.SortSortGrid();
  w.BuildViewerGrid();
  w.BuildTotalGrid();
  w.LookupProviderName();
  w.LookupInsuredNames();
  w.SetTotalWidthsByKind();
}

}  // namespace

// No step catches here: whatever fails ends the display where it is and
// goes to the caller, which decides what the user is told. What is wrong
// with a file that loaded is told once the display is complete, however
// little it shows: an empty display never stays unexplained. A file that
// did not load has already been reported, and gets no second box.
void frmPellora::ShowCsvFile() {
  FileWarnings.clear();
  const std::optional<LoadedFile> loaded = LoadCsvGrid(lblCsvFname.Caption, vsfCsv);
  ClearHead();
  // A file that could not be read, or of one line, has no records to show.
  if (vsfCsv.Rows() >= 2) ShowClaimRecords(*this);
  if (!loaded) return;
  FileWarnings = CheckClaimFile(*loaded, vsfCsv);
  if (!WarnInMessageBox || FileWarnings.empty()) return;
  std::u16string text;
  for (const FileWarning& warning : FileWarnings) {
    if (!text.empty()) text += u'\n';
    text += warning.text;
  }
  messageBoxes_.Show(std::move(text), MsgIcon::Exclamation, std::u16string(kTitle));
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
