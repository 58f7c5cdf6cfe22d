#pragma once
// The pages of print/ painted with a QPainter, on whatever it paints on: a
// printer, Qt's print preview, a PDF file, an image. A page's lengths are
// points from the paper's top left corner; the painter's device has its
// own units, `scale` of them to a point, with the corner at its origin (a
// printer set to print the full page; a PDF file).

#include <QFont>
#include <QPagedPaintDevice>
#include <QPainter>
#include <functional>
#include <span>
#include <utility>
#include <vector>

#include "print/pages.h"

namespace pellora::qtprint {

// The font a page's font is drawn in, at Qt's default size.
QFont PrintFont(const print::Font& font);

// How wide a text draws in the pages' fonts, in points (print::TextWidth):
// from the fonts' outlines without hinting, so that the pages are laid out
// the same for every device and resolution they go to.
print::TextWidth TextWidth();

// Paints page drawings on one painter, making each font of the pages once
// (a print of thousands of pages draws its texts in half a dozen fonts).
class PagePainter {
 public:
  PagePainter(QPainter& painter, double scale);
  // Fills, then lines, then texts, each text on one line, vertically
  // centred in its box and clipped to it.
  void Paint(const print::PageDrawing& page);

 private:
  const QFont& FontOf(const print::Font& font);

  QPainter& painter_;
  double scale_;
  // A font's size in points on the device for a point of the page.
  double fontPointsPerPoint_;
  std::vector<std::pair<print::Font, QFont>> fonts_;
};

// The device units to a point of a device painted at its own resolution.
double ScaleOf(const QPaintDevice& device);

// Paints the pages `order` names (print::PagesToPrint) with `painter`,
// begun on `device`, one to a sheet, starting a new sheet between them.
// `progress` (when given) hears after each page how many are done; false
// from it ends the run there, with the painter still active, so that a
// printer's job can be aborted before it ends. Returns false when the run
// was ended so, or the device could not start a sheet.
bool PaintPages(QPainter& painter, QPagedPaintDevice& device, const print::Pages& pages, std::span<const int> order,
                const std::function<bool(int done)>& progress = {});

}  // namespace pellora::qtprint
