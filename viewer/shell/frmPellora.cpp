#include "shell/frmPellora.h"

#include <utility>

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
  for (const TotalColumn& column : kTotalColumns) {
    if (!format.empty()) format += u'|';
    format += column.heading;
  }
  return format;
}

}  // namespace

frmPellora::Environment frmPellora::Environment::OfThisProgram(std::u16string commandLine) {
  SettingsFolders settings = ConfigurationFolders("pellora");
  return {std::move(commandLine), ExecutableFolder(), std::move(settings.then), std::move(settings.first)};
}

frmPellora::frmPellora(MessageBoxes& messageBoxes, Environment environment)
    : messageBoxes_(messageBoxes),
      environment_(std::move(environment)),
      vsfCsv_(kRawRecordGridDesign),
      vsfSort_(kSortGridDesign),
      vsfViewer_(kViewerGridDesign),
      vsfTotal_(kTotalGridDesign),
      claim_(std::make_shared<ClaimView>()) {
  lblHeadCaption_[0].Caption = CaptionText(YearMonthCaption::Design);
  lblHeadCaption_[1].Caption = kKindCaption;
  lblHeadCaption_[2].Caption = kProviderCaption;
  // The header values stand out on the window background; their captions
  // sit on the window's face like any caption.
  for (Label& caption : lblHeadCaption_) caption.BackColor = kButtonFaceColor;
  // The debug mode's path of the claim file is a plain caption as well.
  lblCsvFname_.BackColor = kButtonFaceColor;
  lblStatus_.BackColor = kButtonFaceColor;
  for (std::size_t i = 0; i < kMainControlCount; ++i) Visible_[i] = !Design(static_cast<MainControl>(i)).debugOnly;
  vsfTotal_.SetFormatString(TotalGridHeadings());
}

void frmPellora::Attach(Platform platform) {
  CommonDialog1_.Platform = platform.fileDialogs;
  SaveDialog1_.Platform = platform.fileDialogs;
  Dialogs_ = platform.dialogs;
  OnUnload_ = std::move(platform.onUnload);
}

const Label* frmPellora::LabelOf(MainControl control) const {
  switch (control) {
    case MainControl::lblCsvFname: return &lblCsvFname_;
    case MainControl::lblHeadCaption0: return &lblHeadCaption_[0];
    case MainControl::lblHeadCaption1: return &lblHeadCaption_[1];
    case MainControl::lblHeadCaption2: return &lblHeadCaption_[2];
    case MainControl::lblHead0: return &lblHead_[0];
    case MainControl::lblHead1: return &lblHead_[1];
    case MainControl::lblHead2: return &lblHead_[2];
    case MainControl::lblHead3: return &lblHead_[3];
    case MainControl::lblStatus: return &lblStatus_;
    default: return nullptr;
  }
}

MainLayout frmPellora::Layout() const {
  return {MainMinimumClientSize(ClientSizeOf(Size_), [this](MainControl control) { return IsVisible(control); }),
          DebugMode_};
}

const TextBox* frmPellora::TextBoxOf(MainControl control) const {
  if (control == MainControl::lblDBname0) return &lblDBname_[0];
  if (control == MainControl::lblDBname1) return &lblDBname_[1];
  return nullptr;
}

const FlexGrid* frmPellora::GridOf(MainControl control) const {
  switch (control) {
    case MainControl::vsfTotal: return &vsfTotal_;
    case MainControl::vsfViewer: return &vsfViewer_;
    case MainControl::vsfSort: return &vsfSort_;
    case MainControl::vsfCsv: return &vsfCsv_;
    default: return nullptr;
  }
}

FlexGrid* frmPellora::GridOf(MainControl control) {
  return const_cast<FlexGrid*>(std::as_const(*this).GridOf(control));
}

}  // namespace pellora
