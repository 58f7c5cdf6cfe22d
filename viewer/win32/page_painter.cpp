#include "win32/page_painter.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>
#include <vector>

#include "win32/look.h"

namespace pellora::win32 {
namespace {

// The em of the fonts the measure reads widths at: large enough that a
// glyph's advance rounded to a whole unit is off by a two-thousandth of an
// em at most.
constexpr int kMeasureEm = 1000;

COLORREF ColorOf(const print::Rgb& rgb) { return RGB(rgb.red, rgb.green, rgb.blue); }

int Round(double value) { return static_cast<int>(std::lround(value)); }

// Points on the paper as device units of one page.
class Mapping {
 public:
  explicit Mapping(const PagePlace& place) : place_(place) {}
  double X(double points) const { return place_.originX + points * place_.unitsPerPointX; }
  double Y(double points) const { return place_.originY + points * place_.unitsPerPointY; }
  RECT Rect(double left, double top, double right, double bottom) const {
    return RECT{Round(X(left)), Round(Y(top)), Round(X(right)), Round(Y(bottom))};
  }
  RECT Rect(const print::PaperBox& box) const { return Rect(box.left, box.top, box.right(), box.bottom()); }
  double unitsPerPointX() const { return place_.unitsPerPointX; }
  double unitsPerPointY() const { return place_.unitsPerPointY; }

 private:
  PagePlace place_;
};

// The GDI objects one page is painted with, made the first time they are
// needed and deleted with the page.
class PageObjects {
 public:
  explicit PageObjects(double unitsPerPoint) : unitsPerPoint_(unitsPerPoint) {}
  PageObjects(const PageObjects&) = delete;
  PageObjects& operator=(const PageObjects&) = delete;
  ~PageObjects() {
    for (auto& [key, font] : fonts_) ::DeleteObject(font.font);
    for (auto& [colour, brush] : brushes_) ::DeleteObject(brush);
  }

  HBRUSH Brush(COLORREF colour) {
    HBRUSH& brush = brushes_[colour];
    if (!brush) brush = ::CreateSolidBrush(colour);
    return brush;
  }

  struct PageFont {
    HFONT font = nullptr;
    int height = 0;  // the line's height on the device, ascent and descent
  };
  // The font selected into `dc`, with its line height there.
  PageFont Select(HDC dc, const print::Font& wanted) {
    PageFont& font = fonts_[{wanted.face, wanted.size, wanted.bold}];
    if (!font.font) {
      font.font = CreatePageFont(wanted, unitsPerPoint_);
      ::SelectObject(dc, font.font);
      TEXTMETRICW metrics{};
      ::GetTextMetricsW(dc, &metrics);
      font.height = metrics.tmHeight;
    }
    ::SelectObject(dc, font.font);
    return font;
  }

 private:
  double unitsPerPoint_;
  std::map<std::tuple<print::Face, double, bool>, PageFont> fonts_;
  std::map<COLORREF, HBRUSH> brushes_;
};

// The measure's own DC and its fonts at the large em, kept to the
// program's end as the window's fonts are: the layout measures with it,
// and the painter places each character where it puts it.
class Measure {
 public:
  Measure() : dc_(::CreateCompatibleDC(nullptr)) { ::SetMapMode(dc_, MM_TEXT); }
  Measure(const Measure&) = delete;
  Measure& operator=(const Measure&) = delete;

  double Width(std::u16string_view text, const print::Font& font) {
    if (text.empty()) return 0;
    Select(font);
    const std::wstring wide = Wide(text);
    SIZE extent{};
    ::GetTextExtentPoint32W(dc_, wide.c_str(), static_cast<int>(wide.size()), &extent);
    return extent.cx * font.size / kMeasureEm;
  }

  // Where each character of `text` ends, from the text's start, in points.
  std::vector<double> Ends(const std::wstring& text, const print::Font& font) {
    std::vector<int> ends(text.size());
    SIZE extent{};
    Select(font);
    ::GetTextExtentExPointW(dc_, text.c_str(), static_cast<int>(text.size()), 0, nullptr, ends.data(), &extent);
    std::vector<double> points(text.size());
    for (std::size_t i = 0; i < ends.size(); ++i) points[i] = ends[i] * font.size / kMeasureEm;
    return points;
  }

 private:
  void Select(const print::Font& font) {
    HFONT& measured = fonts_[{font.face, font.bold}];
    if (!measured) measured = CreatePageFont({font.face, kMeasureEm, font.bold}, 1);
    ::SelectObject(dc_, measured);
  }

