// The clerk's print and preview on screen (Qt's offscreen platform): Ctrl+P
// and the context menu's entries reach Qt's print dialog and preview, the
// pages go to the PDF file the dialog prints to, read back with Poppler,
// and the paper chosen is the session's.

#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QDate>
#include <QMenu>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTest>
#include <QTimer>

#include "qtprint/page_painter.h"
#include "qtprint/paper.h"
#include "tests/qtprint/poppler.h"
#include "tests/startup/program_folder.h"
#include "tests/ui/next_modal.h"
#include "tests/ui/test_application.h"
#include "ui/look.h"
#include "ui/main_window_view.h"

namespace pellora::ui {
namespace {

using namespace pellora::testing;
namespace fs = std::filesystem;

class Printing : public ::testing::Test {
 protected:
  // The window on the care-fee example (three pages on A4), or on no claim
  // file at all.
  explicit Printing(bool withClaim = true) {
    form.ProgramFolder = files.window.ProgramFolder;
    form.SettingsFolders = files.window.SettingsFolders;
    files.WriteDatabase();
    if (withClaim) {
      fs::copy_file(PELLORA_EXAMPLES "/care-fee-claim-202404.csv", files.dir / "care.csv");
      form.CommandLine = U16(files.dir / "care.csv");
    }
    view.Start();
    view.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&view));
  }
  FlexGridView& viewer() { return *view.grid(MainControl::vsfViewer); }
  QPrinter& printer() { return view.printing().printer(form); }
  // The display laid out on the printer's paper as the print lays it out.
  print::Pages Expected() {
    const QDate today = QDate::currentDate();
    return form.DisplayPages(qtprint::SheetOf(printer().pageLayout()), qtprint::TextWidth(),
                             {today.year(), today.month(), today.day()});
  }
  // The number of pages in the preview the context menu opens.
  int PreviewedPages() {
    int pages = -1;
    NextModal<QPrintPreviewDialog> preview([&](QPrintPreviewDialog& d) {
      pages = d.findChild<QPrintPreviewWidget*>()->pageCount();
      d.reject();
    });
    PickFromMenu(frmPellora::kPrintPreviewCaption);
    EXPECT_TRUE(preview.answered());
    return pages;
  }
  void PickFromMenu(std::u16string_view caption) {
    bool picked = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (!menu || picked) return;
      for (QAction* action : menu->actions()) {
        if (action->text() != ToQString(caption)) continue;
        picked = true;
        menu->setActiveAction(action);
        QTest::keyClick(menu, Qt::Key_Return);
      }
    });
    poll.start(10);
    const QPoint at = viewer().viewport()->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, viewer().viewport()->mapToGlobal(at));
    QApplication::sendEvent(viewer().viewport(), &event);
    EXPECT_TRUE(picked);
  }

  QApplication& app = App();  // before any widget
  ProgramFolder files;
  QtMessageBoxes boxes;
  frmPellora form{boxes};
  PelloraWindow view{form, boxes};
};

TEST_F(Printing, CtrlPPrintsThePagesWhereTheDialogSaysAndKeepsThePaperForTheSession) {
  // The first print starts from the form's setup.
  form.PrintSetup = {print::Paper::B5, print::Orientation::Portrait};
  EXPECT_EQ(printer().pageLayout().pageSize().id(), QPageSize::JisB5);
  EXPECT_EQ(printer().pageLayout().orientation(), QPageLayout::Portrait);
  // The clerk's choice as the dialog finds it: landscape, into a file.
  const fs::path pdf = files.dir / "printed.pdf";
  printer().setOutputFormat(QPrinter::PdfFormat);
  printer().setOutputFileName(ToQString(U16(pdf)));
  printer().setPageOrientation(QPageLayout::Landscape);

  NextModal<QPrintDialog> dialog([](QPrintDialog& d) { d.accept(); });
  QTest::keyClick(&viewer(), Qt::Key_P, Qt::ControlModifier);
  ASSERT_TRUE(dialog.answered());

  const print::Pages expected = Expected();
  const std::optional<PdfInfo> info = ReadPdfInfo(pdf);
  ASSERT_TRUE(info) << pdf;
  EXPECT_EQ(info->pages, expected.Count());
  EXPECT_GT(info->pages, 1);
  EXPECT_NEAR(info->width, 729, 1);  // JIS B5 lying: 257 by 182 mm
  EXPECT_NEAR(info->height, 516, 1);
  const std::string first = PageText(pdf, 1);
  EXPECT_NE(first.find("介護給付費請求書情報"), std::string::npos) << first;
  EXPECT_NE(first.find(U8(form.Claim().rows.front().insured)), std::string::npos) << first;
  const std::string count = std::to_string(expected.Count());
  EXPECT_NE(PageText(pdf, expected.Count()).find(count + " / " + count + " ページ"), std::string::npos);
  EXPECT_EQ(form.PrintSetup, (print::PageSetup{print::Paper::B5, print::Orientation::Landscape}));
}

// The PDF printer makes no copies of its own: the pages are painted again,
// each twice when uncollated.
TEST_F(Printing, ThePagesAndCopiesTheDialogAsksForArePrinted) {
  const fs::path pdf = files.dir / "pages.pdf";
  printer().setOutputFormat(QPrinter::PdfFormat);
  printer().setOutputFileName(ToQString(U16(pdf)));
  printer().setPrintRange(QPrinter::PageRange);
  printer().setFromTo(2, 3);
  printer().setCopyCount(2);
  printer().setCollateCopies(false);
  ASSERT_FALSE(printer().supportsMultipleCopies());

  NextModal<QPrintDialog> dialog([](QPrintDialog& d) { d.accept(); });
  QTest::keyClick(&view, Qt::Key_P, Qt::ControlModifier);
  ASSERT_TRUE(dialog.answered());
  const std::optional<PdfInfo> info = ReadPdfInfo(pdf);
  ASSERT_TRUE(info);
  ASSERT_EQ(info->pages, 4);
  const char* const footers[] = {"2 / 3 ページ", "2 / 3 ページ", "3 / 3 ページ", "3 / 3 ページ"};
  for (int page = 1; page <= 4; ++page)
    EXPECT_NE(PageText(pdf, page).find(footers[page - 1]), std::string::npos) << page;
}

TEST_F(Printing, TheMenusPreviewShowsEveryPageWhateverTheLastPrintAskedFor) {
  printer().setPrintRange(QPrinter::PageRange);
  printer().setFromTo(2, 2);
  printer().setCopyCount(2);
  EXPECT_EQ(PreviewedPages(), Expected().Count());
  EXPECT_EQ(Expected().Count(), 3);
}

TEST_F(Printing, ACancelledPrintDialogPrintsNothing) {
  const fs::path pdf = files.dir / "never.pdf";
  printer().setOutputFormat(QPrinter::PdfFormat);
  printer().setOutputFileName(ToQString(U16(pdf)));
  NextModal<QPrintDialog> dialog([](QPrintDialog& d) { d.reject(); });
  PickFromMenu(frmPellora::kPrintCaption);
  ASSERT_TRUE(dialog.answered());
  EXPECT_FALSE(fs::exists(pdf));
}

class PrintingNothing : public Printing {
 protected:
  PrintingNothing() : Printing(false) {}
};

TEST_F(PrintingNothing, AnEmptyDisplayPreviewsAsOnePage) { EXPECT_EQ(PreviewedPages(), 1); }

}  // namespace
}  // namespace pellora::ui
