// The about box on Windows: dialog 7000 of the library's own resources, run
// by the platform's dialog manager. Everything it shows comes from the
// resource script (texts, font, picture 7001); the code fills in the build
// line, centres the window and answers the three buttons.
#include "about/about_box.h"
#include "resources/resource.h"

namespace dovrel {
namespace {

// Moved to the middle of the screen, its size unchanged.
void CentreOnScreen(HWND dialog) {
  RECT frame;
  if (!GetWindowRect(dialog, &frame)) return;
  int width = frame.right - frame.left;
  int height = frame.bottom - frame.top;
  int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The system information tool, with the dialog as the owner of whatever the
// shell shows; nothing when the machine names no tool.
void StartSystemInformationFrom(HWND dialog) {
  if (auto tool = SystemInformationTool())
    ShellExecuteW(dialog, L"open", tool->c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

// The build line's control made as wide as its text in the font the dialog
// really got: the resource script's width was measured with the font of the
// desktop it was drawn on, and a substitute font of another desktop (a
// fresh Wine prefix's, say) is wider, which cut "(Build:6.0.2.3)" off. It
// grows to the right, up to the dialog's right margin (the one
// the other controls keep); a text still wider wraps, with the room below it
// for a second line.
constexpr int kRightMarginDialogUnits = 8;
void FitBuildLine(HWND dialog) {
  HWND control = GetDlgItem(dialog, IDC_ABOUT_BUILD);
  if (!control) return;
  wchar_t text[256] = {};
  const int length = GetWindowTextW(control, text, 256);
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
  SIZE extent{};
  GetTextExtentPoint32W(dc, text, length, &extent);
  RECT place;
  GetWindowRect(control, &place);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
  RECT client;
  GetClientRect(dialog, &client);
  RECT margin{0, 0, kRightMarginDialogUnits, 0};
  MapDialogRect(dialog, &margin);
  const int widest = client.right - margin.right - place.left;
  int width = place.right - place.left;
  int height = place.bottom - place.top;
  if (extent.cx > width) {
    width = extent.cx <= widest ? extent.cx : widest;
    RECT wrapped{0, 0, width, 0};
    DrawTextW(dc, text, length, &wrapped, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    if (wrapped.bottom > height) height = wrapped.bottom;
    SetWindowPos(control, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  SelectObject(dc, old);
  ReleaseDC(control, dc);
}

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      SetDlgItemTextW(dialog, IDC_ABOUT_BUILD, reinterpret_cast<const OleString*>(lParam)->c_str());
      FitBuildLine(dialog);
      CentreOnScreen(dialog);
      return TRUE;  // the default button takes the focus
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:  // also the Escape key and the close box
          EndDialog(dialog, 0);
          return TRUE;
        case IDC_ABOUT_SYSINFO:
          StartSystemInformationFrom(dialog);
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

}  // namespace

// Modal to the window that is active now (the host's, when it has one); the
// dialog manager frees the dialog, its fonts and its picture when it ends. A
// dialog that cannot be made is not reported: the host asked for
// information, not for a result.
HRESULT ShowAboutBox(const OLECHAR* version) {
  OleString buildLine = AboutBuildLine(version ? OleString(version) : OleString());
  DialogBoxParamW(ThisModule(), MAKEINTRESOURCEW(IDD_ABOUTBOX), GetActiveWindow(), AboutDialogProc,
                  reinterpret_cast<LPARAM>(&buildLine));
  return S_OK;
}

}  // namespace dovrel
