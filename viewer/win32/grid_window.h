#pragma once
// GridWindow: a grid of the main window on screen, a window of its own that
// draws a FlexGrid. Only the rows in sight are drawn, so a claim of many
// thousand persons scrolls as fast as one of ten. The fixed row 0 is the
// heading and the fixed column 0 marks the rows; both stay in place while
// the rest scrolls. Columns are as wide as the grid's widths say
// (ColumnPixelWidths, 0 hiding a column); cells show their text, numbers to
// the right, on their own background colour. A click on a column heading
// is reported with the grid's column number.
//
// The selection is the grid's own (Row, Col to RowSel, ColSel): the mouse
// and the keys set it there, and it is drawn from there, so a routine that
// selects (a find, select all) shows at once, its current cell scrolled
// into sight. Selected cells are drawn as
// the system's list views draw theirs; a single current cell only gets the
// focus rectangle. A click on the fixed column selects whole rows, a click
// on a heading re-sorts where the window asks for that (onHeadingClick) and
// selects the column elsewhere; Shift extends, a drag spans.
//
// The grid tells the window of every change; the window catches up once the
// routine that made them has returned (or when Sync asks), so a display of
// many rows is laid out once, not row by row.

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "grid/flex_grid.h"
#include "grid/selection_text.h"
#include "display/grid_accessibility.h"
#include "win32/attached_window.h"
#include "win32/grid_accessible.h"

namespace pellora::win32 {

class GridWindow : public AttachedWindow, private GridListener {
 public:
  static constexpr const wchar_t* kClassName = L"PelloraFlexGrid";

  // A child window of `parent` at `rect` (pixels) with the control id `id`.
  // The columns of `equalWidth` that are left to the grid share one width.
  GridWindow(FlexGrid& grid, HWND parent, int id, const RECT& rect, int dpi, std::vector<int> equalWidth);
  ~GridWindow() override;

  FlexGrid& grid() { return grid_; }

  // Told of a click on a column heading: the grid's column.
  std::function<void(int)> onHeadingClick;
  // Told of a double click on a row below the headings, after its first
  // click has made it current: the grid's row. Without it, a double click
  // is two clicks.
  std::function<void(int)> onDoubleClick;
  // What the grid says to assistive technology (win32/grid_accessible.h),
  // as its window describes it; without one, a table of no name.
  std::function<GridAccessibility()> describe;
  GridAccessibility Describe() const { return describe ? describe() : GridAccessibility(grid_, u""); }
  // The object WM_GETOBJECT hands on, for the caller to release.
  IAccessible* AccessibleObject() const { return NewTableObject(link_); }

  // Lays out rows and columns as the grid now is, and redraws.
  void CatchUp();
  // Lays the grid out again at another dots per inch: its row height, its
  // columns measured in the font of that size.
  void SetDpi(int dpi);
  // Scrolls so that the cell is in sight (a column of -1: the row alone).
  void ShowCell(int row, int col);
  // Where a cell is drawn in the client area (empty when out of sight).
  RECT CellRect(int row, int col) const;

  // What is drawn, for a test to compare with the model: the pixel width of
  // each grid column (0 hidden), the row height, the first scrollable row in
  // sight, and how many times rows have been painted.
  const std::vector<int>& ColumnWidths() const { return widths_; }
  int RowHeight() const { return rowHeight_; }
  int TopRow() const { return topRow_; }
  int RowPaints() const { return rowPaints_; }
  // The grid column under a point of the client area, -1 for none.
  int ColumnAt(int x) const;
  // The grid row under a point of the client area, -1 below the last.
  int RowAt(int y) const;

 private:
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Paint(HDC dc, const RECT& dirty);
  // A cell, highlighted where it lies in `highlight` (null: nothing is).
  void PaintCell(HDC dc, int row, int col, const RECT& cell, const GridSelection* highlight);
  void UpdateScrollBars();
  void ScrollRowsTo(int top);
  void ScrollColumnsTo(int left);
  int FixedWidth() const;
  int FixedHeight() const;
  int ScrollableRows() const;
  int RowsInSight() const;
  int ScrollableWidth() const;
  // The x of each grid column's left edge on screen (after scrolling).
  int ColumnLeft(int col) const;
  void MouseDown(int x, int y, bool extend);
  void MouseDrag(int x, int y);
  bool MoveByKey(WPARAM key, bool extend);

  void RowsChanged(int, int) override { Changed(); }
  void ColsChanged(int, int) override { Changed(); }
  void CellChanged(int, int) override { Changed(); }
  void RowsReordered(int) override { Changed(); }
  void LayoutChanged() override { Changed(); }
  void RefreshRequested() override { Changed(); }
  void SelectionChanged() override;
  void Changed();
  // Tells assistive technology of the current cell where it has moved (or
  // always, when `always`): the focus while the grid has it, and the
  // selection.
  void TellCurrentCell(bool always);

  FlexGrid& grid_;
  int dpi_;
  std::vector<int> equalWidth_;
  std::vector<int> widths_;
  int rowHeight_;
  int topRow_ = 0;     // first row shown below the fixed rows
  int leftPixel_ = 0;  // pixels scrolled past at the left, behind the fixed columns
  bool catchUpPending_ = false;
  bool laidOutWhileHidden_ = false;
  // The mouse or a key is moving the selection (which they bring into
  // sight themselves), and a routine moved it: the current cell is to be
  // shown once the window has caught up.
  bool userSelecting_ = false;
  bool showCurrentPending_ = false;
  int rowPaints_ = 0;
  // The accessible objects' way to this window, cut when it goes; the
  // current cell they were last told of.
  std::shared_ptr<GridLink> link_ = std::make_shared<GridLink>(GridLink{this});
  std::optional<std::pair<int, int>> toldCurrent_;
  // What a drag with the left button spans: cells, or whole rows from the
  // fixed column.
  enum class Drag { None, Cells, Rows } drag_ = Drag::None;
};

}  // namespace pellora::win32
