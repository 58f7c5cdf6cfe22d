#include "qtprint/pdf_file.h"

#include <QFileInfo>
#include <QPdfWriter>
#include <QSaveFile>
#include <algorithm>

#include "qtprint/page_painter.h"

namespace pellora::qtprint {
namespace {

// The sheet's paper as a page layout: Qt's own size where the sheet is one
// it knows (A4, JIS B4), so that viewers name it.
QPageLayout LayoutOfSheet(const print::Sheet& sheet) {
  const QSizeF upright(std::min(sheet.width, sheet.height), std::max(sheet.width, sheet.height));
  return QPageLayout(QPageSize(upright, QPageSize::Point, QString(), QPageSize::FuzzyMatch),
                     sheet.width > sheet.height ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(),
                     QPageLayout::Point);
}

}  // namespace

std::optional<QString> WritePdfFile(const print::Pages& pages, const QString& path, const QString& title) {
  const QFileInfo target(path);
  if (target.exists() && !target.isFile()) return QStringLiteral("%1 is not a file").arg(path);
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return file.errorString();
  {
    QPdfWriter writer(&file);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("Pellora"));
    if (!writer.setPageLayout(LayoutOfSheet(pages.sheet()))) return QStringLiteral("the page size cannot be set");
    std::vector<int> every(static_cast<std::size_t>(pages.Count()));
    for (int page = 0; page < pages.Count(); ++page) every[static_cast<std::size_t>(page)] = page;
    QPainter painter;
    if (!painter.begin(&writer) || !PaintPages(painter, writer, pages, every) || !painter.end())
      return file.errorString().isEmpty() ? QStringLiteral("the pages could not be drawn") : file.errorString();
  }
  if (!file.commit()) return file.errorString();
  return std::nullopt;
}

}  // namespace pellora::qtprint
