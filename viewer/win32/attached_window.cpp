#include "win32/attached_window.h"

namespace pellora::win32 {
namespace {

void Register(const WindowClass& windowClass, WNDPROC procedure) {
  WNDCLASSW wc{};
  if (::GetClassInfoW(::GetModuleHandleW(nullptr), windowClass.name, &wc)) return;
  wc.style = windowClass.style;
  wc.lpfnWndProc = procedure;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hIcon = windowClass.icon;
  wc.hbrBackground = windowClass.background;
  wc.lpszClassName = windowClass.name;
  ::RegisterClassW(&wc);
}

}  // namespace

AttachedWindow::~AttachedWindow() {
  if (!hwnd_) return;
  ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
  ::DestroyWindow(hwnd_);
}

HWND AttachedWindow::Create(const WindowClass& windowClass, DWORD exStyle, const wchar_t* title, DWORD style,
                            POINT place, SIZE size, HWND parent, HMENU menu) {
  Register(windowClass, &AttachedWindow::Procedure);
  ::CreateWindowExW(exStyle, windowClass.name, title, style, place.x, place.y, size.cx, size.cy, parent, menu,
                    ::GetModuleHandleW(nullptr), this);
  return hwnd_;
}

LRESULT AttachedWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK AttachedWindow::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<AttachedWindow*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<AttachedWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  if (message != WM_NCDESTROY) return self->Handle(message, wParam, lParam);
  // The last message: the object sees it, then lets the window go.
  ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  const LRESULT result = self->Handle(message, wParam, lParam);
  self->hwnd_ = nullptr;
  return result;
}

}  // namespace pellora::win32
