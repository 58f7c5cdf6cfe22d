#include "win32/find_box.h"

#include "win32/look.h"

namespace pellora::win32 {
namespace {

// The layout at 96 dots per inch: the caption and the box on one line, the
// status below the box.
constexpr int kWidth = 240;
constexpr int kMargin = 4;
constexpr int kCaptionWidth = 32;
constexpr int kLineHeight = 20;
constexpr int kStatusHeight = 16;
constexpr int kDesignDpi = 96;

}  // namespace

FindBox::FindBox(HWND parent, int dpi, std::u16string_view caption) : dpi_(dpi) {
  RegisterWindowClass(kClassName, 0, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  const auto px = [dpi](int pixels) { return ::MulDiv(pixels, dpi, kDesignDpi); };
  const int width = px(kWidth);
  const int height = px(kMargin * 3 + kLineHeight + kStatusHeight);
  // A control parent, so that the dialog manager's Tab reaches the box.
  hwnd_ = ::CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, L"", WS_CHILD | WS_BORDER | WS_CLIPSIBLINGS, 0, 0,
                            width + 2, height + 2, parent, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  ::SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FindBox::Procedure));
  const auto child = [&](const wchar_t* kind, const wchar_t* text, DWORD style, DWORD exStyle, int x, int y, int w,
                         int h) {
    HWND window = ::CreateWindowExW(exStyle, kind, text, WS_CHILD | WS_VISIBLE | style, px(x), px(y), px(w), px(h),
                                    hwnd_, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(WindowFont(dpi)), FALSE);
    return window;
  };
  const std::wstring captionText = Wide(caption);
  caption_ = child(L"STATIC", captionText.c_str(), SS_CENTERIMAGE | SS_NOPREFIX, 0, kMargin, kMargin, kCaptionWidth, kLineHeight);
  const int boxLeft = kMargin * 2 + kCaptionWidth;
  edit_ = child(L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, boxLeft, kMargin,
                kWidth - boxLeft - kMargin, kLineHeight);
  status_ = child(L"STATIC", L"", SS_NOPREFIX, 0, boxLeft, kMargin * 2 + kLineHeight, kWidth - boxLeft - kMargin,
                  kStatusHeight);
}

LRESULT CALLBACK FindBox::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const FindBox* self = reinterpret_cast<FindBox*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  // A new text to find: what was said of the old one no longer holds.
  if (self && message == WM_COMMAND && HIWORD(wParam) == EN_CHANGE) {
    ::SetWindowTextW(self->status_, L"");
    return 0;
  }
  return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

void FindBox::Open(POINT corner) {
  RECT frame;
  ::GetWindowRect(hwnd_, &frame);
  ::SetWindowPos(hwnd_, HWND_TOP, corner.x - (frame.right - frame.left), corner.y - (frame.bottom - frame.top), 0, 0,
                 SWP_NOSIZE | SWP_SHOWWINDOW);
  ::SetFocus(edit_);
  ::SendMessageW(edit_, EM_SETSEL, 0, -1);
}

void FindBox::Close() { ::ShowWindow(hwnd_, SW_HIDE); }

std::u16string FindBox::Text() const { return WindowText(edit_); }

void FindBox::SetStatus(std::u16string_view status) {
  const std::wstring wide = Wide(status);
  ::SetWindowTextW(status_, wide.c_str());
}

std::u16string FindBox::Status() const { return WindowText(status_); }

}  // namespace pellora::win32
