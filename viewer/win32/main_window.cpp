#include "win32/main_window.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/platform_path.h"
#include "win32/clipboard.h"
#include "win32/look.h"
#include "win32/preview_window.h"

namespace pellora::win32 {
namespace {

// A window of its own size: the design's is the first and the smallest,
// and the grids take what it gains, maximised too.
constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

// The messages of a window's dots per inch, numbered here: the headers
// declare them only for the Windows versions that send them.
constexpr UINT kDpiChangedMessage = 0x02E0;        // WM_DPICHANGED
constexpr UINT kGetDpiScaledSizeMessage = 0x02E4;  // WM_GETDPISCALEDSIZE

// A key as the command table names it, with the modifiers held now. A
// system key comes with Alt held (or is F10), which starts no command of
// the clerk's: the dialog manager has it for the access keys.
ClerkKey ToClerkKey(const MSG& message) {
  ClerkKey key;
  const WPARAM code = message.wParam;
  if (code >= 'A' && code <= 'Z') key.code = LetterKey(static_cast<char>(code));
  if (code == VK_INSERT) key.code = KeyCode::kInsert;
  if (code == VK_F3) key.code = KeyCode::kF3;
  if (code == VK_RETURN) key.code = KeyCode::kEnter;
  if (code == VK_ESCAPE) key.code = KeyCode::kEscape;
  if (::GetKeyState(VK_SHIFT) < 0) key.modifiers |= kShift;
  if (::GetKeyState(VK_CONTROL) < 0) key.modifiers |= kControl;
  if (message.message == WM_SYSKEYDOWN || ::GetKeyState(VK_MENU) < 0) key.modifiers |= kAlt;
  if (::GetKeyState(VK_LWIN) < 0 || ::GetKeyState(VK_RWIN) < 0) key.modifiers |= kOtherModifier;
  return key;
}

}  // namespace

PelloraWindow::PelloraWindow(frmPellora& form, Win32MessageBoxes& boxes)
    : form_(form), boxes_(boxes), printing_(boxes), dpi_(ScreenDpi()) {
  const std::wstring title = Wide(form_.Caption());
  // Made on the monitor of the mouse, where the clerk looks: its dots per
  // inch from now on.
  const RECT work = WorkAreaUnderTheMouse();
  Create({kClassName, 0, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1),
          ::LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION))},
         WS_EX_CONTROLPARENT, title.c_str(), kWindowStyle, POINT{work.left, work.top}, OuterPixelSize(dpi_),
         nullptr);
  dpi_ = DpiOf(hwnd());
  ::SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(WindowFont(dpi_)), FALSE);
  CreateControls();
  ::DragAcceptFiles(hwnd(), TRUE);

  // The form's dialogs and message boxes open over this window, after it
  // has been drawn as the routine left it so far.
  const DialogOwner owner{hwnd(), [this] { SyncAndPaint(); }};
  boxes_.owner = owner;
  fileDialogs_.owner = owner;
  modalDialogs_.owner = owner;
  modalDialogs_.afterChange = [this] { SyncAndPaint(); };
  form_.Attach({&fileDialogs_, &modalDialogs_, [this] { ::DestroyWindow(hwnd()); }});
  Sync();
}

PelloraWindow::~PelloraWindow() {
  form_.Detach();
  boxes_.owner = {};
  // The grids stop listening to the form's grids before their windows go
  // with the window itself.
  for (auto& grid : grids_) grid.reset();
}

