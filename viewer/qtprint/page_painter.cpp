#include "qtprint/page_painter.h"

#include <QColor>
#include <QFontMetricsF>
#include <QPen>
#include <QString>
#include <map>
#include <memory>

#include "qtprint/fonts.h"

namespace pellora::qtprint {
namespace {

// The pixel size texts are measured at: large enough that the advances,
// rounded to the pixel, are exact to a few thousandths of a point at the
// pages' sizes.
constexpr int kMeasuringPixels = 512;

QColor ToQColor(const print::Rgb& colour) { return QColor(colour.red, colour.green, colour.blue); }

QString ToQString(std::u16string_view text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

Qt::Alignment ToQt(print::Align align) {
  switch (align) {
    case print::Align::Left: return Qt::AlignLeft;
    case print::Align::Center: return Qt::AlignHCenter;
    case print::Align::Right: return Qt::AlignRight;
  }
  return Qt::AlignLeft;
}

}  // namespace

QFont PrintFont(const print::Font& font) {
  QFont qt = FaceFont(font.face);
  qt.setBold(font.bold);
  // Hinting would fit the glyphs to a device's pixels and change their
  // widths with its resolution; the pages are measured once for every
  // device.
  qt.setHintingPreference(QFont::PreferNoHinting);
  // Each character as the font's own glyph for it: shaped as Latin text,
  // Noto's CJK fonts take the digits of a name like "claim-202404.csv"
  // from glyphs no character maps to, which a PDF's text then lacks (a
  // search or a copy finds "claim-.csv"). The pages' texts need no shaping.
  qt.setStyleStrategy(QFont::PreferNoShaping);
  return qt;
}

print::TextWidth TextWidth() {
  // One measure a face and weight, shared by the copies of the function
  // the pages keep.
  auto metrics = std::make_shared<std::map<std::pair<print::Face, bool>, QFontMetricsF>>();
  return [metrics](std::u16string_view text, const print::Font& font) {
    auto at = metrics->find({font.face, font.bold});
    if (at == metrics->end()) {
      QFont measuring = PrintFont(font);
      measuring.setPixelSize(kMeasuringPixels);
      at = metrics->emplace(std::pair{font.face, font.bold}, QFontMetricsF(measuring)).first;
    }
    return at->second.horizontalAdvance(ToQString(text)) * font.size / kMeasuringPixels;
  };
}

PagePainter::PagePainter(QPainter& painter, double scale)
    : painter_(painter),
      scale_(scale),
      // A font's point size is turned into device units at the device's
      // dots per inch; a page's point is `scale` of them.
      fontPointsPerPoint_(scale * print::kPointsPerInch / painter.device()->logicalDpiY()) {}

const QFont& PagePainter::FontOf(const print::Font& font) {
  for (const auto& [key, qt] : fonts_)
    if (key == font) return qt;
  QFont qt = PrintFont(font);
  qt.setPointSizeF(font.size * fontPointsPerPoint_);
  return fonts_.emplace_back(font, qt).second;
}

void PagePainter::Paint(const print::PageDrawing& page) {
  painter_.save();
  painter_.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
  const auto onDevice = [this](const print::PaperBox& box) {
    return QRectF(box.left * scale_, box.top * scale_, box.width * scale_, box.height * scale_);
  };
  for (const print::Fill& fill : page.fills) painter_.fillRect(onDevice(fill.box), ToQColor(fill.colour));
  for (const print::Line& line : page.lines) {
    // Square ends, so that the rules of a box close its corners.
    painter_.setPen(QPen(ToQColor(line.colour), line.width * scale_, Qt::SolidLine, Qt::SquareCap));
    painter_.drawLine(QPointF(line.x1 * scale_, line.y1 * scale_), QPointF(line.x2 * scale_, line.y2 * scale_));
  }
  painter_.setPen(Qt::black);
  for (const print::Text& text : page.texts) {
    painter_.setFont(FontOf(text.font));
    // Qt clips a text to its box only where it overflows it.
    painter_.drawText(onDevice(text.box), static_cast<int>(ToQt(text.align) | Qt::AlignVCenter | Qt::TextSingleLine),
                      ToQString(text.text));
  }
  painter_.restore();
}

double ScaleOf(const QPaintDevice& device) { return device.logicalDpiX() / print::kPointsPerInch; }

bool PaintPages(QPainter& painter, QPagedPaintDevice& device, const print::Pages& pages, std::span<const int> order,
                const std::function<bool(int done)>& progress) {
  PagePainter pagePainter(painter, ScaleOf(device));
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (i > 0 && !device.newPage()) return false;
    pagePainter.Paint(pages.Draw(order[i]));
    if (progress && !progress(static_cast<int>(i + 1))) return false;
  }
  return true;
}

}  // namespace pellora::qtprint
