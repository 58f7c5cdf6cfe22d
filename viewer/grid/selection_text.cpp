#include "grid/selection_text.h"

#include <algorithm>
#include <vector>

namespace pellora {
namespace {

bool IsHidden(const FlexGrid& grid, int col) { return grid.ColWidth(col) == 0; }

// The rows and columns that go to the clipboard, in order.
struct CopiedCells {
  std::vector<int> rows;
  std::vector<int> cols;
};

CopiedCells CellsToCopy(const FlexGrid& grid) {
  CopiedCells cells;
  if (grid.Rows() == 0 || grid.Cols() == 0) return cells;
  const GridSelection s = SelectionOf(grid);
  if (SelectsWholeRows(grid) && s.top > 0) cells.rows.push_back(0);
  for (int r = s.top; r <= s.bottom; ++r) cells.rows.push_back(r);
  for (int c = s.left; c <= s.right; ++c)
    if (!IsHidden(grid, c)) cells.cols.push_back(c);
  return cells;
}

void AppendHtmlEscaped(std::u16string& out, std::u16string_view text) {
  for (const char16_t ch : text) {
    switch (ch) {
      case u'&': out += u"&amp;"; break;
      case u'<': out += u"&lt;"; break;
      case u'>': out += u"&gt;"; break;
      case u'"': out += u"&quot;"; break;
      default: out += ch;
    }
  }
}

}  // namespace

GridSelection SelectionOf(const FlexGrid& grid) {
  return {std::min(grid.Row(), grid.RowSel()), std::min(grid.Col(), grid.ColSel()),
          std::max(grid.Row(), grid.RowSel()), std::max(grid.Col(), grid.ColSel())};
}

bool SelectsWholeRows(const FlexGrid& grid) {
  const GridSelection s = SelectionOf(grid);
  for (int c = grid.FixedCols(); c < grid.Cols(); ++c)
    if ((c < s.left || c > s.right) && !IsHidden(grid, c)) return false;
  return grid.Cols() > 0;
}

SelectableColumns SelectableColumnsOf(const FlexGrid& grid) {
  SelectableColumns columns;
  for (int c = grid.FixedCols(); c < grid.Cols(); ++c) {
    if (IsHidden(grid, c)) continue;
    if (columns.first < 0) columns.first = c;
    columns.last = c;
  }
  return columns;
}

void SelectRows(FlexGrid& grid, int top, int bottom) {
  const SelectableColumns columns = SelectableColumnsOf(grid);
  if (columns.first < 0) return;
  grid.SetRow(top);
  grid.SetCol(columns.first);
  grid.SetRowSel(bottom);
  grid.SetColSel(columns.last);
}

std::u16string SelectionAsText(const FlexGrid& grid) {
  const CopiedCells cells = CellsToCopy(grid);
  std::u16string text;
  for (const int r : cells.rows) {
    for (std::size_t i = 0; i < cells.cols.size(); ++i) {
      if (i > 0) text += u'\t';
      text += grid.TextMatrix(r, cells.cols[i]);
    }
    text += u"\r\n";
  }
  return text;
}

// Each cell carries both marks: x:str (with its namespace declared) and the
// number format "@", text, in its style, as spreadsheets differ in which
// one they read.
std::u16string SelectionAsHtml(const FlexGrid& grid) {
  const CopiedCells cells = CellsToCopy(grid);
  std::u16string html =
      u"<html xmlns:x=\"urn:schemas-microsoft-com:office:excel\"><head><meta charset=\"utf-8\"></head>"
      u"<body><table>";
  for (const int r : cells.rows) {
    html += u"<tr>";
    for (const int c : cells.cols) {
      html += u"<td x:str style='mso-number-format:\"\\@\"'>";
      AppendHtmlEscaped(html, grid.TextMatrix(r, c));
      html += u"</td>";
    }
    html += u"</tr>";
  }
  return html + u"</table></body></html>";
}

}  // namespace pellora
