#pragma once
// Pellora's Qt application as the program sets it up before its first
// window, in one place for the program and the tests of its windows.

#include <optional>
#include <string>

class QTranslator;

namespace pellora::ui {

// Qt's own texts (the file dialog's labels and buttons, the message boxes'
// buttons) in the user's language, from Qt's translations on this system
// (Debian's qt6-translations-l10n). Returns the translator installed, or
// nothing when there is no translation for the language: Qt then speaks
// English. (On Windows the system's own dialogs already speak the
// desktop's language.)
QTranslator* InstallQtTranslations();

// Call once, after the QApplication is made: the program's name, Qt's own
// style on every desktop, the Japanese window font, and Qt's translations.
// The name is the title of a message box that brings none of its own. It
// is deliberately not set as the application's display name as well: Qt
// appends a display name to every window title it hands the desktop, and
// the desktop would then show "... — Pellora" instead of each window's own
// title.
void SetUpApplication();

// Why there is no display for the window, checked before Qt is started
// (Qt ends the program with an abort when it finds none): no DISPLAY or
// WAYLAND_DISPLAY, or a local X display without its server. Nothing when
// there seems to be one, or when QT_QPA_PLATFORM chooses the platform.
std::optional<std::string> MissingDisplay();

}  // namespace pellora::ui
