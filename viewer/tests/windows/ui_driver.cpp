// pellora_ui_driver.exe: Pellora's Win32 windows driven in this process
// under Wine, as a user would drive them, and checked against the headless
// window's controls and the design: the window, its controls, captions,
// colours, geometry, access keys and tab order; a claim file named on the
// command line; the file dialog answered and cancelled; the database
// dialog's outcomes; the heading re-sort; the clerk's Ctrl+A and Ctrl+C
// (both clipboard flavours read back), the save dialog from the context
// menu (the file compared with pellora-export.exe's), the find box's keys
// and a dropped file; a missing velkar.ini; the debug mode; the message
// boxes' icons; the warning box over the window showing a file of LF line
// ends and a cut file, named on the command line and chosen; a window's
// object handed its messages from the first to the last; the printed pages
// painted into metafiles and read back, Ctrl+P and 印刷... without a
// printer, the preview paged and zoomed, and a print on a PostScript
// printer of Wine's that prints into a file. Modal dialogs are
// answered by a thread of the driver's own, through the system's messages. Ends with the line "N passed, N failed".
//
//   pellora_ui_driver.exe <program folder> <claim file> <second claim file> <work folder> [screenshot.bmp]
//   pellora_ui_driver.exe --time <pellora.exe> <claim file>
//
// The program folder holds velkar.ini, the data.qdr it names and
// pellora-export.exe. With a screenshot, a second picture (the find box
// open, several rows selected) goes beside it as <name>-find.bmp, and the
// print preview's as <name>-print-preview.bmp. --time
// measures how long pellora.exe takes to show a (large) claim file.

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>
#include <oleacc.h>
#include <shlobj.h>
#include <winspool.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "common/utf.h"
#include "grid/selection_text.h"
#include "shell/window_design.h"
#include "win32/attached_window.h"
#include "win32/look.h"
#include "win32/main_window.h"
#include "win32/page_painter.h"
#include "win32/preview_state.h"
#include "win32/preview_window.h"
#include "win32/print_session.h"

namespace {

using pellora::MainControl;
using pellora::frmPellora;
using namespace pellora::win32;

// ---- Checks ----

int passed = 0, failed = 0;

std::string Utf8(std::u16string_view text) { return common::Utf16ToUtf8Lossy(text); }
std::string Show(const std::u16string& text) { return '"' + Utf8(text) + '"'; }
std::string Show(const std::wstring& text) { return Show(FromWide(text)); }
std::string Show(long long value) { return std::to_string(value); }
std::string ShowColor(COLORREF c) {
  char text[32];
  std::snprintf(text, sizeof text, "RGB(%d,%d,%d)", GetRValue(c), GetGValue(c), GetBValue(c));
  return text;
}

void Check(bool ok, const std::string& what, const std::string& detail = "") {
  if (ok) {
    ++passed;
    return;
  }
  ++failed;
  std::printf("FAIL %s%s\n", what.c_str(), detail.empty() ? "" : (": " + detail).c_str());
  std::fflush(stdout);
}
template <typename T>
void CheckEqual(const T& actual, const T& expected, const std::string& what) {
  Check(actual == expected, what, Show(actual) + ", expected " + Show(expected));
}
void CheckColor(COLORREF actual, COLORREF expected, const std::string& what) {
  Check(actual == expected, what, ShowColor(actual) + ", expected " + ShowColor(expected));
}

void Section(const char* name) {
  std::printf("== %s\n", name);
  std::fflush(stdout);
}

// ---- Driving the windows ----

PelloraWindow* active = nullptr;

// Lets the windows handle what is waiting for them, through the window's
// own keyboard handling as the program's loop does.
void Pump(int milliseconds = 150) {
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
std::string ShowRect(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
         std::to_string(r.bottom - r.top);
}
void CheckRect(const RECT& actual, const RECT& expected, const std::string& what) {
  Check(EqualRect(&actual, &expected), what, ShowRect(actual) + ", expected " + ShowRect(expected));
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

// ---- Modal windows, answered from a thread of the driver's own ----

// The modal windows that open on `thread` one after the other, each
// answered by its act in turn; `sight` sees each as soon as it shows,
// before it settles.
struct Answerer {
  DWORD thread;
  std::vector<std::function<void(HWND)>> acts;
  std::function<void(HWND)> sight;
  std::size_t answered = 0;
  HANDLE handle = nullptr;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
  if (ClassOf(window) == L"#32770" && IsWindowVisible(window)) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

DWORD WINAPI Answer(void* parameter) {
  Answerer& answerer = *static_cast<Answerer*>(parameter);
  for (const auto& act : answerer.acts) {
    HWND found = nullptr;
    for (int i = 0; i < 400 && !found; ++i) {
      EnumThreadWindows(answerer.thread, FindDialog, reinterpret_cast<LPARAM>(&found));
      if (!found) Sleep(25);
    }
    if (!found) return 0;
    if (answerer.sight) answerer.sight(found);
    Sleep(200);  // let it settle
    act(found);
    ++answerer.answered;
    // Should it not close, it must not hang the run.
    for (int i = 0; i < 100 && IsWindow(found); ++i) Sleep(30);
    if (IsWindow(found)) PostMessageW(found, WM_COMMAND, IDCANCEL, 0);
  }
  return 0;
}

// Runs `open`, which opens modal windows on this thread one after the
// other, while `acts` answer them. Returns whether they all appeared.
bool WithModals(const std::function<void()>& open, std::vector<std::function<void(HWND)>> acts,
                std::function<void(HWND)> sight = nullptr) {
  Answerer answerer{GetCurrentThreadId(), std::move(acts), std::move(sight)};
  answerer.handle = CreateThread(nullptr, 0, Answer, &answerer, 0, nullptr);
  open();
  WaitForSingleObject(answerer.handle, 60000);
  CloseHandle(answerer.handle);
  Pump();
  return answerer.answered == answerer.acts.size();
}

// Runs `open`, which opens a modal window on this thread, while `act`
// answers it. Returns whether the window appeared.
bool WithModal(const std::function<void()>& open, std::function<void(HWND)> act) {
  return WithModals(open, {std::move(act)});
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

struct Program;
// The menu key on the display grid, and the item `presses` Up from the
// context menu's end chosen; what the item opens has been answered when
// it returns. False when no menu showed.
bool ChooseFromMenuEnd(Program& p, int presses);

// ---- The screenshot ----

bool SavePicture(HWND window, const std::wstring& path) {
  RECT frame;
  GetWindowRect(window, &frame);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  BITMAPINFOHEADER header{sizeof header, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  const bool copied = BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY);
  GdiFlush();
  const DWORD size = ((static_cast<DWORD>(width) * 3 + 3) & ~3u) * static_cast<DWORD>(height);
  BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof file + sizeof header + size), 0, 0,
                        static_cast<DWORD>(sizeof file + sizeof header)};
  bool written = false;
  HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (copied && out != INVALID_HANDLE_VALUE) {
    DWORD n = 0;
    written = WriteFile(out, &file, sizeof file, &n, nullptr) && WriteFile(out, &header, sizeof header, &n, nullptr) &&
              WriteFile(out, bits, size, &n, nullptr);
  }
  if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return written;
}

// ---- One window of the program ----

struct Program {
  explicit Program(const std::u16string& folder, const std::u16string& commandLine) {
    form.ProgramFolder = folder;
    form.CommandLine = commandLine;
  }
  void Start() {
    window.Start();
    active = &window;
    Pump(300);
  }
  ~Program() {
    if (active == &window) active = nullptr;
  }
  HWND Control(MainControl control) const { return window.control(control); }
  GridWindow& Grid(MainControl control) { return *window.grid(control); }

  Win32MessageBoxes boxes;
  frmPellora form{boxes};
  PelloraWindow window{form, boxes};
};

bool ChooseFromMenuEnd(Program& p, int presses) {
  MenuChoice menu{GetCurrentThreadId(), VK_UP, presses};
  SetFocus(p.Control(MainControl::vsfViewer));
  HANDLE chooser = CreateThread(nullptr, 0, ChooseFromMenu, &menu, 0, nullptr);
  PressKey(p.window, VK_APPS);
  WaitForSingleObject(chooser, 30000);
  CloseHandle(chooser);
  return menu.menu != nullptr;
}

const COLORREF kLightYellow = RGB(255, 255, 192);
const COLORREF kLightCyan = RGB(192, 255, 255);
const COLORREF kPink = RGB(255, 192, 192);

std::u16string Title(const std::u16string& path) { return std::u16string(frmPellora::kTitle) + u" (" + path + u")"; }

// ---- The checks ----

// Every shown control whole inside the client area, and the outer size the
// design's where its frame leaves room for them, else just enough: the
// client area then ends at the lowest control's bottom (or the furthest
// one's right edge).
void ControlsInsideTheWindow(Program& p) {
  RECT client, outer;
  GetClientRect(p.window.hwnd(), &client);
  GetWindowRect(p.window.hwnd(), &outer);
  LONG right = 0, bottom = 0;
  for (std::size_t i = 0; i < pellora::kMainControlCount; ++i) {
    const MainControl control = static_cast<MainControl>(i);
    if (!p.form.IsVisible(control)) continue;
    const RECT place = PlaceOf(p.Control(control));
    right = std::max(right, place.right);
    bottom = std::max(bottom, place.bottom);
    Check(place.left >= 0 && place.top >= 0 && place.right <= client.right && place.bottom <= client.bottom,
          Utf8(pellora::Design(control).name) + " whole inside the client area",
          ShowRect(place) + " in " + ShowRect(client));
  }
  const int dpi = p.window.dpi();
  const LONG frameWidth = (outer.right - outer.left) - client.right;
  const LONG frameHeight = (outer.bottom - outer.top) - client.bottom;
  const LONG designWidth = ToPixels(p.form.Size.width, dpi), designHeight = ToPixels(p.form.Size.height, dpi);
  CheckEqual<long long>(outer.right - outer.left, std::max(designWidth, right + frameWidth), "outer width");
  CheckEqual<long long>(outer.bottom - outer.top, std::max(designHeight, bottom + frameHeight), "outer height");
}

// The window laid out at `dpi`: its fonts, the grid's row height, and every
// control in its design place in pixels of that dpi.
void LaidOutAt(Program& p, int dpi, const std::string& what) {
  CheckEqual<long long>(p.window.dpi(), dpi, what + ": the window's dpi");
  GridWindow& viewer = p.Grid(MainControl::vsfViewer);
  // 255 twips a row, 17 pixels at 96 dpi, 25.5 at 144.
  CheckEqual<long long>(viewer.RowHeight(), MulDiv(255, dpi, 1440), what + ": the grid's row height");
  HWND label = p.Control(MainControl::lblHeadCaption1);
  LOGFONTW font{};
  HFONT handle = reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0));
  GetObjectW(handle, sizeof font, &font);
  CheckEqual<long long>(font.lfHeight, -12 * dpi / 96, what + ": a label's font 9 points high");
  // The text itself, as the font lays it out: a line of it scales too.
  HDC dc = GetDC(label);
  HGDIOBJ old = SelectObject(dc, handle);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(label, dc);
  Check(metrics.tmHeight * 96 >= 11 * dpi && metrics.tmHeight * 96 <= 15 * dpi, what + ": a line of the label's text",
        std::to_string(metrics.tmHeight) + " pixels");
  for (const MainControl control : {MainControl::vsfViewer, MainControl::lblDBname1, MainControl::cmdJob0})
    CheckRect(PlaceOf(p.Control(control)), ToPixels(pellora::Design(control).rect, dpi),
              what + ": " + Utf8(pellora::Design(control).name) + " in its place");
  ControlsInsideTheWindow(p);
}

// The window moved to a monitor of 144 dots per inch and back, as the
// system tells it: the size it asks for first, then the change itself.
void DpiChanges(Program& p) {
  Section("moved to a monitor of 144 dpi and back");
  const int before = p.window.dpi();
  for (const int dpi : {before * 3 / 2, before}) {
    SIZE size{};
    Check(SendMessageW(p.window.hwnd(), 0x02E4 /* WM_GETDPISCALEDSIZE */, dpi, reinterpret_cast<LPARAM>(&size)) != 0,
          "it gives its size at " + std::to_string(dpi) + " dpi");
    RECT outer;
    GetWindowRect(p.window.hwnd(), &outer);
    RECT suggested{outer.left, outer.top, outer.left + size.cx, outer.top + size.cy};
    SendMessageW(p.window.hwnd(), 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    Pump();
    LaidOutAt(p, dpi, "at " + std::to_string(dpi) + " dpi");
    GetWindowRect(p.window.hwnd(), &outer);
    CheckRect(outer, suggested, "in the suggested place and size");
  }
}

// The display grid read back as a screen reader reads it, through the
// system's MSAA calls: a table of the grid's rows, each of the cells shown,
// the texts the grid holds, the name's look-up as its description, the
// current cell as the focus, and its moves told as focus events.
HWINEVENTHOOK focusHook = nullptr;
std::vector<std::pair<HWND, LONG>> focusEvents;
void CALLBACK SeeFocus(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD) {
  if (object == OBJID_CLIENT) focusEvents.emplace_back(window, child);
}

std::u16string NameOf(IAccessible* object, LONG child) {
  VARIANT id{};
  id.vt = VT_I4;
  id.lVal = child;
  BSTR text = nullptr;
  std::u16string name;
  if (object->get_accName(id, &text) == S_OK && text) name = FromWide(text);
  SysFreeString(text);
  return name;
}
std::u16string DescriptionOf(IAccessible* object, LONG child) {
  VARIANT id{};
  id.vt = VT_I4;
  id.lVal = child;
  BSTR text = nullptr;
  std::u16string description;
  if (object->get_accDescription(id, &text) == S_OK && text) description = FromWide(text);
  SysFreeString(text);
  return description;
}
long RoleOf(IAccessible* object) {
  VARIANT self{};
  self.vt = VT_I4;
  VARIANT role{};
  object->get_accRole(self, &role);
  return role.vt == VT_I4 ? role.lVal : -1;
}

void Accessibility(Program& p) {
  Section("the display grid to assistive technology");
  CoInitialize(nullptr);
  GridWindow& viewer = p.Grid(MainControl::vsfViewer);
  pellora::FlexGrid& grid = p.form.vsfViewer;
  SetFocus(viewer.hwnd());
  grid.SetRow(2);
  grid.SetCol(4);
  Pump();
  IAccessible* table = nullptr;
  const HRESULT found =
      AccessibleObjectFromWindow(viewer.hwnd(), OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(&table));
  // Wine 8 cannot marshal IAccessible (the standard marshaler fails with
  // E_NOINTERFACE once the object has said it has no IMarshal of its own),
  // so there the checks go on with the object the window hands
  // WM_GETOBJECT, unmarshalled; on Windows, with the system's.
  if (FAILED(found) || !table) {
    std::printf("NOTE AccessibleObjectFromWindow failed with 0x%08lX: the window's own object read instead\n",
                static_cast<unsigned long>(found));
    table = viewer.AccessibleObject();
  }
  CheckEqual<long long>(RoleOf(table), ROLE_SYSTEM_TABLE, "a table");
  long rows = 0;
  table->get_accChildCount(&rows);
  CheckEqual<long long>(rows, grid.Rows(), "a child for each row, the heading's with them");
  // Rows 0 (the heading), 1 and 2, as children of the table.
  const std::vector<std::u16string> outcomes = {u"", u"見つかった", u"該当なし", u"取得失敗"};
  for (int row = 0; row < 3 && row < grid.Rows(); ++row) {
    VARIANT id{};
    id.vt = VT_I4;
    id.lVal = row + 1;
    IDispatch* dispatch = nullptr;
    IAccessible* line = nullptr;
    if (table->get_accChild(id, &dispatch) == S_OK && dispatch) {
      dispatch->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&line));
      dispatch->Release();
    }
    Check(line != nullptr, "row " + std::to_string(row) + " an object");
    if (!line) continue;
    CheckEqual<long long>(RoleOf(line), ROLE_SYSTEM_ROW, "row " + std::to_string(row) + " a row");
    long cells = 0;
    line->get_accChildCount(&cells);
    // The row marks and the hidden insurer number are not there to read.
    CheckEqual<long long>(cells, grid.Cols() - 2, "row " + std::to_string(row) + ": the cells shown");
    // The cells 年月, 被保険者番号, 氏名: grid columns 1, 2 and 4.
    const int columns[] = {1, 2, 4};
    for (int cell = 0; cell < 3; ++cell)
      CheckEqual(NameOf(line, cell + 1), grid.TextMatrix(row, columns[cell]),
                 "row " + std::to_string(row) + ", cell " + std::to_string(cell) + ": its name the grid's text");
    const pellora::ClaimView& claim = p.form.Claim();
    const std::u16string expected =
        row == 0 ? u"見出し" : outcomes[static_cast<std::size_t>(claim.rows[static_cast<std::size_t>(row - 1)].nameOutcome)];
    CheckEqual(DescriptionOf(line, 3), expected, "row " + std::to_string(row) + ": the name cell's description");
    line->Release();
  }
  // The focus: the current cell, a child of the row holding it.
  VARIANT focus{};
  table->get_accFocus(&focus);
  Check(focus.vt == VT_DISPATCH && focus.pdispVal, "the focus an object");
  if (focus.vt == VT_DISPATCH && focus.pdispVal) {
    IAccessible* cell = nullptr;
    focus.pdispVal->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&cell));
    if (cell) {
      CheckEqual(NameOf(cell, CHILDID_SELF), grid.TextMatrix(2, 4), "the focus is the current cell");
      CheckEqual<long long>(RoleOf(cell), ROLE_SYSTEM_CELL, "a cell");
      cell->Release();
    }
  }
  VariantClear(&focus);

  // The current cell moved by a key: a focus event names it.
  focusEvents.clear();
  focusHook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, SeeFocus, GetCurrentProcessId(), 0,
                              WINEVENT_OUTOFCONTEXT);
  PressKey(p.window, VK_DOWN);
  Pump();
  UnhookWinEvent(focusHook);
  const auto told = std::find_if(focusEvents.begin(), focusEvents.end(),
                                 [&](const auto& e) { return e.first == viewer.hwnd(); });
  Check(told != focusEvents.end(), "the move told as a focus event");
  if (told != focusEvents.end()) {
    CheckEqual(NameOf(table, told->second), grid.TextMatrix(3, 4), "naming the new current cell");
  }
  table->Release();
  CoUninitialize();
}