// Child windows in the design's tab order, which is the order the dialog
// manager's Tab key and a label's access key go by.
void PelloraWindow::CreateControls() {
  toolTips_ = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, hwnd(), nullptr, ::GetModuleHandleW(nullptr), nullptr);
  for (std::size_t i = 0; i < kMainControlCount; ++i) {
    const MainControl control = static_cast<MainControl>(i);
    const ControlDesign& design = Design(control);
    const RECT rect = ToPixels(design.rect, dpi_);
    const int id = kFirstControlId + static_cast<int>(i);
    HWND window = nullptr;
    if (design.kind == ControlKind::Grid) {
      std::vector<int> equalWidth;
      if (control == MainControl::vsfViewer) equalWidth.assign(kServiceKindColumns.begin(), kServiceKindColumns.end());
      grids_[i] = std::make_unique<GridWindow>(*form_.GridOf(control), hwnd(), id, rect, dpi_, std::move(equalWidth));
      // Named for a screen reader as the clerk knows them; the display
      // grid's name cells tell what became of their look-ups.
      const std::u16string name = control == MainControl::vsfViewer ? u"一覧"
                                  : control == MainControl::vsfTotal ? u"合計"
                                                                     : std::u16string(design.name);
      grids_[i]->describe = [this, control, name] {
        return GridAccessibility(*form_.GridOf(control), name,
                                 control == MainControl::vsfViewer ? &form_.Claim() : nullptr);
      };
      window = grids_[i]->hwnd();
    } else {
      const wchar_t* kind = L"STATIC";
      DWORD style = WS_CHILD | WS_VISIBLE;
      DWORD exStyle = 0;
      switch (design.kind) {
        case ControlKind::Label:
          // Only a label with an access key reads "&" as its mark: a
          // provider's name may hold one.
          style |= SS_CENTERIMAGE | (AccessKey(design.caption) ? 0 : SS_NOPREFIX);
          // The status line ends in an ellipsis where it is cut, and takes
          // the mouse for its tool tip, which has it whole.
          if (control == MainControl::lblStatus) style |= SS_ENDELLIPSIS | SS_NOTIFY;
          if (design.singleBorder) style |= SS_SUNKEN;
          break;
        case ControlKind::TextBox:
          // The boxes show paths for reading and copying; nothing reads
          // them back.
          kind = L"EDIT";
          style |= WS_TABSTOP | ES_AUTOHSCROLL | ES_READONLY;
          exStyle = WS_EX_CLIENTEDGE;
          break;
        case ControlKind::Button:
          kind = L"BUTTON";
          style |= WS_TABSTOP | BS_PUSHBUTTON;
          break;
        case ControlKind::Grid:
          break;
      }
      const std::wstring caption = Wide(design.caption);
      window = ::CreateWindowExW(exStyle, kind, caption.c_str(), style, rect.left, rect.top, rect.right - rect.left,
                                 rect.bottom - rect.top, hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 ::GetModuleHandleW(nullptr), nullptr);
      ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(WindowFont(dpi_)), FALSE);
    }
    if (!design.toolTip.empty() || control == MainControl::lblStatus) AddToolTip(window, design.toolTip);
    controls_[i] = window;
  }
  grids_[static_cast<std::size_t>(MainControl::vsfViewer)]->onHeadingClick = [this](int col) {
    Run([this, col] { form_.vsfViewer_HeadingClick(col); });
  };
  // Last, so that it lies above the display grid when it shows.
  findBox_ = std::make_unique<FindBox>(hwnd(), dpi_, frmPellora::kFindCaption, frmPellora::kFindNoMatch);
}

RECT PelloraWindow::WorkAreaUnderTheMouse() {
  POINT mouse{};
  ::GetCursorPos(&mouse);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!::GetMonitorInfoW(::MonitorFromPoint(mouse, MONITOR_DEFAULTTONEAREST), &monitor)) {
    RECT desktop{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &desktop, 0);
    return desktop;
  }
  return monitor.rcWork;
}

