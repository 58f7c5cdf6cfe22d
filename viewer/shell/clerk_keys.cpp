#include "shell/clerk_keys.h"

#include <algorithm>

#include "shell/frmPellora.h"

namespace pellora {
namespace {

constexpr KeyBinding kNoKey{};

constexpr KeyBinding On(KeyPlace place, KeyCode code, unsigned modifiers = kNoModifier) {
  return {{code, modifiers}, place};
}

// Ctrl+Insert copies as well: the desktops' own controls take it for
// copying on either platform.
constexpr std::array<ClerkCommandEntry, 10> kClerkCommands{{
    {ClerkCommand::kSelectAll, {On(KeyPlace::kClerkGrid, LetterKey('A'), kControl), kNoKey},
     frmPellora::kSelectAllCaption, 2, false},
    {ClerkCommand::kCopy,
     {On(KeyPlace::kClerkGrid, LetterKey('C'), kControl), On(KeyPlace::kClerkGrid, KeyCode::kInsert, kControl)},
     frmPellora::kCopyCaption, 1, false},
    {ClerkCommand::kSaveDisplay, {kNoKey, kNoKey}, frmPellora::kSaveDisplayCaption, 3, true},
    {ClerkCommand::kOpenFind, {On(KeyPlace::kWindow, LetterKey('F'), kControl), kNoKey}, u"", 0, false},
    {ClerkCommand::kFindNext, {On(KeyPlace::kWindow, KeyCode::kF3), On(KeyPlace::kFindBox, KeyCode::kEnter)}, u"", 0,
     false},
    {ClerkCommand::kFindPrevious, {On(KeyPlace::kWindow, KeyCode::kF3, kShift), kNoKey}, u"", 0, false},
    {ClerkCommand::kCloseFind, {On(KeyPlace::kFindBox, KeyCode::kEscape), kNoKey}, u"", 0, false},
    {ClerkCommand::kPrint, {On(KeyPlace::kWindow, LetterKey('P'), kControl), kNoKey}, frmPellora::kPrintCaption, 4,
     true},
    {ClerkCommand::kPrintPreview, {kNoKey, kNoKey}, frmPellora::kPrintPreviewCaption, 5, false},
    {ClerkCommand::kCheck, {On(KeyPlace::kWindow, LetterKey('K'), kControl), kNoKey}, frmPellora::kCheckCaption, 6,
     true},
}};

}  // namespace

std::span<const ClerkCommandEntry> ClerkCommands() { return kClerkCommands; }

std::optional<ClerkCommand> ClerkCommandOf(ClerkKey key, KeyPlace focus) {
  if (key.code == KeyCode::kOther) return std::nullopt;
  for (const ClerkCommandEntry& entry : kClerkCommands)
    for (const KeyBinding& binding : entry.keys)
      if (binding.key == key && (binding.place == KeyPlace::kWindow || binding.place == focus)) return entry.command;
  return std::nullopt;
}

std::vector<const ClerkCommandEntry*> ClerkMenu() {
  std::vector<const ClerkCommandEntry*> menu;
  for (const ClerkCommandEntry& entry : kClerkCommands)
    if (entry.menuOrder > 0) menu.push_back(&entry);
  std::ranges::sort(menu, {}, &ClerkCommandEntry::menuOrder);
  return menu;
}

void RunClerkCommand(ClerkCommand command, MainControl grid, frmPellora& form, ClerkView& view) {
  switch (command) {
    case ClerkCommand::kSelectAll: return form.SelectAllCells(grid);
    case ClerkCommand::kCopy: {
      // Nothing to copy (the selection lies in the headings alone) leaves
      // the clipboard as it was.
      const frmPellora::ClipboardText copied = form.CopySelection(grid);
      if (!copied.text.empty()) view.PutOnClipboard(copied.text, copied.html);
      return;
    }
    case ClerkCommand::kSaveDisplay: return form.SaveDisplay_Click();
    case ClerkCommand::kOpenFind: return view.OpenFindBox();
    case ClerkCommand::kCloseFind: return view.CloseFindBox();
    case ClerkCommand::kPrint: return view.PrintDisplay(form);
    case ClerkCommand::kPrintPreview: return view.PreviewDisplay(form);
    case ClerkCommand::kCheck: return form.Check_Click();
    case ClerkCommand::kFindNext:
    case ClerkCommand::kFindPrevious: {
      // Before anything was typed the box opens to type in. A remembered
      // text is searched for at once, and a closed box opens with it: what
      // is looked for, and that nothing matched, are said only there.
      const std::u16string what = view.FindText();
      if (!view.FindBoxOpen() || what.empty()) view.OpenFindBox();
      if (what.empty()) return;
      view.ShowNoMatch(!form.FindInDisplay(what, command == ClerkCommand::kFindNext));
      return;
    }
  }
}

}  // namespace pellora
