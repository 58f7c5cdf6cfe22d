#pragma once
// The one QApplication of a UI test program, set up as the program sets
// itself up. Include it in one source of the program: it also tells the
// leak checker about Fontconfig, which keeps its caches for the life of
// the process.

#include <QApplication>

#include "ui/application.h"

extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace pellora::ui {

inline QApplication& App() {
  static int argc = 1;
  static char name[] = "pellora-ui-test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    auto* a = new QApplication(argc, argv);
    SetUpApplication();
    return a;
  }();
  return *app;
}

}  // namespace pellora::ui
