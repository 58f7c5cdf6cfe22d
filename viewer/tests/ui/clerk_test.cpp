// The clerk's commands on screen (Qt's offscreen platform): the clipboard
// after Ctrl+A and Ctrl+C, the display saved through the context menu and
// the real save dialog, the find box's keys, and a claim file dropped on
// the window.

#include <gtest/gtest.h>

#include <QApplication>
#include <algorithm>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <sstream>

#include "claim/display_columns.h"
#include "tests/startup/program_folder.h"
#include "tests/ui/grid_menu.h"
#include "tests/ui/next_modal.h"
#include "ui/check_window_view.h"
#include "tests/ui/test_application.h"
#include "ui/application.h"
#include "ui/look.h"
#include "ui/main_window_view.h"

namespace pellora::ui {
namespace {

using namespace pellora::testing;
namespace fs = std::filesystem;

std::string Bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

class Clerk : public ::testing::Test {
 protected:
  Clerk() {
    files.WriteDatabase();
    claim = files.WriteClaim("claims/claim.csv", KnownAndUnknownPersons());
    view.Start();
    view.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&view));
    // The warning box of the file, told and answered, before the test.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form.WarningsPending() && !QApplication::activeModalWidget(); }));
  }
  FlexGridView& viewer() { return *view.grid(MainControl::vsfViewer); }

  void PickFromMenu(std::u16string_view caption) { ui::PickFromMenu(viewer(), caption); }

  QApplication& app = App();  // before any widget
  // The test files are small and the check finds errors in them: their
  // warning box is not what these tests are about.
  AnswerWarningBoxes warnings{ToQString(frmPellora::kTitle)};
  ProgramFolder files;
  QtMessageBoxes boxes;
  frmPellora form{boxes, files.Environment(U16(files.dir / "claims/claim.csv"))};
  PelloraWindow view{form, boxes};
  fs::path claim;
};

