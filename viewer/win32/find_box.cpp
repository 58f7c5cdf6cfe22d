#include "win32/find_box.h"

#include "shell/window_design.h"
#include "win32/look.h"

namespace pellora::win32 {
namespace {

// The layout at 96 dots per inch, on one line: the caption, the box, and
// only after a find that matched nothing the word for it, for which the
// box grows to the left (its lower right corner stays where it was put).
constexpr int kEditWidth = 150;
constexpr int kMargin = 4;
constexpr int kCaptionWidth = 30;
constexpr int kLineHeight = 20;

}  // namespace

FindBox::FindBox(HWND parent, int dpi, std::u16string_view caption, std::u16string_view noMatch)
    : dpi_(dpi), noMatchText_(Wide(noMatch)) {
  // A control parent, so that the dialog manager's Tab reaches the box.
  Create({kClassName, 0, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)}, WS_EX_CONTROLPARENT, L"",
         WS_CHILD | WS_BORDER | WS_CLIPSIBLINGS, POINT{}, SIZE{}, parent);
  const auto child = [&](const wchar_t* kind, const wchar_t* text, DWORD style, DWORD exStyle) {
    HWND window = ::CreateWindowExW(exStyle, kind, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, hwnd(), nullptr,
                                    ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(WindowFont(dpi)), FALSE);
    return window;
  };
  const std::wstring captionText = Wide(caption);
  caption_ = child(L"STATIC", captionText.c_str(), SS_CENTERIMAGE | SS_NOPREFIX, 0);
  edit_ = child(L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE);
  status_ = child(L"STATIC", noMatchText_.c_str(), SS_CENTERIMAGE | SS_NOPREFIX, 0);
}

LRESULT FindBox::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  // A new text to find: what was said of the old one no longer holds.
  if (message == WM_COMMAND && HIWORD(wParam) == EN_CHANGE) {
    ShowNoMatch(false);
    return 0;
  }
  return AttachedWindow::Handle(message, wParam, lParam);
}

void FindBox::Layout() {
  const auto px = [this](int pixels) { return ToPixels(pixels * kTwipsPerPixel, dpi_); };
  int statusWidth = 0;
  if (noMatch_) {
    HDC dc = ::GetDC(status_);
    HGDIOBJ old = ::SelectObject(dc, WindowFont(dpi_));
    SIZE size{};
    ::GetTextExtentPoint32W(dc, noMatchText_.c_str(), static_cast<int>(noMatchText_.size()), &size);
    ::SelectObject(dc, old);
    ::ReleaseDC(status_, dc);
    statusWidth = size.cx + px(kMargin);
  }
  const int line = px(kLineHeight);
  int x = px(kMargin);
  ::MoveWindow(caption_, x, px(kMargin), px(kCaptionWidth), line, TRUE);
  x += px(kCaptionWidth);
  ::MoveWindow(edit_, x, px(kMargin), px(kEditWidth), line, TRUE);
  x += px(kEditWidth) + px(kMargin);
  ::MoveWindow(status_, x, px(kMargin), statusWidth, line, TRUE);
  ::ShowWindow(status_, noMatch_ ? SW_SHOWNA : SW_HIDE);
  // The border's line on each side.
  const int width = x + statusWidth + 2;
  const int height = line + px(kMargin) * 2 + 2;
  ::SetWindowPos(hwnd(), HWND_TOP, corner_.x - width, corner_.y - height, width, height, SWP_NOACTIVATE);
}

void FindBox::Open(POINT corner) {
  corner_ = corner;
  Layout();
  ::ShowWindow(hwnd(), SW_SHOW);
  ::SetFocus(edit_);
  ::SendMessageW(edit_, EM_SETSEL, 0, -1);
}

void FindBox::SetDpi(int dpi, POINT corner) {
  dpi_ = dpi;
  for (HWND part : {caption_, edit_, status_})
    ::SendMessageW(part, WM_SETFONT, reinterpret_cast<WPARAM>(WindowFont(dpi_)), TRUE);
  corner_ = corner;
  Layout();
}

void FindBox::Close() { ::ShowWindow(hwnd(), SW_HIDE); }

std::u16string FindBox::Text() const { return WindowText(edit_); }

void FindBox::ShowNoMatch(bool noMatch) {
  if (noMatch == noMatch_) return;
  noMatch_ = noMatch;
  Layout();
}

std::u16string FindBox::Status() const { return noMatch_ ? WindowText(status_) : u""; }

}  // namespace pellora::win32
