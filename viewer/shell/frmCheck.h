#pragma once
// frmCheck: the window 「点検」 over the main window, as a plain object: what
// the claim check (check/check.h) found in the claim on display, a finding
// a row (its line, person, form, month, item, message, codes, エラー or
// 確認), and the month's amounts as the statements add them up beside what
// the 請求書 states. The findings sort by a heading, copy and save as the
// display does, and choosing one selects its person's row in the display.
// Closing it changes nothing. The main window opens it modally (its
// ModalDialogs), so the report it shows is the claim's on display all the
// while; a view draws it from this object and its design, as the main
// window's views do.

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "check/check.h"
#include "claim/claim_view.h"
#include "controls/controls.h"
#include "controls/message_boxes.h"
#include "grid/flex_grid.h"
#include "shell/common_dialog.h"
#include "shell/window_design.h"

namespace pellora {

class frmPellora;

// Every control of the window, in its tab order.
enum class CheckControl : std::size_t {
  vsfFindings,
  vsfAmounts,
  cmdSave,
  cmdClose,
  lblSummary,
  lblAmounts,
  Count,
};
inline constexpr std::size_t kCheckControlCount = static_cast<std::size_t>(CheckControl::Count);

const ControlDesign& Design(CheckControl control);

inline constexpr TwipsSize kCheckClientSize{12000, 7500};

// The findings grid's columns: what each holds of a finding. Row 0 holds
// the headings; no fixed column.
enum class FindingValue { Line, Severity, Form, Month, Insurer, Insured, Name, Item, Message, Rule, FederationCode };
struct FindingColumn {
  std::u16string_view heading;
  FindingValue value;
  ColumnAlign align;
  int width;  // twips
};
inline constexpr std::array<FindingColumn, 11> kFindingColumns = {{
    {u"行", FindingValue::Line, ColumnAlign::Right, 600},
    {u"区分", FindingValue::Severity, ColumnAlign::Left, 660},
    {u"様式", FindingValue::Form, ColumnAlign::Left, 510},
    {u"年月", FindingValue::Month, ColumnAlign::Left, 780},
    {u"保険者番号", FindingValue::Insurer, ColumnAlign::Right, 1080},
    {u"被保険者番号", FindingValue::Insured, ColumnAlign::Right, 1260},
    {u"氏名", FindingValue::Name, ColumnAlign::Left, 1380},
    {u"項目", FindingValue::Item, ColumnAlign::Left, 1500},
    {u"内容", FindingValue::Message, ColumnAlign::Left, 4500},
    {u"規則", FindingValue::Rule, ColumnAlign::Left, 2400},
    {u"事由", FindingValue::FederationCode, ColumnAlign::Left, 600},
}};
std::u16string CellText(const check::Finding& finding, const FindingColumn& column);

// The amounts grid's columns, and their widths in twips.
inline constexpr std::array<std::u16string_view, 10> kAmountHeadings = {
    u"年月", u"様式", u"種類", u"内訳", u"件数", u"単位数", u"費用合計", u"保険請求額", u"公費請求額", u"利用者負担"};
inline constexpr std::array<int, 10> kAmountWidths = {900, 510, 510, 1350, 1080, 1080, 1200, 1200, 1200, 1200};
// What a row of the amounts is.
inline constexpr std::u16string_view kStatedRow = u"請求書の記載";
inline constexpr std::u16string_view kAddedRow = u"明細書の合計";
inline constexpr std::u16string_view kFileRow = u"ファイル";

class frmCheck {
 public:
  static constexpr std::u16string_view kCaption = u"点検";
  static constexpr std::u16string_view kAmountsCaption = u"金額（明細書の合計と請求書の記載）";
  static constexpr std::u16string_view kNoFindings = u"この請求ファイルに指摘はありません。";
  static constexpr std::u16string_view kNoClaim = u"点検する請求ファイルがありません。";
  static constexpr std::u16string_view kSaveCaption = u"CSV ファイルに保存(&S)...";
  static constexpr std::u16string_view kCloseCaption = u"閉じる(&C)";

  // The check of the claim `main` has on display; its save asks through
  // `fileDialogs` and reports through `messageBoxes`.
  frmCheck(frmPellora& main, MessageBoxes& messageBoxes, FileDialogs* fileDialogs);
  frmCheck(const frmCheck&) = delete;
  frmCheck& operator=(const frmCheck&) = delete;

  // ---- What a view draws ----
  const std::u16string& Caption() const { return caption_; }
  const Label* LabelOf(CheckControl control) const;
  const FlexGrid* GridOf(CheckControl control) const;
  FlexGrid* GridOf(CheckControl control);
  const check::Report* Report() const { return claim_->check.get(); }
  bool Unloaded() const { return unloaded_; }

  // ---- Commands ----
  // A heading's click: the findings ordered by that column (numbers as
  // numbers), rows of equal keys in their order.
  void vsfFindings_HeadingClick(int col);
  // A finding chosen (a double click, Enter): its person's row selected in
  // the display, or else the row made from its line. False when the
  // display has no row of it (the control record, a person of a record the
  // display does not show).
  bool ChooseFinding(int row);
  // Ctrl+A, Ctrl+C on a grid, as on the display's grids.
  void SelectAllCells(CheckControl grid);
  struct ClipboardText {
    std::u16string text;
    std::u16string html;
  };
  ClipboardText CopySelection(CheckControl grid) const;
  // "CSV ファイルに保存...": the report (check/check_report.h) as the save
  // of the display writes its file: asks for a path, refuses the claim file,
  // asks before replacing, whole or not at all.
  void cmdSave_Click();
  // "閉じる", Esc: closes the window; nothing else changes.
  void cmdClose_Click();
  std::function<void()> OnUnload;

 private:
  void ShowFindings();
  void ShowAmounts();

  frmPellora& main_;
  MessageBoxes& messageBoxes_;
  std::shared_ptr<const ClaimView> claim_;
  std::u16string caption_;
  Label lblSummary_;
  Label lblAmounts_;
  FlexGrid vsfFindings_;
  FlexGrid vsfAmounts_;
  CommonDialog saveDialog_;
  // The finding each row below the headings shows, in the rows' order.
  std::vector<std::size_t> findingOfRow_;
  bool unloaded_ = false;
};

}  // namespace pellora
