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

#include "tests/ui/picture_window.h"
#include "ui/main_window_view.h"

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fputs("usage: pellora-find-screenshot PROGRAM-FOLDER CLAIMFILE TEXT OUTPUT.png\n", stderr);
    return 64;
  }
  // The example settings file and database of the build's program folder.
  pellora::ui::PictureWindow picture(argv[0], argv[1], argv[2]);
  if (!picture.Shown()) return 1;
  pellora::frmPellora& form = picture.form;
  pellora::ui::PelloraWindow& window = picture.window;

  QTest::keyClick(&window, Qt::Key_F, Qt::ControlModifier);
  pellora::ui::FindBox* box = window.findBox();
  box->edit()->insert(QString::fromUtf8(argv[3]));
  QTest::keyClick(box->edit(), Qt::Key_Return);
  if (form.vsfViewer().RowSel() != form.vsfViewer().Row()) return 1;  // not found
  form.GridOf(pellora::MainControl::vsfViewer)->SetRowSel(std::min(form.vsfViewer().Row() + 3, form.vsfViewer().Rows() - 1));
  QTest::qWait(500);
  return window.grab().save(QString::fromUtf8(argv[4])) ? 0 : 1;
}
