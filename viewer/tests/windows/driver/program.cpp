// One window of the program, made as pellora.exe makes it: the headless
// window and the Win32 window over it, in the driver's own process, so that
// the checks compare what the screen shows with the window's own state. A
// check chooses the program folder and the command line; while the window
// lives, the driver's keys go through its keyboard handling.

#include <string>

#include "tests/windows/driver/driver.h"

namespace ui_driver {

// The settings are the program folder's alone, whatever the prefix's user
// keeps.
Program::Program(const std::u16string& folder, const std::u16string& commandLine)
    : form(boxes, {commandLine, folder, {}, {}}) {}
void Program::Start() {
  window.Start();
  active = &window;
  Pump(300);
}
Program::~Program() {
  if (active == &window) active = nullptr;
}

std::u16string Title(const std::u16string& path) { return std::u16string(frmPellora::kTitle) + u" (" + path + u")"; }

}  // namespace ui_driver
