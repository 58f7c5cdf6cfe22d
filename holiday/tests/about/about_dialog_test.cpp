// The about box on screen: the library loads its toolkit plugin and shows
// dialog 7000 modally; the test looks at the dialog from inside its modal
// loop, then closes it as a user would. Runs on Qt's offscreen platform;
// with DOVREL_ABOUT_SCREENSHOT=file.png (under a real X server) it also
// saves a picture of the screen.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <chrono>
#include <fstream>
#include <functional>
#include <thread>

#include "about/about_box.h"
#include "about/about_box_toolkit.h"
#include "about/qt/about_window.h"
#include "resources/resource.h"
#include "tests/typelib/typelib_support.h"

// Under LeakSanitizer: the toolkit's font configuration keeps what it read
// for the life of the process (not ours; allocated when Qt first lays out
// text).
#if defined(__SANITIZE_ADDRESS__)
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
#endif

namespace {

using namespace typelib_testing;

const std::u16string kPlugin = [] {
  std::string path = DOVREL_ABOUT_PLUGIN;
  return std::u16string(path.begin(), path.end());
}();

QApplication& Application() {
  static int argc = 1;
  static char name[] = "about_dialog_test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

// A control of the dialog by its identifier in the resource script.
template <class Widget>
Widget* Control(QDialog& dialog, unsigned id) {
  return qobject_cast<Widget*>(dialog.findChild<QWidget*>(QStringLiteral("control%1").arg(id)));
}

// Runs `look` on the modal dialog once it is up, then shows the about box;
// returns when the dialog has been closed. The dialog is the plugin's: the
// test knows it as a QDialog only.
void WithDialog(const std::function<void(QDialog&)>& look) {
  Application();
  bool looked = false;
  std::function<void()> poll;
  poll = [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog || !dialog->isVisible()) {
      QTimer::singleShot(10, poll);
      return;
    }
    looked = true;
    look(*dialog);
  };
  QTimer::singleShot(0, poll);
  EXPECT_EQ(dovrel::ShowAboutBoxWith(u"6.0.2.3", kPlugin), S_OK);
  EXPECT_TRUE(looked) << "the dialog was shown";
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "and closed";
}

TEST(AboutDialog, ShowsTheBuildLineAndTheControlsOfDialog7000CentredOnTheScreen) {
  WithDialog([](QDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle().toStdString(), "dvDovrel のバージョン情報");
    auto* build = Control<QLabel>(dialog, IDC_ABOUT_BUILD);
    ASSERT_NE(build, nullptr);
    EXPECT_EQ(build->text().toStdString(), "dvDovrel ActiveX Control -  (Build:6.0.2.3)");
    auto* ok = Control<QPushButton>(dialog, 1);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text().toStdString(), "OK");
    EXPECT_TRUE(ok->isDefault());
    auto* sysinfo = Control<QPushButton>(dialog, IDC_ABOUT_SYSINFO);
    ASSERT_NE(sysinfo, nullptr);
    EXPECT_EQ(sysinfo->text().toStdString(), "ｼｽﾃﾑ情報(&S)") << "S is the access key";
    auto* picture = Control<QLabel>(dialog, IDC_ABOUT_PICTURE);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->pixmap().size(), QSize(48, 48));
    EXPECT_EQ(picture->pixmap().toImage().pixelColor(20, 10).name().toStdString(), "#c8283c")
        << "the red band of the calendar page, not flipped";

    // Dialog units of the dialog font: 222 x 185 of them.
    auto units = dovrel::about::BaseUnitsOf(dialog.font());
    EXPECT_EQ(dialog.size(), dovrel::about::ToPixels(units, 0, 0, 222, 185).size());
    EXPECT_EQ(ok->geometry(), dovrel::about::ToPixels(units, 157, 146, 57, 14));
    // Every control lies inside the dialog.
    for (QWidget* child : dialog.findChildren<QWidget*>())
      EXPECT_TRUE(dialog.rect().contains(child->geometry())) << child->objectName().toStdString();

    QRect screen = QGuiApplication::primaryScreen()->geometry();
    QRect frame = dialog.frameGeometry();
    EXPECT_LE(std::abs(frame.center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(frame.center().y() - screen.center().y()), 1);

    if (const char* file = std::getenv("DOVREL_ABOUT_SCREENSHOT")) {
      // Give the X server time to draw the window before the picture.
      QElapsedTimer waited;
      waited.start();
      while (waited.elapsed() < 700) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
      QGuiApplication::primaryScreen()->grabWindow(0).save(QString::fromUtf8(file));
    }
    ok->click();
  });
}

TEST(AboutDialog, EscapeClosesIt) {
  WithDialog([](QDialog& dialog) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &press);
  });
}

TEST(AboutDialog, TheSystemInformationButtonStartsTheConfiguredToolAndLeavesTheDialogOpen) {
  TempRegistry registry;
  std::string tool = registry.Dir() + "/msinfo";
  std::ofstream(tool) << "#!/bin/sh\ntouch '" << registry.Dir() << "/ran'\n";
  chmod(tool.c_str(), 0755);
  HKEY key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Microsoft\\Shared Tools\\MSINFO", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  std::u16string wide(tool.begin(), tool.end());
  RegSetValueExW(key, u"Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                 static_cast<DWORD>((wide.size() + 1) * 2));
  RegCloseKey(key);

  bool ran = false;
  WithDialog([&](QDialog& dialog) {
    auto* sysinfo = Control<QPushButton>(dialog, IDC_ABOUT_SYSINFO);
    ASSERT_NE(sysinfo, nullptr);
    sysinfo->click();
    for (int i = 0; i < 500 && !ran; ++i) {
      ran = access((registry.Dir() + "/ran").c_str(), F_OK) == 0;
      if (!ran) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(dialog.isVisible());
    dialog.reject();
  });
  EXPECT_TRUE(ran);
}

TEST(AboutDialogParts, DialogUnitsCentringAndAccessKeys) {
  EXPECT_EQ(dovrel::about::ToPixels({6, 13}, 4, 8, 222, 185), QRect(6, 13, 333, 301));
  EXPECT_EQ(dovrel::about::CentredTopLeft(QRect(0, 0, 1024, 768), QSize(340, 310)), QPoint(342, 229));
  EXPECT_EQ(dovrel::about::CentredTopLeft(QRect(1920, 0, 1280, 1024), QSize(200, 100)), QPoint(2460, 462));
  EXPECT_EQ(dovrel::about::StaticText(u"R&&D &Info", false).toStdString(), "R&D Info");
  EXPECT_EQ(dovrel::about::StaticText(u"R&&D", true).toStdString(), "R&&D");
}

}  // namespace