void ControlsAsDesigned(Program& p) {
  Section("the window and its controls as designed");
  const int dpi = p.window.dpi();
  CheckEqual(WindowText(p.window.hwnd()), std::u16string(frmPellora::kTitle), "title");
  const LONG style = GetWindowLongW(p.window.hwnd(), GWL_STYLE);
  Check((style & WS_MINIMIZEBOX) && !(style & WS_MAXIMIZEBOX) && !(style & WS_THICKFRAME) && (style & WS_CAPTION),
        "a fixed border with a minimise box and no maximise box");
  ControlsInsideTheWindow(p);
  for (std::size_t i = 0; i < pellora::kMainControlCount; ++i) {
    const MainControl control = static_cast<MainControl>(i);
    const pellora::ControlDesign& design = pellora::Design(control);
    const std::string name = Utf8(design.name);
    HWND window = p.Control(control);
    const wchar_t* kind = design.kind == pellora::ControlKind::Button    ? L"Button"
                          : design.kind == pellora::ControlKind::TextBox ? L"Edit"
                          : design.kind == pellora::ControlKind::Grid    ? GridWindow::kClassName
                                                                         : L"Static";
    Check(lstrcmpiW(ClassOf(window).c_str(), kind) == 0, name + " is a " + Utf8(FromWide(kind)), Show(ClassOf(window)));
    CheckRect(PlaceOf(window), ToPixels(design.rect, dpi), name + " in its place");
    Check((IsWindowVisible(window) != 0) == !design.debugOnly, name + (design.debugOnly ? " hidden" : " shown"));
    if (design.kind == pellora::ControlKind::Button || !design.caption.empty())
      CheckEqual(WindowText(window), std::u16string(design.caption), name + " caption");
    if (design.kind != pellora::ControlKind::Grid) {
      LOGFONTW font{};
      GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)), sizeof font, &font);
      Check(std::wstring(font.lfFaceName) == L"MS UI Gothic" && font.lfHeight == -MulDiv(9, dpi, 72),
            name + " in the Japanese UI font at 9 points", Show(std::wstring(font.lfFaceName)));
    }
  }
}

void KeyboardAsDesigned(Program& p) {
  Section("tab order and access keys");
  SetFocus(p.Control(MainControl::comFileSelect));
  const MainControl order[] = {MainControl::cmdJob0,  MainControl::lblDBname0, MainControl::Command1,
                               MainControl::lblDBname1, MainControl::vsfTotal,   MainControl::vsfViewer,
                               MainControl::comFileSelect};
  for (const MainControl next : order) {
    PressKey(p.window, VK_TAB);
    Check(GetFocus() == p.Control(next), "Tab moves on to " + Utf8(pellora::Design(next).name));
  }
  // Alt+I: the label hands the focus to the settings box, its text selected.
  PressAltKey(p.window, L'i');
  HWND box = p.Control(MainControl::lblDBname0);
  Check(GetFocus() == box, "Alt+I puts the cursor in the settings box");
  DWORD start = 1, end = 0;
  SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  Check(start == 0 && end == static_cast<DWORD>(GetWindowTextLengthW(box)) && end > 0, "with all its text selected");
}

void ColoursOfTheStartUp(Program& p, const std::u16string& folder) {
  Section("start-up with velkar.ini and data.qdr beside the program");
  CheckEqual(WindowText(p.Control(MainControl::lblDBname0)), folder + u"\\velkar.ini", "the settings box");
  CheckEqual(WindowText(p.Control(MainControl::lblDBname1)), folder + u"\\data.qdr", "the database box");
  CheckColor(BackgroundOf(p.Control(MainControl::lblDBname0)), GetSysColor(COLOR_WINDOW),
             "the settings box on the window colour: [qdr] found");
  CheckColor(BackgroundOf(p.Control(MainControl::lblDBname1)), kLightYellow, "the database box light yellow: it opens");
}

