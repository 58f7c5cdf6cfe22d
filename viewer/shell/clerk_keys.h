#pragma once
// The clerk's commands on the display grids, and the keys and context-menu
// entries that start them: one table that both front ends map their key
// events and menus onto, so that a key does the same on every platform. A
// front end translates its native key to ClerkKey, looks up the command for
// the place the focus is in, and runs it with RunClerkCommand, which calls
// frmPellora's members (SelectAllCells, CopySelection, SaveDisplay_Click,
// FindInDisplay) and lends the rest to the front end's ClerkView.

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "shell/window_design.h"

namespace pellora {

class frmPellora;

enum class ClerkCommand {
  kSelectAll,
  kCopy,
  kSaveDisplay,
  kOpenFind,
  kFindNext,
  kFindPrevious,
  kCloseFind,
  kPrint,
  kPrintPreview,
  kCheck,
};

// A key as both front ends name it: a letter by its capital's code ('A' to
// 'Z', as Qt's key codes and Windows' virtual keys both have them), the
// other keys the commands use by name, anything else kOther.
enum class KeyCode : int {
  kOther = 0,
  kInsert = 0x100,
  kF3,
  kEnter,  // either Enter key, the main keyboard's or the keypad's
  kEscape,
};
constexpr KeyCode LetterKey(char capital) { return static_cast<KeyCode>(capital); }

// The modifiers held with a key, as bits. Any other (a Windows or Meta
// key) is kOtherModifier, so that it starts nothing.
enum KeyModifier : unsigned { kNoModifier = 0, kShift = 1, kControl = 2, kAlt = 4, kOtherModifier = 8 };

struct ClerkKey {
  KeyCode code = KeyCode::kOther;
  unsigned modifiers = kNoModifier;
  friend constexpr bool operator==(const ClerkKey&, const ClerkKey&) = default;
};

// Where the focus is when a key comes: on the display or totals grid, in
// the find box, or on another control of the window. A key bound to
// kWindow starts its command wherever the focus is in the window, the
// others only with the focus in their place.
enum class KeyPlace { kClerkGrid, kFindBox, kWindow };

struct KeyBinding {
  ClerkKey key;
  KeyPlace place = KeyPlace::kWindow;
};

struct ClerkCommandEntry {
  ClerkCommand command;
  // The keys that start it; the unused places hold KeyCode::kOther.
  std::array<KeyBinding, 2> keys;
  // Its entry in the grids' context menu ("" for none), the menu's order
  // (from 1), and whether a line sets it apart from the entries above it.
  std::u16string_view menuCaption;
  int menuOrder = 0;
  bool lineBefore = false;
};

// The table, in the order of ClerkCommand.
std::span<const ClerkCommandEntry> ClerkCommands();

// The command a key starts with the focus at `focus`; nothing for any
// other key.
std::optional<ClerkCommand> ClerkCommandOf(ClerkKey key, KeyPlace focus);

// The context menu's entries in their order.
std::vector<const ClerkCommandEntry*> ClerkMenu();

// What a front end's window lends the commands besides the form's
// routines: its clipboard and its find box.
class ClerkView {
 public:
  virtual ~ClerkView() = default;
  // The selection as the clipboard's plain text and HTML.
  virtual void PutOnClipboard(const std::u16string& text, const std::u16string& html) = 0;
  virtual bool FindBoxOpen() const = 0;
  virtual std::u16string FindText() const = 0;
  // Shows the find box over the display grid, the cursor in it with its
  // text selected, so that typing replaces it.
  virtual void OpenFindBox() = 0;
  // Hides it; the display grid has the focus again.
  virtual void CloseFindBox() = 0;
  // Says in the box that the last find matched nothing, or takes it back.
  virtual void ShowNoMatch(bool noMatch) = 0;
  // Asks in the platform's print dialog for the printer, copies, pages and
  // paper, and prints the form's DisplayPages there; the dialog starts from
  // the form's PrintSetup and leaves the clerk's choice in it. A cancel ends
  // it quietly.
  virtual void PrintDisplay(frmPellora& form) = 0;
  // Shows the pages as they would print, with page forward and back, zoom,
  // and printing from there.
  virtual void PreviewDisplay(frmPellora& form) = 0;
};

// Runs a command of the clerk's on `form`, the grid one being the grid its
// key or menu came from (vsfViewer or vsfTotal; the find always works on
// the display). The front end draws the controls afterwards, as after any
// routine of the form's.
void RunClerkCommand(ClerkCommand command, MainControl grid, frmPellora& form, ClerkView& view);

}  // namespace pellora
