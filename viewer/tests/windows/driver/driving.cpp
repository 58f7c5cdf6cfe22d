// Driving the windows as a user would: what waits for them handled through
// the window's own keyboard handling, as the program's loop does; keys, with
// Ctrl or Shift held, and the access keys; a context menu chosen from with
// its keys; and what the checks read back from the screen and the disk: a
// control's place, the colour shown at a point, the middle of a grid cell,
// a window's text, the bytes a program wrote.

#include <algorithm>
#include <chrono>
#include <iterator>
#include <string>

#include "tests/windows/driver/driver.h"

namespace ui_driver {

PelloraWindow* active = nullptr;

// Lets the windows handle what is waiting for them, through the window's
// own keyboard handling as the program's loop does.
void Pump(int milliseconds) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  do {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) continue;
      if (active && active->PreTranslate(message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(10);
  } while (std::chrono::steady_clock::now() < until);
}

// A key as the keyboard delivers it to the focused window: the program's
// loop hands it to the window first (Tab, the access keys).
void PressKey(PelloraWindow& window, UINT key) {
  MSG message{GetFocus(), WM_KEYDOWN, key, 1, 0, {}};
  if (!window.PreTranslate(message)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  Pump(50);
}
void PressAltKey(PelloraWindow& window, wchar_t letter) {
  MSG message{GetFocus() ? GetFocus() : window.hwnd(), WM_SYSCHAR, letter, 1u << 29, 0, {}};
  if (!window.PreTranslate(message)) DispatchMessageW(&message);
  Pump(100);
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

// A control's place in its parent's client area.
RECT PlaceOf(HWND control) {
  RECT rect;
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// The colour on screen at a point of a window's client area.
COLORREF PixelAt(HWND window, int x, int y) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  HDC dc = GetDC(window);
  const COLORREF color = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return color;
}

// A box's or label's background: the bottom right corner of its client
// area, below and beside any text.
COLORREF BackgroundOf(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  return PixelAt(window, client.right - 2, client.bottom - 2);
}

// The middle of a grid cell on screen, counting the rows in sight.
POINT CellCentre(GridWindow& grid, int row, int col) {
  int x = 0;
  for (int c = 0; c < col; ++c) x += grid.ColumnWidths()[static_cast<std::size_t>(c)];
  const int fixedRows = grid.grid().FixedRows();
  const int line = row < fixedRows ? row : fixedRows + row - fixedRows - grid.TopRow();
  return {x + grid.ColumnWidths()[static_cast<std::size_t>(col)] / 2, line * grid.RowHeight() + grid.RowHeight() / 2};
}

std::wstring TextOf(HWND window) {
  wchar_t text[1024] = {};
  SendMessageW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
  return text;
}

void PressButton(HWND dialog, int id) { PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

// Keys typed into the focused control of another thread's window.
void TypeKey(HWND target, UINT key) {
  PostMessageW(target, WM_KEYDOWN, key, 1);
  PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

// A key pressed with Ctrl or Shift held: the thread's key state says so
// while the window handles it, as it would for a real key.
void PressKeyWith(PelloraWindow& window, UINT held, UINT key) {
  BYTE saved[256], state[256];
  GetKeyboardState(saved);
  std::copy(std::begin(saved), std::end(saved), std::begin(state));
  state[held] |= 0x80;
  SetKeyboardState(state);
  PressKey(window, key);
  SetKeyboardState(saved);
}

std::string ReadBytes(const std::wstring& path) {
  std::string bytes;
  // An ended child's handle to the file may be closed a moment later.
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int i = 0; i < 100 && file == INVALID_HANDLE_VALUE; ++i, Sleep(50))
    file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  char buffer[65536];
  DWORD n = 0;
  while (file != INVALID_HANDLE_VALUE && ReadFile(file, buffer, sizeof buffer, &n, nullptr) && n > 0)
    bytes.append(buffer, n);
  CloseHandle(file);
  return bytes;
}

// ---- The context menu ----

namespace {

// A context menu open on `thread`: `key`, pressed `presses` times, moves
// to an item and Enter chooses it, as a user's keys do.
struct MenuChoice {
  DWORD thread;
  UINT key;
  int presses = 1;
  HWND menu = nullptr;
};

BOOL CALLBACK FindMenu(HWND window, LPARAM found) {
  if (ClassOf(window) != L"#32768" || !IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

DWORD WINAPI ChooseFromMenu(void* parameter) {
  MenuChoice& choice = *static_cast<MenuChoice*>(parameter);
  for (int i = 0; i < 400 && !choice.menu; ++i, Sleep(25))
    EnumThreadWindows(choice.thread, FindMenu, reinterpret_cast<LPARAM>(&choice.menu));
  if (!choice.menu) return 0;
  Sleep(200);
  for (int i = 0; i < choice.presses; ++i) TypeKey(choice.menu, choice.key);
  TypeKey(choice.menu, VK_RETURN);
  return 0;
}

}  // namespace

// The menu key on the display grid, and the item `presses` Up from the
// context menu's end chosen; what the item opens has been answered when
// it returns. False when no menu showed.
bool ChooseFromMenuEnd(Program& p, int presses) {
  MenuChoice menu{GetCurrentThreadId(), VK_UP, presses};
  SetFocus(p.Control(MainControl::vsfViewer));
  HANDLE chooser = CreateThread(nullptr, 0, ChooseFromMenu, &menu, 0, nullptr);
  PressKey(p.window, VK_APPS);
  WaitForSingleObject(chooser, 30000);
  CloseHandle(chooser);
  return menu.menu != nullptr;
}

}  // namespace ui_driver