  HDC dc_;
  std::map<std::pair<print::Face, bool>, HFONT> fonts_;
};

Measure& TheMeasure() {
  static Measure* measure = new Measure;
  return *measure;
}

// A line across or down the page as the filled box it covers, its ends
// squared off by half its width so that the frames' corners close; at
// least one device unit wide, so that a hairline shows at any zoom. A
// slanting line (the layout draws none) goes with a pen.
void PaintLine(HDC dc, const print::Line& line, const Mapping& map, PageObjects& objects) {
  const COLORREF colour = ColorOf(line.colour);
  const double half = line.width / 2;
  if (line.y1 == line.y2 || line.x1 == line.x2) {
    const bool across = line.y1 == line.y2;
    const double scale = across ? map.unitsPerPointY() : map.unitsPerPointX();
    const int thickness = std::max(1, Round(line.width * scale));
    RECT box;
    if (across) {
      const int top = Round(map.Y(line.y1) - thickness / 2.0);
      box = RECT{Round(map.X(std::min(line.x1, line.x2) - half)), top, Round(map.X(std::max(line.x1, line.x2) + half)),
                 top + thickness};
    } else {
      const int left = Round(map.X(line.x1) - thickness / 2.0);
      box = RECT{left, Round(map.Y(std::min(line.y1, line.y2) - half)), left + thickness,
                 Round(map.Y(std::max(line.y1, line.y2) + half))};
    }
    ::FillRect(dc, &box, objects.Brush(colour));
    return;
  }
  LOGBRUSH brush{BS_SOLID, colour, 0};
  const DWORD width = static_cast<DWORD>(std::max(1, Round(line.width * map.unitsPerPointX())));
  HPEN pen = ::ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_SQUARE, width, &brush, 0, nullptr);
  HGDIOBJ old = ::SelectObject(dc, pen);
  ::MoveToEx(dc, Round(map.X(line.x1)), Round(map.Y(line.y1)), nullptr);
  ::LineTo(dc, Round(map.X(line.x2)), Round(map.Y(line.y2)));
  ::SelectObject(dc, old);
  ::DeleteObject(pen);
}

// Each character where the layout's measure puts it, not where this
// device's font at its own size would: glyph advances rounded to a small
// font's whole pixels (and a bold font's extra pixel) would make a text
// wider than the box it was measured for, and cut its end off. Aligned by
// that width; a text wider than its box starts at the box's left, so that
// its beginning is what shows.
void PaintText(HDC dc, const print::Text& text, const Mapping& map, PageObjects& objects) {
  const PageObjects::PageFont font = objects.Select(dc, text.font);
  const RECT clip = map.Rect(text.box);
  const std::wstring wide = Wide(text.text);
  const std::vector<double> ends = TheMeasure().Ends(wide, text.font);
  std::vector<INT> advances(wide.size());
  int width = 0;
  for (std::size_t i = 0; i < wide.size(); ++i) {
    const int end = Round(ends[i] * map.unitsPerPointX());
    advances[i] = end - width;
    width = end;
  }
  const int room = clip.right - clip.left;
  int x = clip.left;
  if (width < room) {
    if (text.align == print::Align::Center) x += (room - width) / 2;
    if (text.align == print::Align::Right) x = clip.right - width;
  }
  const int y = clip.top + (clip.bottom - clip.top - font.height) / 2;
  ::ExtTextOutW(dc, x, y, ETO_CLIPPED, &clip, wide.c_str(), static_cast<UINT>(wide.size()), advances.data());
}

}  // namespace

PagePlace PrinterPlace(HDC printer) {
  const double dpiX = std::max(1, ::GetDeviceCaps(printer, LOGPIXELSX));
  const double dpiY = std::max(1, ::GetDeviceCaps(printer, LOGPIXELSY));
  return {dpiX / print::kPointsPerInch, dpiY / print::kPointsPerInch,
          -static_cast<double>(::GetDeviceCaps(printer, PHYSICALOFFSETX)),
          -static_cast<double>(::GetDeviceCaps(printer, PHYSICALOFFSETY))};
}

// A device that gives no physical size (a display, or a driver that does
// not say) is taken as printable to its edges.
print::Sheet PrinterSheet(HDC printer) {
  const double perInchX = std::max(1, ::GetDeviceCaps(printer, LOGPIXELSX)) / print::kPointsPerInch;
  const double perInchY = std::max(1, ::GetDeviceCaps(printer, LOGPIXELSY)) / print::kPointsPerInch;
  const int offsetX = ::GetDeviceCaps(printer, PHYSICALOFFSETX);
  const int offsetY = ::GetDeviceCaps(printer, PHYSICALOFFSETY);
  const int printableX = ::GetDeviceCaps(printer, HORZRES);
  const int printableY = ::GetDeviceCaps(printer, VERTRES);
  int physicalX = ::GetDeviceCaps(printer, PHYSICALWIDTH);
  int physicalY = ::GetDeviceCaps(printer, PHYSICALHEIGHT);
  if (physicalX <= 0) physicalX = printableX + 2 * offsetX;
  if (physicalY <= 0) physicalY = printableY + 2 * offsetY;
  print::Sheet sheet;
  sheet.width = physicalX / perInchX;
  sheet.height = physicalY / perInchY;
  sheet.printable = {offsetX / perInchX, offsetY / perInchY, printableX / perInchX, printableY / perInchY};
  return sheet;
}

const wchar_t* FaceNameOf(print::Face face) { return face == print::Face::Grid ? kGridFaceName : kWindowFaceName; }

HFONT CreatePageFont(const print::Font& font, double unitsPerPoint) {
  const int em = std::max(1, Round(font.size * unitsPerPoint));
  return ::CreateFontW(-em, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                       FaceNameOf(font.face));
}

void PaintPage(HDC dc, const print::PageDrawing& page, const PagePlace& place) {
  const int saved = ::SaveDC(dc);
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  ::SetTextColor(dc, RGB(0, 0, 0));
  const Mapping map(place);
  {
    // The fonts are sized by the height of the device's units: on a device
    // of other units across, the system keeps the glyphs' proportions.
    PageObjects objects(place.unitsPerPointY);
    for (const print::Fill& fill : page.fills) {
      const RECT box = map.Rect(fill.box);
      ::FillRect(dc, &box, objects.Brush(ColorOf(fill.colour)));
    }
    for (const print::Line& line : page.lines) PaintLine(dc, line, map, objects);
    for (const print::Text& text : page.texts) PaintText(dc, text, map, objects);
    // The page's objects leave the DC before they are deleted.
    ::RestoreDC(dc, saved);
  }
}

print::TextWidth GdiTextWidth() {
  return [](std::u16string_view text, const print::Font& font) { return TheMeasure().Width(text, font); };
}

}  // namespace pellora::win32
