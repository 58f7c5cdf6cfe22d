#pragma once
// The design of Pellora's two windows as data: every control's kind,
// caption, position and size in twips, tooltip, access key and place in the
// tab order, and the window sizes. The windows' routines change captions,
// colours, visibility and size; everything else about a window is here, so
// that a view lays the windows out by reading this and nothing else.
//
// Twips: 1440 per inch. At the 96 dots per inch the design was made for,
// one pixel is 15 twips; a view scales pixels by its screen's pixel ratio.

#include <array>
#include <cstddef>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

#include "controls/controls.h"
#include "display/column_widths.h"

namespace pellora {

struct TwipsRect {
  int left = 0, top = 0, width = 0, height = 0;
  constexpr int right() const { return left + width; }
  constexpr int bottom() const { return top + height; }
};

struct TwipsSize {
  int width = 0, height = 0;
  bool operator==(const TwipsSize&) const = default;
};

enum class ControlKind {
  Label,    // a caption; with an access key it hands the focus on
  TextBox,  // a box of text the user can select and copy
  Button,
  Grid,
};

struct ControlDesign {
  std::u16string_view name;  // as the routines call it: "lblHead(3)", "cmdJob(0)"
  ControlKind kind;
  // The design-time caption; "&" marks the access key, "&&" is an "&".
  std::u16string_view caption;
  TwipsRect rect;
  std::u16string_view toolTip;
  OleColor backColor = kButtonFaceColor;
  bool singleBorder = false;
  // Shown only while the window is in debug mode.
  bool debugOnly = false;
  // Pressing Enter anywhere in the window presses it / pressing Esc does.
  bool defaultButton = false;
  bool cancelButton = false;
};

// The access key of a caption: the letter after a single "&", upper-cased;
// 0 when there is none.
char16_t AccessKey(std::u16string_view caption);
// A caption as it is shown: without its access-key marks ("&&" shows "&").
std::u16string ShownCaption(std::u16string_view caption);

// ---- The main window frmPellora ----

// Every control of the main window, in its tab order: the order in which
// the Tab key visits those that take the focus (labels and hidden controls
// are passed over). A label's access key gives the focus to the next
// control in this order that takes it.
enum class MainControl : std::size_t {
  comFileSelect,
  cmdJob0,
  Label1,
  lblDBname0,
  Command1,
  lblDBname1,
  vsfTotal,
  vsfViewer,
  vsfSort,
  vsfCsv,
  lblCsvFname,
  lblHeadCaption0,
  lblHeadCaption1,
  lblHeadCaption2,
  lblHead0,
  lblHead1,
  lblHead2,
  lblHead3,
  // The status line under the boxes: what stays to be said of the claim
  // and the database after their boxes have closed.
  lblStatus,
  Count,
};
inline constexpr std::size_t kMainControlCount = static_cast<std::size_t>(MainControl::Count);

const ControlDesign& Design(MainControl control);

// The window's client area as designed: the debug mode keeps it.
inline constexpr TwipsSize kMainDesignClientSize{13830, 11520};
// The window's outer size outside the debug mode, which leaves the debug
// controls below and to the right of the visible area.
inline constexpr TwipsSize kMainNormalOuterSize{10080, 7950};

// The frame around a client area on the desktop the design was made for: a
// fixed single border of 3 pixels on each side and a title bar of 19.
// An outer size minus this is the client area a view gives its window, as
// its own platform draws the frame.
inline constexpr int kFrameBorderTwips = 3 * kTwipsPerPixel;
inline constexpr int kTitleBarTwips = 19 * kTwipsPerPixel;
constexpr TwipsSize ClientSizeOf(TwipsSize outer) {
  return {outer.width - 2 * kFrameBorderTwips, outer.height - 2 * kFrameBorderTwips - kTitleBarTwips};
}
constexpr TwipsSize OuterSizeOf(TwipsSize client) {
  return {client.width + 2 * kFrameBorderTwips, client.height + 2 * kFrameBorderTwips + kTitleBarTwips};
}

// The client area the shown controls need: out to the right edge and the
// bottom edge of the furthest of them (the design leaves no margin below
// the database box).
TwipsSize ClientSizeNeeded(const std::function<bool(MainControl)>& shown);

// ---- The window's size, and where its controls go in it ----

// The status line: one line of the window's text at the bottom of the
// client area, below everything the design places (the boxes, or in the
// debug mode the claim file's path).
inline constexpr int kStatusLineHeight = 300;
inline constexpr int kStatusLineGap = 45;

// The smallest client area of the main window: `designClient` (the
// client area of the size start-up gave the window), grown where the shown
// controls of `shown` reach further, and the status line below. The window
// opens at this size and is never made smaller.
TwipsSize MainMinimumClientSize(TwipsSize designClient, const std::function<bool(MainControl)>& shown);

// Where the controls sit in a client area of `client`, which is at least
// `minimum` (a smaller one is laid out as `minimum`). At the minimum each
// control is where the design puts it; what the window gains goes to the
// grids: the display grid grows right and down, the totals grid keeps its
// width at the right edge, the header keeps its place at the top left, the
// buttons and the boxes keep theirs above the bottom edge (the boxes
// widening to show long paths), 閉じる stays at the right, and the status
// line spans the bottom. In the debug mode the height gained is shared by
// the display and sort grids above and the raw record grid below.
struct MainLayout {
  TwipsSize minimum;
  bool debug = false;
  TwipsRect Place(MainControl control, TwipsSize client) const;
};

// ---- The database dialog frmSetDBname ----

enum class DialogControl : std::size_t {
  Text1,
  Command2,    // "参照...", the file dialog for the database
  Command1_0,  // "登　録", the default button
  Command1_1,  // "キャンセル", the cancel button
  Label1,
  Count,
};
inline constexpr std::size_t kDialogControlCount = static_cast<std::size_t>(DialogControl::Count);

const ControlDesign& Design(DialogControl control);

inline constexpr TwipsSize kDialogClientSize{7125, 1575};

// ---- Grids ----

// A row of a grid, the heading row included: 255 twips, which holds a line
// of the window's 9-point text.
inline constexpr int kGridRowPixels = TwipsToPixels(255);

}  // namespace pellora
