// The titles the desktop shows for Pellora's windows, read back from the X
// server with xprop as a window manager reads them: the main window without
// and with a claim file, the database dialog, and the message box of a
// start-up failure. A widget's own windowTitle() proves nothing here: Qt may
// add to a title on its way to the desktop. The windows run on Qt's X11
// platform on a virtual screen of this program's own; without Xvfb or xprop
// the tests are skipped.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>

#include "tests/startup/program_folder.h"
#include "tests/ui/next_modal.h"
#include "ui/application.h"
#include "ui/look.h"
#include "ui/main_window_view.h"

// Fontconfig keeps its caches for the life of the process, and so does
// D-Bus the connection state that Qt's X11 platform opens.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\nleak:libdbus-1.so\n"; }

namespace pellora::ui {
namespace {

using namespace pellora::testing;

// The full path of a program on PATH, or "" when it is not there.
std::string OnPath(const std::string& name) {
  std::istringstream folders(std::getenv("PATH") ? std::getenv("PATH") : "");
  for (std::string folder; std::getline(folders, folder, ':');) {
    const std::string path = folder + "/" + name;
    if (!folder.empty() && ::access(path.c_str(), X_OK) == 0) return path;
  }
  return "";
}

// An X server of this program's own, on a display number Xvfb picks (so
// that test programs running side by side do not meet), and the Qt
// application drawing on it, for the length of the program.
class VirtualScreen : public ::testing::Environment {
 public:
  VirtualScreen() : xvfb_(OnPath("Xvfb")), xprop_(OnPath("xprop")) {}

  bool installed() const { return !xvfb_.empty() && !xprop_.empty(); }
  bool running() const { return app_ != nullptr; }

  void SetUp() override {
    if (installed()) Start();
  }

  void TearDown() override {
    delete app_;  // before its X server goes
    app_ = nullptr;
    if (server_ > 0) {
      ::kill(server_, SIGTERM);
      ::waitpid(server_, nullptr, 0);
    }
  }

  // WM_NAME and _NET_WM_NAME of a window, as xprop prints them in UTF-8;
  // a property the window lacks is missing from the map.
  std::map<std::string, std::string> Titles(QWidget& window) const {
    const std::string command = "LC_ALL=C.UTF-8 '" + xprop_ + "' -display " + display_ + " -id " +
                                std::to_string(window.winId()) + " WM_NAME _NET_WM_NAME";
    std::map<std::string, std::string> titles;
    FILE* out = ::popen(command.c_str(), "r");
    if (!out) return titles;
    char line[4096];
    // WM_NAME(COMPOUND_TEXT) = "text"
    while (std::fgets(line, sizeof line, out)) {
      const std::string text(line);
      const std::size_t type = text.find('('), open = text.find(" = \""), close = text.rfind('"');
      if (type == std::string::npos || open == std::string::npos || close <= open + 3) continue;
      titles[text.substr(0, type)] = text.substr(open + 4, close - open - 4);
    }
    ::pclose(out);
    return titles;
  }

 private:
  void Start() {
    int ready[2];
    if (::pipe(ready) != 0) return;
    server_ = ::fork();
    if (server_ == 0) {
      ::close(ready[0]);
      const int quiet = ::open("/dev/null", O_WRONLY);
      ::dup2(quiet, STDOUT_FILENO);
      ::dup2(quiet, STDERR_FILENO);
      const std::string fd = std::to_string(ready[1]);
      ::execl(xvfb_.c_str(), "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
              static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(ready[1]);
    // Xvfb writes its display number once it takes clients.
    std::string number;
    pollfd wait{ready[0], POLLIN, 0};
    char c;
    while (::poll(&wait, 1, 20000) == 1 && ::read(ready[0], &c, 1) == 1 && c != '\n') number += c;
    ::close(ready[0]);
    if (number.empty()) return;
    display_ = ":" + number;
    ::setenv("DISPLAY", display_.c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    static int argc = 1;
    static char name[] = "test_window_titles";
    static char* argv[] = {name, nullptr};
    app_ = new QApplication(argc, argv);
    SetUpApplication();
  }

  std::string xvfb_, xprop_, display_;
  pid_t server_ = -1;
  QApplication* app_ = nullptr;
};

VirtualScreen* const kScreen =
    static_cast<VirtualScreen*>(::testing::AddGlobalTestEnvironment(new VirtualScreen));

class FailingGrid : public GridListener {
 public:
  void RowsChanged(int, int) override { throw GridError(380); }
};

class DesktopTitle : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!kScreen->installed()) GTEST_SKIP() << "Xvfb or xprop is not installed";
    ASSERT_TRUE(kScreen->running()) << "Xvfb did not start";
    files.WriteDatabase();
    claim = files.WriteClaim("2024年04月/claim.csv", KnownAndUnknownPersons());
  }

