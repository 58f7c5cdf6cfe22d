// The display pipeline: a claim file read into a claim with its names
// (reader/claim_reader.h), and the window's controls drawn from it in the
// one order in which the display's steps make what they show; and the
// window's small text routine CharPos.

#include <limits>

#include "check/check_report.h"
#include "display/header_labels.h"
#include "display/load_csv_grid.h"
#include "display/sort_grid.h"
#include "display/total_grid.h"
#include "display/viewer_grid.h"
#include "errors/routine_error.h"
#include "reader/claim_reader.h"
#include "shell/frmPellora.h"
#include "text/number_text.h"

namespace pellora {

// No step catches here: whatever fails ends the display where it is and
// goes to the caller, which decides what the user is told. What is wrong
// with a file that loaded is told once the window shows the display,
// however little it shows: an empty display never stays unexplained. A file
// that did not load is told as it is drawn, and gets no second box.
//
// The window carries what the file shown before decided, where this file
// decides nothing: the caption beside the year-month and whether the
// totals show サービス and ケアプラン.
void frmPellora::ShowCsvFile(const std::u16string& path) {
  auto claim = std::make_shared<ClaimView>();
  claim->yearMonthCaption = claim_->yearMonthCaption;
  claim->showsServiceTotals = claim_->showsServiceTotals;
  const auto show = [&] {
    LoadCsvGrid(claim->records, vsfCsv_, messageBoxes_);
    ShowClaim(claim);
  };
  try {
    ReadClaim(path, NameDatabase{DBFound_, DBPath_}, *claim);
  } catch (...) {
    show();
    throw;
  }
  show();
  warningsPending_ = !claim->warnings.empty() || (claim->check && claim->check->errors > 0);
}

// One box for all of them, and only once: the warnings belong to the claim
// on display, and the next claim shown drops any still untold. The check's
// errors are told in one line, with where to see them; its notices alone
// open no box.
void frmPellora::ShowPendingWarnings() {
  if (!warningsPending_ || Unloaded_) return;
  warningsPending_ = false;
  messageBoxes_.Show(WarningText(*claim_), MsgIcon::Exclamation, std::u16string(kTitle));
}

std::u16string frmPellora::WarningText(const ClaimView& claim) {
  std::u16string text;
  for (const FileWarning& warning : claim.warnings) {
    if (!text.empty()) text += u'\n';
    text += warning.text;
  }
  if (claim.check && claim.check->errors > 0) {
    if (!text.empty()) text += u'\n';
    text += check::SummaryLine(*claim.check) + std::u16string(kCheckHint);
  }
  return text;
}

// One line for the status line: the box's first warning and how many
// more, then the check's errors; the tool tip has them all.
std::u16string frmPellora::ClaimStatus(const ClaimView& claim) {
  std::u16string text;
  if (!claim.warnings.empty()) {
    text = u"警告: " + claim.warnings.front().text;
    if (claim.warnings.size() > 1)
      text += u"（ほか " + DecimalText(static_cast<std::int64_t>(claim.warnings.size() - 1)) + u" 件）";
  }
  if (claim.check && claim.check->errors > 0) {
    if (!text.empty()) text += u"　";
    text += check::SummaryLine(*claim.check) + u"（一覧は Ctrl+K）";
  }
  return text;
}

// The claim first, which the clerk acts on now; the database after it.
void frmPellora::ShowStatus() {
  std::u16string line = ClaimStatus(*claim_);
  std::u16string whole = WarningText(*claim_);
  if (!DBFound_) {
    const std::u16string hint = DatabaseHint();
    line += (line.empty() ? u"" : u"　") + hint;
    whole += (whole.empty() ? u"" : u"\n") + hint;
  }
  lblStatus_.Caption = std::move(line);
  lblStatus_.ToolTipText = std::move(whole);
}

// The controls in the order the steps make what they show: the header, the
// sort grid,
// the display rows, the totals, and the names last. The hidden grids copy
// the claim only when somebody looks at them. Without records (no file, or
// one of a line) the display and totals grids keep only their headings,
// and their current cells and widths stay as they were.
void frmPellora::ShowClaim(std::shared_ptr<ClaimView> claim) {
  claim_ = std::move(claim);
  warningsPending_ = false;
  ShowStatus();
  ShowHeadNumbers(*claim_, lblHead_, lblHeadCaption_[0]);
  ShowSortRecords(claim_, vsfSort_);
  if (claim_->records.Rows() >= 2) {
    SelectSortKeys(vsfSort_);
    ShowViewerPersons(*claim_, vsfViewer_);
    ShowTotals(*claim_, vsfTotal_);
  } else {
    vsfViewer_.SetRows(1);
    vsfTotal_.SetRows(1);
  }
  ShowProviderName(*claim_, lblHead_[3]);
  if (claim_->records.Rows() >= 2) ShowViewerNames(*claim_, vsfViewer_);
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
