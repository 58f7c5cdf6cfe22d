#include "ui/grid_model.h"

#include <QBrush>
#include <QGuiApplication>
#include <QPalette>
#include <algorithm>
#include <utility>

#include "ui/look.h"

namespace pellora::ui {

FlexGridModel::FlexGridModel(FlexGrid& grid, QObject* parent) : QAbstractTableModel(parent), grid_(grid) {
  grid_.AddListener(this);
  catchUp();
}

FlexGridModel::~FlexGridModel() { grid_.RemoveListener(this); }

void FlexGridModel::CellRange::add(int row, int col) {
  top = std::min(top, row);
  bottom = std::max(bottom, row);
  left = std::min(left, col);
  right = std::max(right, col);
}

void FlexGridModel::RowsChanged(int before, int after) {
  pending_.fewestRows = std::min({pending_.fewestRows, before, after});
  changed();
}

void FlexGridModel::ColsChanged(int before, int after) {
  pending_.fewestCols = std::min({pending_.fewestCols, before, after});
  changed();
}

void FlexGridModel::CellChanged(int row, int col) {
  pending_.cells.add(row, col);
  changed();
}

void FlexGridModel::RowsReordered(int first) {
  pending_.reorderedFrom = std::min(pending_.reorderedFrom, first);
  changed();
}

void FlexGridModel::LayoutChanged() {
  pending_.layout = true;
  changed();
}

void FlexGridModel::RefreshRequested() {
  pending_.refresh = true;
  changed();
}

void FlexGridModel::changed() {
  if (catchUpPending_) return;
  catchUpPending_ = true;
  QMetaObject::invokeMethod(this, &FlexGridModel::catchUp, Qt::QueuedConnection);
}

void FlexGridModel::catchUp() {
  catchUpPending_ = false;
  const Pending pending = std::exchange(pending_, Pending{});
  catchingUp_ = true;
  const int headingRows = std::min(grid_.FixedRows(), 1);
  const int headingCols = std::min(grid_.FixedCols(), 1);
  if (headingRows != headingRows_ || headingCols != headingCols_) {
    // Every item stands for another cell of the grid now.
    beginResetModel();
    headingRows_ = headingRows;
    headingCols_ = headingCols;
    rows_ = std::max(grid_.Rows() - headingRows_, 0);
    cols_ = std::max(grid_.Cols() - headingCols_, 0);
    fixedRows_ = grid_.FixedRows();
    fixedCols_ = grid_.FixedCols();
    endResetModel();
  } else {
    catchUpCounts(pending);
  }
  catchingUp_ = false;
  emit caughtUp();
}

void FlexGridModel::catchUpCounts(const Pending& pending) {
  const int rows = std::max(grid_.Rows() - headingRows_, 0);
  const int cols = std::max(grid_.Cols() - headingCols_, 0);
  const auto kept = [](int fewest, int heading, int before, int now) {
    return std::min({std::clamp(fewest, heading, INT_MAX) - heading, before, now});
  };
  const int keptRows = kept(pending.fewestRows, headingRows_, rows_, rows);
  const int keptCols = kept(pending.fewestCols, headingCols_, cols_, cols);
  if (keptRows < rows_) {
    beginRemoveRows({}, keptRows, rows_ - 1);
    rows_ = keptRows;
    endRemoveRows();
  }
  if (keptCols < cols_) {
    beginRemoveColumns({}, keptCols, cols_ - 1);
    cols_ = keptCols;
    endRemoveColumns();
  }
  if (rows > rows_) {
    beginInsertRows({}, rows_, rows - 1);
    rows_ = rows;
    endInsertRows();
  }
  if (cols > cols_) {
    beginInsertColumns({}, cols_, cols - 1);
    cols_ = cols;
    endInsertColumns();
  }
  catchUpContents(pending, keptRows, keptCols);
}

// Among the items that stayed: a sort's reorder, the changed cells, and
// the headings.
void FlexGridModel::catchUpContents(const Pending& pending, int keptRows, int keptCols) {
  // The sort moved the rows' contents, not the rows. The grid does not say
  // where each row went, so the persistent indexes stay in their places;
  // the routine that sorts sets the grid's selection, which the view then
  // shows.
  if (pending.reorderedFrom - headingRows_ < keptRows) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
  }
  // Fixed rows and columns beyond the headings have the headings' face, so
  // moving them changes every item's look, as a refresh redraws them all.
  const bool fixedMoved = grid_.FixedRows() != fixedRows_ || grid_.FixedCols() != fixedCols_;
  fixedRows_ = grid_.FixedRows();
  fixedCols_ = grid_.FixedCols();
  CellRange cells = pending.cells;
  if (pending.refresh || fixedMoved) cells = {0, 0, INT_MAX, INT_MAX};
  // One signal for the rectangle around them: a view draws what is in
  // sight of it once, however many cells a routine wrote.
  const int top = std::max(cells.top - headingRows_, 0), bottom = std::min(cells.bottom - headingRows_, keptRows - 1);
  const int left = std::max(cells.left - headingCols_, 0), right = std::min(cells.right - headingCols_, keptCols - 1);
  if (top <= bottom && left <= right) emit dataChanged(index(top, left), index(bottom, right));

