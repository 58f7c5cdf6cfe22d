#include "shell/frmPellora.h"

#include "text/platform_path.h"

namespace pellora {
namespace {

// Grid layouts as the window designs them; start-up then prepares the
// display and totals grids.
constexpr GridDesign kRawRecordGridDesign{1, 1, 1, 1};
constexpr GridDesign kSortGridDesign{0, 8, 0, 0};
constexpr GridDesign kViewerGridDesign{50, 10, 1, 1};
constexpr GridDesign kTotalGridDesign{2, 4, 1, 0};
constexpr std::u16string_view kTotalGridHeadings = u"月分|人数|サービス|ケアプラン";

}  // namespace

frmPellora::frmPellora(MessageBoxes& messageBoxes)
    : vsfCsv(kRawRecordGridDesign),
      vsfSort(kSortGridDesign),
      vsfViewer(kViewerGridDesign),
      vsfTotal(kTotalGridDesign),
      ProgramFolder(ExecutableFolder()),
      messageBoxes_(messageBoxes) {
  lblHeadCaption[0].Caption = u"年月";
  lblHeadCaption[1].Caption = u"種類";
  lblHeadCaption[2].Caption = u"事業所";
  // The header values stand out on the window background; their captions
  // sit on the window's face like any caption.
  for (Label& caption : lblHeadCaption) caption.BackColor = kButtonFaceColor;
  // The debug mode's path of the claim file is a plain caption as well.
  lblCsvFname.BackColor = kButtonFaceColor;
  for (std::size_t i = 0; i < kMainControlCount; ++i) Visible[i] = !Design(static_cast<MainControl>(i)).debugOnly;
  vsfTotal.SetFormatString(kTotalGridHeadings);
  vsfViewer.SetUserEventHandler([this] { SortViewerByColumn(); });
}

}  // namespace pellora
