// Pellora's windows on screen, on Qt's offscreen platform: what the user
// sees of the main window and its dialogs, and what the user's clicks and
// keys do. The dialogs and message boxes are Qt's real ones, answered by
// the test while they wait for the user.

#include <optional>
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "claim/display_columns.h"
#include "tests/startup/program_folder.h"
#include "tests/ui/next_modal.h"
#include "tests/ui/test_application.h"
#include "ui/application.h"
#include "ui/look.h"
#include "ui/main_window_view.h"

namespace pellora::ui {
namespace {

using namespace pellora::testing;

class Window : public ::testing::Test {
 protected:
  Window() {
    database = files.WriteDatabase();
    claim = files.WriteClaim("2024年04月/claim.csv", KnownAndUnknownPersons());
  }

  // The program with this command line, its window not yet started.
  void Prepare(const std::string& commandLine) {
    view.reset();
    form.emplace(boxes, files.Environment(U16(commandLine)));
    view.emplace(*form, boxes);
  }
  // Starts the program with this command line, its window shown and active.
  void Start(const std::string& commandLine) {
    Prepare(commandLine);
    Show();
  }
  void Show() {
    view->Start();
    if (view->isVisible()) {
      view->activateWindow();
      EXPECT_TRUE(QTest::qWaitForWindowActive(&*view));
      // The warning box of the file, told and answered, before the test.
      EXPECT_TRUE(QTest::qWaitFor([&] { return !form->WarningsPending() && !QApplication::activeModalWidget(); }));
    }
  }

  template <typename W>
  W* Widget(MainControl control) {
    W* widget = qobject_cast<W*>(view->widget(control));
    EXPECT_NE(widget, nullptr);
    return widget;
  }
  QColor Background(MainControl control, QPalette::ColorRole role) {
    return view->widget(control)->palette().color(role);
  }
  // The texts of a view's column, headings aside.
  QStringList Column(MainControl grid, int gridColumn) {
    FlexGridModel& model = view->grid(grid)->gridModel();
    QStringList texts;
    for (int r = 0; r < model.rowCount(); ++r)
      texts << model.data(model.index(r, gridColumn - model.headingCols()), Qt::DisplayRole).toString();
    return texts;
  }

