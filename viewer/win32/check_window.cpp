#include "win32/check_window.h"

#include <algorithm>

#include "win32/clipboard.h"
#include "win32/look.h"

namespace pellora::win32 {
namespace {

constexpr DWORD kWindowStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr int kFirstControlId = 300;

}  // namespace

CheckWindow::CheckWindow(frmCheck& check, HWND owner, std::function<void()> afterChoosing)
    : check_(check), owner_(owner), afterChoosing_(std::move(afterChoosing)), dpi_(DpiOf(owner)) {
  const SIZE frame = FrameSizeAt(kWindowStyle, WS_EX_DLGMODALFRAME, dpi_);
  const SIZE size{ToPixels(kCheckClientSize.width, dpi_) + frame.cx, ToPixels(kCheckClientSize.height, dpi_) + frame.cy};
  // Centred on the main window, and inside the screen it is on.
  RECT over{};
  ::GetWindowRect(owner_, &over);
  POINT place{over.left + (over.right - over.left - size.cx) / 2, over.top + (over.bottom - over.top - size.cy) / 2};
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (::GetMonitorInfoW(::MonitorFromWindow(owner_, MONITOR_DEFAULTTONEAREST), &monitor)) {
    place.x = std::max(monitor.rcWork.left, std::min(place.x, monitor.rcWork.right - size.cx));
    place.y = std::max(monitor.rcWork.top, std::min(place.y, monitor.rcWork.bottom - size.cy));
  }
  const std::wstring title = Wide(check_.Caption());
  Create({kClassName, 0, ::GetSysColorBrush(COLOR_BTNFACE)}, WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, title.c_str(),
         kWindowStyle, place, size, owner_);
  HFONT font = WindowFont(dpi_);
  for (std::size_t i = 0; i < kCheckControlCount; ++i) {
    const CheckControl control = static_cast<CheckControl>(i);
    const ControlDesign& design = Design(control);
    const RECT rect = ToPixels(design.rect, dpi_);
    const int id = kFirstControlId + static_cast<int>(i);
    if (design.kind == ControlKind::Grid) {
      auto view = std::make_unique<GridWindow>(*check_.GridOf(control), hwnd(), id, rect, dpi_, std::vector<int>{});
      const std::u16string name = control == CheckControl::vsfFindings ? u"指摘" : u"金額";
      FlexGrid& grid = *check_.GridOf(control);
      view->describe = [&grid, name] { return GridAccessibility(grid, name); };
      controls_[i] = view->hwnd();
      (control == CheckControl::vsfFindings ? findings_ : amounts_) = std::move(view);
      continue;
    }
    const bool button = design.kind == ControlKind::Button;
    const Label* label = check_.LabelOf(control);
    const std::wstring caption = Wide(label ? std::u16string_view(label->Caption) : design.caption);
    controls_[i] = ::CreateWindowExW(
        0, button ? L"BUTTON" : L"STATIC", caption.c_str(),
        WS_CHILD | WS_VISIBLE | (button ? WS_TABSTOP | BS_PUSHBUTTON : SS_CENTERIMAGE | SS_NOPREFIX), rect.left,
        rect.top, rect.right - rect.left, rect.bottom - rect.top, hwnd(),
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(controls_[i], WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  findings_->onHeadingClick = [this](int col) {
    check_.vsfFindings_HeadingClick(col);
    findings_->CatchUp();
  };
  findings_->onDoubleClick = [this](int) { Choose(); };
}

CheckWindow::~CheckWindow() {
  if (hwnd()) ::DestroyWindow(hwnd());
}

GridWindow* CheckWindow::grid(CheckControl control) const {
  if (control == CheckControl::vsfFindings) return findings_.get();
  if (control == CheckControl::vsfAmounts) return amounts_.get();
  return nullptr;
}

void CheckWindow::RunModal() {
  ::EnableWindow(owner_, FALSE);
  ::ShowWindow(hwnd(), SW_SHOW);
  ::SetFocus(findings_->hwnd());
  MSG message;
  while (!closed_ && ::GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (TakeKey(message)) continue;
    if (::IsDialogMessageW(hwnd(), &message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  // The owner takes the activation back before this window goes, so that
  // the system does not hand it to another program's window.
  ::EnableWindow(owner_, TRUE);
  ::SetActiveWindow(owner_);
  ::ShowWindow(hwnd(), SW_HIDE);
}

bool CheckWindow::TakeKey(const MSG& message) {
  if (message.message != WM_KEYDOWN) return false;
  const bool control = ::GetKeyState(VK_CONTROL) < 0;
  CheckControl grid = CheckControl::Count;
  if (message.hwnd == findings_->hwnd()) grid = CheckControl::vsfFindings;
  if (message.hwnd == amounts_->hwnd()) grid = CheckControl::vsfAmounts;
  if (message.wParam == VK_ESCAPE) {
    Close();
    return true;
  }
  if (grid == CheckControl::Count) return false;
  if (control && (message.wParam == 'C' || message.wParam == VK_INSERT)) {
    const frmCheck::ClipboardText copied = check_.CopySelection(grid);
    if (!copied.text.empty()) PutOnClipboard(hwnd(), copied.text, copied.html);
    return true;
  }
  if (control && message.wParam == 'A') {
    check_.SelectAllCells(grid);
    this->grid(grid)->CatchUp();
    return true;
  }
  if (grid == CheckControl::vsfFindings && message.wParam == VK_RETURN) {
    Choose();
    return true;
  }
  return false;
}

void CheckWindow::Choose() {
  const bool chosen = check_.ChooseFinding(check_.GridOf(CheckControl::vsfFindings)->Row());
  findings_->CatchUp();
  if (chosen && afterChoosing_) afterChoosing_();
}

void CheckWindow::Close() {
  check_.cmdClose_Click();
  closed_ = true;
}

LRESULT CheckWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == kFirstControlId + static_cast<int>(CheckControl::cmdSave)) {
        check_.cmdSave_Click();
        return 0;
      }
      if (LOWORD(wParam) == kFirstControlId + static_cast<int>(CheckControl::cmdClose) || LOWORD(wParam) == IDCANCEL) {
        Close();
        return 0;
      }
      break;
    case WM_CLOSE:
      Close();
      return 0;
    case WM_CTLCOLORSTATIC:
      ::SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
      return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    default:
      break;
  }
  return AttachedWindow::Handle(message, wParam, lParam);
}

}  // namespace pellora::win32
