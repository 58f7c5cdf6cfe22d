#pragma once
// How the windows' design data becomes Win32: colours (a system colour is
// the user's own), the Japanese UI font, twips as the screen's pixels, and
// text between the window's UTF-16 and the wide strings of the system.

#include <windows.h>

#include <string>
#include <string_view>

#include "controls/controls.h"
#include "shell/window_design.h"

namespace pellora::win32 {

// A colour property's value: its own colour (0x00BBGGRR is a COLORREF
// already), or GetSysColor of a system colour, whose index the property
// carries in its low byte as Windows numbers them.
COLORREF ToColorRef(OleColor color);

// One brush per colour for the life of the program: the controls ask for
// their background brush on every paint.
HBRUSH BrushOf(COLORREF color);

// The dots per inch of the system: what a window gets where the system
// knows of no other (a Windows before 10, or Wine without a window's own).
int ScreenDpi();

// Every window lays itself out at its own dots per inch, which under the
// per-monitor awareness of the program's manifest is its monitor's and
// changes as it moves (WM_DPICHANGED). The calls for it came with Windows
// 10 and are looked up in user32 at run time, so that the programs still
// start where they are missing, at the system's dots per inch.
//
// Asks for the per-monitor awareness (version 2) where the manifest was not
// read; where the process has an awareness already, nothing changes.
void BecomeDpiAware();
// The dots per inch a window is laid out at: GetDpiForWindow, else the
// system's.
int DpiOf(HWND window);
// What the frame of a window of these styles adds to its client area at
// `dpi`: both borders in cx, the caption and both borders in cy.
SIZE FrameSizeAt(DWORD style, DWORD exStyle, int dpi);

// Twips as this screen's pixels: 1440 twips are an inch.
int ToPixels(int twips, int dpi);
RECT ToPixels(const TwipsRect& rect, int dpi);

// "MS UI Gothic" is the Japanese desktop's UI font of the windows the
// design was made on; "ＭＳ ゴシック" its fixed-pitch sister. Both are asked
// for in the Shift_JIS character set, so that a desktop without them
// substitutes a Japanese font, not one without kanji.
inline constexpr const wchar_t* kWindowFaceName = L"MS UI Gothic";
inline constexpr const wchar_t* kGridFaceName = L"\xFF2D\xFF33 \x30B4\x30B7\x30C3\x30AF";

// The windows' text: the Japanese UI font at the design's 9 points.
HFONT WindowFont(int dpi);
// The grids' text at the same size, with half-width digits exactly half as
// wide as a kanji, so that ten-digit numbers fit their thousand twips.
HFONT GridFont(int dpi);

inline std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }
inline std::u16string FromWide(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }
// The whole text of a window (a caption, an edit box's contents).
std::u16string WindowText(HWND window);

}  // namespace pellora::win32
