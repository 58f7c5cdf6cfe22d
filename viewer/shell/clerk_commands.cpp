// The clerk's commands on the display: selecting and copying cells, saving
// the display as a CSV file, finding a person, and a claim file dropped on
// the window. The views only map their keys, menus, clipboard and drop onto
// these routines.

#include <algorithm>
#include <cmath>
#include <string>

#include "claim/display_csv.h"
#include "errors/basic_error.h"
#include "errors/err_info.h"
#include "grid/selection_text.h"
#include "platform/platform_file.h"
#include "platform/platform_path.h"
#include "shell/frmCheck.h"
#include "shell/frmPellora.h"
#include "shell/save_beside_claim.h"
#include "text/find_text.h"

namespace pellora {
namespace {

constexpr std::u16string_view kSaveFilter = u"CSV ファイル (*.csv)|*.csv|すべてのファイル (*.*)|*.*";
constexpr std::u16string_view kSaveTitle = u"CSV ファイルに保存";
// Added to the claim file's name for the name the save dialog offers, so
// that the offer is never the claim file itself.
constexpr std::u16string_view kSavedNameSuffix = u"_表示.csv";
constexpr std::u16string_view kNotOverClaimFile =
    u"表示中の請求ファイルには保存できません。\n別のファイル名を指定してください。";
constexpr std::u16string_view kAskReplace = u"は既にあります。\n置き換えますか?";

bool IsClerkGrid(MainControl grid) { return grid == MainControl::vsfViewer || grid == MainControl::vsfTotal; }

// The name of a path after its last folder separator, without its last
// extension.
std::u16string BaseNameOf(const std::u16string& path) {
  std::u16string name(FileNameOf(path));
  const std::size_t dot = name.rfind(u'.');
  if (dot != std::u16string::npos && dot > 0) name.erase(dot);
  return name;
}

}  // namespace

const FlexGrid* frmPellora::ClerkGridOf(MainControl grid) const {
  if (grid == MainControl::vsfViewer) return &vsfViewer_;
  if (grid == MainControl::vsfTotal) return &vsfTotal_;
  return nullptr;
}

void frmPellora::SelectAllCells(MainControl control) {
  if (!IsClerkGrid(control)) return;
  FlexGrid& grid = *GridOf(control);
  if (grid.Rows() <= grid.FixedRows()) return;
  SelectRows(grid, grid.FixedRows(), grid.Rows() - 1);
}

frmPellora::ClipboardText frmPellora::CopySelection(MainControl control) const {
  const FlexGrid* grid = ClerkGridOf(control);
  // A re-sort parks the current cell in the heading row, where the view
  // shows no selection: there is nothing the user chose to copy.
  if (!grid || std::max(grid->Row(), grid->RowSel()) < grid->FixedRows()) return {};
  return {SelectionAsText(*grid), SelectionAsHtml(*grid)};
}

// The dialog offers the claim file's name with a suffix, in the claim's
// folder. The claim file is compared as a file, not as a text: another
// spelling of its path, or a link to it, would otherwise replace the file
// the window only reads.
void SaveBesideClaim(CommonDialog& dialog, const SavedFile& saved, MessageBoxes& messageBoxes) {
  dialog.CancelError = true;
  dialog.Filter = kSaveFilter;
  dialog.FilterIndex = 1;
  dialog.DialogTitle = saved.title;
  dialog.InitDir = saved.folder;
  const std::u16string& claim = saved.claimFile;
  dialog.FileName = claim.empty() ? std::u16string() : BaseNameOf(claim) + std::u16string(saved.suffix);
  try {
    dialog.ShowSave();
  } catch (const DialogCancelled&) {
    return;  // a cancel ends the command without a word
  }
  const std::u16string path = dialog.FileName;

  if (!claim.empty() && (path == claim || IsSameFile(path, claim))) {
    messageBoxes.Show(std::u16string(kNotOverClaimFile), MsgIcon::Exclamation, std::nullopt);
    return;
  }
  // A folder is not replaced: the write tells why.
  if (PathExists(path) && !IsFolder(path) &&
      !messageBoxes.AskYesNo(path + std::u16string(kAskReplace), MsgIcon::Question, std::nullopt))
    return;
  if (const std::optional<WriteFailure> failure = ReplaceFileContents(path, saved.bytes())) {
    const ErrInfo err{failure->number, std::u16string(BasicErrorText(failure->number))};
    messageBoxes.Show(ErrText(err) + u"\n" + path + u"\n" + failure->systemText, MsgIcon::Critical, std::nullopt);
  }
}

void frmPellora::SaveDisplay_Click() {
  SaveBesideClaim(SaveDialog1_,
                  {kSaveTitle, kSavedNameSuffix, LastFolder_, claim_->file, [this] { return DisplayCsv(*claim_); }},
                  messageBoxes_);
}

// The rows are the claim's, in the order the grid shows them: row r of the
// claim is grid row r + 1, below the heading row.
bool frmPellora::FindInDisplay(std::u16string_view what, bool forward) {
  FlexGrid& grid = vsfViewer_;
  const std::vector<DisplayRow>& rows = claim_->rows;
  const int fixed = grid.FixedRows();
  const int count = static_cast<int>(rows.size());
  if (count <= 0 || count != grid.Rows() - fixed) return false;
  // From the heading row the search starts at the first (last) row.
  const int current = grid.Row() >= fixed ? grid.Row() - fixed : (forward ? -1 : count);
  const FindNeedle needle(what);
  for (int step = 1; step <= count; ++step) {
    const int r = ((current + (forward ? step : -step)) % count + count) % count;
    const DisplayRow& row = rows[static_cast<std::size_t>(r)];
    if (needle.In(row.insured) || needle.In(row.name)) {
      SelectRows(grid, fixed + r, fixed + r);
      return true;
    }
  }
  return false;
}

void frmPellora::DropFiles(const std::vector<std::u16string>& paths) {
  if (paths.empty()) return;
  try {
    ClearClaimDisplay();
    CommonDialog1_.FileName = paths.front();
    ShowChosenFile(paths.front());
  } catch (...) {
    // As with the file choice: a failure of a step ends the display there.
  }
}

void frmPellora::Check_Click() {
  frmCheck check(*this, messageBoxes_, CommonDialog1_.Platform);
  if (Dialogs_) Dialogs_->ShowModal(check);
}

// The rows are the claim's, in the order the grid shows them.
bool frmPellora::SelectRowOf(const check::Finding& finding) {
  std::optional<std::size_t> row;
  if (!finding.insuredNumber.empty())
    row = RowOfPerson(*claim_, finding.serviceMonth, finding.insuredNumber, finding.insurerNumber);
  if (!row && finding.line > 0) row = RowOfLine(*claim_, finding.line);
  const int fixed = vsfViewer_.FixedRows();
  if (!row || static_cast<int>(claim_->rows.size()) != vsfViewer_.Rows() - fixed) return false;
  SelectRows(vsfViewer_, fixed + static_cast<int>(*row), fixed + static_cast<int>(*row));
  return true;
}

print::Pages frmPellora::DisplayPages(const print::Sheet& sheet, const print::TextWidth& textWidth,
                                      common::CivilDate printed) const {
  return print::Pages::LayOut(claim_, print::WindowColumnWidths(textWidth), sheet, textWidth, printed);
}

}  // namespace pellora
