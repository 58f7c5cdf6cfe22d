#pragma once
// The printed display on a GDI device: a page of print/pages.h painted on
// any HDC -- a printer, the preview's back buffer, a memory DC, an enhanced
// metafile -- at a scale and origin of the caller's, in the window's two
// Japanese fonts; the measure of texts the layout is made with; and a
// printer's sheet in points.

#include <windows.h>

#include "print/pages.h"

namespace pellora::win32 {

// Where the paper lies on a device: device units per point across and down
// (a printer may resolve more dots across than down), and the device point
// that the paper's top left corner falls on.
struct PagePlace {
  double unitsPerPointX = 1, unitsPerPointY = 1;
  double originX = 0, originY = 0;
};

// A printer's place: its device point 0, 0 is the corner of its printable
// area, so the paper's corner lies up and left of it by the physical
// offsets.
PagePlace PrinterPlace(HDC printer);

// A printer's sheet as the layout takes it: the paper as it lies and the
// printable area, in points.
print::Sheet PrinterSheet(HDC printer);

// Paints `page` on `dc`: the fills, the lines and the texts in that order;
// each text in black on one line, vertically centred in its box, clipped to
// it, and aligned in it by its width as GdiTextWidth measures it, each
// character placed where that measure puts it, so that a text drawn at any
// size fills the box it was laid out for. The fonts are made at their size
// on this device for the page and deleted after it. The DC's state is left
// as it was.
void PaintPage(HDC dc, const print::PageDrawing& page, const PagePlace& place);

// The face a page's font is drawn in: the window's labels' or its grids'.
const wchar_t* FaceNameOf(print::Face face);
// A font of the page at `unitsPerPoint` device units to the point: its
// em as high as its size; the caller deletes it.
HFONT CreatePageFont(const print::Font& font, double unitsPerPoint);

// How wide a text draws in a page's font, in points: measured once per face
// and weight at a large height, where the widths of the glyphs are not
// rounded to whole pixels, so that the layout is the same on every device.
print::TextWidth GdiTextWidth();

}  // namespace pellora::win32
