#pragma once
// FlexGridView: a grid of the main window on screen. It lays out the
// columns as the grid's widths say (ColumnPixelWidths), shows the fixed row
// and column as headings, and reports a click on a column heading with the
// grid's own column number. Its selection is the grid's (Row, Col, RowSel,
// ColSel), both ways: the user's selection goes to the grid at once, and a
// routine's moves of the grid's selection show once it has returned.

#include <QTableView>
#include <functional>
#include <span>
#include <vector>

#include "ui/grid_model.h"

namespace pellora::ui {

class FlexGridView : public QTableView {
  Q_OBJECT
 public:
  // The columns of `equalWidth` that are left to the grid share one width.
  FlexGridView(FlexGrid& grid, std::vector<int> equalWidth, QWidget* parent = nullptr);

  FlexGridModel& gridModel() { return model_; }

 signals:
  // A column heading was clicked: the grid's column number.
  void headingClicked(int gridColumn);
  // Ctrl+A, Ctrl+C, and the context menu asked for at a point of the screen.
  void selectAllRequested();
  void copyRequested();
  void menuRequested(const QPoint& globalPos);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void layOutColumns();
  // The view's selection, in the grid's rows and columns, into the grid.
  void selectionToGrid();
  // The grid's selection shown, the current cell scrolled into sight.
  void selectionFromGrid();
  // The grid's selection as the view's would give it, corners in order.
  bool viewShowsGridSelection() const;
  // The rectangle around the view's selection, in view rows and columns
  // (null when nothing is selected).
  QRect selectionBounds() const;

  FlexGridModel model_;
  std::vector<int> equalWidth_;
  bool selectingFromGrid_ = false;
  bool fromGridPending_ = false;
};

}  // namespace pellora::ui
