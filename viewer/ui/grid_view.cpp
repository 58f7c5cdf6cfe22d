#include "ui/grid_view.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QProxyStyle>
#include <QStyleFactory>

#include "grid/selection_text.h"
#include "shell/window_design.h"
#include "ui/look.h"

namespace pellora::ui {
namespace {

// The application's style with the narrow cell margins of the design's
// grid control: a one-pixel focus margin leaves two pixels of room on
// either side of a cell's text instead of three, which is what a ten-digit
// number needs in its thousand twips.
class GridStyle : public QProxyStyle {
 public:
  GridStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}
  int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
    if (metric == PM_FocusFrameHMargin) return 1;
    return QProxyStyle::pixelMetric(metric, option, widget);
  }
};

}  // namespace

FlexGridView::FlexGridView(FlexGrid& grid, std::vector<int> equalWidth, QWidget* parent)
    : QTableView(parent), model_(grid), equalWidth_(std::move(equalWidth)) {
  setModel(&model_);
  QStyle* style = new GridStyle;
  style->setParent(this);
  for (QWidget* part : {static_cast<QWidget*>(this), viewport(), static_cast<QWidget*>(horizontalHeader()),
                        static_cast<QWidget*>(verticalHeader())}) {
    part->setStyle(style);
    part->setFont(GridFont());
  }
  // Pellora only reads: the cells are not edited. Cells, rows (by their
  // headings) or the whole grid are selected, for copying.
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::ContiguousSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setWordWrap(false);
  setCornerButtonEnabled(false);
  for (QHeaderView* header : {horizontalHeader(), verticalHeader()}) {
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setMinimumSectionSize(0);
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignCenter);
  }
  verticalHeader()->setDefaultSectionSize(kGridRowPixels);
  horizontalHeader()->setFixedHeight(kGridRowPixels);
  horizontalHeader()->setSectionsClickable(true);
  connect(horizontalHeader(), &QHeaderView::sectionClicked, this,
          [this](int section) { emit headingClicked(model_.gridColumn(section)); });
  connect(&model_, &FlexGridModel::caughtUp, this, &FlexGridView::layOutColumns);
  connect(&model_, &FlexGridModel::caughtUp, this, &FlexGridView::selectionFromGrid);
  // Both signals: a click moves the current cell before it selects, while
  // setting the current index with a selection command selects first; the
  // second signal of either order finds the view's whole new state.
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &FlexGridView::selectionToGrid);
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this, &FlexGridView::selectionToGrid);
  // A routine moves Row, Col, RowSel and ColSel one after another, maybe
  // before the model has its rows: the view shows the end of it, once. The
  // grid's notices of a gesture being written are that gesture's own.
  connect(&model_, &FlexGridModel::gridSelectionChanged, this, [this] {
    if (writingGrid_ || showPending_) return;
    showPending_ = true;
    QMetaObject::invokeMethod(this, &FlexGridView::selectionFromGrid, Qt::QueuedConnection);
  });
  layOutColumns();
}

void FlexGridView::contextMenuEvent(QContextMenuEvent* event) { emit menuRequested(event->globalPos()); }

void FlexGridView::setVisible(bool visible) {
  model_.setHeadingsShown(visible);
  QTableView::setVisible(visible);
}

void FlexGridView::showEvent(QShowEvent* event) {
  QTableView::showEvent(event);
  if (!laidOutWhileHidden_) return;
  laidOutWhileHidden_ = false;
  layOutColumns();
  selectionFromGrid();
}

QRect FlexGridView::selectionBounds() const {
  QRect bounds;
  for (const QItemSelectionRange& range : selectionModel()->selection())
    bounds |= QRect(QPoint(range.left(), range.top()), QPoint(range.right(), range.bottom()));
  return bounds;
}