void ClaimOnTheCommandLine(Program& p, const std::u16string& claim, const std::wstring& screenshot) {
  Section("a claim file named on the command line");
  CheckEqual(WindowText(p.window.hwnd()), Title(claim), "the title carries its path");
  GridWindow& viewer = p.Grid(MainControl::vsfViewer);
  Check(p.form.vsfViewer.Rows() > 10, "its persons are on the display grid");
  UpdateWindow(p.window.hwnd());
  Check(viewer.RowPaints() > 0, "and drawn at once");
  CheckEqual(WindowText(p.Control(MainControl::lblHead1)), std::u16string(u"介護給付費請求書情報"), "the file kind");
  CheckEqual(WindowText(p.Control(MainControl::lblHead3)), p.form.lblHead[3].Caption, "the provider's name");
  CheckColor(BackgroundOf(p.Control(MainControl::lblHead3)), kLightYellow, "the provider's name found");
  // The grid's widths: the insurer column hidden, the four service kinds
  // equally wide.
  CheckEqual<long long>(viewer.ColumnWidths()[3], 0, "保険者番号 hidden");
  Check(viewer.ColumnWidths()[5] > 0 && viewer.ColumnWidths()[5] == viewer.ColumnWidths()[8],
        "the service kinds equally wide");
  // Each name cell in sight on the colour its look-up gave it.
  int yellow = 0, cyan = 0;
  for (int row = 1; row < p.form.vsfViewer.Rows() && row <= 15; ++row) {
    const COLORREF expected = ToColorRef(p.form.vsfViewer.CellBackColor(row, 4).value_or(pellora::kWindowBackgroundColor));
    const POINT at = CellCentre(viewer, row, 4);
    // Beside the name's text, where only the background shows.
    const COLORREF shown = PixelAt(viewer.hwnd(), at.x + viewer.ColumnWidths()[4] / 2 - 4, at.y);
    CheckColor(shown, expected, "name cell of row " + std::to_string(row));
    yellow += expected == kLightYellow;
    cyan += expected == kLightCyan;
  }
  Check(yellow > 0 && cyan > 0, "both found and unknown persons in sight");
  if (!screenshot.empty()) {
    SetForegroundWindow(p.window.hwnd());
    Pump(500);
    Check(SavePicture(p.window.hwnd(), screenshot), "the screenshot written");
  }

  Section("a click on a heading re-sorts the rows");
  const int paintsBefore = viewer.RowPaints();
  std::vector<std::u16string> totalsBefore;
  for (int row = 0; row < p.form.vsfTotal.Rows(); ++row) totalsBefore.push_back(p.form.vsfTotal.TextMatrix(row, 1));
  const POINT heading = CellCentre(viewer, 0, 2);
  SendMessageW(viewer.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(heading.x, heading.y));
  SendMessageW(viewer.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(heading.x, heading.y));
  Pump();
  UpdateWindow(viewer.hwnd());
  bool ascending = true;
  for (int row = 2; row < p.form.vsfViewer.Rows(); ++row)
    ascending = ascending && p.form.vsfViewer.TextMatrix(row - 1, 2) <= p.form.vsfViewer.TextMatrix(row, 2);
  Check(ascending, "被保険者番号 ascending");
  CheckEqual(p.form.vsfViewer.TextMatrix(0, 2), std::u16string(u"被保険者番号"), "the heading row stays");
  std::vector<std::u16string> totalsAfter;
  for (int row = 0; row < p.form.vsfTotal.Rows(); ++row) totalsAfter.push_back(p.form.vsfTotal.TextMatrix(row, 1));
  Check(totalsAfter == totalsBefore, "the totals stay as they were");
  Check(viewer.RowPaints() > paintsBefore, "the grid drawn again");
}

// The open-file dialog as the user sees it, before it is answered.
struct FileDialogSeen {
  std::vector<std::wstring> filters;
  int selected = -1;
  std::wstring folder;
  std::wstring name;
};

