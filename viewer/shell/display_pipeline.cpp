// The display pipeline: a claim file from its path to the names, through
// every display step in the one order in which each step finds what it
// reads, and the window's controls drawn from the claim at the end; and the
// window's small text routine CharPos.

#include <limits>

#include "claim/display_steps.h"
#include "display/header_labels.h"
#include "display/load_csv_grid.h"
#include "display/sort_grid.h"
#include "display/total_grid.h"
#include "display/viewer_grid.h"
#include "errors/routine_error.h"
#include "lookup/master_data_lookups.h"
#include "shell/frmPellora.h"

namespace pellora {

// No step catches here: whatever fails ends the display where it is and
// goes to the caller, which decides what the user is told. What is wrong
// with a file that loaded is told once the window shows the display,
// however little it shows: an empty display never stays unexplained. A file
// that did not load has already been reported, and gets no second box.
void frmPellora::ShowCsvFile() {
  auto claim = std::make_shared<ClaimView>();
  claim->file = lblCsvFname.Caption;
  claim->yearMonthCaption = claim_->yearMonthCaption;
  claim->showsServiceTotals = claim_->showsServiceTotals;
  claim->records = LoadCsvGrid(claim->file, vsfCsv, messageBoxes_);
  // A file that could not be read, or of one line, has no records to show.
  const bool records = claim->records.Rows() >= 2;
  try {
    if (records) ShowClaimRecords(*claim);
  } catch (...) {
    ShowClaim(std::move(claim));
    throw;
  }
  // Drawn before the names are looked up, as each step shows what it made:
  // a failure on the way leaves the display as far as it got.
  ShowClaim(claim);
  if (records) {
    const NameDatabase database{DBFound, DBPath};
    LookupProviderName(*claim, database);
    LookupInsuredNames(*claim, database);
    ShowHead(*claim, lblHead, lblHeadCaption[0]);
    ShowViewerNames(*claim, vsfViewer);
  }
  if (claim->records.file().failure()) return;
  claim->warnings = CheckClaimFile(claim->records, claim->rows.size());
  warningsPending_ = WarnInMessageBox && !claim->warnings.empty();
}

// One box for all of them, and only once: the warnings belong to the claim
// on display, and the next claim shown drops any still untold.
void frmPellora::ShowPendingWarnings() {
  if (!warningsPending_ || Unloaded) return;
  warningsPending_ = false;
  std::u16string text;
  for (const FileWarning& warning : claim_->warnings) {
    if (!text.empty()) text += u'\n';
    text += warning.text;
  }
  messageBoxes_.Show(std::move(text), MsgIcon::Exclamation, std::u16string(kTitle));
}

// The hidden sort grid copies the claim only when somebody looks at it (the
// raw record grid has its records from the loading); the others show it at
// once. Without records (no file, or one of a line) the display and totals
// grids keep only their headings, and their current cells and widths stay
// as they were.
void frmPellora::ShowClaim(std::shared_ptr<ClaimView> claim) {
  claim_ = std::move(claim);
  warningsPending_ = false;
  ShowSortRecords(claim_, vsfSort);
  ShowHead(*claim_, lblHead, lblHeadCaption[0]);
  if (claim_->records.Rows() >= 2) {
    SelectSortKeys(vsfSort);
    ShowViewerRows(*claim_, vsfViewer);
    ShowTotals(*claim_, vsfTotal);
  } else {
    vsfViewer.SetRows(1);
    vsfTotal.SetRows(1);
  }
}

void frmPellora::SortViewerByColumn() { pellora::SortViewerByColumn(*claim_, vsfViewer); }

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