// The current cell is one corner; the selection's opposite corner is the
// grid's RowSel and ColSel.
void FlexGridView::selectionToGrid() {
  if (showingGrid_ || model_.catchingUp()) return;
  const QModelIndex current = currentIndex();
  // Nothing current (a model reset clears it): the grid keeps its own.
  if (!current.isValid()) return;
  QPoint opposite(current.column(), current.row());
  const QRect bounds = selectionBounds();
  if (bounds.contains(opposite))
    opposite = {current.column() == bounds.left() ? bounds.right() : bounds.left(),
                current.row() == bounds.top() ? bounds.bottom() : bounds.top()};
  FlexGrid& grid = model_.grid();
  const int row = model_.gridRow(current.row());
  const int col = model_.gridColumn(current.column());
  const int rowSel = model_.gridRow(opposite.y());
  const int colSel = model_.gridColumn(opposite.x());
  if (row >= grid.Rows() || col >= grid.Cols() || rowSel >= grid.Rows() || colSel >= grid.Cols()) return;
  writingGrid_ = true;
  grid.SetRow(row);
  grid.SetCol(col);
  grid.SetRowSel(rowSel);
  grid.SetColSel(colSel);
  writingGrid_ = false;
}

bool FlexGridView::viewShowsGridSelection() const {
  const FlexGrid& grid = model_.grid();
  const QModelIndex current = currentIndex();
  if (!current.isValid() || current != model_.viewIndex(grid.Row(), grid.Col())) return false;
  const GridSelection s = SelectionOf(grid);
  const QRect bounds = selectionBounds();
  if (bounds.isNull()) return s.top == s.bottom && s.left == s.right;
  return model_.gridRow(bounds.top()) == s.top && model_.gridColumn(bounds.left()) == s.left &&
         model_.gridRow(bounds.bottom()) == s.bottom && model_.gridColumn(bounds.right()) == s.right;
}

// A single cell is only made current, not highlighted: a display just
// loaded looks as it always has. The heading row or column as the current
// cell (a re-sort parks it there) shows as no selection.
void FlexGridView::selectionFromGrid() {
  showPending_ = false;
  if (isHidden()) {
    laidOutWhileHidden_ = true;
    return;
  }
  if (viewShowsGridSelection()) return;
  const FlexGrid& grid = model_.grid();
  const GridSelection s = SelectionOf(grid);
  showingGrid_ = true;
  selectionModel()->clear();
  const QModelIndex current = model_.viewIndex(grid.Row(), grid.Col());
  if (current.isValid()) {
    if (s.top != s.bottom || s.left != s.right) {
      // A selection that takes in the headings starts below and beside them.
      const QModelIndex topLeft =
          model_.viewIndex(std::max(s.top, model_.gridRow(0)), std::max(s.left, model_.gridColumn(0)));
      const QModelIndex bottomRight = model_.viewIndex(s.bottom, s.right);
      if (topLeft.isValid() && bottomRight.isValid())
        selectionModel()->select(QItemSelection(topLeft, bottomRight), QItemSelectionModel::ClearAndSelect);
    }
    selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    scrollTo(current);
  }
  showingGrid_ = false;
}

void FlexGridView::layOutColumns() {
  if (isHidden()) {
    laidOutWhileHidden_ = true;
    return;
  }
  horizontalHeader()->setVisible(model_.headingRows() > 0);
  verticalHeader()->setVisible(model_.headingCols() > 0);
  const QFontMetrics metrics(horizontalHeader()->font());
  const std::vector<int> widths = ColumnPixelWidths(
      model_.grid(), [&](std::u16string_view text) { return metrics.horizontalAdvance(ToQString(text)); },
      equalWidth_);
  if (model_.headingCols() > 0 && !widths.empty()) verticalHeader()->setFixedWidth(widths.front());
  for (int section = 0; model_.gridColumn(section) < static_cast<int>(widths.size()); ++section) {
    const int width = widths[static_cast<std::size_t>(model_.gridColumn(section))];
    setColumnHidden(section, width == 0);
    if (width > 0) setColumnWidth(section, width);
  }
}

}  // namespace pellora::ui