void SeeFileDialog(HWND dialog, FileDialogSeen& seen) {
  HWND types = GetDlgItem(dialog, cmb1);
  const int count = static_cast<int>(SendMessageW(types, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    wchar_t text[256] = {};
    SendMessageW(types, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    seen.filters.push_back(text);
  }
  seen.selected = static_cast<int>(SendMessageW(types, CB_GETCURSEL, 0, 0));
  wchar_t folder[MAX_PATH] = {};
  SendMessageW(dialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(folder));
  seen.folder = folder;
  HWND name = GetDlgItem(dialog, cmb13) ? GetDlgItem(dialog, cmb13) : GetDlgItem(dialog, edt1);
  seen.name = TextOf(name);
}

void FileDialog(Program& p, const std::u16string& second) {
  Section("the file dialog answered");
  const std::u16string startFolder = p.form.LastFolder;
  FileDialogSeen seen;
  const bool shown = WithModal([&] { SendMessageW(p.Control(MainControl::comFileSelect), BM_CLICK, 0, 0); },
                               [&](HWND dialog) {
                                 SeeFileDialog(dialog, seen);
                                 HWND name = GetDlgItem(dialog, cmb13) ? GetDlgItem(dialog, cmb13) : GetDlgItem(dialog, edt1);
                                 const std::wstring path = Wide(second);
                                 SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
                                 PressButton(dialog, IDOK);
                               });
  Check(shown, "ファイル選択(O) opens the file dialog");
  const std::vector<std::wstring> filters = {L"CSV ファイル (*.csv)", L"テキスト ファイル (*.txt)",
                                             L"すべてのファイル (*.*)"};
  Check(seen.filters == filters, "its three filter entries in order",
        seen.filters.empty() ? "none" : Show(seen.filters.front()));
  CheckEqual<long long>(seen.selected, 0, "the first entry selected");
  CheckEqual(FromWide(seen.folder), startFolder, "it starts in the last file's folder");
  // Named on the command line, the claim file was not chosen in the
  // dialog: there is no name to offer yet.
  CheckEqual(FromWide(seen.name), std::u16string(), "offering no name yet");
  CheckEqual(WindowText(p.window.hwnd()), Title(second), "the chosen file's path in the title");
  CheckEqual(p.form.lblHead[1].Caption, std::u16string(u"給付管理票情報"), "the chosen file shown");
  CheckEqual<long long>(p.Grid(MainControl::vsfTotal).ColumnWidths()[2], 0, "サービス hidden for its kind");

  Section("the file dialog cancelled with Alt+O");
  SetFocus(p.Control(MainControl::comFileSelect));
  FileDialogSeen again;
  const bool cancelShown = WithModal([&] { PressAltKey(p.window, L'o'); },
                                     [&](HWND dialog) {
                                       SeeFileDialog(dialog, again);
                                       PressButton(dialog, IDCANCEL);
                                     });
  Check(cancelShown, "Alt+O opens the file dialog");
  CheckEqual(FromWide(again.name), second.substr(second.find_last_of(u'\\') + 1), "offering the chosen file's name");
  CheckEqual(FromWide(again.folder), second.substr(0, second.find_last_of(u'\\')), "in its folder");
  CheckEqual(WindowText(p.window.hwnd()), std::u16string(frmPellora::kTitle), "the title without a path");
  CheckEqual<long long>(p.form.vsfViewer.Rows(), 1, "no claim left on the display");
  Check(p.Grid(MainControl::vsfViewer).ColumnWidths().size() == 9, "the display grid keeps its headings");
}

void ShowClaim(Program& p, const std::u16string& claim) {
  WithModal([&] { SendMessageW(p.Control(MainControl::comFileSelect), BM_CLICK, 0, 0); },
            [&](HWND dialog) {
              HWND name = GetDlgItem(dialog, cmb13) ? GetDlgItem(dialog, cmb13) : GetDlgItem(dialog, edt1);
              const std::wstring path = Wide(claim);
              SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
              PressButton(dialog, IDOK);
            });
}

struct DatabaseDialogSeen {
  std::wstring caption, text, label, registerCaption, cancelCaption;
  RECT client{};
  bool text1Focused = false;
};

void DatabaseDialog(Program& p, const std::u16string& claim, const std::u16string& database) {
  const int dpi = p.window.dpi();
  ShowClaim(p, claim);
  const int rows = p.form.vsfViewer.Rows();
  Check(rows > 1, "a claim on display before the database dialog");
  const std::u16string databaseShown = WindowText(p.Control(MainControl::lblDBname1));

  Section("the database dialog cancelled with Esc");
  DatabaseDialogSeen seen;
  SetFocus(p.Control(MainControl::comFileSelect));
  Check(WithModal([&] { PressAltKey(p.window, L'd'); },
                  [&](HWND dialog) {
                    seen.caption = TextOf(dialog);
                    seen.text = TextOf(GetDlgItem(dialog, kText1Id));
                    seen.label = TextOf(GetDlgItem(dialog, kLabel1Id));
                    seen.registerCaption = TextOf(GetDlgItem(dialog, kRegisterId));
                    seen.cancelCaption = TextOf(GetDlgItem(dialog, kCancelId));
                    GetClientRect(dialog, &seen.client);
                    GUITHREADINFO input{};
                    input.cbSize = sizeof input;
                    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &input);
                    seen.text1Focused = input.hwndFocus == GetDlgItem(dialog, kText1Id);
                    TypeKey(input.hwndFocus ? input.hwndFocus : dialog, VK_ESCAPE);
                  }),
        "Alt+D opens the database dialog");
  CheckEqual(FromWide(seen.caption), std::u16string(pellora::frmSetDBname::kCaption), "its title");
  CheckEqual(FromWide(seen.text), databaseShown, "the database path in its box");
  CheckEqual(FromWide(seen.label), std::u16string(u"データベース名"), "its label");
  CheckEqual(FromWide(seen.registerCaption), std::u16string(u"登　録"), "the button 登　録");
  CheckEqual(FromWide(seen.cancelCaption), std::u16string(u"キャンセル"), "the button キャンセル");
  CheckEqual<long long>(seen.client.right, ToPixels(pellora::kDialogClientSize.width, dpi), "its client width");
  CheckEqual<long long>(seen.client.bottom, ToPixels(pellora::kDialogClientSize.height, dpi), "its client height");
  Check(seen.text1Focused, "the cursor in its box");
  CheckEqual<long long>(p.form.vsfViewer.Rows(), rows, "Esc leaves the claim on display");
  CheckEqual(WindowText(p.Control(MainControl::lblDBname1)), databaseShown, "and the database");

  Section("the database dialog closed through its frame");
  Check(WithModal([&] { SendMessageW(p.Control(MainControl::Command1), BM_CLICK, 0, 0); },
                  [](HWND dialog) { PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }),
        "DB　名 opens the dialog");
  CheckEqual<long long>(p.form.vsfViewer.Rows(), rows, "closing it changes nothing");

  Section("the database dialog: a path that does not open, registered with Enter");
  const std::wstring missing = L"Z:\\pellora-no-such-folder\\data.qdr";
  WithModal([&] { SendMessageW(p.Control(MainControl::Command1), BM_CLICK, 0, 0); },
            [&](HWND dialog) {
              HWND text1 = GetDlgItem(dialog, kText1Id);
              SendMessageW(text1, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(missing.c_str()));
              TypeKey(text1, VK_RETURN);
            });
  CheckEqual(WindowText(p.Control(MainControl::lblDBname1)), std::u16string(u"データベースが見つかりません"),
             "the database box says so");
  CheckColor(BackgroundOf(p.Control(MainControl::lblDBname1)), kPink, "in pink");
  CheckEqual<long long>(p.form.vsfViewer.Rows(), 1, "the claim on display cleared");
  CheckEqual(WindowText(p.window.hwnd()), std::u16string(frmPellora::kTitle), "the title without a path");

  Section("the database dialog: the database registered again");
  WithModal([&] { SendMessageW(p.Control(MainControl::Command1), BM_CLICK, 0, 0); },
            [&](HWND dialog) {
              HWND text1 = GetDlgItem(dialog, kText1Id);
              const std::wstring path = Wide(database);
              SendMessageW(text1, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
              PressButton(dialog, kRegisterId);
            });
  CheckEqual(WindowText(p.Control(MainControl::lblDBname1)), database, "the database box shows it");
  CheckColor(BackgroundOf(p.Control(MainControl::lblDBname1)), kLightYellow, "in light yellow");
}

void MissingSettings(const std::u16string& emptyFolder) {
  Section("no velkar.ini beside the program");
  Program p(emptyFolder, u"");
  p.Start();
  CheckEqual(WindowText(p.Control(MainControl::lblDBname0)), u"設定ファイルがありません: " + emptyFolder + u"\\velkar.ini",
             "the settings box names the file it looked for");
  CheckColor(BackgroundOf(p.Control(MainControl::lblDBname0)), kPink, "in pink");
  CheckEqual(WindowText(p.Control(MainControl::lblDBname1)), emptyFolder + u"\\data.qdr", "the default database");
  CheckColor(BackgroundOf(p.Control(MainControl::lblDBname1)), kPink, "in pink: there is none");
}

void DebugMode(const std::u16string& folder) {
  Section("the debug mode");
  Program p(folder, u"/DEBUG");
  p.Start();
  const int dpi = p.window.dpi();
  RECT outer;
  GetWindowRect(p.window.hwnd(), &outer);
  const pellora::TwipsSize design = pellora::OuterSizeOf(pellora::kMainDesignClientSize);
  CheckEqual<long long>(outer.right - outer.left, ToPixels(design.width, dpi), "the design's width");
  CheckEqual<long long>(outer.bottom - outer.top, ToPixels(design.height, dpi), "the design's height");
  for (const MainControl control : {MainControl::vsfCsv, MainControl::vsfSort, MainControl::lblCsvFname})
    Check(IsWindowVisible(p.Control(control)) != 0, Utf8(pellora::Design(control).name) + " shown");
}

struct BoxSeen {
  std::wstring title, text;
  HICON icon = nullptr;
};

// Runs `open` and answers the message box it shows with OK; false when
// none showed.
bool SeeMessageBox(const std::function<void()>& open, BoxSeen& seen) {
  return WithModal(open, [&](HWND box) {
    seen.title = TextOf(box);
    seen.text = TextOf(GetDlgItem(box, 0xFFFF));
    seen.icon = reinterpret_cast<HICON>(SendMessageW(GetDlgItem(box, 0x440), STM_GETICON, 0, 0));
    PressButton(box, IDOK);
  });
}

void MessageBoxes(const std::u16string& folder, const std::u16string& work) {
  Section("a claim file that cannot be read: the stop icon");
  const std::u16string missing = work + u"\\no-such-claim.csv";
  BoxSeen seen;
  {
    Program p(folder, missing);
    Check(SeeMessageBox([&] { p.Start(); }, seen), "a message box");
    CheckEqual(seen.text, std::wstring(L"53:ファイルが見つかりません。"), "its number and text");
    CheckEqual(seen.title, std::wstring(kProgramName), "the program's name as its title");
    Check(seen.icon == LoadIconW(nullptr, IDI_HAND), "the stop icon");
    CheckEqual(WindowText(p.window.hwnd()), Title(missing), "the path in the title all the same");
    CheckEqual<long long>(p.form.vsfViewer.Rows(), 1, "an empty display");
  }

  Section("a claim file held by another program");
  const std::u16string held = work + u"\\held.csv";
  const std::wstring heldPath = Wide(held);
  HANDLE file = CreateFileW(heldPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD n = 0;
  WriteFile(file, "1,2\r\n", 5, &n, nullptr);
  {
    Program p(folder, held);
    WithModal([&] { p.Start(); },
              [&](HWND box) {
                seen.text = TextOf(GetDlgItem(box, 0xFFFF));
                PressButton(box, IDOK);
              });
    CheckEqual(seen.text, std::wstring(L"70:書き込みできません。"), "error 70");
  }
  CloseHandle(file);
}

// ---- The clerk's features: copy, save, find, drop ----

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

// After a modal window, the system's activation may reach the window a
// moment later and take the focus with it: the window is made active and
// left to settle before keys are typed.
void Settle(Program& p) {
  SetForegroundWindow(p.window.hwnd());
  Pump(400);
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

// What a program writes to its standard output, through a file.
std::string OutputOf(const std::wstring& program, const std::wstring& arguments, const std::wstring& outputPath) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE output = CreateFileW(outputPath.c_str(), GENERIC_WRITE, 0, &inherit, CREATE_ALWAYS, 0, nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = startup.hStdError = output;
  PROCESS_INFORMATION process{};
  std::wstring commandLine = L"\"" + program + L"\" " + arguments;
  if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                     &process)) {
    WaitForSingleObject(process.hProcess, 60000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(output);
  return ReadBytes(outputPath);
}

std::string ClipboardBytes(UINT format) {
  std::string bytes;
  if (!OpenClipboard(nullptr)) return bytes;
  if (HANDLE data = GetClipboardData(format)) {
    bytes.assign(static_cast<const char*>(GlobalLock(data)), GlobalSize(data));
    GlobalUnlock(data);
  }
  CloseClipboard();
  return bytes;
}

// The number after "<name>:" in the header of "HTML Format" (0 without).
std::size_t HtmlOffset(const std::string& html, const std::string& name) {
  const std::size_t at = html.find("\r\n" + name + ":");
  return at == std::string::npos ? 0 : std::stoul(html.substr(at + name.size() + 3, 10));
}

// A row of the display grid as it shows: the texts of the columns in sight.
std::u16string ShownRow(Program& p, int row) {
  std::u16string line;
  const std::vector<int>& widths = p.Grid(MainControl::vsfViewer).ColumnWidths();
  for (int col = p.form.vsfViewer.FixedCols(); col < p.form.vsfViewer.Cols(); ++col)
    if (widths[static_cast<std::size_t>(col)] > 0) line.append(p.form.vsfViewer.TextMatrix(row, col)).append(u"\t");
  line.back() = u'\r';
  return line.append(u"\n");
}

void CopyAll(Program& p) {
  Section("Ctrl+A and Ctrl+C on the display grid");
  SetFocus(p.Control(MainControl::vsfViewer));
  PressKeyWith(p.window, VK_CONTROL, 'A');
  PressKeyWith(p.window, VK_CONTROL, 'C');
  const std::string bytes = ClipboardBytes(CF_UNICODETEXT);
  const std::u16string text(reinterpret_cast<const char16_t*>(bytes.data()), bytes.size() / 2);
  std::u16string expected;
  for (int row = 0; row < p.form.vsfViewer.Rows(); ++row) expected += ShownRow(p, row);
  CheckEqual(text.substr(0, text.find(u'\0')), expected, "the heading row, then every row as shown");
  // Ctrl+Insert, the system's other copy key, copies the same.
  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    CloseClipboard();
  }
  PressKeyWith(p.window, VK_CONTROL, VK_INSERT);
  Check(ClipboardBytes(CF_UNICODETEXT) == bytes, "Ctrl+Insert copies the same");
  // The spreadsheet's flavour: the header's offsets must find the page and
  // the part to paste, or nothing (or rubbish) is pasted.
  std::string html = ClipboardBytes(RegisterClipboardFormatW(L"HTML Format"));
  html = html.c_str();
  const std::size_t startFragment = HtmlOffset(html, "StartFragment"), endFragment = HtmlOffset(html, "EndFragment");
  Check(html.compare(HtmlOffset(html, "StartHTML"), 5, "<html") == 0 && HtmlOffset(html, "EndHTML") == html.size(),
        "HTML Format: StartHTML and EndHTML");
  Check(startFragment >= 20 && endFragment < html.size() &&
            html.compare(startFragment - 20, 20, "<!--StartFragment-->") == 0 &&
            html.compare(endFragment, 18, "<!--EndFragment-->") == 0,
        "HTML Format: the fragment's offsets at its marks");
  // One page, the marks inside its body: the part to paste is the table
  // alone, not a page of its own inside the page.
  const std::string fragment = startFragment <= endFragment && endFragment <= html.size()
                                   ? html.substr(startFragment, endFragment - startFragment)
                                   : std::string();
  Check(html.find("<html", HtmlOffset(html, "StartHTML") + 1) == std::string::npos &&
            fragment.starts_with("<table>") && fragment.ends_with("</table>"),
        "HTML Format: one page, its fragment the table", fragment.substr(0, 40));
  Check(html.find("x:str") != std::string::npos && html.find(Utf8(p.form.vsfViewer.TextMatrix(1, 2))) != std::string::npos,
        "HTML Format: the cells, marked as text");
}

void SaveDisplay(Program& p, const std::u16string& folder, const std::u16string& claim, const std::u16string& work) {
  Section("the display saved as CSV over an older file, from the context menu");
  const std::wstring target = Wide(work) + L"\\saved-display.csv";
  CloseHandle(CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  bool asked = false, noFocused = false, menuShown = false;
  std::wstring offered;
  const bool shown = WithModal(
      // Up from the menu's end: 印刷プレビュー..., 印刷..., then the save.
      [&] { menuShown = ChooseFromMenuEnd(p, 3); },
      [&](HWND dialog) {
        HWND name = GetDlgItem(dialog, cmb13) ? GetDlgItem(dialog, cmb13) : GetDlgItem(dialog, edt1);
        offered = TextOf(name);
        SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(target.c_str()));
        HWND edit = FindWindowExW(name, nullptr, L"Edit", nullptr);
        TypeKey(edit ? edit : name, VK_RETURN);
        // Then the question whether to replace the file, No focused.
        HWND box = nullptr;
        for (int i = 0; i < 400 && (!box || box == dialog); ++i, Sleep(25))
          EnumThreadWindows(GetWindowThreadProcessId(dialog, nullptr), FindDialog, reinterpret_cast<LPARAM>(&box));
        if (box == dialog || !box) return;
        Sleep(200);
        GUITHREADINFO input{};
        input.cbSize = sizeof input;
        GetGUIThreadInfo(GetWindowThreadProcessId(box, nullptr), &input);
        asked = true;
        noFocused = input.hwndFocus == GetDlgItem(box, IDNO);
        PressButton(box, IDYES);
      });
  Check(menuShown, "the menu key opens the grid's context menu");
  Check(shown && asked, "its save item: the save dialog, then the question before replacing the file");
  Check(noFocused, "No the default button");
  // The name offered is the one rule's, an underscore and no blank before
  // 表示, in the box itself (not only as drawn).
  const std::u16string stem = claim.substr(claim.find_last_of(u'\\') + 1, claim.size() - claim.find_last_of(u'\\') - 5);
  CheckEqual(FromWide(offered), stem + u"_表示.csv", "the name offered in the save dialog's box");
  const std::string expected = OutputOf(Wide(folder) + L"\\pellora-export.exe", L"--format csv \"" + Wide(claim) + L"\"",
                                        Wide(work) + L"\\exported-display.csv");
  Check(expected.size() > 100 && ReadBytes(target) == expected, "the saved file has pellora-export.exe's bytes",
        std::to_string(ReadBytes(target).size()) + " bytes against " + std::to_string(expected.size()));
}

void FindNames(Program& p) {
  Section("Ctrl+F, a name, Enter, F3 and Shift+F3");
  Settle(p);
  const pellora::FlexGrid& grid = p.form.vsfViewer;
  std::vector<int> matching;
  for (int row = 1; row < grid.Rows(); ++row)
    if (grid.TextMatrix(row, 4) == u"佐藤　花子") matching.push_back(row);
  if (matching.size() < 3) return Check(false, "the example shows the name three times");
  SetFocus(p.Control(MainControl::vsfViewer));
  PressKey(p.window, VK_HOME);
  PressKeyWith(p.window, VK_CONTROL, 'F');
  const FindBox& box = p.window.findBox();
  Check(IsWindowVisible(box.hwnd()) && GetFocus() == box.edit(), "Ctrl+F opens the find box, the cursor in it");
  // Typed without the space the grid shows between the names.
  SendMessageW(box.edit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"佐藤花子"));
  const int first = matching[0] > 1 ? matching[0] : matching[1];
  const int second = *std::upper_bound(matching.begin(), matching.end(), first);
  PressKey(p.window, VK_RETURN);
  CheckEqual<long long>(grid.Row(), first, "Enter finds the next row with the name");
  Check(grid.RowSel() == grid.Row() && pellora::SelectsWholeRows(grid), "the whole row selected");
  PressKey(p.window, VK_F3);
  CheckEqual<long long>(grid.Row(), second, "F3 finds the next");
  GridWindow& viewer = p.Grid(MainControl::vsfViewer);
  RECT client;
  GetClientRect(viewer.hwnd(), &client);
  Check(viewer.CellRect(second, 4).top >= viewer.RowHeight() && viewer.CellRect(second, 4).bottom <= client.bottom,
        "scrolled into sight");
  PressKeyWith(p.window, VK_SHIFT, VK_F3);
  CheckEqual<long long>(grid.Row(), first, "Shift+F3 goes back");
  SendMessageW(box.edit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"見つからない名前"));
  PressKey(p.window, VK_RETURN);
  CheckEqual(box.Status(), std::u16string(frmPellora::kFindNoMatch), "a name nobody has: said in the box");
  PressKey(p.window, VK_ESCAPE);
  Check(!IsWindowVisible(box.hwnd()) && GetFocus() == viewer.hwnd(), "Esc closes the box, the grid focused");
  // A text left in the closed box is searched for at once by F3, and the
  // box opens again to say what became of it.
  SendMessageW(box.edit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"佐藤花子"));
  PressKey(p.window, VK_F3);
  CheckEqual<long long>(grid.Row(), second, "F3 after Esc finds the next row with the box's text");
  Check(IsWindowVisible(box.hwnd()) && box.Status().empty(), "and opens the box again, no word of a miss");
}

