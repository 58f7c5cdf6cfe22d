#pragma once
// The display on paper: the claim on display laid out in pages for a sheet
// of any size and orientation, and each page as a list of what to draw --
// tinted boxes, lines and texts in boxes -- that a front end paints on its
// own device (a Qt printer or PDF writer, a Windows printer or preview
// window). Nothing here knows a device: the front ends hand in the sheet
// and how wide their fonts draw a text, and paint what comes back, so the
// pages are the same on every platform and every printer.
//
// A page: a header band (the file kind, the year-month with its caption,
// the provider's number and name, the claim file's name and the printing
// date), the display grid's shown columns with their headings, as many rows
// as fit (a row is never split), and the footer "n / N ページ", the last
// page's with the claim check's summary line ("点検: エラーなし"). After the
// last row come the monthly totals, and where names were looked up a
// legend of what the name cells' tints and marks say: on a printer without
// colour the tints may vanish, the marks do not.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "claim/claim_view.h"
#include "common/civil_date.h"

namespace pellora::print {

// Lengths on paper are in points, 72 to the inch, measured from the
// paper's top left corner.
inline constexpr double kPointsPerInch = 72;
inline constexpr double kPointsPerMillimetre = kPointsPerInch / 25.4;

struct PaperBox {
  double left = 0, top = 0, width = 0, height = 0;
  constexpr double right() const { return left + width; }
  constexpr double bottom() const { return top + height; }
  friend constexpr bool operator==(const PaperBox&, const PaperBox&) = default;
};

// The papers a print can be set to, by the names the dialogs show, and
// their sizes standing upright.
enum class Paper { A3, A4, A5, B4, B5, Letter, Legal };
struct PaperSize {
  double width = 0, height = 0;
};
PaperSize SizeOf(Paper paper);
std::u16string_view NameOf(Paper paper);
// A paper by its name, in any letter case ("A4", "b5", "letter").
std::optional<Paper> PaperNamed(std::u16string_view name);

enum class Orientation { Landscape, Portrait };

// The paper and orientation of a print. The window keeps the last one the
// clerk chose for the rest of the session; until then, A4 landscape, which
// holds the display's columns at their window proportions.
struct PageSetup {
  Paper paper = Paper::A4;
  Orientation orientation = Orientation::Landscape;
  friend constexpr bool operator==(const PageSetup&, const PageSetup&) = default;
};

// A sheet as a device prints it: the paper as it lies (a landscape sheet
// is wider than high) and the part of it the device can print on.
struct Sheet {
  double width = 0, height = 0;
  PaperBox printable;
};
// The whole sheet of a setup, printable to its edges: a PDF's.
Sheet SheetOf(const PageSetup& setup);

// The two faces the pages are printed in, which each front end maps onto
// the fonts its window uses: the labels' (a Japanese UI font) for the
// header band, the legend and the footer, and the grids' (a Japanese
// fixed-width font) for the display and the totals.
enum class Face { Window, Grid };
struct Font {
  Face face = Face::Window;
  double size = 9;  // points
  bool bold = false;
  friend constexpr bool operator==(const Font&, const Font&) = default;
};

// How wide a text draws in a font, in points: the front end's measure.
using TextWidth = std::function<double(std::u16string_view text, const Font& font)>;

enum class Align { Left, Center, Right };

struct Rgb {
  std::uint8_t red = 0, green = 0, blue = 0;
  friend constexpr bool operator==(const Rgb&, const Rgb&) = default;
};

// What a page draws, painted in this order: the fills, then the lines,
// then the texts. A text is drawn on one line, vertically centred in its
// box and clipped to it.
struct Fill {
  PaperBox box;
  Rgb colour;
};
struct Line {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  double width = 0.5;
  Rgb colour;
};
struct Text {
  PaperBox box;
  std::u16string text;
  Font font;
  Align align = Align::Left;
};
struct PageDrawing {
  std::vector<Fill> fills;
  std::vector<Line> lines;
  std::vector<Text> texts;
};

// The marks a name cell (and the provider's name) carries besides its tint:
// no matching row, and no usable database or a failed look-up.
inline constexpr std::u16string_view kNotFoundMark = u"＊";
inline constexpr std::u16string_view kFailedMark = u"×";
// The line a page of an empty display shows below the headings.
inline constexpr std::u16string_view kNoRowsText = u"表示する明細はありません。";

// The display grid's column widths as the window shows them, which a
// print's columns share the page in proportion to: the window's widths come
// from its headings in its 9-point grid text, here measured in the print's
// grid font at that size, in pixels at the 96 dots per inch the design was
// made for.
std::vector<int> WindowColumnWidths(const TextWidth& textWidth);

// The pages of one claim, laid out once; each page is drawn when it is
// asked for, so that a preview or a print of some pages of a large file
// draws only those.
class Pages {
 public:
  // Lays `claim` out on `sheet`. `windowWidths` are the display grid's
  // column widths as the window shows them (any unit, column 0 the fixed
  // column, which the paper leaves out, 0 for a hidden column); the shown
  // columns share the page's width in their proportions. `printed` is the
  // date the header band gives.
  static Pages LayOut(std::shared_ptr<const ClaimView> claim, std::span<const int> windowWidths, const Sheet& sheet,
                      const TextWidth& textWidth, common::CivilDate printed);

