// A grid's model and view offscreen: what the model tells Qt after each
// kind of change of the grid (checked against Qt's own model tester), and
// the selection staying the grid's when Qt moves the view's own while the
// model catches up.

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <functional>

#include "grid/selection_text.h"
#include "tests/ui/test_application.h"
#include "ui/grid_view.h"

namespace pellora::ui {
namespace {

// A heading row and column, and three rows of three cells.
void Fill(FlexGrid& grid) {
  grid.SetFormatString(u"|a|b|c");
  grid.SetRows(4);
  for (int r = 1; r < 4; ++r)
    for (int c = 1; c < 4; ++c) grid.SetTextMatrix(r, c, std::u16string(1, static_cast<char16_t>(u'0' + 4 * r - c)));
}

// What the model says, in the order it says it, in view rows and columns.
std::string Told(FlexGridModel& model, const std::function<void()>& change) {
  QStringList told;
  QObject listening;  // the connections end with it
  const auto on = [&](auto signal, auto slot) { QObject::connect(&model, signal, &listening, slot); };
  const auto span = [&](const char* what) {
    return [&told, what](auto, int first, int last) { told << QStringLiteral("%1 %2-%3").arg(what).arg(first).arg(last); };
  };
  on(&QAbstractItemModel::modelReset, [&] { told << "reset"; });
  on(&QAbstractItemModel::rowsRemoved, span("rows out"));
  on(&QAbstractItemModel::rowsInserted, span("rows in"));
  on(&QAbstractItemModel::columnsRemoved, span("cols out"));
  on(&QAbstractItemModel::layoutChanged, [&] { told << "reordered"; });
  on(&QAbstractItemModel::dataChanged, [&](const QModelIndex& a, const QModelIndex& b) {
    told << QStringLiteral("cells %1,%2-%3,%4").arg(a.row()).arg(a.column()).arg(b.row()).arg(b.column());
  });
  on(&QAbstractItemModel::headerDataChanged, [&](Qt::Orientation o, int first, int last) {
    span(o == Qt::Horizontal ? "headings across" : "headings down")(o, first, last);
  });
  change();
  model.catchUp();
  return told.join("; ").toStdString();
}

TEST(GridModel, TellsQtWhatChangedNotJustThatEverythingDid) {
  App();
  const struct {
    const char* what;
    std::function<void(FlexGrid&)> change;
    std::string told;
  } cases[] = {
      {"rows added and filled",
       [](FlexGrid& g) {
         g.SetRows(6);
         g.SetTextMatrix(5, 1, u"x");
       },
       "rows in 3-4"},
      {"cleared to its headings and filled again",
       [](FlexGrid& g) {
         g.SetRows(1);
         g.SetRows(3);
         g.SetTextMatrix(2, 2, u"x");
       },
       "rows out 0-2; rows in 0-1"},
      {"two cells far apart", [](FlexGrid& g) {
         g.SetTextMatrix(1, 3, u"x");
         g.SetTextMatrix(3, 1, u"y");
       },
       "cells 0,0-2,2"},
      {"a colour",
       [](FlexGrid& g) {
         SelectRows(g, 2, 2);
         g.SetCellBackColor(0xC0FFFF);
       },
       "cells 1,0-1,0"},
      {"a sort",
       [](FlexGrid& g) {
         g.SetRow(0);
         g.SetCol(1);
         g.SetSort(FlexGrid::kSortGenericAscending);
       },
       "reordered"},
      {"a heading", [](FlexGrid& g) { g.SetTextMatrix(0, 2, u"B"); }, "headings across 1-1"},
      {"a width", [](FlexGrid& g) { g.SetColWidth(2, 0); }, "headings across 0-2"},
      {"a column dropped", [](FlexGrid& g) { g.SetCols(3); }, "cols out 2-2"},
      {"a second fixed row", [](FlexGrid& g) { g.SetFixedRows(2); },
       "cells 0,0-2,2; headings across 0-2; headings down 0-2"},
      {"no fixed row", [](FlexGrid& g) { g.SetFixedRows(0); }, "reset"},
  };
  for (const auto& c : cases) {
    FlexGrid grid;
    Fill(grid);
    FlexGridModel model(grid);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(Told(model, [&] { c.change(grid); }), c.told) << c.what;
    EXPECT_EQ(model.rowCount(), grid.Rows() - model.headingRows()) << c.what;
    EXPECT_EQ(model.columnCount(), grid.Cols() - model.headingCols()) << c.what;
  }
}

// The user's row is dropped with the rows below it and the routine makes
// another row current: Qt moving the view's current row off the dropped
// ones must not overrule the routine.
TEST(GridView, ARoutinesSelectionIsNotOverruledByQtsAdjustingTheView) {
  App();
  FlexGrid grid;
  Fill(grid);
  grid.SetRows(7);
  FlexGridView view(grid, {});
  view.show();
  view.setCurrentIndex(view.model()->index(3, 0));
  ASSERT_EQ(grid.Row(), 4);
  grid.SetRows(3);
  grid.SetRow(1);
  view.gridModel().catchUp();
  QApplication::processEvents();
  EXPECT_EQ(grid.Row(), 1);
  EXPECT_EQ(view.currentIndex().row(), 0);
}

}  // namespace
}  // namespace pellora::ui
