#pragma once
// FlexGridView: a grid of the main window on screen. It lays out the
// columns as the grid's widths say (ColumnPixelWidths), shows the fixed row
// and column as headings, and reports a click on a column heading with the
// grid's own column number.

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

 private:
  void layOutColumns();

  FlexGridModel model_;
  std::vector<int> equalWidth_;
};

}  // namespace pellora::ui
