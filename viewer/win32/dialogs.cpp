#include "win32/dialogs.h"

#include <commdlg.h>

#include <algorithm>

#include "platform/platform_path.h"
#include "shell/window_design.h"
#include "win32/check_window.h"
#include "win32/look.h"

namespace pellora::win32 {
namespace {

UINT IconStyle(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::Critical: return MB_ICONSTOP;
    case MsgIcon::Question: return MB_ICONQUESTION;
    case MsgIcon::Exclamation: return MB_ICONEXCLAMATION;
    case MsgIcon::Information: return MB_ICONINFORMATION;
    case MsgIcon::None: break;
  }
  return 0;
}

// ---- frmSetDBname ----

struct DatabaseDialog {
  frmSetDBname& dialog;
  int dpi;
  // "参照..."'s file dialog, over this dialog.
  Win32FileDialogs files;
};

HWND MakeControl(HWND dialog, DialogControl control, int id, int dpi) {
  const ControlDesign& design = Design(control);
  const RECT rect = ToPixels(design.rect, dpi);
  const wchar_t* kind = L"STATIC";
  DWORD style = WS_CHILD | WS_VISIBLE;
  DWORD exStyle = 0;
  switch (design.kind) {
    case ControlKind::TextBox:
      kind = L"EDIT";
      style |= WS_TABSTOP | ES_AUTOHSCROLL;
      exStyle = WS_EX_CLIENTEDGE;
      break;
    case ControlKind::Button:
      kind = L"BUTTON";
      style |= WS_TABSTOP | (design.defaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
      break;
    default:
      style |= SS_NOPREFIX | SS_CENTERIMAGE;
      break;
  }
  const std::wstring caption = Wide(ShownCaption(design.caption));
  HWND window = ::CreateWindowExW(exStyle, kind, caption.c_str(), style, rect.left, rect.top, rect.right - rect.left,
                                  rect.bottom - rect.top, dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                  ::GetModuleHandleW(nullptr), nullptr);
  ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(WindowFont(dpi)), FALSE);
  return window;
}

INT_PTR CALLBACK DatabaseDialogProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      DatabaseDialog* state = reinterpret_cast<DatabaseDialog*>(lParam);
      ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
      const std::wstring caption = Wide(frmSetDBname::kCaption);
      ::SetWindowTextW(hwnd, caption.c_str());
      // The design's client area, inside this desktop's frame at the
      // owner's dots per inch.
      const SIZE frame = FrameSizeAt(static_cast<DWORD>(::GetWindowLongW(hwnd, GWL_STYLE)),
                                     static_cast<DWORD>(::GetWindowLongW(hwnd, GWL_EXSTYLE)), state->dpi);
      RECT owner{};
      ::GetWindowRect(::GetParent(hwnd) ? ::GetParent(hwnd) : ::GetDesktopWindow(), &owner);
      const int width = ToPixels(kDialogClientSize.width, state->dpi) + frame.cx;
      const int height = ToPixels(kDialogClientSize.height, state->dpi) + frame.cy;
      ::SetWindowPos(hwnd, nullptr, owner.left + (owner.right - owner.left - width) / 2,
                     owner.top + (owner.bottom - owner.top - height) / 2, width, height, SWP_NOZORDER);
      // In the design's tab order: the box first, then the buttons.
      HWND text1 = MakeControl(hwnd, DialogControl::Text1, kText1Id, state->dpi);
      MakeControl(hwnd, DialogControl::Command2, kBrowseId, state->dpi);
      MakeControl(hwnd, DialogControl::Command1_0, kRegisterId, state->dpi);
      MakeControl(hwnd, DialogControl::Command1_1, kCancelId, state->dpi);
      MakeControl(hwnd, DialogControl::Label1, kLabel1Id, state->dpi);
      const std::wstring text = Wide(state->dialog.Text1.Text);
      ::SetWindowTextW(text1, text.c_str());
      state->files.owner = {hwnd, nullptr};
      state->dialog.Attach(&state->files);
      ::SetFocus(text1);
      return FALSE;  // the focus is set
    }
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      DatabaseDialog* state = reinterpret_cast<DatabaseDialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
      if (id == kBrowseId && HIWORD(wParam) == BN_CLICKED) {
        HWND text1 = ::GetDlgItem(hwnd, kText1Id);
        state->dialog.Text1.Text = WindowText(text1);
        state->dialog.Command2_Click();
        const std::wstring chosen = Wide(state->dialog.Text1.Text);
        ::SetWindowTextW(text1, chosen.c_str());
        ::SendMessageW(hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(text1), TRUE);
        return TRUE;
      }
      if (id != kRegisterId && id != kCancelId) break;
      state->dialog.Text1.Text = WindowText(::GetDlgItem(hwnd, kText1Id));
      state->dialog.Command1_Click(id == kRegisterId ? frmSetDBname::kRegister : frmSetDBname::kCancel);
      ::EndDialog(hwnd, id);
      return TRUE;
    }
    default:
      break;
  }
  return FALSE;
}

