// pellora-find-screenshot: the picture of the clerk's find for the
// documentation (docs/take-find-screenshot). The real window, on the X
// screen it is started on, shows a claim file; the find box is opened with
// Ctrl+F, a name typed in half-width kana and found with Enter, and the
// selection is stretched over the rows below it, as Shift and a click
// would; then the window is saved as a PNG.
//
//   pellora-find-screenshot PROGRAM-FOLDER CLAIMFILE TEXT OUTPUT.png

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <cstdio>

#include "common/utf.h"
#include "ui/application.h"
#include "ui/main_window_view.h"

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fputs("usage: pellora-find-screenshot PROGRAM-FOLDER CLAIMFILE TEXT OUTPUT.png\n", stderr);
    return 64;
  }
  int qtArgc = 1;
  char* qtArgv[] = {argv[0], nullptr};
  QApplication app(qtArgc, qtArgv);
  pellora::ui::SetUpApplication();

  pellora::ui::QtMessageBoxes boxes;
  // The example settings file and database of the build's program folder.
  pellora::frmPellora form(boxes, {common::Utf8ToUtf16(argv[2]), common::Utf8ToUtf16(argv[1]), {}, {}});
  pellora::ui::PelloraWindow window(form, boxes);
  window.Start();
  if (form.Unloaded()) return 1;
  window.activateWindow();
  if (!QTest::qWaitForWindowExposed(&window)) return 1;

  QTest::keyClick(&window, Qt::Key_F, Qt::ControlModifier);
  pellora::ui::FindBox* box = window.findBox();
  box->edit()->insert(QString::fromUtf8(argv[3]));
  QTest::keyClick(box->edit(), Qt::Key_Return);
  if (form.vsfViewer().RowSel() != form.vsfViewer().Row()) return 1;  // not found
  form.GridOf(pellora::MainControl::vsfViewer)->SetRowSel(std::min(form.vsfViewer().Row() + 3, form.vsfViewer().Rows() - 1));
  QTest::qWait(500);
  return window.grab().save(QString::fromUtf8(argv[4])) ? 0 : 1;
}