// A real HDROP, as the shell hands one to a window.
void DropClaim(Program& p, const std::u16string& path) {
  Section("a claim file dropped on the window");
  const std::wstring wide = Wide(path);
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + (wide.size() + 2) * sizeof(wchar_t));
  DROPFILES* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::copy(wide.begin(), wide.end(), reinterpret_cast<wchar_t*>(drop + 1));
  GlobalUnlock(memory);
  PostMessageW(p.window.hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
  Pump(300);
  CheckEqual(WindowText(p.window.hwnd()), Title(path), "its path in the title");
  CheckEqual(WindowText(p.Control(MainControl::lblCsvFname)), path, "and in lblCsvFname");
  CheckEqual(p.form.lblHead[1].Caption, std::u16string(u"給付管理票情報"), "the file shown");
}

// The picture for the documentation: a name found, and the rows below it
// added to the selection with Shift and a click in the fixed column.
void FindPicture(Program& p, const std::wstring& screenshot) {
  Settle(p);
  SetFocus(p.Control(MainControl::vsfViewer));
  PressKey(p.window, VK_HOME);
  PressKeyWith(p.window, VK_CONTROL, 'F');
  SendMessageW(p.window.findBox().edit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"佐藤花子"));
  PressKey(p.window, VK_RETURN);
  GridWindow& viewer = p.Grid(MainControl::vsfViewer);
  const RECT found = viewer.CellRect(p.form.vsfViewer.Row(), 0);
  const LPARAM below = MAKELPARAM(found.left + 2, found.top + 3 * viewer.RowHeight() + 2);
  SendMessageW(viewer.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, below);
  SendMessageW(viewer.hwnd(), WM_LBUTTONUP, 0, below);
  CheckEqual<long long>(p.form.vsfViewer.RowSel(), p.form.vsfViewer.Row() + 3, "Shift and a click on the fixed column extend the rows");
  Pump(300);
  Check(SavePicture(p.window.hwnd(), screenshot), "the find picture written");
}

// What is wrong with a claim file is said after the window shows it, in one
// box: named on the command line, before which the window is not shown
// yet, and chosen in the file dialog.
// A benefit-management file of today: 8222 records and no cover record,
// its year-month the control record's.
void CurrentBenefitManagement(const std::u16string& folder, const std::u16string& claim,
                              const std::wstring& screenshot) {
  Section("a benefit-management file of today");
  Program p(folder, claim);
  p.Start();
  CheckEqual(WindowText(p.Control(MainControl::lblHead1)), std::u16string(u"給付管理票情報"), "the file kind");
  CheckEqual(WindowText(p.Control(MainControl::lblHeadCaption0)), std::u16string(u"提出年月"), "the caption");
  CheckEqual(WindowText(p.Control(MainControl::lblHead0)), std::u16string(u"2026年04月"), "the year-month");
  CheckEqual<long long>(p.form.vsfViewer.Rows(), 47, "a row for each of its 46 persons and months");
  CheckEqual<long long>(p.form.vsfTotal.Rows(), 3, "a totals line for each of its two months");
  CheckEqual(p.form.vsfTotal.TextMatrix(2, 1), std::u16string(u"45"), "45 persons in March");
  UpdateWindow(p.window.hwnd());
  Check(p.Grid(MainControl::vsfViewer).RowPaints() > 0, "drawn at once");
  if (!screenshot.empty()) {
    SetForegroundWindow(p.window.hwnd());
    Pump(500);
    Check(SavePicture(p.window.hwnd(), screenshot), "the screenshot written");
  }
}

void FileWarnings(const std::u16string& folder, const std::u16string& claim, const std::u16string& work) {
  const std::string crLf = ReadBytes(Wide(claim));
  std::string lf = crLf;
  std::erase(lf, '\r');
  std::size_t cutAt = 0;
  // The control record, the 請求書 and the first statement whole.
  for (int line = 0; line < 13; ++line) cutAt = crLf.find("\r\n", cutAt) + 2;
  const struct {
    const char* what;
    std::string bytes;
    std::wstring said;
    bool rows;  // whether the display shows rows of it
  } cases[] = {
      {"a claim file of LF line ends", lf, L"改行が LF だけのファイルです", true},
      {"a claim file cut after twelve of its records", crLf.substr(0, cutAt), L"途中で切れている可能性があります",
       true},
      {"a file of records the display does not show",
       "1,00000001,0,2,711,0,0,1371234567,13,7,202604,0\r\n2,00000002,7111,01,202603\r\n"
       "2,00000003,7121,01,202603\r\n3,00000004\r\n",
       L"表示できる明細はありません。交換情報識別番号: 7111 (1 件)、7121 (1 件)。", false},
  };
  for (const auto& c : cases) {
    const std::u16string path = work + u"\\warned.csv";
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD n = 0;
    WriteFile(file, c.bytes.data(), static_cast<DWORD>(c.bytes.size()), &n, nullptr);
    CloseHandle(file);
    for (const bool onTheCommandLine : {true, false}) {
      Section((std::string(c.what) + (onTheCommandLine ? ", on the command line" : ", chosen")).c_str());
      Program p(folder, onTheCommandLine ? path : u"");
      if (!onTheCommandLine) p.Start();
      // The window as the box finds it: shown, and nothing of it or of the
      // display grid waiting to be painted.
      bool shownBehind = false, paintedBehind = false;
      const auto sight = [&](HWND) {
        shownBehind = IsWindowVisible(p.window.hwnd()) != 0;
        paintedBehind = !GetUpdateRect(p.window.hwnd(), nullptr, FALSE) &&
                        !GetUpdateRect(p.Grid(MainControl::vsfViewer).hwnd(), nullptr, FALSE);
      };
      BoxSeen seen;
      const auto seeBox = [&](HWND box) {
        seen.title = TextOf(box);
        seen.text = TextOf(GetDlgItem(box, 0xFFFF));
        seen.icon = reinterpret_cast<HICON>(SendMessageW(GetDlgItem(box, 0x440), STM_GETICON, 0, 0));
        PressButton(box, IDOK);
      };
      const auto choose = [&](HWND dialog) {
        HWND name = GetDlgItem(dialog, cmb13) ? GetDlgItem(dialog, cmb13) : GetDlgItem(dialog, edt1);
        const std::wstring chosen = Wide(path);
        SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(chosen.c_str()));
        PressButton(dialog, IDOK);
      };
      const bool boxShown =
          onTheCommandLine
              ? WithModals([&] { p.Start(); }, {seeBox}, sight)
              : WithModals([&] { SendMessageW(p.Control(MainControl::comFileSelect), BM_CLICK, 0, 0); },
                           {choose, seeBox}, sight);
      Check(boxShown, "a message box");
      Check(seen.text.find(c.said) != std::wstring::npos, "saying what is wrong", Show(seen.text));
      Check(seen.icon == LoadIconW(nullptr, IDI_EXCLAMATION), "the exclamation icon");
      CheckEqual(FromWide(seen.title), std::u16string(frmPellora::kTitle), "the window's title");
      Check(shownBehind, "over the window shown");
      Check(paintedBehind, "over the window painted");
      Check(!c.rows || p.form.vsfViewer.Rows() > 1, "after the claim was shown");
    }
  }
}