  int Count() const { return static_cast<int>(plans_.size()); }
  const Sheet& sheet() const { return sheet_; }
  // Page `page` (from 0) as it is drawn.
  PageDrawing Draw(int page) const;

  // The display rows a page shows, [first, first + count).
  struct RowRange {
    std::size_t first = 0, count = 0;
  };
  RowRange RowsOn(int page) const { return plans_.at(static_cast<std::size_t>(page)).rows; }
  // The months of the totals a page shows, likewise.
  RowRange TotalsOn(int page) const { return plans_.at(static_cast<std::size_t>(page)).totals; }
  bool LegendOn(int page) const { return plans_.at(static_cast<std::size_t>(page)).legend; }

  // The shown display columns, as `Draw` puts them on every page: their
  // column in the display grid and their box's left and width.
  struct Column {
    int gridColumn = 0;
    double left = 0, width = 0;
  };
  std::span<const Column> Columns() const { return columns_; }
  // The size of the grid's font: 9 points, or less where the paper is too
  // narrow for the headings at that size.
  double GridFontSize() const { return gridFont_; }

 private:
  struct Plan {
    RowRange rows;
    RowRange totals;
    bool legend = false;
  };
  struct TotalsColumn {
    const TotalColumn* column;
    double left = 0, width = 0;
  };

  void DrawHeader(PageDrawing& out) const;
  void DrawGrid(const Plan& plan, PageDrawing& out) const;
  double DrawTotals(const Plan& plan, double top, PageDrawing& out) const;
  void DrawLegend(double top, PageDrawing& out) const;
  void DrawFooter(int page, PageDrawing& out) const;
  double HeadedRowTop(std::size_t index) const { return gridTop_ + rowHeight_ * static_cast<double>(index + 1); }

  std::shared_ptr<const ClaimView> claim_;
  Sheet sheet_;
  TextWidth textWidth_;
  std::u16string printedText_;
  PaperBox content_;  // the paper within the margins
  double gridTop_ = 0, gridBottom_ = 0, footerTop_ = 0;
  double gridFont_ = 9, rowHeight_ = 0;
  std::vector<Column> columns_;
  std::vector<TotalsColumn> totalsColumns_;
  bool legend_ = false;
  std::vector<Plan> plans_;
};

// The pages a print dialog's choice names: from `first` to `last` (from 1,
// as the dialog counts them, either 0 for "all") of a print of `count`
// pages, each counted from 0, as many times as `copies` asks; collated
// copies print the run again, uncollated each page so many times.
std::vector<int> PagesToPrint(int count, int first, int last, int copies = 1, bool collate = true);

}  // namespace pellora::print
