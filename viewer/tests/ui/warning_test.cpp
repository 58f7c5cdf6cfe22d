// What the window says about a claim file that is not what it should be,
// on Qt's offscreen platform in a Japanese session: the warning box after
// the display, and Qt's own texts in Japanese.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <fstream>

#include "tests/startup/program_folder.h"
#include "tests/ui/next_modal.h"
#include "tests/ui/test_application.h"
#include "ui/application.h"
#include "ui/look.h"
#include "ui/main_window_view.h"

namespace pellora::ui {
namespace {

using namespace pellora::testing;

// The program started on one claim file, as from the command line.
struct Started {
  explicit Started(const std::string& bytes) {
    form.ProgramFolder = files.window.ProgramFolder;
    form.SettingsFolders = files.window.SettingsFolders;
    files.WriteDatabase();
    std::ofstream(files.dir / "claim.csv", std::ios::binary) << bytes;
    form.CommandLine = U16((files.dir / "claim.csv").string());
  }
  QApplication& app = App();  // before any widget
  ProgramFolder files;
  QtMessageBoxes boxes;
  frmPellora form{boxes};
  PelloraWindow view{form, boxes};
};

TEST(WarningBox, TellsWhatIsWrongOnceTheDisplayIsComplete) {
  const std::string crLf = FileBytes(KnownAndUnknownPersons());
  std::string lf = crLf;
  std::erase(lf, '\r');
  // The first three lines: the control record and two data records, the
  // second of which the display takes for the end record.
  std::size_t cut = 0;
  for (int line = 0; line < 3; ++line) cut = crLf.find("\r\n", cut) + 2;
  const struct {
    const char* what;
    std::string bytes;
    int rowsShown;
  } cases[] = {
      {"LF line ends", lf, 3},
      {"cut after two data records", crLf.substr(0, cut), 1},
  };
  for (const auto& c : cases) {
    Started program(c.bytes);
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int rowsBehindTheBox = -1;
    NextModal<QMessageBox> warning([&](QMessageBox& box) {
      title = box.windowTitle();
      text = box.text();
      icon = box.icon();
      rowsBehindTheBox = program.view.grid(MainControl::vsfViewer)->gridModel().rowCount();
      box.button(QMessageBox::Ok)->click();
    });
    program.view.Start();
    ASSERT_TRUE(warning.answered()) << c.what;
    ASSERT_FALSE(program.form.Claim().warnings.empty()) << c.what;
    QStringList lines;
    for (const FileWarning& w : program.form.Claim().warnings) lines << ToQString(w.text);
    EXPECT_EQ(text, lines.join('\n')) << c.what;
    EXPECT_EQ(title, ToQString(frmPellora::kTitle)) << c.what;
    EXPECT_EQ(icon, QMessageBox::Warning) << c.what;
    EXPECT_EQ(rowsBehindTheBox, c.rowsShown) << c.what;
    EXPECT_TRUE(program.view.isVisible()) << c.what;
  }
}

// LANG is Japanese for this program (see CMakeLists.txt): Qt's own buttons
// come from Qt's Japanese translation.
TEST(QtTranslations, QtsOwnButtonsSpeakJapanese) {
  App();
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("キャンセル"));
  QDialogButtonBox buttons(QDialogButtonBox::Cancel | QDialogButtonBox::Open);
  EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("キャンセル"));
  EXPECT_EQ(buttons.button(QDialogButtonBox::Open)->text(), QStringLiteral("開く"));
}

}  // namespace
}  // namespace pellora::ui
