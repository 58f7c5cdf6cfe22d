// The window laid out at the system's dpi, moved to a monitor of 144 dpi and
// back, and in the prefixes of the --layout runs (144 dpi, Windows 11's
// caption and borders): its fonts and rows scaled, every control in its
// design place in pixels of that dpi and whole inside the client area, so
// that no setting of the user's cuts a control off. And the display grid as
// a screen reader reads it, through the system's MSAA calls.

#include <windows.h>
#include <oleacc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "tests/windows/driver/driver.h"

namespace ui_driver {

// Every shown control whole inside the client area, and the client area
// the layout's smallest in pixels of the window's dpi, whatever frame this
// desktop draws round it: the size the window opens at, and the least the
// system lets the user drag it to.
void ControlsInsideTheWindow(Program& p) {
  RECT client, outer;
  GetClientRect(p.window.hwnd(), &client);
  GetWindowRect(p.window.hwnd(), &outer);
  for (std::size_t i = 0; i < pellora::kMainControlCount; ++i) {
    const MainControl control = static_cast<MainControl>(i);
    if (!p.form.IsVisible(control)) continue;
    const RECT place = PlaceOf(p.Control(control));
    Check(place.left >= 0 && place.top >= 0 && place.right <= client.right && place.bottom <= client.bottom,
          Utf8(pellora::Design(control).name) + " whole inside the client area",
          ShowRect(place) + " in " + ShowRect(client));
  }
  const int dpi = p.window.dpi();
  const pellora::TwipsSize smallest = p.form.Layout().minimum;
  CheckEqual<long long>(client.right, ToPixels(smallest.width, dpi), "client width, the smallest");
  CheckEqual<long long>(client.bottom, ToPixels(smallest.height, dpi), "client height, the smallest");
  MINMAXINFO limits{};
  SendMessageW(p.window.hwnd(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  CheckEqual<long long>(limits.ptMinTrackSize.x, outer.right - outer.left, "never dragged narrower");
  CheckEqual<long long>(limits.ptMinTrackSize.y, outer.bottom - outer.top, "never dragged lower");
}

// Maximised, the grids take the room: the display grid grows right and
// down, the totals grid keeps its width at the right edge, 閉じる and the
// boxes keep to the bottom, the header stays; restored, every control is
// back in its design place. The window opened centred on the monitor of
// the mouse.
void Maximised(Program& p, const std::wstring& screenshot) {
  Section("the window maximised and restored");
  RECT outer;
  GetWindowRect(p.window.hwnd(), &outer);
  POINT mouse{};
  GetCursorPos(&mouse);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromPoint(mouse, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& work = monitor.rcWork;
  Check(std::abs((outer.left + outer.right) - (work.left + work.right)) <= 2 &&
            std::abs((outer.top + outer.bottom) - (work.top + work.bottom)) <= 2,
        "opened centred on the mouse's monitor", ShowRect(outer) + " in " + ShowRect(work));
  const int dpi = p.window.dpi();
  const auto design = [dpi](MainControl control) { return ToPixels(pellora::Design(control).rect, dpi); };
  ShowWindow(p.window.hwnd(), SW_MAXIMIZE);
  Pump();
  RECT client;
  GetClientRect(p.window.hwnd(), &client);
  Check(IsZoomed(p.window.hwnd()) && client.right > ToPixels(p.form.Layout().minimum.width, dpi) + 100 &&
            client.bottom > ToPixels(p.form.Layout().minimum.height, dpi) + 100,
        "it maximises", ShowRect(client));
  const RECT viewer = PlaceOf(p.Control(MainControl::vsfViewer));
  const RECT total = PlaceOf(p.Control(MainControl::vsfTotal));
  const RECT close = PlaceOf(p.Control(MainControl::cmdJob0));
  const RECT box = PlaceOf(p.Control(MainControl::lblDBname1));
  const RECT status = PlaceOf(p.Control(MainControl::lblStatus));
  const RECT designClient{0, 0, ToPixels(p.form.Layout().minimum.width, dpi), ToPixels(p.form.Layout().minimum.height, dpi)};
  const auto within1 = [](LONG a, LONG b) { return std::abs(a - b) <= 1; };
  Check(viewer.left == design(MainControl::vsfViewer).left && viewer.top == design(MainControl::vsfViewer).top &&
            within1(client.right - viewer.right, designClient.right - design(MainControl::vsfViewer).right) &&
            viewer.bottom > design(MainControl::vsfViewer).bottom + 100,
        "the display grid grows right and down", ShowRect(viewer));
  Check(within1(total.right - total.left, design(MainControl::vsfTotal).right - design(MainControl::vsfTotal).left) &&
            within1(client.right - total.right, designClient.right - design(MainControl::vsfTotal).right),
        "the totals grid keeps its width at the right edge", ShowRect(total));
  Check(within1(client.right - close.right, designClient.right - design(MainControl::cmdJob0).right) &&
            within1(client.bottom - close.bottom, designClient.bottom - design(MainControl::cmdJob0).bottom),
        "閉じる keeps to the lower right", ShowRect(close));
  Check(box.left == design(MainControl::lblDBname1).left &&
            within1(client.bottom - box.bottom, designClient.bottom - design(MainControl::lblDBname1).bottom) &&
            box.right > design(MainControl::lblDBname1).right,
        "the database box keeps to the bottom, wider", ShowRect(box));
  Check(within1(status.bottom, client.bottom) && status.right > design(MainControl::lblStatus).right,
        "the status line spans the bottom", ShowRect(status));
  CheckRect(PlaceOf(p.Control(MainControl::lblHead3)), design(MainControl::lblHead3), "the header stays");
  ShowWindow(p.window.hwnd(), SW_RESTORE);
  Pump();
  if (!screenshot.empty()) {
    // Wine without a window manager leaves a maximised window's X window as
    // it was, so the picture is of the window grown to the work area.
    SetWindowPos(p.window.hwnd(), nullptr, work.left, work.top, work.right - work.left, work.bottom - work.top,
                 SWP_NOZORDER);
    SetForegroundWindow(p.window.hwnd());
    Pump(500);
    Check(SavePicture(p.window.hwnd(), screenshot), "the grown window's picture written");
    SetWindowPos(p.window.hwnd(), nullptr, outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOZORDER);
    Pump();
  }
  for (const MainControl control : {MainControl::vsfViewer, MainControl::vsfTotal, MainControl::cmdJob0,
                                    MainControl::lblDBname1, MainControl::lblStatus})
    CheckRect(PlaceOf(p.Control(control)), design(control),
              "restored: " + Utf8(pellora::Design(control).name) + " in its design place");
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
    // In the suggested place; its size the client area's, the smallest at
    // that dpi, in the frame drawn there (LaidOutAt), which may differ from
    // the system's word for it that the suggestion was made with.
    GetWindowRect(p.window.hwnd(), &outer);
    Check(outer.left == suggested.left && outer.top == suggested.top, "in the suggested place",
          ShowRect(outer) + ", suggested " + ShowRect(suggested));
  }
}

namespace {

// The display grid read back as a screen reader reads it, through the
// system's MSAA calls: a table of the grid's rows, each of the cells shown,
// the texts the grid holds, the name's look-up as its description, the
// current cell as the focus, and its moves told as focus events.
HWINEVENTHOOK focusHook = nullptr;
std::vector<std::pair<HWND, LONG>> focusEvents;
void CALLBACK SeeFocus(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD) {
  if (object == OBJID_CLIENT) focusEvents.emplace_back(window, child);
}

// A text property of a child of `object`: its name or its description.
std::u16string AccessibleText(IAccessible* object, LONG child,
                              HRESULT (STDMETHODCALLTYPE IAccessible::*property)(VARIANT, BSTR*)) {
  VARIANT id{};
  id.vt = VT_I4;
  id.lVal = child;
  BSTR text = nullptr;
  std::u16string value;
  if ((object->*property)(id, &text) == S_OK && text) value = FromWide(text);
  SysFreeString(text);
  return value;
}
std::u16string NameOf(IAccessible* object, LONG child) { return AccessibleText(object, child, &IAccessible::get_accName); }
std::u16string DescriptionOf(IAccessible* object, LONG child) {
  return AccessibleText(object, child, &IAccessible::get_accDescription);
}
long RoleOf(IAccessible* object) {
  VARIANT self{};
  self.vt = VT_I4;
  VARIANT role{};
  object->get_accRole(self, &role);
  return role.vt == VT_I4 ? role.lVal : -1;
}

}  // namespace

void Accessibility(Program& p) {
  Section("the display grid to assistive technology");
  CoInitialize(nullptr);
  GridWindow& viewer = p.Grid(MainControl::vsfViewer);
  pellora::FlexGrid& grid = *p.form.GridOf(MainControl::vsfViewer);
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

}  // namespace ui_driver