  QApplication& app = App();  // before any widget
  // The test files are small and the check finds errors in them: their
  // warning box is not what these tests are about.
  AnswerWarningBoxes warnings{ToQString(frmPellora::kTitle)};
  ProgramFolder files;
  QtMessageBoxes boxes;
  std::optional<frmPellora> form;
  std::optional<PelloraWindow> view;
  std::filesystem::path database, claim;
};

const QColor kYellow(255, 255, 192), kCyan(192, 255, 255), kPinkColour(255, 192, 192);

TEST_F(Window, ShowsTheClaimFileOfTheCommandLineWithItsControlsCaptionsAndColours) {
  Start(claim.string());
  ASSERT_TRUE(view->isVisible());
  EXPECT_EQ(view->windowTitle(), QStringLiteral("給付管理／介護報酬請求 CSVファイルビューア (%1)").arg(ToQString(U16(claim))));
  // The client area of the normal outer size with the status line below
  // it: the first size and the smallest; the window grows and maximises.
  EXPECT_EQ(view->size(), QSize(666, 528));
  EXPECT_EQ(view->minimumSize(), QSize(666, 528));
  EXPECT_GT(view->maximumWidth(), 4000);
  EXPECT_TRUE(view->windowFlags() & Qt::WindowMaximizeButtonHint);

  const struct {
    MainControl control;
    QRect pixels;
    QString text, toolTip;
  } controls[] = {
      {MainControl::comFileSelect, {8, 464, 101, 33}, "ファイル選択(&O)", "CSVファイルを選択します"},
      {MainControl::cmdJob0, {556, 464, 101, 33}, "閉じる(&C)", "終了します"},
      {MainControl::Command1, {112, 480, 61, 25}, "&DB　名", "参照データベースファイルを指定します"},
      {MainControl::Label1, {116, 460, 53, 17}, "&INI　名", ""},
      {MainControl::lblHeadCaption0, {232, 12, 77, 21}, "処理対象年月", ""},
      {MainControl::lblHead1, {48, 8, 141, 25}, "介護給付費請求書情報", ""},
      {MainControl::lblHead0, {316, 8, 117, 25}, "2024年04月", ""},
      {MainControl::lblHead2, {48, 36, 113, 25}, "1371234567", ""},
      {MainControl::lblHead3, {164, 36, 269, 25}, ToQString(U16(kProviderName)), ""},
  };
  for (const auto& c : controls) {
    QWidget* widget = view->widget(c.control);
    EXPECT_EQ(widget->geometry(), c.pixels) << widget->objectName().toStdString();
    EXPECT_TRUE(widget->isVisible()) << widget->objectName().toStdString();
    EXPECT_EQ(widget->toolTip(), c.toolTip) << widget->objectName().toStdString();
    if (auto* button = qobject_cast<QPushButton*>(widget)) {
      EXPECT_EQ(button->text(), c.text);
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
      EXPECT_EQ(label->text(), c.text);
    }
  }
  EXPECT_EQ(view->grid(MainControl::vsfViewer)->geometry(), QRect(8, 68, 653, 385));
  EXPECT_EQ(view->grid(MainControl::vsfTotal)->geometry(), QRect(436, 8, 225, 53));
  for (const MainControl hidden : {MainControl::vsfCsv, MainControl::vsfSort, MainControl::lblCsvFname})
    EXPECT_FALSE(view->widget(hidden)->isVisible());
  EXPECT_EQ(view->widget(MainControl::lblStatus)->geometry(), QRect(8, 508, 650, 20));

  // Grown, the display grid takes the room, the totals and 閉じる keep to
  // the right edge, the buttons and boxes to the bottom, the header stays.
  view->resize(1266, 928);
  EXPECT_EQ(view->grid(MainControl::vsfViewer)->geometry(), QRect(8, 68, 1253, 785));
  EXPECT_EQ(view->grid(MainControl::vsfTotal)->geometry(), QRect(1036, 8, 225, 53));
  EXPECT_EQ(view->widget(MainControl::cmdJob0)->geometry(), QRect(1156, 864, 101, 33));
  EXPECT_EQ(view->widget(MainControl::lblDBname1)->geometry().top(), 880);
  EXPECT_EQ(view->widget(MainControl::lblStatus)->geometry(), QRect(8, 908, 1250, 20));
  EXPECT_EQ(view->widget(MainControl::lblHead3)->geometry(), QRect(164, 36, 269, 25));
  view->resize(666, 528);

  // The path boxes and their colours.
  EXPECT_EQ(Widget<QLineEdit>(MainControl::lblDBname0)->text(),
            QStringLiteral("設定ファイルがありません: ") + ToQString(files.Folder()) + "/velkar.ini");
  EXPECT_EQ(Background(MainControl::lblDBname0, QPalette::Base), kPinkColour);  // no velkar.ini
  EXPECT_EQ(Widget<QLineEdit>(MainControl::lblDBname1)->text(), ToQString(U16(database)));
  EXPECT_EQ(Background(MainControl::lblDBname1, QPalette::Base), kYellow);
  EXPECT_EQ(Background(MainControl::lblHead3, QPalette::Window), kYellow);
  EXPECT_EQ(Background(MainControl::lblHead1, QPalette::Window), QGuiApplication::palette().color(QPalette::Base));
  EXPECT_EQ(view->palette().color(QPalette::Window), QGuiApplication::palette().color(QPalette::Button));

  // The display grid: headings, the hidden insurer column, the names and
  // their colours, four service-kind columns of one width.
  FlexGridView* grid = view->grid(MainControl::vsfViewer);
  FlexGridModel& model = grid->gridModel();
  ASSERT_EQ(model.rowCount(), 3);
  EXPECT_EQ(model.headerData(viewer_col::kName - 1, Qt::Horizontal, Qt::DisplayRole).toString(), "氏名");
  EXPECT_TRUE(grid->isColumnHidden(viewer_col::kInsurer - 1));
  EXPECT_EQ(grid->columnWidth(viewer_col::kName - 1), 100);
  EXPECT_EQ(grid->columnWidth(viewer_col::kYearMonth - 1), 67);
  for (const int col : kServiceKindColumns)
    EXPECT_EQ(grid->columnWidth(col - 1), grid->columnWidth(viewer_col::kFirstService - 1));
  EXPECT_EQ(Column(MainControl::vsfViewer, viewer_col::kName), (QStringList{"髙橋 一郎", "鈴木～花子", ""}));
  const auto nameColour = [&](int row) {
    return model.data(model.index(row, viewer_col::kName - 1), Qt::BackgroundRole).value<QBrush>().color();
  };
  EXPECT_EQ(nameColour(0), kYellow);
  EXPECT_EQ(nameColour(2), kCyan);
  EXPECT_EQ(Column(MainControl::vsfTotal, total_col::kMonth), (QStringList{"2024/03", "2024/04"}));
  EXPECT_FALSE(view->grid(MainControl::vsfTotal)->isColumnHidden(total_col::kCarePlans));
}

TEST_F(Window, TheTabOrderAndTheAccessKeys) {
  Start("");
  // Tab visits the controls that take the focus in the design's order.
  const MainControl order[] = {MainControl::comFileSelect, MainControl::cmdJob0,  MainControl::lblDBname0,
                               MainControl::Command1,      MainControl::lblDBname1, MainControl::vsfTotal,
                               MainControl::vsfViewer};
  view->widget(order[0])->setFocus();
  for (std::size_t i = 1; i < std::size(order); ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), view->widget(order[i])) << i;
  }

