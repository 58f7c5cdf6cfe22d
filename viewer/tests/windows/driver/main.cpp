// pellora_ui_driver.exe: Pellora's Win32 windows driven in this process
// under Wine, as a user would drive them, and checked against the headless
// window's controls and the design: the window, its controls, captions,
// colours, geometry, access keys and tab order; a claim file named on the
// command line; the file dialog answered and cancelled; the database
// dialog's outcomes; the heading re-sort; the clerk's Ctrl+A and Ctrl+C
// (both clipboard flavours read back), the save dialog from the context
// menu (the file compared with pellora-export.exe's), the find box's keys
// and a dropped file; a missing velkar.ini; the debug mode; the message
// boxes' icons; the warning box over the window showing a file of LF line
// ends and a cut file, named on the command line and chosen; a window's
// object handed its messages from the first to the last; the printed pages
// painted into metafiles and read back, Ctrl+P and 印刷... without a
// printer, the preview paged and zoomed, and a print on a PostScript
// printer of Wine's that prints into a file. Modal dialogs are
// answered by a thread of the driver's own, through the system's messages. Ends with the line "N passed, N failed".
//
//   pellora_ui_driver.exe <program folder> <claim file> <second claim file> <work folder> [screenshot.bmp]
//   pellora_ui_driver.exe --layout <dpi> <program folder> <claim file> <picture.bmp>
//   pellora_ui_driver.exe --time <pellora.exe> <claim file>
//   pellora_ui_driver.exe --quoted <pellora.exe> <claim file>
//   pellora_ui_driver.exe --verb <verb> <claim file>
//
// The program folder holds velkar.ini, the data.qdr it names and
// pellora-export.exe. With a screenshot, a second picture (the find box
// open, several rows selected) goes beside it as <name>-find.bmp, and the
// print preview's as <name>-print-preview.bmp. --time
// measures how long pellora.exe takes to show a (large) claim file;
// --quoted starts it with the path in quotes, as Windows hands a path on,
// and --verb opens the file through a verb of the shell's (the context
// menu's, where an installer registered it).
//
// Each group of checks lives in a file of its own beside this one;
// driver.h declares what they share, and wmain runs the groups in turn.

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "tests/windows/driver/driver.h"

using namespace ui_driver;

int wmain(int argc, wchar_t** argv) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  // As pellora.exe is, by its manifest and its start.
  BecomeDpiAware();
  if (argc == 4 && std::wstring(argv[1]) == L"--time") return TimeProgram(argv[2], argv[3]);
  if (argc == 4 && std::wstring(argv[1]) == L"--quoted") return TimeProgram(argv[2], argv[3], true);
  if (argc == 4 && std::wstring(argv[1]) == L"--verb") return OpenWithVerb(argv[2], argv[3]);
  if (argc == 6 && std::wstring(argv[1]) == L"--layout") return LayoutRun(_wtoi(argv[2]), argv[3], argv[4], argv[5]);
  if (argc < 5) {
    std::printf("usage: pellora_ui_driver.exe <program folder> <claim file> <second claim file> <work folder> [screenshot.bmp]\n"
                "       pellora_ui_driver.exe --time <pellora.exe> <claim file>\n");
    return 64;
  }
  const std::u16string folder = FromWide(argv[1]);
  const std::u16string claim = FromWide(argv[2]);
  const std::u16string second = FromWide(argv[3]);
  const std::u16string work = FromWide(argv[4]);
  const std::wstring screenshot = argc > 5 ? argv[5] : L"";

  AttachedWindows();
  {
    Program p(folder, u"");
    p.Start();
    ControlsAsDesigned(p);
    KeyboardAsDesigned(p);
    ColoursOfTheStartUp(p, folder);
  }
  {
    Program p(folder, claim);
    p.Start();
    ClaimOnTheCommandLine(p, claim, screenshot);
    LaidOutAt(p, p.window.dpi(), "at the system's dpi");
    Maximised(p, screenshot.empty() ? L"" : screenshot.substr(0, screenshot.size() - 4) + L"-maximised.bmp");
    Accessibility(p);
    DpiChanges(p);
    FileDialog(p, second);
    DatabaseDialog(p, claim, folder + u"\\data.qdr");
    Section("Alt+C closes the window");
    SetFocus(p.Control(MainControl::comFileSelect));
    PressAltKey(p.window, L'c');
    Check(p.form.Unloaded() && !IsWindow(p.window.hwnd()), "the window closed");
  }
  {
    Program p(folder, claim);
    p.Start();
    CopyAll(p);
    SaveDisplay(p, folder, claim, work);
    FindNames(p);
    if (!screenshot.empty()) FindPicture(p, screenshot.substr(0, screenshot.size() - 4) + L"-find.bmp");
    DropClaim(p, second);
  }
  PreviewSteps();
  {
    Program p(folder, claim);
    p.Start();
    PaintedPages(p);
    PrintWithoutPrinter(p);
    Preview(p, screenshot.empty() ? L"" : screenshot.substr(0, screenshot.size() - 4) + L"-print-preview.bmp");
  }
  const std::u16string empty = work + u"\\empty-program-folder";
  CreateDirectoryW(Wide(empty).c_str(), nullptr);
  MissingSettings(empty);
  DebugMode(folder);
  MessageBoxes(folder, work);
  FileWarnings(folder, claim, work);
  CheckWindowOverTheDisplay(folder, claim, work,
                            screenshot.empty() ? L"" : screenshot.substr(0, screenshot.size() - 4) + L"-check.bmp");
  // The current example lies beside the benefit-management example.
  CurrentBenefitManagement(folder, second.substr(0, second.find_last_of(u'\\') + 1) +
                                       u"benefit-management-current-202604.csv",
                           screenshot.empty() ? L"" : screenshot.substr(0, screenshot.size() - 4) + L"-current.bmp");
  // Last: the printer it installs stays for the rest of the prefix's life.
  PrintOnPrinter(folder, claim, work);

  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
