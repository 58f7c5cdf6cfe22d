#pragma once
// What a grid of the main window tells assistive technology (a screen
// reader, a magnifier following the focus), headless: the grid as a table
// of rows of cells, each cell's text as its name, and what its text does not
// say -- that a cell is a heading, what became of a name's look-up -- as its
// description. A front end hands it on through its platform's accessibility
// interfaces (win32/grid_accessible.h); nothing here knows them.
//
// The rows are every row of the grid, the heading row first; the cells of a
// row are the columns the window shows (a hidden column, width 0, is not
// there to read, and the fixed column that only marks the rows says
// nothing), so that a cell's place among its row's cells is not its grid
// column.

#include <optional>
#include <string>
#include <vector>

#include "claim/claim_view.h"
#include "grid/flex_grid.h"

namespace pellora {

enum class AccessibleRole {
  Table,
  Row,
  ColumnHeader,  // a cell of the heading row
  Cell,
};

struct AccessibleItem {
  AccessibleRole role = AccessibleRole::Cell;
  std::u16string name;
  std::u16string description;
  bool selected = false;
  bool current = false;  // the grid's current cell, or the row holding it
};

// The status of a name cell from its look-up.
inline constexpr std::u16string_view kNameFound = u"見つかった";
inline constexpr std::u16string_view kNameNotFound = u"該当なし";
inline constexpr std::u16string_view kNameUnavailable = u"取得失敗";
inline constexpr std::u16string_view kHeadingDescription = u"見出し";

class GridAccessibility {
 public:
  // `grid` as it is now, the table named `name`; `display` is the claim
  // whose rows it shows, for the display grid's name cells.
  GridAccessibility(const FlexGrid& grid, std::u16string_view name, const ClaimView* display = nullptr);

  int Rows() const { return grid_.Rows(); }
  // The cells of each row.
  int Cells() const { return static_cast<int>(columns_.size()); }
  // The grid column of a row's cell, and the cell of a grid column (-1 for
  // a column that is not there to read).
  int ColumnOf(int cell) const { return columns_[static_cast<std::size_t>(cell)]; }
  int CellOf(int col) const;

  AccessibleItem Table() const;
  AccessibleItem Row(int row) const;
  AccessibleItem Cell(int row, int cell) const;
  // The current cell as (row, cell); none while it lies in the headings or
  // in a column not there to read.
  std::optional<std::pair<int, int>> Current() const;

 private:
  const FlexGrid& grid_;
  std::u16string name_;
  const ClaimView* display_;
  std::vector<int> columns_;
};

}  // namespace pellora