  // Alt+I: the settings-file box, its text all selected for copying.
  QTest::keyClick(&*view, Qt::Key_I, Qt::AltModifier);
  QLineEdit* settings = Widget<QLineEdit>(MainControl::lblDBname0);
  EXPECT_EQ(QApplication::focusWidget(), settings);
  QTest::qWait(20);
  EXPECT_EQ(settings->selectedText(), settings->text());
  // A click into the database box selects all of it as well.
  QLineEdit* databaseBox = Widget<QLineEdit>(MainControl::lblDBname1);
  QTest::mouseClick(databaseBox, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::qWait(20);
  EXPECT_EQ(databaseBox->selectedText(), databaseBox->text());

  // Alt+D: the database dialog; Alt+O: the file dialog; both cancelled.
  NextModal<SetDBnameView> databaseDialog([](SetDBnameView& d) { QTest::keyClick(&d, Qt::Key_Escape); });
  // A button's access key presses it the way a click would, a moment later.
  QTest::keyClick(&*view, Qt::Key_D, Qt::AltModifier);
  EXPECT_TRUE(QTest::qWaitFor([&] { return databaseDialog.answered(); }));
  NextModal<QFileDialog> fileDialog([](QFileDialog& d) { d.reject(); });
  view->activateWindow();  // back from the dialog
  ASSERT_TRUE(QTest::qWaitForWindowActive(&*view));
  QTest::keyClick(&*view, Qt::Key_O, Qt::AltModifier);
  EXPECT_TRUE(QTest::qWaitFor([&] { return fileDialog.answered(); }));
  EXPECT_FALSE(form->Unloaded());

  // Alt+C: closes the window and so ends the program.
  view->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&*view));
  QTest::keyClick(&*view, Qt::Key_C, Qt::AltModifier);
  EXPECT_TRUE(QTest::qWaitFor([&] { return form->Unloaded(); }));
  EXPECT_FALSE(view->isVisible());
}