// ---- A window's object attached from its first message to its last ----

// A window that writes down each message its object is handed (0 for one
// handed before the object knew its window).
class RecordingWindow : public AttachedWindow {
 public:
  explicit RecordingWindow(std::vector<UINT>& seen) : seen_(seen) {
    Create({L"PelloraDriverRecording"}, 0, L"", WS_POPUP, POINT{0, 0}, SIZE{120, 80}, nullptr);
  }

 private:
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override {
    seen_.push_back(hwnd() ? message : 0);
    return AttachedWindow::Handle(message, wParam, lParam);
  }
  std::vector<UINT>& seen_;
};

void AttachedWindows() {
  Section("a window's object handed its messages from WM_NCCREATE to WM_NCDESTROY");
  std::vector<UINT> seen;
  RecordingWindow window(seen);
  const auto handed = [&](UINT message) { return std::find(seen.begin(), seen.end(), message) != seen.end(); };
  Check(!seen.empty() && seen.front() == WM_NCCREATE && !handed(0), "WM_NCCREATE first, the window known");
  Check(handed(WM_NCCALCSIZE) && handed(WM_CREATE) && handed(WM_SIZE), "the creation's messages reach it");
  DestroyWindow(window.hwnd());
  Check(seen.back() == WM_NCDESTROY && window.hwnd() == nullptr, "WM_NCDESTROY last, then the window let go");
}

// ---- Printing: the page painter, the print dialog, the preview ----

using pellora::print::Align;
using pellora::print::Face;
using pellora::print::Font;

// A modal window of `windowClass` that `open` shows on this thread, worked
// by `drive` from a thread of the driver's own, which may answer the
// dialogs it opens on the way. Returns whether the window appeared.
struct Driven {
  DWORD thread;
  const wchar_t* windowClass;
  std::function<void(HWND)> drive;
  bool shown = false;
};

struct Sought {
  const wchar_t* windowClass;
  HWND window = nullptr;
};
BOOL CALLBACK FindOfClass(HWND window, LPARAM parameter) {
  Sought& sought = *reinterpret_cast<Sought*>(parameter);
  if (ClassOf(window) != sought.windowClass || !IsWindowVisible(window)) return TRUE;
  sought.window = window;
  return FALSE;
}
// A visible window of a class on a thread, waited for up to ten seconds.
HWND WaitForWindow(DWORD thread, const wchar_t* windowClass) {
  Sought sought{windowClass};
  for (int i = 0; i < 400 && !sought.window; ++i, Sleep(25))
    EnumThreadWindows(thread, FindOfClass, reinterpret_cast<LPARAM>(&sought));
  return sought.window;
}

DWORD WINAPI Drive(void* parameter) {
  Driven& driven = *static_cast<Driven*>(parameter);
  HWND window = WaitForWindow(driven.thread, driven.windowClass);
  if (!window) return 0;
  driven.shown = true;
  Sleep(300);
  driven.drive(window);
  for (int i = 0; i < 100 && IsWindow(window) && IsWindowVisible(window); ++i) Sleep(30);
  if (IsWindow(window) && IsWindowVisible(window)) PostMessageW(window, WM_CLOSE, 0, 0);
  return 0;
}

bool WithWindow(const std::function<void()>& open, const wchar_t* windowClass, std::function<void(HWND)> drive) {
  Driven driven{GetCurrentThreadId(), windowClass, std::move(drive)};
  HANDLE thread = CreateThread(nullptr, 0, Drive, &driven, 0, nullptr);
  open();
  WaitForSingleObject(thread, 120000);
  CloseHandle(thread);
  Pump();
  return driven.shown;
}

void PreviewSteps() {
  Section("the preview's page and zoom, step by step");
  using A = PreviewAction;
  const struct {
    const char* what;
    int count;
    double whole;  // the whole page's zoom in the window
    std::vector<A> actions;
    std::u16string page, zoom;
    bool lastChanged;
  } cases[] = {
      {"paging stops at the last page", 3, 60, {A::kNextPage, A::kNextPage, A::kNextPage}, u"3 / 3 ページ",
       u"ページ全体 (60%)", false},
      {"and at the first", 3, 60, {A::kLastPage, A::kPreviousPage, A::kFirstPage, A::kPreviousPage}, u"1 / 3 ページ",
       u"ページ全体 (60%)", false},
      {"zooming in from the whole page: the next step above it", 2, 60, {A::kZoomIn}, u"1 / 2 ページ", u"75%", true},
      {"a whole page of a step's size zooms past it", 1, 100.2, {A::kZoomIn}, u"1 / 1 ページ", u"150%", true},
      {"zooming out from the whole page: the next step below it", 1, 60, {A::kZoomOut}, u"1 / 1 ページ", u"50%", true},
      {"the zoom stops at 400%", 1, 60, {A::kActualSize, A::kZoomIn, A::kZoomIn, A::kZoomIn, A::kZoomIn, A::kZoomIn},
       u"1 / 1 ページ", u"400%", false},
      {"a whole page under 25% zooms out no further", 1, 20, {A::kZoomOut}, u"1 / 1 ページ", u"ページ全体 (20%)", false},
      {"back to the whole page", 1, 60, {A::kActualSize, A::kZoomOut, A::kWholePage}, u"1 / 1 ページ",
       u"ページ全体 (60%)", true},
  };
  for (const auto& c : cases) {
    PreviewState state(c.count);
    bool changed = false;
    for (const A action : c.actions) changed = state.Apply(action, c.whole);
    CheckEqual(state.PageText(), c.page, std::string(c.what) + ": the page");
    CheckEqual(state.ZoomText(c.whole), c.zoom, std::string(c.what) + ": the zoom");
    Check(changed == c.lastChanged,
          std::string(c.what) + (c.lastChanged ? ": the last step shows" : ": the last step changes nothing"));
  }
  PreviewState state(5);
  state.Apply(A::kLastPage, 60);
  state.SetCount(2);
  CheckEqual(state.PageText(), std::u16string(u"2 / 2 ページ"), "pages laid out again, fewer: the last of them");
}

// One text as an enhanced metafile keeps it: the reference point, the box
// it is clipped to and its characters' advances.
struct DrawnText {
  std::u16string text;
  POINT at{};
  RECT clip{};
  long width = 0;
  bool clipped = false;
};

int CALLBACK CollectText(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM parameter) {
  if (record->iType != EMR_EXTTEXTOUTW) return 1;
  const auto* text = reinterpret_cast<const EMREXTTEXTOUTW*>(record);
  const char* bytes = reinterpret_cast<const char*>(record);
  DrawnText drawn;
  const auto* chars = reinterpret_cast<const char16_t*>(bytes + text->emrtext.offString);
  drawn.text.assign(chars, text->emrtext.nChars);
  drawn.at = {text->emrtext.ptlReference.x, text->emrtext.ptlReference.y};
  const RECTL& clip = text->emrtext.rcl;
  drawn.clip = {clip.left, clip.top, clip.right, clip.bottom};
  const auto* advances = reinterpret_cast<const INT*>(bytes + text->emrtext.offDx);
  for (DWORD i = 0; text->emrtext.offDx && i < text->emrtext.nChars; ++i) drawn.width += advances[i];
  drawn.clipped = (text->emrtext.fOptions & ETO_CLIPPED) != 0;
  reinterpret_cast<std::vector<DrawnText>*>(parameter)->push_back(drawn);
  return 1;
}

// A page painted into a metafile on the screen's units, as its texts came out.
std::vector<DrawnText> PaintedTexts(const pellora::print::PageDrawing& page, const pellora::print::Sheet& sheet,
                                    PagePlace& place) {
  const RECT frame{0, 0, static_cast<LONG>(sheet.width / 72 * 2540), static_cast<LONG>(sheet.height / 72 * 2540)};
  HDC dc = CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr);
  place = {GetDeviceCaps(dc, LOGPIXELSX) / 72.0, GetDeviceCaps(dc, LOGPIXELSY) / 72.0, 0, 0};
  PaintPage(dc, page, place);
  HENHMETAFILE file = CloseEnhMetaFile(dc);
  std::vector<DrawnText> texts;
  EnumEnhMetaFile(nullptr, file, CollectText, &texts, nullptr);
  DeleteEnhMetaFile(file);
  return texts;
}

bool Contains(const std::vector<DrawnText>& texts, const std::u16string& text) {
  return std::any_of(texts.begin(), texts.end(), [&](const DrawnText& drawn) { return drawn.text == text; });
}