// An empty dialog template: the controls are made from the design when the
// dialog starts, in pixels of this screen.
std::vector<WORD> EmptyDialogTemplate() {
  std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD) + 3, 0);  // no menu, the standard class, no title
  DLGTEMPLATE* dialog = reinterpret_cast<DLGTEMPLATE*>(words.data());
  dialog->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  dialog->dwExtendedStyle = WS_EX_DLGMODALFRAME;
  return words;
}

}  // namespace

void Win32MessageBoxes::Show(std::u16string text, MsgIcon icon, std::optional<std::u16string> title) {
  Box(text, icon, title, MB_OK);
}

bool Win32MessageBoxes::AskYesNo(std::u16string text, MsgIcon icon, std::optional<std::u16string> title) {
  return Box(text, icon, title, MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

int Win32MessageBoxes::Box(const std::u16string& text, MsgIcon icon, const std::optional<std::u16string>& title,
                           UINT buttons) {
  owner.Prepare();
  const std::wstring wideText = Wide(text);
  const std::wstring wideTitle = title ? Wide(*title) : std::wstring(kProgramName);
  return ::MessageBoxW(owner.window, wideText.c_str(), wideTitle.c_str(), buttons | IconStyle(icon));
}

std::wstring OpenFileFilter(const CommonDialog& properties) {
  std::wstring filter;
  for (const FilterEntry& entry : FilterEntries(properties.Filter)) {
    filter += Wide(entry.description);
    filter += L'\0';
    filter += Wide(entry.patterns);
    filter += L'\0';
  }
  filter += L'\0';
  return filter;
}

std::wstring OfferedName(const CommonDialog& properties) {
  return Wide(FileNameOf(properties.FileName));
}

std::optional<std::u16string> Win32FileDialogs::ShowOpen(const CommonDialog& properties) {
  return Show(properties, false);
}

std::optional<std::u16string> Win32FileDialogs::ShowSave(const CommonDialog& properties) {
  return Show(properties, true);
}

// Flags: the read-only check box hidden, and nothing else -- in particular
// a typed name need not name an existing file: opening it says so, and
// saving over one is asked about by the routine (no OFN_OVERWRITEPROMPT).
std::optional<std::u16string> Win32FileDialogs::Show(const CommonDialog& properties, bool save) {
  owner.Prepare();
  const std::wstring filter = OpenFileFilter(properties);
  const std::wstring initialFolder = Wide(properties.InitDir);
  const std::wstring title = Wide(properties.DialogTitle);
  const int entries = static_cast<int>(FilterEntries(properties.Filter).size());
  std::wstring file(32768, L'\0');
  const std::wstring offered = OfferedName(properties);
  std::copy(offered.begin(), offered.begin() + static_cast<std::ptrdiff_t>(std::min(offered.size(), file.size() - 1)),
            file.begin());

  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner.window;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = static_cast<DWORD>(std::clamp(properties.FilterIndex, 1, std::max(entries, 1)));
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrInitialDir = initialFolder.empty() ? nullptr : initialFolder.c_str();
  ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
  ofn.Flags = OFN_HIDEREADONLY | OFN_EXPLORER;
  if (!(save ? ::GetSaveFileNameW(&ofn) : ::GetOpenFileNameW(&ofn))) return std::nullopt;
  return FromWide(file.c_str());
}

void Win32ModalDialogs::ShowModal(frmCheck& check) {
  owner.Prepare();
  CheckWindow window(check, owner.window, afterChange);
  window.RunModal();
}

void Win32ModalDialogs::ShowModal(frmSetDBname& dialog) {
  owner.Prepare();
  // Laid out at the dots per inch of the window it opens over, on whose
  // monitor it opens.
  DatabaseDialog state{dialog, DpiOf(owner.window), {}};
  std::vector<WORD> dialogTemplate = EmptyDialogTemplate();
  ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), reinterpret_cast<DLGTEMPLATE*>(dialogTemplate.data()),
                            owner.window, &DatabaseDialogProcedure, reinterpret_cast<LPARAM>(&state));
}

}  // namespace pellora::win32