void PelloraWindow::CentreOnTheMouseMonitor() {
  const RECT work = WorkAreaUnderTheMouse();
  RECT outer;
  ::GetWindowRect(hwnd(), &outer);
  const int width = outer.right - outer.left, height = outer.bottom - outer.top;
  // A window larger than the work area keeps its title bar in sight.
  const int left = std::max<int>(work.left, work.left + (work.right - work.left - width) / 2);
  const int top = std::max<int>(work.top, work.top + (work.bottom - work.top - height) / 2);
  ::SetWindowPos(hwnd(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The frame this desktop draws round the client area, measured where the
// window has one at this dots per inch; the system's word for it before
// (which may differ from what it draws by a few pixels: Wine's does).
SIZE PelloraWindow::FrameAt(int dpi) const {
  RECT outer{}, client{};
  if (hwnd() && dpi == dpi_ && !::IsIconic(hwnd()) && ::GetWindowRect(hwnd(), &outer) &&
      ::GetClientRect(hwnd(), &client) && client.right > 0 && client.bottom > 0)
    return SIZE{outer.right - outer.left - client.right, outer.bottom - outer.top - client.bottom};
  return FrameSizeAt(kWindowStyle, WS_EX_CONTROLPARENT, dpi);
}

SIZE PelloraWindow::OuterPixelSize(int dpi, std::optional<TwipsSize> client) const {
  const TwipsSize inner = client.value_or(form_.Layout().minimum);
  const SIZE frame = FrameAt(dpi);
  return SIZE{ToPixels(inner.width, dpi) + frame.cx, ToPixels(inner.height, dpi) + frame.cy};
}

void PelloraWindow::ResizeToHold(TwipsSize client) {
  const SIZE size = OuterPixelSize(dpi_, client);
  RECT outer{};
  ::GetWindowRect(hwnd(), &outer);
  if (outer.right - outer.left != size.cx || outer.bottom - outer.top != size.cy)
    ::SetWindowPos(hwnd(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// A client area of the smallest size in pixels is the smallest in twips,
// whatever the rounding of pixels at this dots per inch: the controls then
// sit exactly where the design puts them.
TwipsSize PelloraWindow::ClientTwips() const {
  RECT client{};
  ::GetClientRect(hwnd(), &client);
  const TwipsSize minimum = form_.Layout().minimum;
  const auto twips = [this](LONG pixels, int smallest) {
    return pixels == ToPixels(smallest, dpi_) ? smallest : ::MulDiv(pixels, 1440, dpi_);
  };
  return {twips(client.right, minimum.width), twips(client.bottom, minimum.height)};
}

void PelloraWindow::LayOut() {
  const MainLayout layout = form_.Layout();
  const TwipsSize client = ClientTwips();
  HDWP moves = ::BeginDeferWindowPos(static_cast<int>(kMainControlCount));
  for (std::size_t i = 0; i < kMainControlCount; ++i) {
    const RECT rect = ToPixels(layout.Place(static_cast<MainControl>(i), client), dpi_);
    if (moves)
      moves = ::DeferWindowPos(moves, controls_[i], nullptr, rect.left, rect.top, rect.right - rect.left,
                               rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (!moves)
      ::SetWindowPos(controls_[i], nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (moves) ::EndDeferWindowPos(moves);
  if (findBox_) findBox_->SetDpi(dpi_, FindBoxCorner());
}

void PelloraWindow::LayOutAtDpi() {
  HFONT font = WindowFont(dpi_);
  ::SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  for (std::size_t i = 0; i < kMainControlCount; ++i) {
    if (GridWindow* view = grids_[i].get()) {
      view->SetDpi(dpi_);
    } else {
      ::SendMessageW(controls_[i], WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
  }
  ::SendMessageW(toolTips_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  LayOut();
  ::RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void PelloraWindow::AddToolTip(HWND control, std::u16string_view text, bool update) {
  std::wstring wide = Wide(text);
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = hwnd();
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = wide.data();
  ::SendMessageW(toolTips_, update ? TTM_UPDATETIPTEXTW : TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

GridWindow* PelloraWindow::grid(MainControl control) const { return grids_[static_cast<std::size_t>(control)].get(); }

COLORREF PelloraWindow::BackColorOf(MainControl control) const {
  if (const Label* label = form_.LabelOf(control)) return ToColorRef(label->BackColor);
  if (const TextBox* box = form_.TextBoxOf(control)) return ToColorRef(box->BackColor);
  return ::GetSysColor(COLOR_BTNFACE);
}

void PelloraWindow::Start() {
  form_.Form_Load();
  if (form_.Unloaded()) return;
  Sync();
  CentreOnTheMouseMonitor();
  ::ShowWindow(hwnd(), SW_SHOWNORMAL);
  ::UpdateWindow(hwnd());
  // Shown now: what is wrong with a claim file named on the command line
  // opens its box over the window (whose owner paints it first).
  form_.ShowPendingWarnings();
}

template <typename Routine>
void PelloraWindow::Run(Routine routine) {
  routine();
  if (form_.Unloaded()) return;
  Sync();
  form_.ShowPendingWarnings();
}

// Painted at once, the window and every child window (UpdateWindow alone
// paints the window but not its children): a dialog or box opens over the
// window as it now is, not over what waits for the dialog's own loop to
// paint it.
void PelloraWindow::SyncAndPaint() {
  Sync();
  if (::IsWindowVisible(hwnd()))
    ::RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void PelloraWindow::Sync() {
  const std::wstring title = Wide(form_.Caption());
  if (FromWide(title) != WindowText(hwnd())) ::SetWindowTextW(hwnd(), title.c_str());
  // The smallest size changes with the debug mode, which start-up decides:
  // the window then opens at the new smallest size.
  const TwipsSize minimum = form_.Layout().minimum;
  if (!(minimum == laidOutMinimum_)) {
    laidOutMinimum_ = minimum;
    ResizeToHold(minimum);
    LayOut();
  }
  for (std::size_t i = 0; i < kMainControlCount; ++i) {
    const MainControl control = static_cast<MainControl>(i);
    HWND window = controls_[i];
    ::ShowWindow(window, form_.IsVisible(control) ? SW_SHOWNA : SW_HIDE);
    if (const Label* label = form_.LabelOf(control)) {
      const std::wstring text = Wide(label->Caption);
      if (label->Caption != WindowText(window)) ::SetWindowTextW(window, text.c_str());
      if (control == MainControl::lblStatus && label->ToolTipText != statusToolTip_) {
        statusToolTip_ = label->ToolTipText;
        AddToolTip(window, statusToolTip_, true);
      }
      ::InvalidateRect(window, nullptr, TRUE);
    } else if (const TextBox* box = form_.TextBoxOf(control)) {
      const std::wstring text = Wide(box->Text);
      if (box->Text != WindowText(window)) ::SetWindowTextW(window, text.c_str());
      ::InvalidateRect(window, nullptr, TRUE);
    } else if (GridWindow* view = grids_[i].get()) {
      view->CatchUp();
    }
  }
}

bool PelloraWindow::PreTranslate(MSG& message) {
  if (!::IsWindow(hwnd()) || (message.hwnd != hwnd() && !::IsChild(hwnd(), message.hwnd))) return false;
  return TakeKey(message) || ::IsDialogMessageW(hwnd(), &message);
}

bool PelloraWindow::TakeKey(const MSG& message) {
  const bool down = message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN;
  const bool up = message.message == WM_KEYUP || message.message == WM_SYSKEYUP;
  if (!down && !up) return false;
  const UINT key = static_cast<UINT>(message.wParam);
  const std::optional<MainControl> grid = ClerkGridOf(::GetFocus());
  // The context menu's keys, up and down alike, so that the system's own
  // handling does not open it a second time.
  if (grid && (key == VK_APPS || (key == VK_F10 && ::GetKeyState(VK_SHIFT) < 0))) {
    if (down) ShowContextMenu(*grid, POINT{-1, -1});
    return true;
  }
  if (!down) return false;
  const KeyPlace place = grid                             ? KeyPlace::kClerkGrid
                         : findBox_->Holds(message.hwnd) ? KeyPlace::kFindBox
                                                         : KeyPlace::kWindow;
  const std::optional<ClerkCommand> command = ClerkCommandOf(ToClerkKey(message), place);
  if (!command) return false;
  Run([&] { RunClerkCommand(*command, grid.value_or(MainControl::vsfViewer), form_, *this); });
  return true;
}

std::optional<MainControl> PelloraWindow::ClerkGridOf(HWND window) const {
  for (const MainControl grid : {MainControl::vsfViewer, MainControl::vsfTotal})
    if (window && window == control(grid)) return grid;
  return std::nullopt;
}

void PelloraWindow::ShowContextMenu(MainControl grid, POINT screen) {
  if (screen.x == -1 && screen.y == -1) {
    // From the keyboard: at the current cell, or the grid's corner.
    const FlexGrid& model = *form_.GridOf(grid);
    const RECT cell = grids_[static_cast<std::size_t>(grid)]->CellRect(model.Row(), model.Col());
    screen = {cell.left, cell.bottom};
    ::ClientToScreen(control(grid), &screen);
  }
  // The menu's entries, numbered from 1: 0 is TrackPopupMenu's answer
  // when nothing was chosen.
  const std::vector<const ClerkCommandEntry*> entries = ClerkMenu();
  HMENU menu = ::CreatePopupMenu();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i]->lineBefore) ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    const std::wstring caption = Wide(entries[i]->menuCaption);
    ::AppendMenuW(menu, MF_STRING, i + 1, caption.c_str());
  }
  const UINT chosen = static_cast<UINT>(::TrackPopupMenu(
      menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, screen.x, screen.y, 0,
      hwnd(), nullptr));
  ::DestroyMenu(menu);
  if (chosen >= 1 && chosen <= entries.size())
    Run([&] { RunClerkCommand(entries[chosen - 1]->command, grid, form_, *this); });
}

// The clipboard held by another program: a beep says the copy failed.
void PelloraWindow::PutOnClipboard(const std::u16string& text, const std::u16string& html) {
  if (!win32::PutOnClipboard(hwnd(), text, html)) ::MessageBeep(MB_ICONEXCLAMATION);
}

bool PelloraWindow::FindBoxOpen() const { return findBox_->IsOpen(); }
std::u16string PelloraWindow::FindText() const { return findBox_->Text(); }
void PelloraWindow::ShowNoMatch(bool noMatch) { findBox_->ShowNoMatch(noMatch); }

void PelloraWindow::PrintDisplay(frmPellora& form) {
  SyncAndPaint();
  printing_.Print(form, hwnd());
}

// The preview's print dialog, and the boxes that tell of a failed print,
// open over the preview, which is the window in front then.
void PelloraWindow::PreviewDisplay(frmPellora& form) {
  SyncAndPaint();
  std::u16string title(frmPellora::kPrintPreviewCaption.substr(0, frmPellora::kPrintPreviewCaption.find(u"...")));
  const std::u16string& path = form.Claim().file;
  if (!path.empty()) title += u" - " + std::u16string(FileNameOf(path));
  PreviewWindow::Source source{[this, &form] { return printing_.LayOutForPreview(form); },
                               [this, &form](HWND preview) {
                                 const DialogOwner window = boxes_.owner;
                                 boxes_.owner = {preview, nullptr};
                                 printing_.Print(form, preview);
                                 boxes_.owner = window;
                               }};
  PreviewWindow::ShowModal(hwnd(), title, std::move(source));
}

POINT PelloraWindow::FindBoxCorner() const {
  HWND display = control(MainControl::vsfViewer);
  RECT client;
  ::GetClientRect(display, &client);
  POINT corner{client.right, client.bottom};
  ::MapWindowPoints(display, hwnd(), &corner, 1);
  return corner;
}

void PelloraWindow::OpenFindBox() { findBox_->Open(FindBoxCorner()); }

void PelloraWindow::CloseFindBox() {
  findBox_->Close();
  ::SetFocus(control(MainControl::vsfViewer));
}

void PelloraWindow::DropFiles(HDROP drop) {
  std::vector<std::u16string> paths;
  const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    std::wstring path(::DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
    path.resize(::DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size())));
    paths.push_back(FromWide(path));
  }
  ::DragFinish(drop);
  if (!paths.empty()) Run([this, &paths] { form_.DropFiles(paths); });
}

LRESULT PelloraWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      const int index = LOWORD(wParam) - kFirstControlId;
      const UINT code = HIWORD(wParam);
      if (code == BN_CLICKED) {
        switch (static_cast<MainControl>(index)) {
          case MainControl::comFileSelect: Run([this] { form_.comFileSelect_Click(); }); return 0;
          case MainControl::cmdJob0: Run([this] { form_.cmdJob_Click(0); }); return 0;
          case MainControl::Command1: Run([this] { form_.Command1_Click(); }); return 0;
          default: break;
        }
      }
      // A path box that gains the focus selects all its text, so that it
      // can be copied at once; after a mouse click has placed the cursor,
      // too.
      if (code == EN_SETFOCUS) ::PostMessageW(reinterpret_cast<HWND>(lParam), EM_SETSEL, 0, -1);
      return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      const int index = ::GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) - kFirstControlId;
      if (index < 0 || index >= static_cast<int>(kMainControlCount)) break;
      const COLORREF back = BackColorOf(static_cast<MainControl>(index));
      ::SetBkColor(dc, back);
      ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
      return reinterpret_cast<LRESULT>(BrushOf(back));
    }
    case WM_NEXTDLGCTL: {
      // What the dialog manager asks of a window when it moves the focus: a
      // label's access key gives it to the label, then on to the next
      // control in the tab order that takes it.
      HWND next = lParam ? reinterpret_cast<HWND>(wParam)
                         : ::GetNextDlgTabItem(hwnd(), ::GetFocus(), wParam != 0 ? TRUE : FALSE);
      if (next) ::SetFocus(next);
      return 0;
    }
    case WM_CONTEXTMENU:
      // Raised by a grid's right button (its own handling passes it here).
      if (const std::optional<MainControl> grid = ClerkGridOf(reinterpret_cast<HWND>(wParam))) {
        ShowContextMenu(*grid, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
      }
      break;
    case WM_ACTIVATE:
      // The focus leaves with the window and comes back to the same control
      // (after a message box, say), as in a dialog.
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = ::GetFocus();
        if (focus && ::IsChild(hwnd(), focus)) lastFocus_ = focus;
      } else if (lastFocus_ && ::IsWindow(lastFocus_) && ::IsWindowVisible(lastFocus_)) {
        ::SetFocus(lastFocus_);
        return 0;
      }
      break;
    case kDpiChangedMessage: {
      // Moved to a monitor of other dots per inch (or the user changed its
      // scale): laid out again, in the place and size the system suggests,
      // which WM_GETDPISCALEDSIZE has made the size of the rule below.
      const TwipsSize client = ClientTwips();
      dpi_ = HIWORD(wParam);
      LayOutAtDpi();
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      ::SetWindowPos(hwnd(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
      // The suggestion was made with the system's word for the new frame;
      // the frame now drawn may differ, and the client area keeps its size.
      if (!::IsZoomed(hwnd())) ResizeToHold(client);
      Sync();
      return 0;
    }
    case kGetDpiScaledSizeMessage: {
      // The client area keeps its size in twips at the new dots per inch;
      // the frame does not scale with it.
      *reinterpret_cast<SIZE*>(lParam) = OuterPixelSize(static_cast<int>(wParam), ClientTwips());
      return TRUE;
    }
    case WM_GETMINMAXINFO: {
      // Never smaller than the design: every control whole.
      auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
      const SIZE smallest = OuterPixelSize(dpi_);
      limits->ptMinTrackSize = POINT{smallest.cx, smallest.cy};
      return 0;
    }
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED && controls_.back()) LayOut();
      return 0;
    case WM_DROPFILES:
      DropFiles(reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_CLOSE:
      // Closed through the frame: the program ends as with "閉じる".
      form_.Unload();
      return 0;
    case WM_DESTROY:
      if (onDestroyed) onDestroyed();
      return 0;
    default:
      break;
  }
  return AttachedWindow::Handle(message, wParam, lParam);
}

}  // namespace pellora::win32