void PaintedPages(Program& p) {
  Section("the display's pages painted: every text in its box, in Japanese glyphs");
  const pellora::print::TextWidth measure = GdiTextWidth();
  const Font grid{Face::Grid, 9, false};
  Check(std::abs(measure(u"介護給付", grid) - 36) < 0.5 && std::abs(measure(u"12345678", grid) - 36) < 0.5,
        "ＭＳ ゴシック measured in points: a kanji an em, a digit half of one",
        std::to_string(measure(u"介護給付", grid)) + " and " + std::to_string(measure(u"12345678", grid)));
  const Font label{Face::Window, 9, false}, twice{Face::Window, 18, false};
  Check(std::abs(measure(u"介護給付費請求書情報", twice) - 2 * measure(u"介護給付費請求書情報", label)) < 0.05,
        "twice the size, twice as wide");

  const pellora::print::Sheet sheet = pellora::print::SheetOf(p.form.PrintSetup);
  const pellora::print::Pages pages = p.form.DisplayPages(sheet, measure, {2024, 5, 10});
  const int count = pages.Count();
  Check(count >= 2, "the example fills more than one page", Show(count));
  const std::u16string total = u" / " + FromWide(std::to_wstring(count)) + u" ページ";
  for (int page = 0; page < count; ++page) {
    const std::string name = "page " + std::to_string(page + 1);
    const pellora::print::PageDrawing drawing = pages.Draw(page);
    PagePlace place;
    const std::vector<DrawnText> drawn = PaintedTexts(drawing, sheet, place);
    std::vector<std::u16string> wanted, got;
    for (const pellora::print::Text& text : drawing.texts) wanted.push_back(text.text);
    for (const DrawnText& text : drawn) got.push_back(text.text);
    Check(got == wanted, name + ": every text drawn, in order",
          std::to_string(got.size()) + " of " + std::to_string(wanted.size()));
    int misplaced = 0;
    std::string example;
    for (std::size_t i = 0; i < std::min(drawn.size(), wanted.size()); ++i) {
      const pellora::print::Text& text = drawing.texts[i];
      const DrawnText& d = drawn[i];
      const RECT box{std::lround(text.box.left * place.unitsPerPointX),
                     std::lround(text.box.top * place.unitsPerPointY),
                     std::lround(text.box.right() * place.unitsPerPointX),
                     std::lround(text.box.bottom() * place.unitsPerPointY)};
      bool right = d.clipped && std::abs(d.clip.left - box.left) <= 1 && std::abs(d.clip.right - box.right) <= 1 &&
                   std::abs(d.clip.top - box.top) <= 1 && std::abs(d.clip.bottom - box.bottom) <= 1;
      const long room = d.clip.right - d.clip.left;
      if (d.width > room || text.align == Align::Left) right = right && d.at.x == d.clip.left;
      else if (text.align == Align::Right) right = right && std::abs(d.at.x + d.width - d.clip.right) <= 1;
      else right = right && std::abs(2 * d.at.x + d.width - d.clip.left - d.clip.right) <= 2;
      if (!right && misplaced++ == 0) example = Utf8(text.text);
    }
    CheckEqual<long long>(misplaced, 0, name + ": each text clipped to its box and aligned in it (" + example + ")");
    Check(Contains(drawn, FromWide(std::to_wstring(page + 1)) + total), name + ": its footer");
    if (page > 0) continue;
    Check(Contains(drawn, u"介護給付費請求書情報"), "the file kind in the header");
    Check(Contains(drawn, p.form.lblHead[2].Caption), "the provider number in the header",
          Show(p.form.lblHead[2].Caption));

    // The fonts the page asks for have every character it draws.
    HDC dc = CreateCompatibleDC(nullptr);
    for (const Face face : {Face::Window, Face::Grid}) {
      for (const bool bold : {false, true}) {
        std::wstring all;
        for (const pellora::print::Text& text : drawing.texts)
          if (text.font.face == face && text.font.bold == bold) all += Wide(text.text);
        HFONT font = CreatePageFont({face, 9, bold}, 96 / 72.0);
        HGDIOBJ old = SelectObject(dc, font);
        std::vector<WORD> glyphs(all.size() + 1);
        GetGlyphIndicesW(dc, all.c_str(), static_cast<int>(all.size()), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
        glyphs.resize(all.size());
        const long long missing = std::count(glyphs.begin(), glyphs.end(), WORD{0xFFFF});
        // The font the system took for the name: its own full name, not the
        // name asked for, which a substitute answers to as well.
        std::vector<char> metrics(GetOutlineTextMetricsW(dc, 0, nullptr) + 1);
        auto* outline = reinterpret_cast<OUTLINETEXTMETRICW*>(metrics.data());
        std::wstring drawnWith = L"?";
        if (metrics.size() > sizeof *outline && GetOutlineTextMetricsW(dc, static_cast<UINT>(metrics.size()), outline))
          drawnWith = reinterpret_cast<const wchar_t*>(metrics.data() +
                                                       reinterpret_cast<std::uintptr_t>(outline->otmpFamilyName));
        const std::string what = Utf8(FromWide(FaceNameOf(face))) + (bold ? " bold" : "") + " (drawn with " +
                                 Utf8(FromWide(drawnWith)) + ")";
        std::printf("   %s\n", what.c_str());
        CheckEqual(missing, 0LL, what + ": a glyph for each of its " + std::to_string(all.size()) + " characters");
        CheckEqual<long long>(GetTextCharset(dc), SHIFTJIS_CHARSET, what + ": a Japanese font");
        SelectObject(dc, old);
        DeleteObject(font);
      }
    }
    DeleteDC(dc);
  }
}

// The message box that Ctrl+P, or the context menu's 印刷..., opens when
// there is no printer to print on.
void PrintWithoutPrinter(Program& p) {
  Section("Ctrl+P and the context menu's 印刷... without a printer");
  BoxSeen seen;
  SetFocus(p.Control(MainControl::vsfViewer));
  Check(SeeMessageBox([&] { PressKeyWith(p.window, VK_CONTROL, 'P'); }, seen), "Ctrl+P: a message box");
  CheckEqual(FromWide(seen.text), std::u16string(kNoPrinterText), "saying that there is no printer");
  Check(seen.icon == LoadIconW(nullptr, IDI_EXCLAMATION), "with the exclamation icon");
  seen = {};
  Check(SeeMessageBox([&] { ChooseFromMenuEnd(p, 2); }, seen), "印刷...: the same box");
  CheckEqual(FromWide(seen.text), std::u16string(kNoPrinterText), "its text");
  CheckEqual<long long>(IsWindowEnabled(p.window.hwnd()), TRUE, "the window usable after it");
}

void Preview(Program& p, const std::wstring& screenshot) {
  Section("印刷プレビュー...: paged, zoomed and closed");
  const int count =
      p.form.DisplayPages(pellora::print::SheetOf(p.form.PrintSetup), GdiTextWidth(), {2024, 5, 10}).Count();
  std::vector<std::u16string> pages, zooms;
  bool ownerDisabled = false, pictured = screenshot.empty(), boxOver = false;
  std::wstring boxText;
  // What each step does, in the order the driver takes them.
  const std::vector<PreviewAction> steps = {
      PreviewAction::kNextPage, PreviewAction::kNextPage,   PreviewAction::kPreviousPage, PreviewAction::kLastPage,
      PreviewAction::kZoomIn,   PreviewAction::kZoomIn,     PreviewAction::kZoomOut,      PreviewAction::kActualSize,
      PreviewAction::kWholePage, PreviewAction::kFirstPage};
  HWND owner = p.window.hwnd();
  const bool shown = WithWindow([&] { ChooseFromMenuEnd(p, 1); }, PreviewWindow::kClassName, [&](HWND preview) {
    ownerDisabled = !IsWindowEnabled(owner);
    HWND view = GetDlgItem(preview, PreviewWindow::kPageId);
    const auto seeState = [&] {
      Sleep(200);
      pages.push_back(FromWide(TextOf(GetDlgItem(preview, PreviewWindow::kPageTextId))));
      zooms.push_back(FromWide(TextOf(GetDlgItem(preview, PreviewWindow::kZoomTextId))));
    };
    seeState();
    // Keys, buttons and the wheel, one each way.
    TypeKey(view, VK_NEXT), seeState();
    PressButton(preview, PreviewWindow::kNextId), seeState();
    PressButton(preview, PreviewWindow::kPreviousId), seeState();
    TypeKey(view, VK_END), seeState();
    PressButton(preview, PreviewWindow::kZoomInId), seeState();
    TypeKey(view, VK_OEM_PLUS), seeState();
    PostMessageW(view, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, static_cast<WORD>(-WHEEL_DELTA)), 0), seeState();
    PressButton(preview, PreviewWindow::kActualSizeId), seeState();
    PressButton(preview, PreviewWindow::kWholePageId), seeState();
    TypeKey(view, VK_HOME), seeState();
    RedrawWindow(preview, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(300);
    if (!screenshot.empty()) pictured = SavePicture(preview, screenshot);
    // 印刷... from the preview: the box says there is no printer, over
    // the preview.
    PressButton(preview, PreviewWindow::kPrintId);
    if (HWND answer = WaitForWindow(GetWindowThreadProcessId(preview, nullptr), L"#32770")) {
      Sleep(200);
      boxText = TextOf(GetDlgItem(answer, 0xFFFF));
      boxOver = GetWindow(answer, GW_OWNER) == preview;
      PressButton(answer, IDOK);
      Sleep(300);
    }
    TypeKey(view, VK_ESCAPE);
  });
  Check(shown, "the preview window shows");
  Check(ownerDisabled, "the main window disabled while it shows");
  Check(pages.size() == steps.size() + 1, "every step seen");
  if (pages.size() == steps.size() + 1 && !zooms.empty()) {
    // The window as the state says after the same steps, from the whole
    // page's zoom it showed first.
    const std::u16string first = zooms.front();
    const std::size_t open = first.find(u'('), close = first.find(u'%');
    const double whole = open == std::u16string::npos ? 0 : std::stod(Utf8(first.substr(open + 1, close - open - 1)));
    PreviewState expected(count);
    CheckEqual(pages[0], expected.PageText(), "it opens on the first page of the layout's " + std::to_string(count));
    CheckEqual(zooms[0], expected.ZoomText(whole), "the whole page in sight");
    for (std::size_t i = 0; i < steps.size(); ++i) {
      expected.Apply(steps[i], whole);
      CheckEqual(pages[i + 1], expected.PageText(), "step " + std::to_string(i + 1) + ": the page");
      CheckEqual(zooms[i + 1], expected.ZoomText(whole), "step " + std::to_string(i + 1) + ": the zoom");
    }
  }
  CheckEqual(FromWide(boxText), std::u16string(kNoPrinterText), "its 印刷... tells that there is no printer");
  Check(boxOver, "in a box over the preview");
  Check(pictured, "the preview's picture written");
  Check(IsWindowEnabled(owner) && !FindWindowW(PreviewWindow::kClassName, nullptr),
        "Esc closes it, the window usable again");
}

// A printer of Wine's PostScript driver whose port is a file, so that a
// print can be read back: its paper sizes come from a small PPD of our own
// (the driver has none without one). Installed only under Wine.
constexpr const wchar_t* kTestPrinter = L"Pellora Test Printer";
constexpr const char* kTestPpd =
    "*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n*FileVersion: \"1.0\"\n*LanguageVersion: English\n"
    "*LanguageEncoding: ISOLatin1\n*PCFileName: \"PELLORA.PPD\"\n*Manufacturer: \"Pellora\"\n"
    "*Product: \"(Pellora test printer)\"\n*ModelName: \"Pellora test printer\"\n*NickName: \"Pellora test printer\"\n"
    "*PSVersion: \"(3010.000) 0\"\n*LanguageLevel: \"3\"\n*ColorDevice: True\n*TTRasterizer: Type42\n"
    "*LandscapeOrientation: Plus90\n*DefaultResolution: 300dpi\n"
    "*OpenUI *PageSize: PickOne\n*DefaultPageSize: A4\n"
    "*PageSize A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n"
    "*PageSize B5/B5 (JIS): \"<</PageSize[516 729]>>setpagedevice\"\n*CloseUI: *PageSize\n"
    "*DefaultImageableArea: A4\n*ImageableArea A4/A4: \"12 18 583 824\"\n"
    "*ImageableArea B5/B5 (JIS): \"12 18 504 711\"\n"
    "*DefaultPaperDimension: A4\n*PaperDimension A4/A4: \"595 842\"\n*PaperDimension B5/B5 (JIS): \"516 729\"\n";

bool InstallTestPrinter(const std::wstring& output) {
  if (!GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version")) return false;
  wchar_t folder[MAX_PATH] = {};
  DWORD size = 0;
  GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(folder), sizeof folder, &size);
  std::wstring ppd = std::wstring(folder) + L"\\pellora-test.ppd";
  HANDLE file = CreateFileW(ppd.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, kTestPpd, static_cast<DWORD>(std::strlen(kTestPpd)), &written, nullptr);
  CloseHandle(file);
  std::wstring driverName = L"Pellora Test Driver", wineps = L"wineps.drv", port = output, printer = kTestPrinter;
  std::wstring processor = L"WinPrint", datatype = L"RAW";
  DRIVER_INFO_3W driver{};
  driver.cVersion = 3;
  driver.pName = driverName.data();
  driver.pDriverPath = wineps.data();
  driver.pDataFile = ppd.data();
  driver.pConfigFile = wineps.data();
  if (!AddPrinterDriverW(nullptr, 3, reinterpret_cast<BYTE*>(&driver))) return false;
  PRINTER_INFO_2W info{};
  info.pPrinterName = printer.data();
  info.pPortName = port.data();
  info.pDriverName = driverName.data();
  info.pPrintProcessor = processor.data();
  info.pDatatype = datatype.data();
  HANDLE added = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
  if (!added) return false;
  ClosePrinter(added);
  return SetDefaultPrinterW(kTestPrinter) != FALSE;
}

// The pages of a PostScript file as the driver wrote them, each without
// its number and the file's trailer: two prints of one page are alike.
std::vector<std::string> PostScriptPages(const std::string& file) {
  std::vector<std::string> pages;
  const std::string mark = "%%Page: ";
  for (std::size_t at = file.find(mark); at != std::string::npos;) {
    const std::size_t body = file.find('\n', at);
    const std::size_t next = file.find(mark, at + 1);
    std::string page = file.substr(body == std::string::npos ? at : body, next == std::string::npos ? next : next - body);
    page = page.substr(0, page.find("%%Trailer"));
    pages.push_back(page);
    at = next;
  }
  return pages;
}

void PrintOnPrinter(const std::u16string& folder, const std::u16string& claim, const std::u16string& work) {
  Section("Ctrl+P on a printer of Wine's, printing into a file");
  const std::wstring output = Wide(work) + L"\\printed.ps";
  if (!InstallTestPrinter(output)) return Check(false, "a PostScript printer printing to a file installed");
  Program p(folder, claim);
  p.Start();
  // As if the last print of the session had been on B5 upright.
  const pellora::print::PageSetup b5{pellora::print::Paper::B5, pellora::print::Orientation::Portrait};
  p.form.PrintSetup = b5;
  const std::string name = Utf8(claim.substr(claim.find_last_of(u'\\') + 1));
  const struct {
    const char* what;
    const wchar_t *from, *to, *copies;
    bool collate;
    std::vector<int> sheets;  // the pages printed, in their order, from 0
  } prints[] = {
      {"pages 1 to 2, two copies, collated", L"1", L"2", L"2", true, {0, 1, 0, 1}},
      {"pages 1 to 2, two copies, not collated", L"1", L"2", L"2", false, {0, 0, 1, 1}},
  };
  for (const auto& print : prints) {
    DeleteFileW(output.c_str());
    std::wstring printer, refusal;
    SetFocus(p.Control(MainControl::vsfViewer));
    const bool shown = WithModal([&] { PressKeyWith(p.window, VK_CONTROL, 'P'); }, [&](HWND dialog) {
      printer = TextOf(GetDlgItem(dialog, cmb4));
      SendMessageW(GetDlgItem(dialog, rad3), BM_CLICK, 0, 0);
      SetDlgItemTextW(dialog, edt1, print.from);
      SetDlgItemTextW(dialog, edt2, print.to);
      SetDlgItemTextW(dialog, edt3, print.copies);
      SendMessageW(GetDlgItem(dialog, chx2), BM_SETCHECK, print.collate ? BST_CHECKED : BST_UNCHECKED, 0);
      PressButton(dialog, IDOK);
      // A choice the dialog refuses is told in a box of its own: answered,
      // and the dialog cancelled, so that the run goes on.
      Sleep(1000);
      if (HWND box = IsWindow(dialog) ? GetWindow(dialog, GW_ENABLEDPOPUP) : nullptr) {
        refusal = TextOf(GetDlgItem(box, 0xFFFF));
        PressButton(box, IDOK);
        Sleep(300);
        PressButton(dialog, IDCANCEL);
      }
    });
    const std::string what = print.what;
    Check(shown && refusal.empty(), what + ": the system's print dialog takes it", Show(refusal));
    CheckEqual(printer, std::wstring(kTestPrinter), what + ": on the session's printer");
    const std::string printed = ReadBytes(output);
    const std::vector<std::string> sheets = PostScriptPages(printed);
    bool inOrder = sheets.size() == print.sheets.size();
    for (std::size_t i = 0; inOrder && i < sheets.size(); ++i)
      for (std::size_t j = 0; j < sheets.size(); ++j)
        inOrder = inOrder && (sheets[i] == sheets[j]) == (print.sheets[i] == print.sheets[j]);
    Check(inOrder, what + ": those pages in that order", std::to_string(sheets.size()) + " sheets");
    Check(printed.find("%%Title: " + name) != std::string::npos, what + ": the job named after the claim file");
    Check(printed.find("PageSize[516 729]") != std::string::npos &&
              printed.find("%%Orientation: Portrait") != std::string::npos,
          what + ": on B5 upright, as the session's setup said");
    Check(p.form.PrintSetup == b5, what + ": the setup kept from the dialog's choice");
  }

  Section("the print dialog cancelled: nothing printed, nothing said");
  DeleteFileW(output.c_str());
  const bool answered = WithModals([&] { PressKeyWith(p.window, VK_CONTROL, 'P'); },
                                   {[](HWND dialog) { PressButton(dialog, IDCANCEL); },
                                    [](HWND box) { PressButton(box, IDOK); }});
  Check(!answered, "no box after the cancel");
  Check(GetFileAttributesW(output.c_str()) == INVALID_FILE_ATTRIBUTES, "no print");
}

// ---- --time: pellora.exe on a large claim file ----

struct Found {
  DWORD process;
  HWND window = nullptr;
};
BOOL CALLBACK FindProgramWindow(HWND window, LPARAM parameter) {
  Found& found = *reinterpret_cast<Found*>(parameter);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == found.process && IsWindowVisible(window) && ClassOf(window) == PelloraWindow::kClassName) {
    found.window = window;
    return FALSE;
  }
  return TRUE;
}

