// The user's commands on the main window: the file choice, closing, the
// database dialog, and the re-sort of the display grid.

#include "display/viewer_grid.h"
#include "platform/platform_path.h"
#include "shell/frmPellora.h"

namespace pellora {
namespace {

constexpr std::u16string_view kClaimFileFilter =
    u"CSV ファイル (*.csv)|*.csv|"
    u"テキスト ファイル (*.txt)|*.txt|"
    u"すべてのファイル (*.*)|*.*";
constexpr std::u16string_view kDatabaseNotFound = u"データベースが見つかりません";

}  // namespace

// The claim that goes leaves only what the window keeps of the last file
// shown until a file with records replaces it: the caption beside the
// year-month and whether the totals show サービス and ケアプラン.
void frmPellora::ClearClaimDisplay() {
  lblCsvFname_.Caption.clear();
  vsfCsv_.SetRows(1);
  auto none = std::make_shared<ClaimView>();
  none->yearMonthCaption = claim_->yearMonthCaption;
  none->showsServiceTotals = claim_->showsServiceTotals;
  ShowClaim(std::move(none));
  Caption_ = kTitle;
}

// The display is cleared before the dialog shows, so a cancel leaves no
// claim on the window; a file that then fails to load still moves the next
// dialog to its folder.
void frmPellora::comFileSelect_Click() {
  try {
    CommonDialog1_.CancelError = true;
    ClearClaimDisplay();
    CommonDialog1_.Filter = kClaimFileFilter;
    CommonDialog1_.FilterIndex = 1;
    CommonDialog1_.InitDir = LastFolder_;
    // The dialog shows no read-only check box and takes a typed name whether
    // or not such a file exists: there are no options to set.
    CommonDialog1_.ShowOpen();
    ShowChosenFile(CommonDialog1_.FileName);
  } catch (...) {
    // A cancel or a failure ends the command where it is, without a word.
  }
}

void frmPellora::ShowChosenFile(const std::u16string& path) {
  lblCsvFname_.Caption = path;
  Caption_ = std::u16string(kTitle) + u" (" + path + u")";
  LastFolder_ = FolderOf(path);
  ShowCsvFile(path);
}

void frmPellora::cmdJob_Click(int /*Index*/) { Unload(); }

// The choice lasts until the program ends; the settings file is never
// written. An empty answer changes nothing, not even the claim on display.
// The dialog offers the path last used or typed, not the database box's
// text, which after a failed path is a status in words.
void frmPellora::Command1_Click() {
  frmSetDBname dialog(CommonDialog1_.Platform);
  dialog.Text1.Text = LastDBInput_;
  if (Dialogs_) Dialogs_->ShowModal(dialog);
  const std::u16string chosen = dialog.Answer();
  if (chosen.empty()) return;

  ClearClaimDisplay();
  // A chosen file that does not open is told in words, with the path, so
  // that a mistyped one shows where it went wrong.
  if (!UseDatabase(chosen)) lblDBname_[1].Text = std::u16string(kDatabaseNotFound) + u": " + chosen;
}

// The grid's user event, which the window binds to a heading's click: the
// keys are the clicked column alone.
void frmPellora::vsfViewer_HeadingClick(int col) {
  if (col < 0 || col >= vsfViewer_.Cols()) return;
  SortViewerByColumn(*claim_, vsfViewer_, col);
}

}  // namespace pellora
