#include "display/column_widths.h"

#include <algorithm>

#include "claim/display_columns.h"
#include "controls/controls.h"

namespace pellora {
namespace {

constexpr int kHeadingMargin = 4;                  // pixels on each side of a heading
constexpr int kMinimumWidth = 40;                  // a short heading still leaves room for a number
constexpr int kDefaultWidth = TwipsToPixels(960);  // the grid's own default
constexpr int kFixedColumnWidth = 16;              // a fixed column without a heading marks rows

// One column: its width in twips as the routines set it (or left to the
// grid), its heading's width in pixels (0 for none). Nothing for a column
// left to the grid: its width is decided with the others of its group.
struct ColumnWidth {
  int pixels = 0;
  bool leftToGrid = false;
};

ColumnWidth WidthOf(int twips, int headingWidth, bool fixed) {
  if (twips == 0) return {};  // hidden
  // The design's width, but never so narrow that its heading is cut:
  // another desktop's font may be wider than the design's.
  if (twips != FlexGrid::kDefaultColWidth) return {std::max(TwipsToPixels(twips), headingWidth), false};
  if (headingWidth > 0) return {std::max(kMinimumWidth, headingWidth), true};
  return {fixed ? kFixedColumnWidth : kDefaultWidth, true};
}

int HeadingWidth(std::u16string_view heading, const TextPixels& textWidth) {
  return heading.empty() ? 0 : textWidth(heading) + 2 * kHeadingMargin;
}

std::vector<int> Widths(const std::vector<ColumnWidth>& columns, std::span<const int> equalWidth) {
  std::vector<int> widths;
  for (const ColumnWidth& column : columns) widths.push_back(column.pixels);
  const auto inGroup = [&](int col) {
    return col >= 0 && col < static_cast<int>(columns.size()) && columns[static_cast<std::size_t>(col)].leftToGrid;
  };
  int widest = 0;
  for (const int col : equalWidth)
    if (inGroup(col)) widest = std::max(widest, widths[static_cast<std::size_t>(col)]);
  for (const int col : equalWidth)
    if (inGroup(col)) widths[static_cast<std::size_t>(col)] = widest;
  return widths;
}

}  // namespace

std::vector<int> ColumnPixelWidths(const FlexGrid& grid, const TextPixels& textWidth,
                                   std::span<const int> equalWidth) {
  std::vector<ColumnWidth> columns;
  for (int col = 0; col < grid.Cols(); ++col) {
    const std::u16string heading = grid.FixedRows() > 0 && grid.Rows() > 0 ? grid.TextMatrix(0, col) : u"";
    columns.push_back(WidthOf(grid.ColWidth(col), HeadingWidth(heading, textWidth), col < grid.FixedCols()));
  }
  return Widths(columns, equalWidth);
}

std::vector<int> DisplayColumnPixelWidths(const TextPixels& textWidth) {
  std::vector<ColumnWidth> columns = {WidthOf(FlexGrid::kDefaultColWidth, 0, true)};  // the fixed column
  for (const DisplayColumn& column : kDisplayColumns) {
    const int twips = column.width == kWidthLeftToGrid ? FlexGrid::kDefaultColWidth : column.width;
    columns.push_back(WidthOf(twips, HeadingWidth(GridHeading(column), textWidth), false));
  }
  return Widths(columns, kServiceKindColumns);
}

}  // namespace pellora