// A run in a prefix of other dots per inch or frame metrics: the window
// with a claim file at `dpi`, every control inside it, the grid to
// assistive technology, and its picture.
int LayoutRun(int dpi, const std::wstring& folder, const std::wstring& claim, const std::wstring& screenshot) {
  Section(("the window in this prefix's metrics at " + std::to_string(dpi) + " dpi").c_str());
  CheckEqual<long long>(DpiOf(nullptr), dpi, "the system's dpi");
  {
    Program p(FromWide(folder), FromWide(claim));
    p.Start();
    LaidOutAt(p, dpi, "at " + std::to_string(dpi) + " dpi");
    RECT box, frame;
    GetWindowRect(p.Control(MainControl::lblDBname1), &box);
    GetWindowRect(p.window.hwnd(), &frame);
    RECT inside{};
    IntersectRect(&inside, &box, &frame);
    CheckRect(inside, box, "the database box wholly inside the window");
    Accessibility(p);
    SetForegroundWindow(p.window.hwnd());
    Pump(500);
    Check(SavePicture(p.window.hwnd(), screenshot), "the picture written");
  }
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}

int TimeProgram(const std::wstring& program, const std::wstring& claim) {
  std::wstring commandLine = L"\"" + program + L"\" " + claim;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const auto started = std::chrono::steady_clock::now();
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    std::printf("FAIL pellora.exe did not start\n0 passed, 1 failed\n");
    return 1;
  }
  Found found{process.dwProcessId};
  for (int i = 0; i < 12000 && !found.window; ++i) {
    EnumWindows(FindProgramWindow, reinterpret_cast<LPARAM>(&found));
    if (!found.window) Sleep(10);
  }
  const auto shown = std::chrono::steady_clock::now();
  // Painted: drawing another thread's window and its children now returns
  // once that thread has drawn them, the grids' rows included.
  if (found.window) RedrawWindow(found.window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  const auto painted = std::chrono::steady_clock::now();
  const auto ms = [&](auto t) { return static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(t - started).count()); };
  std::printf("pellora.exe: window shown after %lld ms, first rows painted after %lld ms\n", ms(shown), ms(painted));
  // The title names the file only once it has been shown.
  if (found.window) CheckEqual(WindowText(found.window), Title(FromWide(claim)), "the claim file shown");
  if (found.window) PostMessageW(found.window, WM_CLOSE, 0, 0);
  const bool ended = WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  Check(found.window != nullptr, "pellora.exe showed its window");
  Check(ended, "pellora.exe ended when closed");
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  // As pellora.exe is, by its manifest and its start.
  BecomeDpiAware();
  if (argc == 4 && std::wstring(argv[1]) == L"--time") return TimeProgram(argv[2], argv[3]);
  if (argc == 6 && std::wstring(argv[1]) == L"--layout") return LayoutRun(_wtoi(argv[2]), argv[3], argv[4], argv[5]);
  if (argc < 5) {
    std::printf("usage: pellora_ui_driver.exe <program folder> <claim file> <second claim file> <work folder> [screenshot.bmp]\n"
                "       pellora_ui_driver.exe --time <pellora.exe> <claim file>\n");
    return 64;
  }
  const std::u16string folder = FromWide(argv[1]);
  const std::u16string claim = FromWide(argv[2]);
  const std::u16string second = FromWide(argv[3]);
  const std::u16string work = FromWide(argv[4]);
  const std::wstring screenshot = argc > 5 ? argv[5] : L"";

  AttachedWindows();
  {
    Program p(folder, u"");
    p.Start();
    ControlsAsDesigned(p);
    KeyboardAsDesigned(p);
    ColoursOfTheStartUp(p, folder);
  }
  {
    Program p(folder, claim);
    p.Start();
    ClaimOnTheCommandLine(p, claim, screenshot);
    LaidOutAt(p, p.window.dpi(), "at the system's dpi");
    Accessibility(p);
    DpiChanges(p);
    FileDialog(p, second);
    DatabaseDialog(p, claim, folder + u"\\data.qdr");
    Section("Alt+C closes the window");
    SetFocus(p.Control(MainControl::comFileSelect));
    PressAltKey(p.window, L'c');
    Check(p.form.Unloaded && !IsWindow(p.window.hwnd()), "the window closed");
  }
  {
    Program p(folder, claim);
    p.Start();
    CopyAll(p);
    SaveDisplay(p, folder, claim, work);
    FindNames(p);
    if (!screenshot.empty()) FindPicture(p, screenshot.substr(0, screenshot.size() - 4) + L"-find.bmp");
    DropClaim(p, second);
  }
  PreviewSteps();
  {
    Program p(folder, claim);
    p.Start();
    PaintedPages(p);
    PrintWithoutPrinter(p);
    Preview(p, screenshot.empty() ? L"" : screenshot.substr(0, screenshot.size() - 4) + L"-print-preview.bmp");
  }
  const std::u16string empty = work + u"\\empty-program-folder";
  CreateDirectoryW(Wide(empty).c_str(), nullptr);
  MissingSettings(empty);
  DebugMode(folder);
  MessageBoxes(folder, work);
  FileWarnings(folder, claim, work);
  // The current example lies beside the benefit-management example.
  CurrentBenefitManagement(folder, second.substr(0, second.find_last_of(u'\\') + 1) +
                                       u"benefit-management-current-202604.csv",
                           screenshot.empty() ? L"" : screenshot.substr(0, screenshot.size() - 4) + L"-current.bmp");
  // Last: the printer it installs stays for the rest of the prefix's life.
  PrintOnPrinter(folder, claim, work);

  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