TEST_F(Window, FileSelectOpensTheFileDialogOverAClearedDisplay) {
  Start(claim.string());
  const auto other = files.WriteClaim("他のフォルダ/README", KnownAndUnknownPersons());  // no dot in the name
  bool clearedWhileShown = false;
  QStringList filters, listedBy;
  QString selectedFilter, folder;
  NextModal<QFileDialog> choose([&](QFileDialog& d) {
    clearedWhileShown = view->windowTitle() == ToQString(frmPellora::kTitle) &&
                        view->grid(MainControl::vsfViewer)->gridModel().rowCount() == 0 &&
                        Widget<QLabel>(MainControl::lblHead1)->text().isEmpty();
    filters = d.nameFilters();
    selectedFilter = d.selectedNameFilter();
    folder = d.directory().absolutePath();
    d.selectNameFilter(filters.value(2));
    emit d.filterSelected(filters.value(2));
    if (auto* files = d.findChild<QFileSystemModel*>()) listedBy = files->nameFilters();
    // Typed whole, as a user does: selectFile leaves the name box alone
    // once that box has the focus, which a loaded machine gives it before
    // this answer runs or after, and the dialog then opened the folder.
    d.findChild<QLineEdit*>()->setText(ToQString(U16(other)));
    static_cast<QDialog&>(d).accept();  // as the dialog's Open button does
  });
  QTest::mouseClick(view->widget(MainControl::comFileSelect), Qt::LeftButton);
  ASSERT_TRUE(choose.answered());
  EXPECT_TRUE(clearedWhileShown);
  EXPECT_EQ(filters, (QStringList{"CSV ファイル (*.csv)", "テキスト ファイル (*.txt)", "すべてのファイル (*.*)"}));
  EXPECT_EQ(selectedFilter, filters.value(0));
  EXPECT_EQ(folder, ToQString(U16(claim.parent_path())));
  EXPECT_EQ(listedBy, QStringList{"*"});
  EXPECT_EQ(view->windowTitle(), QStringLiteral("給付管理／介護報酬請求 CSVファイルビューア (%1)").arg(ToQString(U16(other))));
  EXPECT_EQ(view->grid(MainControl::vsfViewer)->gridModel().rowCount(), 3);

  // Cancelled: the previous file is offered again in its folder, and the
  // display stays cleared.
  QString offered;
  NextModal<QFileDialog> cancel([&](QFileDialog& d) {
    folder = d.directory().absolutePath();
    offered = d.findChild<QLineEdit*>()->text();
    d.reject();
  });
  QTest::mouseClick(view->widget(MainControl::comFileSelect), Qt::LeftButton);
  ASSERT_TRUE(cancel.answered());
  EXPECT_EQ(folder, ToQString(U16(other.parent_path())));
  EXPECT_EQ(offered, "README");
  EXPECT_EQ(view->windowTitle(), ToQString(frmPellora::kTitle));
  EXPECT_EQ(view->grid(MainControl::vsfViewer)->gridModel().rowCount(), 0);
  EXPECT_EQ(view->grid(MainControl::vsfTotal)->gridModel().rowCount(), 0);
}

