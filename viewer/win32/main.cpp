// pellora.exe: the claim file viewer on Windows.
//
//   pellora                  the window, settings from velkar.ini beside the program
//   pellora CLAIMFILE        ... showing the claim file at once
//   pellora /debug [INI]     ... with the hidden working grids, settings from INI

#include <windows.h>
#include <commctrl.h>

#include "platform/command_line.h"
#include "win32/look.h"
#include "win32/main_window.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // As the manifest declares: each window at its monitor's dots per inch.
  pellora::win32::BecomeDpiAware();
  // The tooltips of the buttons.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&controls);

  // The whole command line after the program's name, as the system keeps
  // it: a path with blanks needs no quotes, and quotes stay.
  const std::wstring_view line(::GetCommandLineW());
  const std::u16string commandLine(line.begin(), line.end());

  pellora::win32::Win32MessageBoxes boxes;
  pellora::frmPellora form(
      boxes, pellora::frmPellora::Environment::OfThisProgram(std::u16string(pellora::CommandLineArguments(commandLine))));
  pellora::win32::PelloraWindow window(form, boxes);
  window.onDestroyed = [] { ::PostQuitMessage(0); };
  window.Start();
  if (form.Unloaded()) return 0;

  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (window.PreTranslate(message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return 0;
}