  // The program started with this command line, its window drawn: views,
  // the form and its message boxes made afresh for each start.
  PelloraWindow& Start(const std::string& commandLine) {
    view.reset();  // a view refers to its form and boxes, a form to its boxes
    form.reset();
    boxes = std::make_unique<QtMessageBoxes>();
    form = std::make_unique<frmPellora>(*boxes, files.Environment(U16(commandLine)));
    if (failing) form->GridOf(MainControl::vsfTotal)->AddListener(failing.get());
    view = std::make_unique<PelloraWindow>(*form, *boxes);
    view->Start();
    if (view->isVisible()) {
      EXPECT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    }
    return *view;
  }

  // What the desktop shows for `window`: its UTF-8 title, which a desktop
  // of today reads, after checking that the older title property, which
  // the rest read, says the same.
  std::string Title(QWidget& window) {
    std::map<std::string, std::string> titles = kScreen->Titles(window);
    EXPECT_EQ(titles["WM_NAME"], titles["_NET_WM_NAME"]);
    return titles["_NET_WM_NAME"];
  }

  ProgramFolder files;
  std::filesystem::path claim;
  std::unique_ptr<FailingGrid> failing;
  std::unique_ptr<QtMessageBoxes> boxes;
  std::unique_ptr<frmPellora> form;
  std::unique_ptr<PelloraWindow> view;
};

TEST_F(DesktopTitle, OfTheMainWindowIsItsCaptionAloneOrWithTheClaimFile) {
  const struct {
    std::string commandLine, title;
  } cases[] = {
      {"", "給付管理／介護報酬請求 CSVファイルビューア"},
      {claim.string(), "給付管理／介護報酬請求 CSVファイルビューア (" + claim.string() + ")"},
  };
  for (const auto& c : cases) {
    PelloraWindow& window = Start(c.commandLine);
    ASSERT_TRUE(window.isVisible()) << c.commandLine;
    EXPECT_EQ(Title(window), c.title) << c.commandLine;
  }
}

TEST_F(DesktopTitle, OfTheDatabaseDialogIsItsCaption) {
  PelloraWindow& window = Start("");
  std::string title;
  NextModal<QDialog> dialog([&](QDialog& shown) {
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&shown));
    title = Title(shown);
    shown.reject();
  });
  qobject_cast<QPushButton*>(window.widget(MainControl::Command1))->click();
  ASSERT_TRUE(dialog.answered());
  EXPECT_EQ(title, "データベースファイル設定");
}

TEST_F(DesktopTitle, OfAStartUpFailureMessageIsTheErrorTitle) {
  failing = std::make_unique<FailingGrid>();
  std::string title;
  NextModal<QMessageBox> message([&](QMessageBox& box) {
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&box));
    title = Title(box);
    box.button(QMessageBox::Ok)->click();
  });
  Start("");
  form->GridOf(MainControl::vsfTotal)->RemoveListener(failing.get());
  ASSERT_TRUE(message.answered());
  EXPECT_EQ(title, "エラーメッセージ");
}

}  // namespace
}  // namespace pellora::ui