TEST_F(Window, TheDatabaseDialogAsksForAnotherDatabase) {
  Start(claim.string());
  QString caption, offered, registerText, cancelText;
  bool registerIsDefault = false;
  QSize size;
  NextModal<SetDBnameView> missing([&](SetDBnameView& d) {
    caption = d.windowTitle();
    size = d.size();
    offered = d.Text1()->text();
    registerText = d.Command1(0)->text();
    cancelText = d.Command1(1)->text();
    registerIsDefault = d.Command1(0)->isDefault();
    EXPECT_EQ(d.focusWidget(), d.Text1());  // the box has the focus when the dialog is active
    d.Text1()->setText("/nonexistent/data.qdr");
    QTest::keyClick(d.Text1(), Qt::Key_Return);  // the default button
  });
  QTest::mouseClick(view->widget(MainControl::Command1), Qt::LeftButton);
  ASSERT_TRUE(missing.answered());
  EXPECT_EQ(caption, "データベースファイル設定");
  EXPECT_EQ(size, QSize(475, 105));
  EXPECT_EQ(offered, ToQString(U16(database)));
  EXPECT_EQ(registerText, "登　録");
  EXPECT_EQ(cancelText, "キャンセル");
  EXPECT_TRUE(registerIsDefault);
  EXPECT_EQ(Widget<QLineEdit>(MainControl::lblDBname1)->text(), "データベースが見つかりません: /nonexistent/data.qdr");
  EXPECT_TRUE(qobject_cast<QLabel*>(view->widget(MainControl::lblStatus))
                  ->toolTip()
                  .startsWith("データベースを開けません: /nonexistent/data.qdr。"));
  EXPECT_EQ(Background(MainControl::lblDBname1, QPalette::Base), kPinkColour);
  EXPECT_EQ(view->windowTitle(), ToQString(frmPellora::kTitle));
  EXPECT_EQ(view->grid(MainControl::vsfViewer)->gridModel().rowCount(), 0);

  // The sound database again, browsed for with 参照..., whose file dialog
  // starts in the folder of the path in the box and lists the database
  // files first.
  QString browseFolder, browseFilter;
  NextModal<SetDBnameView> found([&](SetDBnameView& d) {
    EXPECT_EQ(d.Command2()->text(), "参照...");
    d.Text1()->setText(ToQString(files.Folder() + u"/missing.qdr"));
    NextModal<QFileDialog> browse([&](QFileDialog& f) {
      browseFolder = f.directory().absolutePath();
      browseFilter = f.selectedNameFilter();
      f.findChild<QLineEdit*>()->setText(ToQString(U16(database)));
      static_cast<QDialog&>(f).accept();
    });
    QTest::mouseClick(d.Command2(), Qt::LeftButton);
    EXPECT_TRUE(browse.answered());
    EXPECT_EQ(d.Text1()->text(), ToQString(U16(database)));
    QTest::mouseClick(d.Command1(0), Qt::LeftButton);
  });
  QTest::mouseClick(view->widget(MainControl::Command1), Qt::LeftButton);
  ASSERT_TRUE(found.answered());
  EXPECT_EQ(browseFolder, ToQString(files.Folder()));
  EXPECT_TRUE(browseFilter.startsWith("データベース ファイル")) << browseFilter.toStdString();
  EXPECT_TRUE(form->DBFound());
  EXPECT_EQ(Background(MainControl::lblDBname1, QPalette::Base), kYellow);

  // Typed, then closed through the frame: nothing changes.
  NextModal<SetDBnameView> closed([&](SetDBnameView& d) {
    d.Text1()->setText("/nonexistent/other.qdr");
    d.close();
  });
  QTest::mouseClick(view->widget(MainControl::Command1), Qt::LeftButton);
  ASSERT_TRUE(closed.answered());
  EXPECT_TRUE(form->DBFound());
  EXPECT_EQ(Widget<QLineEdit>(MainControl::lblDBname1)->text(), ToQString(U16(database)));
}

TEST_F(Window, AClickOnAColumnHeadingSortsTheDisplayByIt) {
  Start(claim.string());
  FlexGridView* grid = view->grid(MainControl::vsfViewer);
  QHeaderView* headings = grid->horizontalHeader();
  const int section = viewer_col::kName - 1;
  QTest::mouseClick(headings->viewport(), Qt::LeftButton, {},
                    QPoint(headings->sectionViewportPosition(section) + 5, headings->height() / 2));
  EXPECT_EQ(Column(MainControl::vsfViewer, viewer_col::kName), (QStringList{"", "鈴木～花子", "髙橋 一郎"}));
  const int insured = viewer_col::kInsured - 1;
  QTest::mouseClick(headings->viewport(), Qt::LeftButton, {},
                    QPoint(headings->sectionViewportPosition(insured) + 5, headings->height() / 2));
  EXPECT_EQ(Column(MainControl::vsfViewer, viewer_col::kInsured),
            (QStringList{"0000000001", "0000000003", "0000009999"}));
  EXPECT_EQ(Column(MainControl::vsfTotal, total_col::kPersons), (QStringList{"2", "1"}));
}

