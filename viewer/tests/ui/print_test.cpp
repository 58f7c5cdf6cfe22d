// The clerk's print and preview on screen (Qt's offscreen platform): Ctrl+P
// and the context menu's entries reach Qt's print dialog and preview, the
// pages the dialog asks for go to the PDF file it prints to, read back with
// Poppler, and the paper chosen is the session's.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDate>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTest>

#include "qtprint/page_painter.h"
#include "qtprint/paper.h"
#include "tests/qtprint/poppler.h"
#include "tests/startup/program_folder.h"
#include "tests/ui/grid_menu.h"
#include "tests/ui/next_modal.h"
#include "tests/ui/test_application.h"
#include "ui/main_window_view.h"

namespace pellora::ui {
namespace {

using namespace pellora::testing;
namespace fs = std::filesystem;

class Printing : public ::testing::Test {
 protected:
  // The window on the care-fee example (three pages on A4), or on no claim
  // file at all.
  explicit Printing(bool withClaim = true)
      : form(boxes, files.Environment(withClaim ? U16(files.dir / "care.csv") : u"")) {
    files.WriteDatabase();
    if (withClaim) fs::copy_file(PELLORA_EXAMPLES "/care-fee-claim-202404.csv", files.dir / "care.csv");
    view.Start();
    view.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&view));
  }
  FlexGridView& viewer() { return *view.grid(MainControl::vsfViewer); }
  QPrinter& printer() { return view.printing().printer(form); }
  // The pages of the display on the printer's paper, as the print lays
  // them out.
  int ExpectedPages() {
    return form.DisplayPages(qtprint::SheetOf(printer().pageLayout()), qtprint::TextWidth(), {2024, 4, 1}).Count();
  }
  // The number of pages in the preview the context menu opens.
  int PreviewedPages() {
    int pages = -1;
    NextModal<QPrintPreviewDialog> preview([&](QPrintPreviewDialog& d) {
      pages = d.findChild<QPrintPreviewWidget*>()->pageCount();
      d.reject();
    });
    PickFromMenu(viewer(), frmPellora::kPrintPreviewCaption);
    EXPECT_TRUE(preview.answered());
    return pages;
  }
  void PrintTo(const fs::path& pdf) {
    printer().setOutputFormat(QPrinter::PdfFormat);
    printer().setOutputFileName(ToQString(U16(pdf)));
  }

  QApplication& app = App();  // before any widget
  ProgramFolder files;
  QtMessageBoxes boxes;
  frmPellora form;
  PelloraWindow view{form, boxes};
};

TEST_F(Printing, CtrlPPrintsThePagesAndCopiesTheDialogAsksForAndKeepsThePaperForTheSession) {
  // The first print starts from the form's setup.
  form.KeepPrintSetup({print::Paper::B5, print::Orientation::Portrait});
  EXPECT_EQ(printer().pageLayout().pageSize().id(), QPageSize::JisB5);
  EXPECT_EQ(printer().pageLayout().orientation(), QPageLayout::Portrait);
  // The clerk's choice as the dialog finds it: landscape, the last two
  // pages twice each, into a file. The PDF printer makes no copies of its
  // own: the pages are painted again.
  const fs::path pdf = files.dir / "printed.pdf";
  PrintTo(pdf);
  printer().setPageOrientation(QPageLayout::Landscape);
  const int pages = ExpectedPages();
  printer().setPrintRange(QPrinter::PageRange);
  printer().setFromTo(pages - 1, pages);
  printer().setCopyCount(2);
  printer().setCollateCopies(false);
  ASSERT_FALSE(printer().supportsMultipleCopies());

  NextModal<QPrintDialog> dialog([](QPrintDialog& d) { d.accept(); });
  QTest::keyClick(&viewer(), Qt::Key_P, Qt::ControlModifier);
  ASSERT_TRUE(dialog.answered());
  const std::optional<PdfInfo> info = ReadPdfInfo(pdf);
  ASSERT_TRUE(info) << pdf;
  ASSERT_EQ(info->pages, 4);
  EXPECT_NEAR(info->width, 729, 1);  // JIS B5 lying: 257 by 182 mm
  EXPECT_NEAR(info->height, 516, 1);
  const std::string of = " / " + std::to_string(pages) + " ページ";
  for (int page = 1; page <= 4; ++page)
    EXPECT_NE(PageText(pdf, page).find(std::to_string(pages - (page <= 2)) + of), std::string::npos) << page;
  EXPECT_NE(PageText(pdf, 1).find("介護給付費請求書情報"), std::string::npos);
  EXPECT_EQ(form.PrintSetup(), (print::PageSetup{print::Paper::B5, print::Orientation::Landscape}));
}

TEST_F(Printing, TheMenusPreviewShowsEveryPageWhateverTheLastPrintAskedForAndACancelledPrintPrintsNothing) {
  printer().setPrintRange(QPrinter::PageRange);
  printer().setFromTo(2, 2);
  printer().setCopyCount(2);
  EXPECT_EQ(PreviewedPages(), 3);
  EXPECT_EQ(ExpectedPages(), 3);

  // 印刷... cancelled prints nothing.
  const fs::path pdf = files.dir / "never.pdf";
  PrintTo(pdf);
  NextModal<QPrintDialog> dialog([](QPrintDialog& d) { d.reject(); });
  PickFromMenu(viewer(), frmPellora::kPrintCaption);
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
