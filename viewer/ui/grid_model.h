#pragma once
// FlexGridModel: a grid of the main window as a Qt table model. The fixed
// row 0 becomes the horizontal heading and the fixed column 0 the vertical
// one, so that they stay in place while the rows scroll; every other cell
// is an item. The grid tells the model about each change; the model gathers
// them and catches up once the routine that made them has returned, so a
// display of many thousand rows is drawn once, not row by row.
//
// Catching up tells Qt what changed since the last time, as finely as the
// grid's notices allow: rows and columns removed and inserted (from the
// counts last reported and the fewest the grid had meanwhile), a sort's
// reorder as a layout change, the changed cells as one dataChanged over the
// rectangle around them, and headings and widths as headerDataChanged. Only
// a heading row or column that comes or goes resets the model.

#include <QAbstractTableModel>
#include <climits>

#include "grid/flex_grid.h"

namespace pellora::ui {

class FlexGridModel : public QAbstractTableModel, private GridListener {
  Q_OBJECT
 public:
  explicit FlexGridModel(FlexGrid& grid, QObject* parent = nullptr);
  ~FlexGridModel() override;

  FlexGrid& grid() { return grid_; }
  const FlexGrid& grid() const { return grid_; }
  // The fixed rows and columns shown as headings (0 or 1 each).
  int headingRows() const { return headingRows_; }
  int headingCols() const { return headingCols_; }
  // The grid's row and column of a view row and column.
  int gridRow(int viewRow) const { return viewRow + headingRows_; }
  int gridColumn(int viewColumn) const { return viewColumn + headingCols_; }
  // The view's item of a grid cell: invalid for a heading or a cell the
  // view does not have.
  QModelIndex viewIndex(int gridRow, int gridColumn) const {
    return index(gridRow - headingRows_, gridColumn - headingCols_);
  }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // Catches up with the grid now.
  void catchUp();
  // Whether the headings are looked at: a hidden view still measures its
  // headers, which would make a grid write a deferred display nobody looks
  // at (grid/flex_grid.h Defer). Off, the headings read as empty; on again,
  // they are told as changed.
  void setHeadingsShown(bool shown);
  // The model is telling Qt of the grid's changes: what Qt then does to a
  // view's selection is its own, not the user's.
  bool catchingUp() const { return catchingUp_; }

 signals:
  // The model caught up: widths and headings may have changed too.
  void caughtUp();
  // The grid's Row, Col, RowSel or ColSel moved.
  void gridSelectionChanged();

 private:
  bool headingsShown_ = true;
  // The rectangle of grid cells around those added; none while top >
  // bottom.
  struct CellRange {
    int top = INT_MAX, left = INT_MAX, bottom = -1, right = -1;
    void add(int row, int col);
  };
  // What the grid has told since the last catch-up.
  struct Pending {
    // The fewest rows and columns the grid had: those beyond went away,
    // whatever stands there now is new.
    int fewestRows = INT_MAX, fewestCols = INT_MAX;
    CellRange cells;
    int reorderedFrom = INT_MAX;  // the first grid row a sort moved
    bool layout = false;          // widths, fixed rows or columns
    bool refresh = false;
  };

  void RowsChanged(int, int after) override;
  void ColsChanged(int, int after) override;
  void CellChanged(int row, int col) override;
  void RowsReordered(int first) override;
  void LayoutChanged() override;
  void RefreshRequested() override;
  void SelectionChanged() override { emit gridSelectionChanged(); }
  void changed();
  // The steps of a catch-up: the items that went away and came, then what
  // changed among those that stayed.
  void catchUpCounts(const Pending& pending);
  void catchUpContents(const Pending& pending, int keptRows, int keptCols);

  FlexGrid& grid_;
  int rows_ = 0, cols_ = 0;
  int headingRows_ = 0, headingCols_ = 0;
  int fixedRows_ = 0, fixedCols_ = 0;
  Pending pending_;
  bool catchUpPending_ = false;
  bool catchingUp_ = false;
};

}  // namespace pellora::ui
