#include "shell/frmCheck.h"

#include <algorithm>
#include <utility>

#include "check/check_report.h"
#include "grid/selection_text.h"
#include "platform/platform_path.h"
#include "shell/frmPellora.h"
#include "shell/save_beside_claim.h"
#include "text/number_text.h"
#include "text/sort_rules.h"

namespace pellora {
namespace {

// In CheckControl's order, which is the tab order: the findings first, as
// the window is opened to read them.
constexpr std::array<ControlDesign, kCheckControlCount> kCheckControls = {{
    {u"vsfFindings", ControlKind::Grid, u"", {120, 480, 11760, 4335}, u""},
    {u"vsfAmounts", ControlKind::Grid, u"", {120, 5220, 11760, 1575}, u""},
    {u"cmdSave", ControlKind::Button, frmCheck::kSaveCaption, {120, 6930, 2415, 435}, u"指摘と金額を CSV ファイルに保存します"},
    {u"cmdClose", ControlKind::Button, frmCheck::kCloseCaption, {10365, 6930, 1515, 435}, u"", kButtonFaceColor, false, false, false,
     true},
    {u"lblSummary", ControlKind::Label, u"", {120, 120, 11760, 315}, u""},
    {u"lblAmounts", ControlKind::Label, frmCheck::kAmountsCaption, {120, 4920, 11760, 255}, u""},
}};

constexpr std::u16string_view kSaveTitle = u"点検結果を CSV ファイルに保存";
constexpr std::u16string_view kSavedNameSuffix = u"_点検.csv";

FlexGrid::Alignment GridAlignment(ColumnAlign align) {
  return align == ColumnAlign::Right ? FlexGrid::Alignment::Right : FlexGrid::Alignment::Left;
}

std::u16string Joined(std::span<const std::u16string_view> headings) {
  std::u16string format;
  for (const std::u16string_view heading : headings) {
    if (!format.empty()) format += u'|';
    format += heading;
  }
  return format;
}

std::u16string Number(std::int64_t value) { return DecimalText(value); }

}  // namespace

const ControlDesign& Design(CheckControl control) { return kCheckControls[static_cast<std::size_t>(control)]; }

std::u16string CellText(const check::Finding& finding, const FindingColumn& column) {
  switch (column.value) {
    case FindingValue::Line: return finding.line > 0 ? Number(finding.line) : u"";
    case FindingValue::Severity: return std::u16string(check::SeverityText(finding.severity));
    case FindingValue::Form: return std::u16string(check::FormText(finding.form));
    case FindingValue::Month: return finding.serviceMonth;
    case FindingValue::Insurer: return finding.insurerNumber;
    case FindingValue::Insured: return finding.insuredNumber;
    case FindingValue::Name: return finding.name;
    case FindingValue::Item: return finding.item;
    case FindingValue::Message: return finding.message;
    case FindingValue::Rule: return std::u16string(finding.rule.begin(), finding.rule.end());
    case FindingValue::FederationCode:
      return std::u16string(finding.federationCode.begin(), finding.federationCode.end());
  }
  return {};
}

frmCheck::frmCheck(frmPellora& main, MessageBoxes& messageBoxes, FileDialogs* fileDialogs)
    : main_(main),
      messageBoxes_(messageBoxes),
      claim_(main.SharedClaim()),
      vsfFindings_(GridDesign{1, static_cast<int>(kFindingColumns.size()), 1, 0}),
      vsfAmounts_(GridDesign{1, static_cast<int>(kAmountHeadings.size()), 1, 0}) {
  saveDialog_.Platform = fileDialogs;
  const std::u16string_view file = FileNameOf(claim_->file);
  caption_ = std::u16string(kCaption) + (file.empty() ? u"" : u" - " + std::u16string(file));
  lblAmounts_.Caption = kAmountsCaption;
  for (Label* label : {&lblSummary_, &lblAmounts_}) label->BackColor = kButtonFaceColor;
  const check::Report* report = Report();
  if (!report) {
    lblSummary_.Caption = kNoClaim;
  } else {
    lblSummary_.Caption = check::SummaryLine(*report) + u"　" +
                          (report->findings.empty() ? std::u16string(kNoFindings) : u"");
    while (!lblSummary_.Caption.empty() && lblSummary_.Caption.back() == u'　') lblSummary_.Caption.pop_back();
  }
  ShowFindings();
  ShowAmounts();
}

const Label* frmCheck::LabelOf(CheckControl control) const {
  if (control == CheckControl::lblSummary) return &lblSummary_;
  if (control == CheckControl::lblAmounts) return &lblAmounts_;
  return nullptr;
}

const FlexGrid* frmCheck::GridOf(CheckControl control) const {
  if (control == CheckControl::vsfFindings) return &vsfFindings_;
  if (control == CheckControl::vsfAmounts) return &vsfAmounts_;
  return nullptr;
}

FlexGrid* frmCheck::GridOf(CheckControl control) {
  return const_cast<FlexGrid*>(std::as_const(*this).GridOf(control));
}

void frmCheck::ShowFindings() {
  std::vector<std::u16string_view> headings;
  for (const FindingColumn& column : kFindingColumns) headings.push_back(column.heading);
  vsfFindings_.SetFormatString(Joined(headings));
  for (std::size_t c = 0; c < kFindingColumns.size(); ++c) {
    vsfFindings_.SetColWidth(static_cast<int>(c), kFindingColumns[c].width);
    vsfFindings_.SetColAlignment(static_cast<int>(c), GridAlignment(kFindingColumns[c].align));
  }
  const check::Report* report = Report();
  const std::size_t count = report ? report->findings.size() : 0;
  vsfFindings_.SetRows(1 + static_cast<int>(count));
  findingOfRow_.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    findingOfRow_[i] = i;
    for (std::size_t c = 0; c < kFindingColumns.size(); ++c)
      vsfFindings_.SetTextMatrix(static_cast<int>(i) + 1, static_cast<int>(c),
                                 CellText(report->findings[i], kFindingColumns[c]));
  }
  vsfFindings_.SetRow(count > 0 ? 1 : 0);
  vsfFindings_.SetCol(0);
}

