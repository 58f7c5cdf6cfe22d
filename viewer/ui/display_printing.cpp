#include "ui/display_printing.h"

#include <QDate>
#include <QFile>
#include <QPageRanges>
#include <QPaintEngine>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>

#include "qtprint/page_painter.h"
#include "qtprint/paper.h"
#include "ui/look.h"

namespace pellora::ui {
namespace {

// A print that takes longer than this shows its progress, with a cancel.
constexpr int kProgressAfterMs = 500;

constexpr std::u16string_view kPrinting = u"印刷しています...";
constexpr std::u16string_view kPreparingPreview = u"プレビューを作っています...";
constexpr std::u16string_view kCancel = u"キャンセル";
constexpr std::u16string_view kPrintFailed = u"印刷できませんでした。プリンターの設定と出力先を確かめてください。";

common::CivilDate Today() {
  const QDate today = QDate::currentDate();
  return {today.year(), today.month(), today.day()};
}

// The pages of the job the dialog set up: its range (from a page to a
// page, or a list such as "1,3-5" where a dialog takes one), and its copies
// where the printer does not make them itself.
std::vector<int> PagesOfJob(const QPrinter& printer, int count) {
  const bool range = printer.printRange() == QPrinter::PageRange;
  const int copies = printer.supportsMultipleCopies() ? 1 : printer.copyCount();
  std::vector<int> pages = print::PagesToPrint(count, range ? printer.fromPage() : 0, range ? printer.toPage() : 0,
                                               copies, printer.collateCopies());
  const QPageRanges ranges = printer.pageRanges();
  if (range && !ranges.isEmpty()) std::erase_if(pages, [&ranges](int page) { return !ranges.contains(page + 1); });
  return pages;
}

std::vector<int> EveryPage(int count) { return print::PagesToPrint(count, 0, 0); }

// Qt's preview paints on the printer through an engine of its own, which
// records each page as a picture; printing from the preview paints on the
// printer's own engine.
bool Previewing(QPrinter& printer) {
  const QPaintEngine* engine = printer.paintEngine();
  return engine && engine->type() == QPaintEngine::Picture;
}

}  // namespace

DisplayPrinting::DisplayPrinting(QWidget* parent, MessageBoxes& boxes) : parent_(parent), boxes_(boxes) {}

DisplayPrinting::~DisplayPrinting() = default;

QPrinter& DisplayPrinting::printer(const frmPellora& form) {
  if (!printer_) {
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    // The painter's origin at the paper's corner, and no margins of the
    // printer's own: the pages keep theirs, within what the printer can
    // reach.
    printer_->setFullPage(true);
    printer_->setPageSize(QPageSize(qtprint::PageSizeIdOf(form.PrintSetup().paper)));
    printer_->setPageOrientation(form.PrintSetup().orientation == print::Orientation::Landscape
                                     ? QPageLayout::Landscape
                                     : QPageLayout::Portrait);
    printer_->setPageMargins(QMarginsF(), QPageLayout::Point);
  }
  return *printer_;
}

print::Pages DisplayPrinting::LayOut(const frmPellora& form, QPrinter& printer) const {
  return form.DisplayPages(qtprint::SheetOf(printer.pageLayout()), qtprint::TextWidth(), Today());
}

void DisplayPrinting::KeepSetup(frmPellora& form, const QPrinter& printer) const {
  const QPageLayout layout = printer.pageLayout();
  // A paper the pages have no name for stays the printer's own for the
  // session; the form keeps the last one it can name.
  print::PageSetup setup = form.PrintSetup();
  if (const std::optional<print::Paper> paper = qtprint::PaperOf(layout.pageSize().id())) setup.paper = *paper;
  setup.orientation =
      layout.orientation() == QPageLayout::Landscape ? print::Orientation::Landscape : print::Orientation::Portrait;
  form.KeepPrintSetup(setup);
}

DisplayPrinting::Outcome DisplayPrinting::PaintWithProgress(QPrinter& printer, const print::Pages& pages,
                                                            const std::vector<int>& order, QWidget* over) {
  const bool previewing = Previewing(printer);
  QProgressDialog progress(ToQString(previewing ? kPreparingPreview : kPrinting), ToQString(kCancel), 0,
                           static_cast<int>(order.size()), over);
  progress.setObjectName(QStringLiteral("PrintProgress"));
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(kProgressAfterMs);
  progress.setAutoReset(false);
  progress.setValue(0);
  QPainter painter;
  if (!painter.begin(&printer)) return Outcome::Failed;
  const bool painted = qtprint::PaintPages(painter, printer, pages, order, [&progress](int done) {
    progress.setValue(done);
    return !progress.wasCanceled();
  });
  if (!progress.wasCanceled()) return painted && painter.end() ? Outcome::Done : Outcome::Failed;
  // A preview keeps the pages painted so far (aborting it would throw
  // away the pictures the preview is about to show). A print is aborted
  // while its painter is still active, so that the job does not go out
  // with the pages so far, and a file printed to is not left half
  // written.
  if (!previewing) {
    printer.abort();
    painter.end();
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty())
      QFile::remove(printer.outputFileName());
  }
  return Outcome::Cancelled;
}

void DisplayPrinting::Print(frmPellora& form) {
  QPrinter& target = printer(form);
  QPrintDialog dialog(&target, parent_);
  dialog.setObjectName(QStringLiteral("PrintDialog"));
  dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange |
                    QAbstractPrintDialog::PrintCollateCopies | QAbstractPrintDialog::PrintShowPageSize);
  dialog.setMinMax(1, LayOut(form, target).Count());
  if (dialog.exec() != QDialog::Accepted) return;
  KeepSetup(form, target);
  // Laid out again: the clerk may have chosen another paper.
  const print::Pages pages = LayOut(form, target);
  if (PaintWithProgress(target, pages, PagesOfJob(target, pages.Count()), parent_) == Outcome::Failed)
    boxes_.Show(std::u16string(kPrintFailed), MsgIcon::Exclamation, std::nullopt);
}

void DisplayPrinting::Preview(frmPellora& form) {
  QPrinter& target = printer(form);
  QPrintPreviewDialog preview(&target, parent_);
  preview.setObjectName(QStringLiteral("PrintPreview"));
  preview.setWindowTitle(ToQString(frmPellora::kPrintPreviewCaption).remove(QStringLiteral("...")));
  bool failed = false;
  QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&](QPrinter* device) {
    // The preview shows every page once; its print button prints what
    // its print dialog asks for.
    const print::Pages pages = LayOut(form, *device);
    const std::vector<int> order = Previewing(*device) ? EveryPage(pages.Count()) : PagesOfJob(*device, pages.Count());
    if (PaintWithProgress(*device, pages, order, &preview) == Outcome::Failed) failed = true;
  });
  preview.exec();
  // The paper and orientation the preview's page setup left.
  KeepSetup(form, target);
  if (failed) boxes_.Show(std::u16string(kPrintFailed), MsgIcon::Exclamation, std::nullopt);
}

}  // namespace pellora::ui
