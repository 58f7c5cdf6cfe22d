#pragma once
// Pellora's Qt application as the program sets it up before its first
// window, in one place for the program and the tests of its windows.

namespace pellora::ui {

// Call once, after the QApplication is made: the program's name, Qt's own
// style on every desktop, and the Japanese window font. The name is the
// title of a message box that brings none of its own. It is deliberately
// not set as the application's display name as well: Qt appends a display
// name to every window title it hands the desktop, and the desktop would
// then show "... — Pellora" instead of each window's own title.
void SetUpApplication();

}  // namespace pellora::ui
