#pragma once
// The dialogs the window's routines open, as Win32 shows them: message
// boxes, the open and save dialogs of comdlg32, and frmSetDBname as a modal
// dialog built from its design.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "controls/message_boxes.h"
#include "shell/common_dialog.h"
#include "shell/frmSetDBname.h"

namespace pellora::win32 {

// What each dialog needs of the window it belongs to: the owner, and a
// chance to draw the window as the routine has left it so far before the
// dialog covers it.
struct DialogOwner {
  HWND window = nullptr;
  std::function<void()> beforeShow;
  void Prepare() const {
    if (beforeShow) beforeShow();
  }
};

// The title of a box that brings none of its own: the program's name.
inline constexpr const wchar_t* kProgramName = L"Pellora";

class Win32MessageBoxes : public MessageBoxes {
 public:
  DialogOwner owner;
  void Show(std::u16string text, MsgIcon icon, std::optional<std::u16string> title) override;
  // Yes and No, No the default button: Enter alone replaces nothing.
  bool AskYesNo(std::u16string text, MsgIcon icon, std::optional<std::u16string> title) override;

 private:
  int Box(const std::u16string& text, MsgIcon icon, const std::optional<std::u16string>& title, UINT buttons);
};

// The filter of the open-file dialog as comdlg32 takes it: each entry's
// description and patterns, each ended by a NUL, and a NUL after the last.
std::wstring OpenFileFilter(const CommonDialog& properties);
// The name offered in the box: the previous choice's name, without its
// folder, so that the dialog starts in InitDir.
std::wstring OfferedName(const CommonDialog& properties);

class Win32FileDialogs : public FileDialogs {
 public:
  DialogOwner owner;
  std::optional<std::u16string> ShowOpen(const CommonDialog& properties) override;
  // Never asks about replacing a file itself: the window's routine asks,
  // the same on every platform.
  std::optional<std::u16string> ShowSave(const CommonDialog& properties) override;

 private:
  std::optional<std::u16string> Show(const CommonDialog& properties, bool save);
};

// The control ids of the database dialog: the two buttons are the dialog
// manager's OK (Enter) and Cancel (Esc, and the frame's close box).
inline constexpr int kText1Id = 100;
inline constexpr int kLabel1Id = 101;
inline constexpr int kBrowseId = 102;  // "参照..."
inline constexpr int kRegisterId = IDOK;
inline constexpr int kCancelId = IDCANCEL;

class Win32ModalDialogs : public ModalDialogs {
 public:
  DialogOwner owner;
  // The owner brought up to date while the check's window shows.
  std::function<void()> afterChange;
  void ShowModal(frmSetDBname& dialog) override;
  void ShowModal(frmCheck& check) override;
};

}  // namespace pellora::win32
