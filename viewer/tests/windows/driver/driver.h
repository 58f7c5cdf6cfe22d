#pragma once
// What the files of pellora_ui_driver.exe share: the checks and their
// counts, the ways of driving Pellora's Win32 windows in this process (keys,
// menus, modal windows answered from a thread of the driver's own, pictures),
// one window of the program, and the groups of checks that wmain runs in
// turn. Each file's own helpers stay inside it.

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/window_design.h"
#include "win32/look.h"
#include "win32/main_window.h"

namespace ui_driver {

using pellora::MainControl;
using pellora::frmPellora;
using namespace pellora::win32;

// ---- The checks and their counts (checks.cpp) ----

extern int passed, failed;

std::string Utf8(std::u16string_view text);
std::string Show(const std::u16string& text);
std::string Show(const std::wstring& text);
std::string Show(long long value);
std::string ShowColor(COLORREF c);
std::string ShowRect(const RECT& r);

void Check(bool ok, const std::string& what, const std::string& detail = "");
template <typename T>
void CheckEqual(const T& actual, const T& expected, const std::string& what) {
  Check(actual == expected, what, Show(actual) + ", expected " + Show(expected));
}
void CheckColor(COLORREF actual, COLORREF expected, const std::string& what);
void CheckRect(const RECT& actual, const RECT& expected, const std::string& what);
void Section(const char* name);

// ---- Driving the windows (driving.cpp) ----

struct Program;

// The window whose keyboard handling Pump hands the messages to first.
extern PelloraWindow* active;

void Pump(int milliseconds = 150);
void PressKey(PelloraWindow& window, UINT key);
void PressAltKey(PelloraWindow& window, wchar_t letter);
void PressKeyWith(PelloraWindow& window, UINT held, UINT key);
void TypeKey(HWND target, UINT key);
void PressButton(HWND dialog, int id);
bool ChooseFromMenuEnd(Program& p, int presses);

std::wstring ClassOf(HWND window);
std::wstring TextOf(HWND window);
RECT PlaceOf(HWND control);
COLORREF PixelAt(HWND window, int x, int y);
COLORREF BackgroundOf(HWND window);
POINT CellCentre(GridWindow& grid, int row, int col);
std::string ReadBytes(const std::wstring& path);

// ---- Modal windows, answered from a thread of the driver's own (modals.cpp) ----

// For EnumThreadWindows: the first visible dialog, into the HWND that
// `found` points to.
BOOL CALLBACK FindDialog(HWND window, LPARAM found);
bool WithModals(const std::function<void()>& open, std::vector<std::function<void(HWND)>> acts,
                std::function<void(HWND)> sight = nullptr);
bool WithModal(const std::function<void()>& open, std::function<void(HWND)> act);

struct BoxSeen {
  std::wstring title, text;
  HICON icon = nullptr;
};
bool SeeMessageBox(const std::function<void()>& open, BoxSeen& seen);

HWND WaitForWindow(DWORD thread, const wchar_t* windowClass);
bool WithWindow(const std::function<void()>& open, const wchar_t* windowClass, std::function<void(HWND)> drive);

// ---- The screenshot (screenshot.cpp) ----

bool SavePicture(HWND window, const std::wstring& path);

// ---- One window of the program (program.cpp) ----

struct Program {
  explicit Program(const std::u16string& folder, const std::u16string& commandLine);
  void Start();
  ~Program();
  HWND Control(MainControl control) const { return window.control(control); }
  GridWindow& Grid(MainControl control) { return *window.grid(control); }

  Win32MessageBoxes boxes;
  frmPellora form;
  PelloraWindow window{form, boxes};
};

const COLORREF kLightYellow = RGB(255, 255, 192);
const COLORREF kLightCyan = RGB(192, 255, 255);
const COLORREF kPink = RGB(255, 192, 192);

// The window's title while it shows the claim file at `path`.
std::u16string Title(const std::u16string& path);

// ---- The groups of checks, in the order wmain runs them ----

// attached_window_checks.cpp
void AttachedWindows();
// design_checks.cpp
void ControlsAsDesigned(Program& p);
void KeyboardAsDesigned(Program& p);
void ColoursOfTheStartUp(Program& p, const std::u16string& folder);
// startup_and_dialog_checks.cpp
void ClaimOnTheCommandLine(Program& p, const std::u16string& claim, const std::wstring& screenshot);
void FileDialog(Program& p, const std::u16string& second);
void DatabaseDialog(Program& p, const std::u16string& claim, const std::u16string& database);
void MissingSettings(const std::u16string& emptyFolder);
void DebugMode(const std::u16string& folder);
void MessageBoxes(const std::u16string& folder, const std::u16string& work);
void CurrentBenefitManagement(const std::u16string& folder, const std::u16string& claim,
                              const std::wstring& screenshot);
// layout_checks.cpp
void ControlsInsideTheWindow(Program& p);
void Maximised(Program& p, const std::wstring& screenshot);
void LaidOutAt(Program& p, int dpi, const std::string& what);
void Accessibility(Program& p);
void DpiChanges(Program& p);
int LayoutRun(int dpi, const std::wstring& folder, const std::wstring& claim, const std::wstring& screenshot);
// clerk_checks.cpp
void CopyAll(Program& p);
void SaveDisplay(Program& p, const std::u16string& folder, const std::u16string& claim, const std::u16string& work);
void FindNames(Program& p);
void FindPicture(Program& p, const std::wstring& screenshot);
void DropClaim(Program& p, const std::u16string& path);
void FileWarnings(const std::u16string& folder, const std::u16string& claim, const std::u16string& work);
// preview_checks.cpp
void PreviewSteps();
void Preview(Program& p, const std::wstring& screenshot);
// print_checks.cpp
void PaintedPages(Program& p);
void PrintWithoutPrinter(Program& p);
void PrintOnPrinter(const std::u16string& folder, const std::u16string& claim, const std::u16string& work);
// check_checks.cpp
void CheckWindowOverTheDisplay(const std::u16string& folder, const std::u16string& claim, const std::u16string& work,
                               const std::wstring& screenshot);
// timing.cpp
int TimeProgram(const std::wstring& program, const std::wstring& claim, bool quoted = false);
int OpenWithVerb(const std::wstring& verb, const std::wstring& claim);

}  // namespace ui_driver
