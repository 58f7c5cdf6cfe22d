// pellora-screengrab FILE.png [SECONDS]: after SECONDS (default 2), saves a
// picture of what the display it runs on shows, cut to the windows on it:
// everything that differs from the screen's background, as a virtual
// screen without a desktop shows it around the windows.

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

namespace {

// The smallest rectangle holding every pixel that differs from the
// top-right corner's, which a window placed at the top left leaves bare.
QRect WindowsOn(const QImage& screen) {
  const QRgb background = screen.pixel(screen.width() - 1, 0);
  int left = screen.width(), top = screen.height(), right = -1, bottom = -1;
  for (int y = 0; y < screen.height(); ++y) {
    for (int x = 0; x < screen.width(); ++x) {
      if (screen.pixel(x, y) == background) continue;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  return right < 0 ? screen.rect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: pellora-screengrab FILE.png [SECONDS]\n", stderr);
    return 64;
  }
  QGuiApplication app(argc, argv);
  const int delay = argc > 2 ? std::atoi(argv[2]) : 2;
  int status = 1;
  QTimer::singleShot(delay * 1000, [&] {
    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    status = screen.copy(WindowsOn(screen)).save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
    if (status != 0) std::fprintf(stderr, "pellora-screengrab: cannot write %s\n", argv[1]);
    app.quit();
  });
  app.exec();
  return status;
}