// Each month of a form: what the 請求書 states (where the file has one),
// then what its statements add up to, then its service kinds; the file's
// sums last.
void frmCheck::ShowAmounts() {
  vsfAmounts_.SetFormatString(Joined(kAmountHeadings));
  for (int c = 0; c < static_cast<int>(kAmountHeadings.size()); ++c) {
    vsfAmounts_.SetColWidth(c, kAmountWidths[static_cast<std::size_t>(c)]);
    vsfAmounts_.SetColAlignment(c, c >= 4 ? FlexGrid::Alignment::Right : FlexGrid::Alignment::Left);
  }
  const check::Report* report = Report();
  if (!report) return;
  const auto add = [this](std::u16string_view month, std::u16string_view form, std::u16string_view kind,
                          std::u16string_view what, const check::Figures& f) {
    const int r = vsfAmounts_.Rows();
    vsfAmounts_.SetRows(r + 1);
    const std::u16string cells[] = {std::u16string(month), std::u16string(form), std::u16string(kind),
                                    std::u16string(what),  Number(f.statements),  Number(f.units),
                                    Number(f.cost),        Number(f.insurance),   Number(f.publicExpense),
                                    Number(f.userShare)};
    for (int c = 0; c < static_cast<int>(std::size(cells)); ++c) vsfAmounts_.SetTextMatrix(r, c, cells[c]);
  };
  for (const check::AmountRow& row : report->amounts.rows) {
    const std::u16string_view form = check::FormText(row.form);
    if (row.stated) add(row.serviceMonth, form, row.serviceKind, kStatedRow, *row.stated);
    add(row.serviceMonth, form, row.serviceKind, kAddedRow, row.added);
  }
  if (report->amounts.stated) add(kFileRow, u"", u"", kStatedRow, *report->amounts.stated);
  add(kFileRow, u"", u"", kAddedRow, report->amounts.added);
  vsfAmounts_.SetRow(0);
  vsfAmounts_.SetCol(0);
}

void frmCheck::vsfFindings_HeadingClick(int col) {
  if (col < 0 || col >= vsfFindings_.Cols() || findingOfRow_.empty()) return;
  std::vector<std::u16string> texts;
  texts.reserve(findingOfRow_.size());
  for (std::size_t i = 0; i < findingOfRow_.size(); ++i)
    texts.push_back(CellText(Report()->findings[findingOfRow_[i]], kFindingColumns[static_cast<std::size_t>(col)]));
  const std::vector<std::u16string_view> keys(texts.begin(), texts.end());
  const std::vector<std::size_t> order = SortedRows(keys, 1, TextOrder::Generic);
  std::vector<std::size_t> findings;
  findings.reserve(order.size());
  for (const std::size_t from : order) findings.push_back(findingOfRow_[from]);
  findingOfRow_ = std::move(findings);
  vsfFindings_.SetRow(0);
  vsfFindings_.SetCol(col);
  vsfFindings_.SetColSel(col);
  vsfFindings_.ReorderRows(1, order);
  vsfFindings_.Refresh();
}

bool frmCheck::ChooseFinding(int row) {
  if (row < 1 || row > static_cast<int>(findingOfRow_.size())) return false;
  SelectRows(vsfFindings_, row, row);
  return main_.SelectRowOf(Report()->findings[findingOfRow_[static_cast<std::size_t>(row - 1)]]);
}

void frmCheck::SelectAllCells(CheckControl control) {
  FlexGrid* grid = GridOf(control);
  if (!grid || grid->Rows() <= grid->FixedRows()) return;
  SelectRows(*grid, grid->FixedRows(), grid->Rows() - 1);
}

frmCheck::ClipboardText frmCheck::CopySelection(CheckControl control) const {
  const FlexGrid* grid = GridOf(control);
  if (!grid || std::max(grid->Row(), grid->RowSel()) < grid->FixedRows()) return {};
  return {SelectionAsText(*grid), SelectionAsHtml(*grid)};
}

void frmCheck::cmdSave_Click() {
  if (!Report()) return;
  SaveBesideClaim(saveDialog_,
                  {kSaveTitle, kSavedNameSuffix, main_.LastFolder(), claim_->file,
                   [this] { return check::ReportCsv(*Report()); }},
                  messageBoxes_);
}

void frmCheck::cmdClose_Click() {
  if (unloaded_) return;
  unloaded_ = true;
  if (OnUnload) OnUnload();
}

}  // namespace pellora
