#include "shell/frmPellora.h"

#include "platform/platform_path.h"

namespace pellora {
namespace {

// Grid layouts as the window designs them; start-up then prepares the
// display and totals grids.
constexpr GridDesign kRawRecordGridDesign{1, 1, 1, 1};
constexpr GridDesign kSortGridDesign{0, 8, 0, 0};
constexpr GridDesign kViewerGridDesign{50, 10, 1, 1};
constexpr GridDesign kTotalGridDesign{2, 4, 1, 0};

// The totals grid's headings as the design gives them.
std::u16string TotalGridHeadings() {
  std::u16string format;
  for (const std::u16string_view heading : kTotalHeadings) {
    if (!format.empty()) format += u'|';
    format += heading;
  }
  return format;
}

}  // namespace

frmPellora::frmPellora(MessageBoxes& messageBoxes)
    : vsfCsv(kRawRecordGridDesign),
      vsfSort(kSortGridDesign),
      vsfViewer(kViewerGridDesign),
      vsfTotal(kTotalGridDesign),
      ProgramFolder(ExecutableFolder()),
      SettingsFolders(ConfigurationFolders("pellora")),
      messageBoxes_(messageBoxes),
      claim_(std::make_shared<ClaimView>()) {
  lblHeadCaption[0].Caption = CaptionText(YearMonthCaption::Design);
  lblHeadCaption[1].Caption = kKindCaption;
  lblHeadCaption[2].Caption = kProviderCaption;
  // The header values stand out on the window background; their captions
  // sit on the window's face like any caption.
  for (Label& caption : lblHeadCaption) caption.BackColor = kButtonFaceColor;
  // The debug mode's path of the claim file is a plain caption as well.
  lblCsvFname.BackColor = kButtonFaceColor;
  for (std::size_t i = 0; i < kMainControlCount; ++i) Visible[i] = !Design(static_cast<MainControl>(i)).debugOnly;
  vsfTotal.SetFormatString(TotalGridHeadings());
  vsfViewer.SetUserEventHandler([this] { SortViewerByColumn(); });
}

const Label* frmPellora::LabelOf(MainControl control) const {
  switch (control) {
    case MainControl::lblCsvFname: return &lblCsvFname;
    case MainControl::lblHeadCaption0: return &lblHeadCaption[0];
    case MainControl::lblHeadCaption1: return &lblHeadCaption[1];
    case MainControl::lblHeadCaption2: return &lblHeadCaption[2];
    case MainControl::lblHead0: return &lblHead[0];
    case MainControl::lblHead1: return &lblHead[1];
    case MainControl::lblHead2: return &lblHead[2];
    case MainControl::lblHead3: return &lblHead[3];
    default: return nullptr;
  }
}

const TextBox* frmPellora::TextBoxOf(MainControl control) const {
  if (control == MainControl::lblDBname0) return &lblDBname[0];
  if (control == MainControl::lblDBname1) return &lblDBname[1];
  return nullptr;
}

FlexGrid* frmPellora::GridOf(MainControl control) {
  switch (control) {
    case MainControl::vsfTotal: return &vsfTotal;
    case MainControl::vsfViewer: return &vsfViewer;
    case MainControl::vsfSort: return &vsfSort;
    case MainControl::vsfCsv: return &vsfCsv;
    default: return nullptr;
  }
}

}  // namespace pellora
