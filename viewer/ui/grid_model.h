#pragma once
// FlexGridModel: a grid of the main window as a Qt table model. The fixed
// row 0 becomes the horizontal heading and the fixed column 0 the vertical
// one, so that they stay in place while the rows scroll; every other cell
// is an item. The grid tells the model about each change; the model gathers
// them and catches up once the routine that made them has returned, so a
// display of many thousand rows is drawn once, not row by row.

#include <QAbstractTableModel>

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

 signals:
  // The model caught up: widths and headings may have changed too.
  void caughtUp();
  // The grid's Row, Col, RowSel or ColSel moved.
  void gridSelectionChanged();

 private:
  void RowsChanged(int, int) override { changed(); }
  void ColsChanged(int, int) override { changed(); }
  void CellChanged(int, int) override { changed(); }
  void RowsReordered(int) override { changed(); }
  void LayoutChanged() override { changed(); }
  void RefreshRequested() override { changed(); }
  void SelectionChanged() override { emit gridSelectionChanged(); }
  void changed();

  FlexGrid& grid_;
  int rows_ = 0, cols_ = 0;
  int headingRows_ = 0, headingCols_ = 0;
  bool catchUpPending_ = false;
};

}  // namespace pellora::ui
