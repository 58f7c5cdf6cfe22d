// pellora-check-screenshot: the picture of the claim check for the
// documentation (docs/take-check-screenshot). The real window, on the X
// screen it is started on, shows a claim file with faults; its warning box
// is answered, the check's window opened with Ctrl+K and its first finding
// chosen, and the check's window is saved as a PNG (and the main window
// behind it, with the finding's person selected, beside it as
// <name>-display.png).
//
//   pellora-check-screenshot PROGRAM-FOLDER CLAIMFILE OUTPUT.png

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdio>

#include "tests/ui/picture_window.h"
#include "ui/check_window_view.h"
#include "ui/main_window_view.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fputs("usage: pellora-check-screenshot PROGRAM-FOLDER CLAIMFILE OUTPUT.png\n", stderr);
    return 64;
  }
  pellora::ui::PictureWindow picture(argv[0], argv[1], argv[2]);
  pellora::frmPellora& form = picture.form;
  pellora::ui::PelloraWindow& window = picture.window;
  const QString output = QString::fromUtf8(argv[3]);
  bool saved = false;
  // The modal windows, answered from a timer that runs inside their loops:
  // the warning box first, then the check's window, pictured and closed.
  QTimer timer;
  timer.setInterval(100);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      box->button(QMessageBox::Ok)->click();
    } else if (auto* check = qobject_cast<pellora::ui::CheckWindowView*>(modal)) {
      timer.stop();
      check->grid(pellora::CheckControl::vsfFindings)->setFocus();
      QTest::keyClick(check->grid(pellora::CheckControl::vsfFindings), Qt::Key_Return);
      QTest::qWait(300);
      saved = check->grab().save(output);
      QString display = output;
      display.replace(QStringLiteral(".png"), QStringLiteral("-display.png"));
      saved = window.grab().save(display) && saved;
      check->reject();
    }
  });
  timer.start();
  if (!picture.Shown()) return 1;
  if (!QTest::qWaitFor([&] { return !form.WarningsPending() && !QApplication::activeModalWidget(); }, 10000)) return 1;
  QTest::keyClick(&window, Qt::Key_K, Qt::ControlModifier);
  return saved ? 0 : 1;
}
