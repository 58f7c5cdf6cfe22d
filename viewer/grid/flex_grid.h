#pragma once
// FlexGrid: the grid control every table of Pellora lives in, as a plain
// model. Operations are named after the control's properties (Rows, Cols,
// TextMatrix, ColWidth, FormatString, Row, Col, ColSel, Sort, ...), so that
// the routines that fill and read grids read like what they do; a view draws
// a FlexGrid through GridListener and never holds data of its own.
//
// Rows and columns count from 0; the fixed rows and columns count as rows and
// columns. Cells hold text. A failing operation throws GridError.

#include <climits>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "grid/cell_store.h"
#include "grid/grid_error.h"

namespace pellora {

// Told about every change after it has been made, so that a view can redraw
// without polling. All methods do nothing unless overridden.
class GridListener {
 public:
  virtual ~GridListener() = default;
  virtual void RowsChanged(int /*before*/, int /*after*/) {}
  virtual void ColsChanged(int /*before*/, int /*after*/) {}
  // Text or background colour of one cell.
  virtual void CellChanged(int /*row*/, int /*col*/) {}
  // Rows first .. Rows() - 1 were reordered by a sort.
  virtual void RowsReordered(int /*first*/) {}
  // Column widths, fixed rows or columns.
  virtual void LayoutChanged() {}
  virtual void CurrentCellChanged() {}
  // Row, Col, RowSel or ColSel moved: the selected rectangle changed.
  virtual void SelectionChanged() {}
  virtual void RefreshRequested() {}
};

// A colour as the platform's colour properties hold it: 0x00BBGGRR.
using GridColor = std::uint32_t;

// The layout a grid has when its window is created.
struct GridDesign {
  int rows = 2;
  int cols = 2;
  int fixedRows = 1;
  int fixedCols = 1;
};

class FlexGrid {
 public:
  // A column width of -1 leaves the width to the view.
  static constexpr int kDefaultColWidth = -1;

  // Sort codes. Code 5 is the one the sort grid uses and code 1 the one the
  // user's re-sort of the display grid uses; the descending and
  // case-sensitive forms come with them for free.
  enum SortCode : int {
    kSortNone = 0,
    kSortGenericAscending = 1,
    kSortGenericDescending = 2,
    kSortStringNoCaseAscending = 5,
    kSortStringNoCaseDescending = 6,
    kSortStringAscending = 7,
    kSortStringDescending = 8,
  };

  explicit FlexGrid(GridDesign design = {});
  FlexGrid(const FlexGrid&) = delete;
  FlexGrid& operator=(const FlexGrid&) = delete;

  int Rows() const { return deferred_ ? deferred_->rows : static_cast<int>(cells_.Rows()); }
  // Adds empty rows at the end or drops rows from the end.
  void SetRows(int rows);
  int Cols() const { return deferred_ ? deferred_->cols : cols_; }
  // Adds empty columns at the end or drops columns from the end.
  void SetCols(int cols);

  std::u16string TextMatrix(int row, int col) const;
  void SetTextMatrix(int row, int col, std::u16string_view text);

  int FixedRows() const { return fixedRows_; }
  void SetFixedRows(int rows);
  int FixedCols() const { return fixedCols_; }
  void SetFixedCols(int cols);

  // Width in twips; 0 hides the column.
  int ColWidth(int col) const;
  void SetColWidth(int col, int twips);

  // "|"-separated headings for row 0 from column 0; the column count becomes
  // the number of headings.
  void SetFormatString(std::u16string_view format);

  // The current cell. Setting Row or Col also moves the selection's end in
  // that direction to it. A grid without rows (or columns) accepts 0.
  int Row() const { return row_; }
  void SetRow(int row);
  int Col() const { return col_; }
  void SetCol(int col);
  // The column at the end of the selection: a sort's keys are the columns
  // from Col to ColSel.
  int ColSel() const { return colSel_; }
  void SetColSel(int col);
  // The row at the end of the selection. The selection is the rectangle
  // from (Row, Col) to (RowSel, ColSel), its corners in either order.
  int RowSel() const { return rowSel_; }
  void SetRowSel(int row);

  // Reorders the non-fixed rows, stably, ascending (or descending) by the key
  // columns from left to right.
  void SetSort(int code);
  // Asks the view to redraw.
  void Refresh();

  // Background of the current cell; nothing means the view's default.
  void SetCellBackColor(GridColor color);
  std::optional<GridColor> CellBackColor(int row, int col) const;

  // How a column's cells lie in their width. General is the control's own
  // rule: a cell whose whole text is a number to the right, any other to
  // the left; a column whose values are of one type says so instead, so
  // that its cells line up whatever each holds. The fixed rows' headings
  // are centred whatever a column says.
  enum class Alignment { General, Left, Right };
  Alignment ColAlignment(int col) const;
  void SetColAlignment(int col, Alignment alignment);
  // Left or Right for a cell that is not fixed: its column's alignment, and
  // the general rule resolved by its text.
  Alignment CellAlignment(int row, int col) const;

  // Cell colours without moving the current cell: what a routine that
  // colours many cells uses, so that a view hears of one change a cell and
  // not of a selection moving through the grid.
  void SetCellBackColor(int row, int col, GridColor color);

  // Rows first .. Rows() - 1 become the former rows first + order[i], their
  // cells' colours with them: the order a sort works out, applied.
  void ReorderRows(int first, const std::vector<std::size_t>& order);

  // Contents that are written only when somebody needs them: the grid
  // answers Rows() and Cols() with `rows` and `cols` at once (which the
  // writing must make true), and `write` runs the first time a cell is read
  // or anything else about the grid is asked or changed. A hidden grid that
  // nobody looks at then costs nothing. `write` is given a row limit: rows
  // from it on need not be written, because they are about to be dropped
  // (SetRows to fewer rows asks for only those it keeps). A later change
  // writes what is owed first, so that the grid is always as if `write` had
  // run when it was handed over.
  using DeferredWrite = std::function<void(FlexGrid& grid, int rowLimit)>;
  void Defer(int rows, int cols, DeferredWrite write);

  void AddListener(GridListener* listener);
  void RemoveListener(GridListener* listener);

  // Bytes the grid holds for its cells, spare capacity included.
  std::size_t MemoryUsage() const;

 private:
  // Writes what a deferred write owes, the rows below `rowLimit`.
  void Settle(int rowLimit = INT_MAX) const;
  void CheckCell(int row, int col) const;
  void ClampCurrentCell();
  std::vector<std::size_t> SortedOrder(int code, std::size_t first) const;
  void MoveBackColors(std::size_t first, const std::vector<std::size_t>& order);
  void DropBackColorsBeyond(int rows, int cols);
  template <typename F>
  void Notify(F f) {
    for (GridListener* l : listeners_) f(*l);
  }

  grid_detail::CellStore cells_;
  int cols_ = 0;
  int fixedRows_ = 0;
  int fixedCols_ = 0;
  int row_ = 0;
  int col_ = 0;
  int rowSel_ = 0;
  int colSel_ = 0;
  std::vector<int> colWidths_;
  std::vector<Alignment> colAlignments_;
  std::unordered_map<std::uint64_t, GridColor> backColors_;  // few cells: sparse
  std::vector<GridListener*> listeners_;
  struct Deferred {
    int rows;
    int cols;
    DeferredWrite write;
  };
  // Settling happens inside const reads, as the grid's contents are the
  // same before and after: they were only not yet written down.
  mutable std::optional<Deferred> deferred_;
};

}  // namespace pellora