TEST_F(Clerk, CtrlAAndCtrlCPutTheWholeDisplayOnTheClipboardWithItsHeadings) {
  viewer().setFocus();
  QTest::keyClick(&viewer(), Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(&viewer(), Qt::Key_C, Qt::ControlModifier);
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(data, nullptr);
  // The hidden insurer column is left out; the numbers are as shown.
  EXPECT_EQ(data->text(),
            "年月\t被保険者番号\t氏名\t　訪問看護　\t予防訪問看護\t　居宅療養　\t予防居宅療養\r\n"
            "2024年03月\t0000000001\t髙橋 一郎\t300\t\t\t\r\n"
            "2024年03月\t0000000003\t鈴木～花子\t\t120\t\t\r\n"
            "2024年04月\t0000009999\t\t\t\t80\t\r\n");
  EXPECT_TRUE(data->html().contains("<td x:str style='mso-number-format:\"\\@\"'>0000000001</td>"));
  // The view shows the grid's selection: every row.
  QTRY_COMPARE(viewer().selectionModel()->selectedRows().size(), 3);

  // A cell the user selects is what is copied next.
  viewer().setCurrentIndex(viewer().model()->index(1, viewer_col::kInsured - 1));
  QTest::keyClick(&viewer(), Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "0000000003\r\n");
  // Ctrl+Insert, the desktops' other copy key, copies the same way.
  viewer().setCurrentIndex(viewer().model()->index(0, viewer_col::kInsured - 1));
  QTest::keyClick(&viewer(), Qt::Key_Insert, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "0000000001\r\n");
}

TEST_F(Clerk, TheContextMenuSavesTheDisplayAndAsksBeforeReplacing) {
  const fs::path target = files.dir / "saved.csv";
  QString offered;
  NextModal<QFileDialog> save([&](QFileDialog& d) {
    offered = d.findChild<QLineEdit*>()->text();
    EXPECT_TRUE(d.testOption(QFileDialog::DontConfirmOverwrite));
    d.findChild<QLineEdit*>()->setText(ToQString(U16(target)));  // typed whole
    static_cast<QDialog&>(d).accept();
  });
  PickFromMenu(frmPellora::kSaveDisplayCaption);
  ASSERT_TRUE(save.answered());
  EXPECT_EQ(offered, "claim_表示.csv");
  const std::string saved = Bytes(target);
  EXPECT_TRUE(saved.starts_with("\xEF\xBB\xBF\"種類\",\"介護給付費請求書情報\"\r\n")) << saved;

  std::ofstream(target, std::ios::binary) << "kept";
  QStringList buttons;
  NextModal<QFileDialog> again([&](QFileDialog& d) {
    d.findChild<QLineEdit*>()->setText(ToQString(U16(target)));  // typed whole
    static_cast<QDialog&>(d).accept();
  });
  NextModal<QMessageBox> question([&](QMessageBox& box) {
    for (QAbstractButton* b : box.buttons()) buttons << b->text();
    buttons << box.defaultButton()->text();
    box.button(QMessageBox::No)->click();
  });
  PickFromMenu(frmPellora::kSaveDisplayCaption);
  ASSERT_TRUE(again.answered());
  ASSERT_TRUE(question.answered()) << Bytes(target);
  buttons.sort();
  EXPECT_EQ(buttons, (QStringList{"いいえ", "いいえ", "はい"}));
  EXPECT_EQ(Bytes(target), "kept");
}

TEST_F(Clerk, CtrlFEnterAndF3MoveTheCurrentRowAndNoMatchIsSaidInTheBox) {
  QTest::keyClick(&view, Qt::Key_F, Qt::ControlModifier);
  FindBox* box = view.findBox();
  ASSERT_TRUE(box->isVisible());
  // Over the display grid, inside it.
  EXPECT_TRUE(viewer().geometry().contains(box->geometry()));
  QTRY_VERIFY(box->edit()->hasFocus());
  QTest::keyClicks(box->edit(), "0000");
  QTest::keyClick(box->edit(), Qt::Key_Return);
  EXPECT_EQ(form.vsfViewer().Row(), 1);
  QTest::keyClick(box->edit(), Qt::Key_F3);
  EXPECT_EQ(form.vsfViewer().Row(), 2);
  QTest::keyClick(box->edit(), Qt::Key_F3, Qt::ShiftModifier);
  EXPECT_EQ(form.vsfViewer().Row(), 1);
  QTest::keyClick(box->edit(), Qt::Key_F3, Qt::ShiftModifier);
  EXPECT_EQ(form.vsfViewer().Row(), 3);  // round past the first row
  QTRY_COMPARE(viewer().currentIndex().row(), 2);
  EXPECT_EQ(viewer().selectionModel()->selectedRows().size(), 1);  // the whole row

  box->edit()->clear();
  box->edit()->insert("すずき");  // as an input method hands it over
  QTest::keyClick(box->edit(), Qt::Key_Return);
  const QLabel* status = box->findChild<QLabel*>("FindStatus");
  EXPECT_TRUE(status->isVisible());
  EXPECT_EQ(status->text(), ToQString(frmPellora::kFindNoMatch));
  EXPECT_TRUE(viewer().geometry().contains(box->geometry()));
  EXPECT_EQ(form.vsfViewer().Row(), 3);
  QTest::keyClick(box->edit(), Qt::Key_Escape);
  EXPECT_FALSE(box->isVisible());
  QTRY_VERIFY(viewer().hasFocus());

  // F3 with the box closed searches for its text at once, and the box
  // opens again to say what became of it.
  box->edit()->setText("0000");
  QTest::keyClick(&viewer(), Qt::Key_F3);
  EXPECT_TRUE(box->isVisible());
  EXPECT_EQ(form.vsfViewer().Row(), 1);  // round past the last row
  EXPECT_FALSE(status->isVisible());
}

TEST_F(Clerk, ADroppedClaimFileIsShown) {
  const fs::path other = files.WriteClaim("other/april.csv", KnownAndUnknownPersons());
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(ToQString(U16(other))), QUrl::fromLocalFile(ToQString(U16(claim)))});
  const QPoint at = view.rect().center();
  QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&view, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&view, &drop);
  QTRY_COMPARE(view.windowTitle(), QStringLiteral("給付管理／介護報酬請求 CSVファイルビューア (%1)").arg(ToQString(U16(other))));
  EXPECT_EQ(form.LastFolder(), U16(other.parent_path()));
  EXPECT_EQ(viewer().model()->rowCount(), 3);

  // A web page's link is no claim file: the drag is refused.
  QMimeData link;
  link.setUrls({QUrl("https://example.invalid/claim.csv")});
  QDragEnterEvent refused(at, Qt::CopyAction, &link, Qt::LeftButton, Qt::NoModifier);
  refused.ignore();
  QApplication::sendEvent(&view, &refused);
  EXPECT_FALSE(refused.isAccepted());
}

// Ctrl+K: the check's window over the display; Enter on a finding of a
// person's record selects that person's row behind it; Esc closes it and
// changes nothing else.
TEST_F(Clerk, CtrlKOpensTheCheckAndAFindingSelectsItsPersonsRow) {
  const check::Report& report = *form.Claim().check;
  const auto person = std::ranges::find_if(report.findings, [&](const check::Finding& f) {
    return !f.insuredNumber.empty() && RowOfPerson(form.Claim(), f.serviceMonth, f.insuredNumber, f.insurerNumber);
  });
  ASSERT_NE(person, report.findings.end());
  const int row = static_cast<int>(person - report.findings.begin()) + 1;
  QString title;
  int shownRows = -1;
  NextModal<CheckWindowView> check([&](CheckWindowView& window) {
    title = window.windowTitle();
    FlexGridView& findings = *window.grid(CheckControl::vsfFindings);
    shownRows = findings.model()->rowCount();
    findings.setCurrentIndex(findings.model()->index(row - 1, 0));
    QTest::keyClick(&findings, Qt::Key_Return);
    QTest::keyClick(&findings, Qt::Key_Escape);
  });
  QTest::keyClick(&viewer(), Qt::Key_K, Qt::ControlModifier);
  ASSERT_TRUE(check.answered());
  EXPECT_EQ(title, QStringLiteral("点検 - claim.csv"));
  EXPECT_EQ(shownRows, static_cast<int>(report.findings.size()));
  EXPECT_EQ(form.vsfViewer().TextMatrix(form.vsfViewer().Row(), viewer_col::kInsured), person->insuredNumber);
  EXPECT_TRUE(QTest::qWaitFor([] { return !QApplication::activeModalWidget(); }));
}

}  // namespace
}  // namespace pellora::ui
