#include "ui/grid_model.h"

#include <QBrush>
#include <QGuiApplication>
#include <QPalette>
#include <algorithm>

#include "text/number_text.h"
#include "ui/look.h"

namespace pellora::ui {

FlexGridModel::FlexGridModel(FlexGrid& grid, QObject* parent) : QAbstractTableModel(parent), grid_(grid) {
  grid_.AddListener(this);
  catchUp();
}

FlexGridModel::~FlexGridModel() { grid_.RemoveListener(this); }

void FlexGridModel::changed() {
  if (catchUpPending_) return;
  catchUpPending_ = true;
  QMetaObject::invokeMethod(this, &FlexGridModel::catchUp, Qt::QueuedConnection);
}

void FlexGridModel::catchUp() {
  catchUpPending_ = false;
  beginResetModel();
  headingRows_ = std::min(grid_.FixedRows(), 1);
  headingCols_ = std::min(grid_.FixedCols(), 1);
  rows_ = std::max(grid_.Rows() - headingRows_, 0);
  cols_ = std::max(grid_.Cols() - headingCols_, 0);
  endResetModel();
  emit caughtUp();
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
      // As the grid control aligns in general: numbers to the right.
      return QVariant::fromValue(Qt::AlignVCenter |
                                 (IsNumberText(grid_.TextMatrix(row, col)) ? Qt::AlignRight : Qt::AlignLeft));
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
  if (!heading || row >= grid_.Rows() || col >= grid_.Cols()) return QString();
  return ToQString(grid_.TextMatrix(row, col));
}

}  // namespace pellora::ui
