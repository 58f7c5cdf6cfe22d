#pragma once
// The one QApplication of a UI test program, set up as the program sets up
// its own, made before the first widget. Include it in one source of a
// test program: it also defines the leak sanitizer's suppressions.

#include <QApplication>

#include "ui/application.h"

// Fontconfig keeps its caches for the life of the process.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace pellora::ui {

inline QApplication& App() {
  static int argc = 1;
  static char name[] = "test_ui";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    auto* a = new QApplication(argc, argv);
    SetUpApplication();
    return a;
  }();
  return *app;
}

}  // namespace pellora::ui
