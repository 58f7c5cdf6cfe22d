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
