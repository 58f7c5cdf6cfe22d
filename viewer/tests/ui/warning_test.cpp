// What the window says about a claim file that is not what it should be,
// on Qt's offscreen platform in a Japanese session: the warning box over the
// window once it shows the display, and Qt's own texts in Japanese.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <algorithm>
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

// The program started on one claim file, as from the command line, or on
// none, to choose it with the file choice.
struct Started {
  Started(const std::string& bytes, bool onTheCommandLine)
      : form(boxes, files.Environment(onTheCommandLine ? U16(claim.string()) : u"")) {
    files.WriteDatabase();
    std::ofstream(claim, std::ios::binary) << bytes;
  }
  QApplication& app = App();  // before any widget
  ProgramFolder files;
  std::filesystem::path claim = files.dir / "claim.csv";
  QtMessageBoxes boxes;
  frmPellora form;
  PelloraWindow view{form, boxes};
};

// How many rows the display grid held when it was last painted.
class PaintedRows : public QObject {
 public:
  explicit PaintedRows(FlexGridView& grid) : grid_(grid) { grid.viewport()->installEventFilter(this); }
  int rows = -1;  // never painted

 private:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) rows = grid_.gridModel().rowCount();
    return false;
  }
  FlexGridView& grid_;
};

TEST(WarningBox, TellsWhatIsWrongOverTheWindowPaintedWithTheDisplay) {
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
    std::string_view code;
  } cases[] = {
      {"LF line ends", lf, 3, "lf-line-ends"},
      {"cut after two data records", crLf.substr(0, cut), 1, "record-count"},
      {"only records the display does not show", FileBytes(ClaimFile({CodeOnly("7111"), CodeOnly("7121")})), 0,
       "no-shown-records"},
  };
  for (const auto& c : cases) {
    for (const bool onTheCommandLine : {true, false}) {
      const std::string what = std::string(c.what) + (onTheCommandLine ? ", on the command line" : ", chosen");
      Started program(c.bytes, onTheCommandLine);
      PaintedRows painted(*program.view.grid(MainControl::vsfViewer));
      QString title, text;
      QMessageBox::Icon icon = QMessageBox::NoIcon;
      bool windowShown = false;
      int rowsPainted = -1;
      NextModal<QMessageBox> warning([&](QMessageBox& box) {
        title = box.windowTitle();
        text = box.text();
        icon = box.icon();
        windowShown = program.view.isVisible();
        rowsPainted = painted.rows;
        box.button(QMessageBox::Ok)->click();
      });
      program.view.Start();
      if (!onTheCommandLine) {
        NextModal<QFileDialog> choose([&](QFileDialog& d) {
          d.findChild<QLineEdit*>()->setText(ToQString(U16(program.claim.string())));
          static_cast<QDialog&>(d).accept();
        });
        QTest::mouseClick(program.view.widget(MainControl::comFileSelect), Qt::LeftButton);
        ASSERT_TRUE(choose.answered()) << what;
      }
      ASSERT_TRUE(QTest::qWaitFor([&] { return warning.answered(); })) << what;
      ASSERT_FALSE(program.form.Claim().warnings.empty()) << what;
      EXPECT_EQ(text, ToQString(frmPellora::WarningText(program.form.Claim()))) << what;
      EXPECT_TRUE(std::ranges::any_of(program.form.Claim().warnings,
                                      [&](const FileWarning& w) { return w.code == c.code; }))
          << what;
      EXPECT_EQ(title, ToQString(frmPellora::kTitle)) << what;
      EXPECT_EQ(icon, QMessageBox::Warning) << what;
      EXPECT_TRUE(windowShown) << what;
      EXPECT_EQ(rowsPainted, c.rowsShown) << what;
      EXPECT_FALSE(program.form.WarningsPending()) << what;
      // The box closed, the window still says so, whole in its tool tip.
      auto* status = qobject_cast<QLabel*>(program.view.widget(MainControl::lblStatus));
      EXPECT_TRUE(status->text().startsWith(QStringLiteral("警告: "))) << what;
      EXPECT_TRUE(status->isVisible()) << what;
      EXPECT_EQ(status->toolTip(), ToQString(frmPellora::WarningText(program.form.Claim()))) << what;
    }
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
