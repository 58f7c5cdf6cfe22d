#include "win32/look.h"

#include <map>

namespace pellora::win32 {
namespace {

constexpr int kWindowFontPoints = 9;

HFONT MakeFont(const wchar_t* face, int dpi) {
  return ::CreateFontW(-::MulDiv(kWindowFontPoints, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                       SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, face);
}

// Fonts by size: the program keeps them to its end, as it keeps its window.
HFONT CachedFont(const wchar_t* face, int dpi) {
  static std::map<std::pair<std::wstring, int>, HFONT> fonts;
  HFONT& font = fonts[{face, dpi}];
  if (!font) font = MakeFont(face, dpi);
  return font;
}

}  // namespace

COLORREF ToColorRef(OleColor color) {
  if ((color & kSystemColorFlag) == 0) return static_cast<COLORREF>(color);
  return ::GetSysColor(static_cast<int>(color & 0xFFu));
}

HBRUSH BrushOf(COLORREF color) {
  static std::map<COLORREF, HBRUSH> brushes;
  HBRUSH& brush = brushes[color];
  if (!brush) brush = ::CreateSolidBrush(color);
  return brush;
}

int ScreenDpi() {
  HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

namespace {

// A function of user32 by name, or null where this Windows lacks it.
template <typename Function>
Function User32Function(const char* name) {
  HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(user32, name))) : nullptr;
}

}  // namespace

void BecomeDpiAware() {
  using SetContext = BOOL(WINAPI*)(HANDLE);
  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, as the headers define it.
  const HANDLE perMonitorV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
  if (const auto set = User32Function<SetContext>("SetProcessDpiAwarenessContext")) set(perMonitorV2);
}

int DpiOf(HWND window) {
  using GetDpi = UINT(WINAPI*)(HWND);
  static const auto getDpi = User32Function<GetDpi>("GetDpiForWindow");
  const int dpi = window && getDpi ? static_cast<int>(getDpi(window)) : 0;
  return dpi > 0 ? dpi : ScreenDpi();
}

SIZE FrameSizeAt(DWORD style, DWORD exStyle, int dpi) {
  using Adjust = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto adjust = User32Function<Adjust>("AdjustWindowRectExForDpi");
  RECT frame{0, 0, 0, 0};
  if (!adjust || !adjust(&frame, style, FALSE, exStyle, static_cast<UINT>(dpi)))
    ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  return SIZE{frame.right - frame.left, frame.bottom - frame.top};
}

int ToPixels(int twips, int dpi) { return ::MulDiv(twips, dpi, 1440); }

RECT ToPixels(const TwipsRect& rect, int dpi) {
  return RECT{ToPixels(rect.left, dpi), ToPixels(rect.top, dpi), ToPixels(rect.right(), dpi),
              ToPixels(rect.bottom(), dpi)};
}

HFONT WindowFont(int dpi) { return CachedFont(kWindowFaceName, dpi); }
HFONT GridFont(int dpi) { return CachedFont(kGridFaceName, dpi); }

std::u16string WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return FromWide(text);
}

}  // namespace pellora::win32