  // The headings are the grid's row 0 and column 0, and a width is a
  // heading's too; those of items that came are new anyway.
  const bool allAcross = pending.refresh || pending.layout || fixedMoved || pending.fewestRows < headingRows_;
  const bool allDown = pending.refresh || fixedMoved || pending.fewestCols < headingCols_;
  const auto headings = [&](Qt::Orientation orientation, bool all, bool touched, int first, int last, int kept) {
    if (all) {
      first = 0;
      last = kept - 1;
    }
    if ((all || touched) && first <= last) emit headerDataChanged(orientation, first, last);
  };
  if (headingRows_ > 0) headings(Qt::Horizontal, allAcross, cells.top < headingRows_, left, right, keptCols);
  if (headingCols_ > 0) headings(Qt::Vertical, allDown, cells.left < headingCols_, top, bottom, keptRows);
}

int FlexGridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }
int FlexGridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : cols_; }

QVariant FlexGridModel::data(const QModelIndex& index, int role) const {
  const int row = gridRow(index.row());
  const int col = gridColumn(index.column());
  // Between a change and the catching up, the grid may have fewer cells.
  if (!index.isValid() || row >= grid_.Rows() || col >= grid_.Cols()) return {};
  switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: {
      const std::u16string text = grid_.TextMatrix(row, col);
      if (role == Qt::ToolTipRole && text.empty()) return {};
      return ToQString(text);
    }
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(Qt::AlignVCenter | (grid_.CellAlignment(row, col) == FlexGrid::Alignment::Right
                                                         ? Qt::AlignRight
                                                         : Qt::AlignLeft));
    case Qt::BackgroundRole: {
      // Fixed rows and columns past the headings keep the heading's face.
      const bool fixed = row < grid_.FixedRows() || col < grid_.FixedCols();
      const std::optional<GridColor> color = grid_.CellBackColor(row, col);
      if (!color && !fixed) return {};
      return QBrush(ToQColor(color.value_or(kButtonFaceColor), QGuiApplication::palette()));
    }
    default: return {};
  }
}

QVariant FlexGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
  const int row = orientation == Qt::Horizontal ? 0 : gridRow(section);
  const int col = orientation == Qt::Horizontal ? gridColumn(section) : 0;
  const bool heading = orientation == Qt::Horizontal ? headingRows_ > 0 : headingCols_ > 0;
  if (!heading || !headingsShown_ || row >= grid_.Rows() || col >= grid_.Cols()) return QString();
  return ToQString(grid_.TextMatrix(row, col));
}

void FlexGridModel::setHeadingsShown(bool shown) {
  if (shown == headingsShown_) return;
  headingsShown_ = shown;
  if (!shown) return;
  if (cols_ > 0) emit headerDataChanged(Qt::Horizontal, 0, cols_ - 1);
  if (rows_ > 0) emit headerDataChanged(Qt::Vertical, 0, rows_ - 1);
}

}  // namespace pellora::ui
