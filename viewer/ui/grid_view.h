#pragma once
// FlexGridView: a grid of the main window on screen. It lays out the
// columns as the grid's widths say (ColumnPixelWidths), shows the fixed row
// and column as headings, and reports a click on a column heading with the
// grid's own column number.
//
// The selection lives in the grid (Row, Col, RowSel, ColSel), where the
// window's routines read and move it; the view's selection model only
// shows it. It flows one way for each cause:
// - the user's gestures (the mouse, the keys, anything else that moves the
//   view's selection) are written to the grid at once;
// - a routine's moves of the grid's selection are shown once the routine
//   has returned, and after every catch-up of the model;
// - what Qt does to the view's selection while the model catches up (rows
//   removed, a reorder) is neither: the grid keeps its own, shown next.
// Neither direction is taken while the other runs, so nothing echoes.

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

  void setVisible(bool visible) override;

 signals:
  // A column heading was clicked: the grid's column number.
  void headingClicked(int gridColumn);
  // The context menu asked for at a point of the screen.
  void menuRequested(const QPoint& globalPos);

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void layOutColumns();
  // A user's gesture: the view's selection, in the grid's rows and
  // columns, into the grid.
  void selectionToGrid();
  // A routine's (or a catch-up's): the grid's selection shown, the current
  // cell scrolled into sight.
  void selectionFromGrid();
  // The grid's selection as the view's would give it, corners in order.
  bool viewShowsGridSelection() const;
  // The rectangle around the view's selection, in view rows and columns
  // (null when nothing is selected).
  QRect selectionBounds() const;

  FlexGridModel model_;
  std::vector<int> equalWidth_;
  bool writingGrid_ = false;  // a gesture is being written to the grid
  bool showingGrid_ = false;  // the grid's selection is being shown
  bool showPending_ = false;
  // A hidden grid (the debug window's, when it is not in debug mode) is
  // laid out and shown its selection only once it shows: the widths and
  // headings it would read would make it write a deferred display
  // (grid/flex_grid.h Defer) that nobody looks at.
  bool laidOutWhileHidden_ = false;
};

}  // namespace pellora::ui
