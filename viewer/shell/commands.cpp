// The user's commands on the main window: the file choice, closing, the
// database dialog, and the re-sort of the display grid.

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

std::u16string frmPellora::FolderOf(const std::u16string& path) {
  const std::int16_t lastSeparator = CharPos(path, std::u16string_view(&kFolderSeparator, 1), 0);
  if (lastSeparator == 0) return CurrentFolder();
  // A file in the root: its folder is the root, not "". (A file in the
  // root of a Windows drive, C:\claim.csv, has the folder "C:", the text
  // before its last separator.)
  if (lastSeparator == 1) return std::u16string(1, kFolderSeparator);
  return path.substr(0, static_cast<std::size_t>(lastSeparator - 1));
}

// The claim that goes leaves only what the window keeps of the last file
// shown until a file with records replaces it: the caption beside the
// year-month and whether the totals show サービス and ケアプラン.
void frmPellora::ClearClaimDisplay() {
  lblCsvFname.Caption.clear();
  vsfCsv.SetRows(1);
  auto none = std::make_shared<ClaimView>();
  none->yearMonthCaption = claim_->yearMonthCaption;
  none->showsServiceTotals = claim_->showsServiceTotals;
  ShowClaim(std::move(none));
  Caption = kTitle;
}

// The display is cleared before the dialog shows, so a cancel leaves no
// claim on the window; a file that then fails to load still moves the next
// dialog to its folder.
void frmPellora::comFileSelect_Click() {
  try {
    CommonDialog1.CancelError = true;
    ClearClaimDisplay();
    CommonDialog1.Filter = kClaimFileFilter;
    CommonDialog1.FilterIndex = 1;
    CommonDialog1.InitDir = LastFolder;
    // The dialog shows no read-only check box and takes a typed name whether
    // or not such a file exists: there are no options to set.
    CommonDialog1.ShowOpen();
    ShowChosenFile(CommonDialog1.FileName);
  } catch (...) {
    // A cancel or a failure ends the command where it is, without a word.
  }
}

void frmPellora::ShowChosenFile(const std::u16string& path) {
  lblCsvFname.Caption = path;
  Caption = std::u16string(kTitle) + u" (" + path + u")";
  LastFolder = FolderOf(path);
  ShowCsvFile();
}

void frmPellora::cmdJob_Click(int /*Index*/) { Unload(); }

// The choice lasts until the program ends; the settings file is never
// written. An empty answer changes nothing, not even the claim on display.
// The dialog offers the path last used or typed, not the database box's
// text, which after a failed path is a status in words.
void frmPellora::Command1_Click() {
  frmSetDBname dialog;
  dialog.Text1.Text = LastDBInput;
  if (Dialogs) Dialogs->ShowModal(dialog);
  const std::u16string chosen = dialog.Answer();
  if (chosen.empty()) return;

  ClearClaimDisplay();
  // A chosen file that does not open is told in words instead of its path.
  if (!UseDatabase(chosen)) lblDBname[1].Text = kDatabaseNotFound;
}

void frmPellora::vsfViewer_HeadingClick(int col) {
  if (col < 0 || col >= vsfViewer.Cols()) return;
  vsfViewer.SetCol(col);
  vsfViewer.RaiseUserEvent();
}

}  // namespace pellora
