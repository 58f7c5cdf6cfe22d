#include "win32/main_window.h"

#include <commctrl.h>

#include "win32/look.h"

namespace pellora::win32 {
namespace {

// The window has a fixed border, a system menu and a minimise box, but no
// maximise box: its size is the design's.
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

void RegisterClassOnce() {
  static const bool registered = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hIcon = ::LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = PelloraWindow::kClassName;
    return ::RegisterClassW(&wc) != 0;
  }();
  (void)registered;
}

}  // namespace

PelloraWindow::PelloraWindow(frmPellora& form, Win32MessageBoxes& boxes)
    : form_(form), boxes_(boxes), dpi_(ScreenDpi()) {
  RegisterClassOnce();
  const std::wstring title = Wide(form_.Caption);
  hwnd_ = ::CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, title.c_str(), kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                            ToPixels(form_.Size.width, dpi_), ToPixels(form_.Size.height, dpi_), nullptr, nullptr,
                            ::GetModuleHandleW(nullptr), nullptr);
  ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  ::SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PelloraWindow::Procedure));
  ::SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(WindowFont(dpi_)), FALSE);
  CreateControls();

  // The form's dialogs and message boxes open over this window, after it
  // has been drawn as the routine left it so far.
  const DialogOwner owner{hwnd_, [this] { Sync(); }};
  boxes_.owner = owner;
  openFileDialog_.owner = owner;
  modalDialogs_.owner = owner;
  form_.CommonDialog1.Platform = &openFileDialog_;
  form_.Dialogs = &modalDialogs_;
  form_.OnUnload = [this] { ::DestroyWindow(hwnd_); };
  Sync();
}

PelloraWindow::~PelloraWindow() {
  form_.CommonDialog1.Platform = nullptr;
  form_.Dialogs = nullptr;
  form_.OnUnload = nullptr;
  boxes_.owner = {};
  for (auto& grid : grids_) grid.reset();
  if (::IsWindow(hwnd_)) {
    ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    ::DestroyWindow(hwnd_);
  }
}

// Child windows in the design's tab order, which is the order the dialog
// manager's Tab key and a label's access key go by.
void PelloraWindow::CreateControls() {
  toolTips_ = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  for (std::size_t i = 0; i < kMainControlCount; ++i) {
    const MainControl control = static_cast<MainControl>(i);
    const ControlDesign& design = Design(control);
    const RECT rect = ToPixels(design.rect, dpi_);
    const int id = kFirstControlId + static_cast<int>(i);
    HWND window = nullptr;
    if (design.kind == ControlKind::Grid) {
      std::vector<int> equalWidth;
      if (control == MainControl::vsfViewer) equalWidth.assign(kServiceKindColumns.begin(), kServiceKindColumns.end());
      grids_[i] = std::make_unique<GridWindow>(*form_.GridOf(control), hwnd_, id, rect, dpi_, std::move(equalWidth));
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
                                 rect.bottom - rect.top, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 ::GetModuleHandleW(nullptr), nullptr);
      ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(WindowFont(dpi_)), FALSE);
    }
    if (!design.toolTip.empty()) AddToolTip(window, design.toolTip);
    controls_[i] = window;
  }
  grids_[static_cast<std::size_t>(MainControl::vsfViewer)]->onHeadingClick = [this](int col) {
    Run([this, col] { form_.vsfViewer_HeadingClick(col); });
  };
}

void PelloraWindow::AddToolTip(HWND control, std::u16string_view text) {
  std::wstring wide = Wide(text);
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = hwnd_;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = wide.data();
  ::SendMessageW(toolTips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

GridWindow* PelloraWindow::grid(MainControl control) const { return grids_[static_cast<std::size_t>(control)].get(); }

COLORREF PelloraWindow::BackColorOf(MainControl control) const {
  if (const Label* label = form_.LabelOf(control)) return ToColorRef(label->BackColor);
  if (const TextBox* box = form_.TextBoxOf(control)) return ToColorRef(box->BackColor);
  return ::GetSysColor(COLOR_BTNFACE);
}

void PelloraWindow::Start() {
  form_.Form_Load();
  if (form_.Unloaded) return;
  Sync();
  ::ShowWindow(hwnd_, SW_SHOWNORMAL);
  ::UpdateWindow(hwnd_);
}

template <typename Routine>
void PelloraWindow::Run(Routine routine) {
  routine();
  if (!form_.Unloaded) Sync();
}

void PelloraWindow::Sync() {
  const std::wstring title = Wide(form_.Caption);
  if (FromWide(title) != WindowText(hwnd_)) ::SetWindowTextW(hwnd_, title.c_str());
  // The outer size, as the design gives it; this desktop's frame takes
  // what it needs of it.
  RECT outer;
  ::GetWindowRect(hwnd_, &outer);
  const int width = ToPixels(form_.Size.width, dpi_);
  const int height = ToPixels(form_.Size.height, dpi_);
  if (outer.right - outer.left != width || outer.bottom - outer.top != height)
    ::SetWindowPos(hwnd_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  for (std::size_t i = 0; i < kMainControlCount; ++i) {
    const MainControl control = static_cast<MainControl>(i);
    HWND window = controls_[i];
    ::ShowWindow(window, form_.IsVisible(control) ? SW_SHOWNA : SW_HIDE);
    if (const Label* label = form_.LabelOf(control)) {
      const std::wstring text = Wide(label->Caption);
      if (label->Caption != WindowText(window)) ::SetWindowTextW(window, text.c_str());
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
  return ::IsWindow(hwnd_) && ::IsDialogMessageW(hwnd_, &message);
}

LRESULT CALLBACK PelloraWindow::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  PelloraWindow* self = reinterpret_cast<PelloraWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  return self->Handle(message, wParam, lParam);
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
                         : ::GetNextDlgTabItem(hwnd_, ::GetFocus(), wParam != 0 ? TRUE : FALSE);
      if (next) ::SetFocus(next);
      return 0;
    }
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
  return ::DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace pellora::win32
