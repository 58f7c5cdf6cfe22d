// pellora: the claim file viewer.
//
//   pellora                  the window, settings from velkar.ini beside the program
//   pellora CLAIMFILE        ... showing the claim file at once
//   pellora /debug [INI]     ... with the hidden working grids, settings from INI
//   pellora --help | --version

#include <QApplication>
#include <cstdio>
#include <optional>
#include <string>

#include "common/utf.h"
#include "shell/program_help.h"
#include "ui/application.h"
#include "ui/main_window_view.h"

int main(int argc, char** argv) {
  // The whole command line is Pellora's: Qt is given none of it, so that a
  // claim file named like one of Qt's own options is still a claim file.
  std::u16string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) commandLine += u' ';
    commandLine += common::Utf8ToUtf16(argv[i]);
  }
  if (const std::optional<std::string> info = pellora::ProgramInfoFor(commandLine)) {
    std::fputs(info->c_str(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  if (const std::optional<std::string> missing = pellora::ui::MissingDisplay()) {
    std::fputs(pellora::NoDisplayText(*missing).c_str(), stderr);
    return 1;
  }
  int qtArgc = 1;
  char* qtArgv[] = {argv[0], nullptr};
  QApplication app(qtArgc, qtArgv);
  pellora::ui::SetUpApplication();

  pellora::ui::QtMessageBoxes boxes;
  pellora::frmPellora form(boxes, pellora::frmPellora::Environment::OfThisProgram(commandLine));
  pellora::ui::PelloraWindow window(form, boxes);
  window.Start();
  if (form.Unloaded()) return 0;
  return app.exec();
}
