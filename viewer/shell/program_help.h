#pragma once
// What `pellora` answers on its command line before it opens a window: its
// help and its version. Everything else on the command line is the
// window's (a claim file to show, or the debug switch with a settings
// file), so only these two exact words are taken; a claim file of that name
// is still shown when named as ./--help.

#include <optional>
#include <string>
#include <string_view>

namespace pellora {

// The program's version, as its packages carry it.
std::string_view ProgramVersion();

// The text `pellora --help` writes; `pellora --version` writes
// VersionText().
std::string HelpText();
std::string VersionText();

// The text to write and exit with for a command line of `--help`, `-h` or
// `--version` alone (surrounding spaces aside); nothing for any other,
// which starts the window.
std::optional<std::string> ProgramInfoFor(std::u16string_view commandLine);

// The one line `pellora` writes when it has no display to open its window
// on: what it looked for, and the program that shows a claim without one.
std::string NoDisplayText(std::string_view why);

}  // namespace pellora
