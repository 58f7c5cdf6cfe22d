#include "shell/window_design.h"

#include <algorithm>
#include <string>

namespace pellora {
namespace {

using enum ControlKind;

// In MainControl's order, which is the tab order.
constexpr std::array<ControlDesign, kMainControlCount> kMainControls = {{
    {u"comFileSelect", Button, u"ファイル選択(&O)", {120, 6960, 1515, 495}, u"CSVファイルを選択します"},
    {u"cmdJob(0)", Button, u"閉じる(&C)", {8340, 6960, 1515, 495}, u"終了します"},
    {u"Label1", Label, u"&INI　名", {1740, 6900, 795, 255}, u""},
    {u"lblDBname(0)", TextBox, u"", {2580, 6840, 5655, 375}, u"", kWindowBackgroundColor},
    {u"Command1", Button, u"&DB　名", {1680, 7200, 915, 375}, u"参照データベースファイルを指定します"},
    {u"lblDBname(1)", TextBox, u"", {2580, 7200, 5655, 375}, u"", kWindowBackgroundColor},
    {u"vsfTotal", Grid, u"", {6540, 120, 3375, 795}, u""},
    {u"vsfViewer", Grid, u"", {120, 1020, 9795, 5775}, u""},
    {u"vsfSort", Grid, u"", {10020, 120, 3735, 6675}, u"", kButtonFaceColor, false, true},
    {u"vsfCsv", Grid, u"", {240, 7680, 13395, 3075}, u"", kButtonFaceColor, false, true},
    {u"lblCsvFname", Label, u"", {240, 10860, 13395, 495}, u"", kButtonFaceColor, false, true},
    {u"lblHeadCaption(0)", Label, u"年月", {3480, 180, 1155, 315}, u""},
    {u"lblHeadCaption(1)", Label, u"種類", {60, 180, 615, 315}, u""},
    {u"lblHeadCaption(2)", Label, u"事業所", {60, 600, 615, 315}, u""},
    // The header values: a single border on the window background, so that
    // they read as fields.
    {u"lblHead(0)", Label, u"", {4740, 120, 1755, 375}, u"", kWindowBackgroundColor, true},
    {u"lblHead(1)", Label, u"", {720, 120, 2115, 375}, u"", kWindowBackgroundColor, true},
    {u"lblHead(2)", Label, u"", {720, 540, 1695, 375}, u"", kWindowBackgroundColor, true},
    {u"lblHead(3)", Label, u"", {2460, 540, 4035, 375}, u"", kWindowBackgroundColor, true},
    // Below the database box; MainLayout keeps it at the client area's
    // bottom edge in every size and mode.
    {u"lblStatus", Label, u"", {120, 7575 + kStatusLineGap, 9750, kStatusLineHeight}, u""},
}};

constexpr std::array<ControlDesign, kDialogControlCount> kDialogControls = {{
    {u"Text1", TextBox, u"", {1740, 360, 4815, 375}, u"", kWindowBackgroundColor},
    // Below the box's left edge, beside the two buttons, as far from 登　録
    // as キャンセル is.
    {u"Command2", Button, u"参照...", {1740, 1020, 1095, 375}, u"データベースファイルを選択します"},
    {u"Command1(0)", Button, u"登　録", {2940, 1020, 1755, 375}, u"", kButtonFaceColor, false, false, true},
    {u"Command1(1)", Button, u"キャンセル", {4800, 1020, 1755, 375}, u"", kButtonFaceColor, false, false, false,
     true},
    {u"Label1", Label, u"データベース名", {240, 420, 1455, 315}, u""},
}};

}  // namespace

char16_t AccessKey(std::u16string_view caption) {
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != u'&') continue;
    if (caption[i + 1] == u'&') {
      ++i;  // "&&" is a plain "&"
      continue;
    }
    const char16_t key = caption[i + 1];
    return key >= u'a' && key <= u'z' ? static_cast<char16_t>(key - u'a' + u'A') : key;
  }
  return 0;
}

std::u16string ShownCaption(std::u16string_view caption) {
  std::u16string shown;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == u'&' && i + 1 < caption.size()) ++i;
    shown += caption[i];
  }
  return shown;
}

TwipsSize ClientSizeNeeded(const std::function<bool(MainControl)>& shown) {
  TwipsSize needed;
  for (std::size_t i = 0; i < kMainControlCount; ++i) {
    const MainControl control = static_cast<MainControl>(i);
    if (!shown(control)) continue;
    needed.width = std::max(needed.width, Design(control).rect.right());
    needed.height = std::max(needed.height, Design(control).rect.bottom());
  }
  return needed;
}

TwipsSize MainMinimumClientSize(TwipsSize designClient, const std::function<bool(MainControl)>& shown) {
  const TwipsSize needed =
      ClientSizeNeeded([&shown](MainControl control) { return control != MainControl::lblStatus && shown(control); });
  return {std::max(designClient.width, needed.width),
          std::max(designClient.height, needed.height) + kStatusLineGap + kStatusLineHeight};
}

TwipsRect MainLayout::Place(MainControl control, TwipsSize client) const {
  const int wider = std::max(0, client.width - minimum.width);
  const int taller = std::max(0, client.height - minimum.height);
  // The height gained above the buttons; in the debug mode the raw record
  // grid below them takes the rest.
  const int upper = debug ? taller / 2 : taller;
  TwipsRect rect = Design(control).rect;
  using enum MainControl;
  switch (control) {
    case vsfViewer:
      rect.width += wider;
      rect.height += upper;
      break;
    case vsfTotal: rect.left += wider; break;
    case vsfSort:
      rect.left += wider;
      rect.height += upper;
      break;
    case comFileSelect:
    case Label1:
    case Command1: rect.top += upper; break;
    case lblDBname0:
    case lblDBname1:
      rect.top += upper;
      rect.width += wider;
      break;
    case cmdJob0:
      rect.left += wider;
      rect.top += upper;
      break;
    case vsfCsv:
      rect.top += upper;
      rect.width += wider;
      rect.height += taller - upper;
      break;
    case lblCsvFname:
      rect.top += taller;
      rect.width += wider;
      break;
    case lblStatus: {
      const int width = std::max(minimum.width, client.width);
      const int height = std::max(minimum.height, client.height);
      rect = {rect.left, height - kStatusLineHeight, width - 2 * rect.left, kStatusLineHeight};
      break;
    }
    default: break;  // the header: at the top left, as designed
  }
  return rect;
}

const ControlDesign& Design(MainControl control) { return kMainControls[static_cast<std::size_t>(control)]; }

const ControlDesign& Design(DialogControl control) { return kDialogControls[static_cast<std::size_t>(control)]; }

}  // namespace pellora