TEST_F(Window, DebugModeShowsTheWorkingGridsInTheDesignSize) {
  Start("/debug");
  ASSERT_TRUE(view->isVisible());
  // The design's client area and the status line: the smallest.
  EXPECT_EQ(view->size(), QSize(922, 791));
  EXPECT_EQ(view->minimumSize(), QSize(922, 791));
  for (const MainControl control : {MainControl::vsfCsv, MainControl::vsfSort, MainControl::lblCsvFname})
    EXPECT_TRUE(view->widget(control)->isVisible());
  EXPECT_EQ(view->widget(MainControl::vsfCsv)->geometry(), QRect(16, 512, 893, 205));
  // Taller, the grids above and the raw record grid below share the room.
  view->resize(922, 991);
  EXPECT_EQ(view->widget(MainControl::vsfViewer)->geometry(), QRect(8, 68, 653, 485));
  EXPECT_EQ(view->widget(MainControl::vsfCsv)->geometry(), QRect(16, 612, 893, 305));
  EXPECT_EQ(view->widget(MainControl::lblCsvFname)->geometry().top(), 924);
}

// The working grids are handed the claim and write it when a view looks:
// in debug mode their views show it as soon as the display is done, the
// raw grid's records in file order, the sort grid's by year-month and
// person.
TEST_F(Window, DebugModeShowsTheClaimInTheWorkingGrids) {
  Start("/debug");
  form->DropFiles({U16(claim.string())});
  QTest::qWait(50);  // the views catch up once the routine has returned
  EXPECT_EQ(Column(MainControl::vsfCsv, 3), (QStringList{"7131", "7131", "7132", ""}));
  // Row 0, the control record, is the raw grid's heading row.
  EXPECT_EQ(view->grid(MainControl::vsfCsv)->gridModel().headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
            "1");
  EXPECT_EQ(Column(MainControl::vsfSort, 2), (QStringList{"0000000001", "0000000003", "0000009999"}));
}

TEST_F(Window, MessageBoxesHaveTheirIconOneOkButtonAndTheirTitle) {
  // A claim file that is not there: the loading step's message.
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  int buttons = 0;
  NextModal<QMessageBox> loadMessage([&](QMessageBox& box) {
    title = box.windowTitle();
    text = box.text();
    icon = box.icon();
    buttons = static_cast<int>(box.buttons().size());
    box.button(QMessageBox::Ok)->click();
  });
  Start((files.dir / "missing.csv").string());
  ASSERT_TRUE(loadMessage.answered());
  EXPECT_EQ(title, "Pellora");
  EXPECT_EQ(text, "53:ファイルが見つかりません。");
  EXPECT_EQ(icon, QMessageBox::Critical);
  EXPECT_EQ(buttons, 1);
  EXPECT_TRUE(view->isVisible());
}

class FailingGrid : public GridListener {
 public:
  void RowsChanged(int, int) override { throw GridError(380); }
};

TEST_F(Window, AStartUpFailureIsReportedAndTheWindowNeverShows) {
  FailingGrid failing;
  Prepare("");
  form->GridOf(MainControl::vsfTotal)->AddListener(&failing);
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  NextModal<QMessageBox> message([&](QMessageBox& box) {
    title = box.windowTitle();
    text = box.text();
    icon = box.icon();
    box.button(QMessageBox::Ok)->click();
  });
  Show();
  form->GridOf(MainControl::vsfTotal)->RemoveListener(&failing);
  ASSERT_TRUE(message.answered());
  EXPECT_EQ(title, "エラーメッセージ");
  EXPECT_EQ(text, "集計エリアの初期化に失敗しました。");
  EXPECT_EQ(icon, QMessageBox::Critical);
  EXPECT_TRUE(form->Unloaded());
  EXPECT_FALSE(view->isVisible());
}

}  // namespace
}  // namespace pellora::ui
