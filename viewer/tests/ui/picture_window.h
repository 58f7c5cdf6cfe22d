#pragma once
// What the documentation's picture programs share: Qt started as the
// program starts it, and the real window over a program folder (its
// velkar.ini and database) and a claim file named as on the command line.

#include <QApplication>
#include <QTest>

#include "common/utf.h"
#include "ui/application.h"
#include "ui/main_window_view.h"

namespace pellora::ui {

struct PictureWindow {
  PictureWindow(char* program, const char* folder, const char* claim)
      : qtArgv{program, nullptr},
        app(qtArgc, qtArgv),
        form(boxes, {common::Utf8ToUtf16(claim), common::Utf8ToUtf16(folder), {}, {}}),
        window(form, boxes) {}

  // The window started and on the screen; false when start-up closed it
  // or it never showed.
  bool Shown() {
    window.Start();
    if (form.Unloaded()) return false;
    window.activateWindow();
    return QTest::qWaitForWindowExposed(&window);
  }

  int qtArgc = 1;
  char* qtArgv[2];
  QApplication app;
  // The program's look and translations, before any window is made.
  struct SetUp {
    SetUp() { SetUpApplication(); }
  } setUp;
  QtMessageBoxes boxes;
  frmPellora form;
  PelloraWindow window;
};

}  // namespace pellora::ui
