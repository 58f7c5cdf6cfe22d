#include "grid/flex_grid.h"

#include <algorithm>

#include "text/number_text.h"
#include "text/sort_rules.h"

namespace pellora {
namespace {

std::uint64_t CellKey(std::size_t row, std::size_t col) { return std::uint64_t{row} << 32 | col; }
std::size_t RowOfKey(std::uint64_t key) { return static_cast<std::size_t>(key >> 32); }
std::size_t ColOfKey(std::uint64_t key) { return static_cast<std::size_t>(key & 0xFFFFFFFFu); }

void RequireCount(int count) {
  if (count < 0) throw GridError(kErrInvalidPropertyValue);
}

// A current-cell coordinate must name an existing row or column; an empty
// grid still accepts 0, since routines park the current cell at 0 before
// they know whether there is anything to sort.
void RequirePosition(int position, int count) {
  if (position < 0 || (position >= count && position != 0)) throw GridError(kErrInvalidPropertyIndex);
}

bool IsDescending(int code) {
  return code == FlexGrid::kSortGenericDescending || code == FlexGrid::kSortStringNoCaseDescending ||
         code == FlexGrid::kSortStringDescending;
}

}  // namespace

FlexGrid::FlexGrid(GridDesign design) {
  RequireCount(design.rows);
  RequireCount(design.cols);
  RequireCount(design.fixedRows);
  RequireCount(design.fixedCols);
  cells_.ResizeRows(static_cast<std::size_t>(design.rows));
  cols_ = design.cols;
  colWidths_.assign(static_cast<std::size_t>(cols_), kDefaultColWidth);
  colAlignments_.assign(static_cast<std::size_t>(cols_), Alignment::General);
  fixedRows_ = std::min(design.fixedRows, design.rows);
  fixedCols_ = std::min(design.fixedCols, design.cols);
  // The current cell starts at the first cell that is not fixed.
  row_ = rowSel_ = fixedRows_ < design.rows ? fixedRows_ : 0;
  col_ = colSel_ = fixedCols_ < design.cols ? fixedCols_ : 0;
}

void FlexGrid::SetRows(int rows) {
  RequireCount(rows);
  Settle(rows);
  const int before = Rows();
  if (rows == before) return;
  cells_.ResizeRows(static_cast<std::size_t>(rows));
  if (rows < before) DropBackColorsBeyond(rows, cols_);
  ClampCurrentCell();
  Notify([&](GridListener& l) { l.RowsChanged(before, rows); });
}

void FlexGrid::SetCols(int cols) {
  RequireCount(cols);
  Settle();
  const int before = cols_;
  if (cols == before) return;
  if (cols < before) {
    cells_.TruncateColumns(static_cast<std::size_t>(cols));
    DropBackColorsBeyond(Rows(), cols);
  }
  colWidths_.resize(static_cast<std::size_t>(cols), kDefaultColWidth);
  colAlignments_.resize(static_cast<std::size_t>(cols), Alignment::General);
  cols_ = cols;
  ClampCurrentCell();
  Notify([&](GridListener& l) { l.ColsChanged(before, cols); });
}

void FlexGrid::Settle(int rowLimit) const {
  if (!deferred_) return;
  const Deferred deferred = std::move(*deferred_);
  deferred_.reset();
  // The grid is not const to its owner, only to the read that asked.
  deferred.write(const_cast<FlexGrid&>(*this), rowLimit);
}

void FlexGrid::Defer(int rows, int cols, DeferredWrite write) {
  RequireCount(rows);
  RequireCount(cols);
  Settle();
  const int rowsBefore = Rows();
  const int colsBefore = cols_;
  deferred_ = Deferred{rows, cols, std::move(write)};
  if (cols != colsBefore) Notify([&](GridListener& l) { l.ColsChanged(colsBefore, cols); });
  if (rows != rowsBefore) Notify([&](GridListener& l) { l.RowsChanged(rowsBefore, rows); });
}

void FlexGrid::CheckCell(int row, int col) const {
  Settle();
  if (row < 0 || row >= Rows() || col < 0 || col >= cols_) throw GridError(kErrInvalidPropertyIndex);
}

std::u16string FlexGrid::TextMatrix(int row, int col) const {
  CheckCell(row, col);
  return std::u16string(cells_.Text(static_cast<std::size_t>(row), static_cast<std::size_t>(col)));
}

void FlexGrid::SetTextMatrix(int row, int col, std::u16string_view text) {
  CheckCell(row, col);
  cells_.SetText(static_cast<std::size_t>(row), static_cast<std::size_t>(col), text,
                 static_cast<std::size_t>(cols_));
  if (!listeners_.empty()) Notify([&](GridListener& l) { l.CellChanged(row, col); });
}

void FlexGrid::SetFixedRows(int rows) {
  Settle();
  if (rows < 0 || rows > Rows()) throw GridError(kErrInvalidPropertyValue);
  fixedRows_ = rows;
  Notify([](GridListener& l) { l.LayoutChanged(); });
}

void FlexGrid::SetFixedCols(int cols) {
  Settle();
  if (cols < 0 || cols > cols_) throw GridError(kErrInvalidPropertyValue);
  fixedCols_ = cols;
  Notify([](GridListener& l) { l.LayoutChanged(); });
}

int FlexGrid::ColWidth(int col) const {
  Settle();
  if (col < 0 || col >= cols_) throw GridError(kErrInvalidPropertyIndex);
  return colWidths_[static_cast<std::size_t>(col)];
}

void FlexGrid::SetColWidth(int col, int twips) {
  Settle();
  if (col < 0 || col >= cols_) throw GridError(kErrInvalidPropertyIndex);
  if (twips < kDefaultColWidth) throw GridError(kErrInvalidPropertyValue);
  colWidths_[static_cast<std::size_t>(col)] = twips;
  Notify([](GridListener& l) { l.LayoutChanged(); });
}

FlexGrid::Alignment FlexGrid::ColAlignment(int col) const {
  Settle();
  if (col < 0 || col >= cols_) throw GridError(kErrInvalidPropertyIndex);
  return colAlignments_[static_cast<std::size_t>(col)];
}

void FlexGrid::SetColAlignment(int col, Alignment alignment) {
  Settle();
  if (col < 0 || col >= cols_) throw GridError(kErrInvalidPropertyIndex);
  colAlignments_[static_cast<std::size_t>(col)] = alignment;
  Notify([](GridListener& l) { l.LayoutChanged(); });
}

FlexGrid::Alignment FlexGrid::CellAlignment(int row, int col) const {
  const Alignment alignment = ColAlignment(col);
  if (alignment != Alignment::General) return alignment;
  return IsNumberText(TextMatrix(row, col)) ? Alignment::Right : Alignment::Left;
}

void FlexGrid::SetFormatString(std::u16string_view format) {
  std::vector<std::u16string_view> headings;
  for (std::size_t start = 0;;) {
    const std::size_t bar = format.find(u'|', start);
    headings.push_back(format.substr(start, bar == std::u16string_view::npos ? bar : bar - start));
    if (bar == std::u16string_view::npos) break;
    start = bar + 1;
  }
  if (Rows() == 0) SetRows(1);  // the headings need their row
  SetCols(static_cast<int>(headings.size()));
  for (std::size_t c = 0; c < headings.size(); ++c) SetTextMatrix(0, static_cast<int>(c), headings[c]);
}

void FlexGrid::SetRow(int row) {
  RequirePosition(row, Rows());
  row_ = rowSel_ = row;
  Notify([](GridListener& l) {
    l.CurrentCellChanged();
    l.SelectionChanged();
  });
}

void FlexGrid::SetCol(int col) {
  RequirePosition(col, cols_);
  col_ = colSel_ = col;
  Notify([](GridListener& l) {
    l.CurrentCellChanged();
    l.SelectionChanged();
  });
}

void FlexGrid::SetRowSel(int row) {
  RequirePosition(row, Rows());
  rowSel_ = row;
  Notify([](GridListener& l) { l.SelectionChanged(); });
}

void FlexGrid::SetColSel(int col) {
  RequirePosition(col, cols_);
  colSel_ = col;
  Notify([](GridListener& l) {
    l.CurrentCellChanged();
    l.SelectionChanged();
  });
}

// Rows or columns went away: the current cell and the selection's end stay
// inside the grid.
void FlexGrid::ClampCurrentCell() {
  row_ = std::clamp(row_, 0, std::max(Rows() - 1, 0));
  rowSel_ = std::clamp(rowSel_, 0, std::max(Rows() - 1, 0));
  col_ = std::clamp(col_, 0, std::max(cols_ - 1, 0));
  colSel_ = std::clamp(colSel_, 0, std::max(cols_ - 1, 0));
}

// Each row's keys are read once, as views of the cells; the sort then
// only looks at keys.
std::vector<std::size_t> FlexGrid::SortedOrder(int code, std::size_t first) const {
  const std::size_t n = cells_.Rows() - first;
  const std::size_t lo = static_cast<std::size_t>(std::min(col_, colSel_));
  const std::size_t k = static_cast<std::size_t>(std::max(col_, colSel_)) - lo + 1;
  std::vector<std::u16string_view> keys(n * k);
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = 0; j < k; ++j) keys[i * k + j] = cells_.Text(first + i, lo + j);
  const TextOrder order = code == kSortGenericAscending || code == kSortGenericDescending ? TextOrder::Generic
                          : code == kSortStringNoCaseAscending || code == kSortStringNoCaseDescending
                              ? TextOrder::IgnoringCase
                              : TextOrder::CodeUnits;
  return SortedRows(keys, k, order, IsDescending(code));
}

void FlexGrid::SetSort(int code) {
  switch (code) {
    case kSortNone:
      return;
    case kSortGenericAscending:
    case kSortGenericDescending:
    case kSortStringNoCaseAscending:
    case kSortStringNoCaseDescending:
    case kSortStringAscending:
    case kSortStringDescending:
      break;
    default:
      throw GridError(kErrInvalidPropertyValue);
  }
  Settle();
  const std::size_t first = static_cast<std::size_t>(std::min(fixedRows_, Rows()));
  if (cells_.Rows() - first < 2 || cols_ == 0) return;
  ReorderRows(static_cast<int>(first), SortedOrder(code, first));
}

void FlexGrid::ReorderRows(int first, const std::vector<std::size_t>& order) {
  Settle();
  if (first < 0 || first > Rows() || order.size() != static_cast<std::size_t>(Rows() - first))
    throw GridError(kErrInvalidPropertyValue);
  const std::size_t from = static_cast<std::size_t>(first);
  cells_.ReorderRows(from, order);
  MoveBackColors(from, order);
  Notify([&](GridListener& l) { l.RowsReordered(first); });
}

void FlexGrid::Refresh() {
  Notify([](GridListener& l) { l.RefreshRequested(); });
}

void FlexGrid::SetCellBackColor(GridColor color) { SetCellBackColor(row_, col_, color); }

void FlexGrid::SetCellBackColor(int row, int col, GridColor color) {
  CheckCell(row, col);
  backColors_[CellKey(static_cast<std::size_t>(row), static_cast<std::size_t>(col))] = color;
  if (!listeners_.empty()) Notify([&](GridListener& l) { l.CellChanged(row, col); });
}

std::optional<GridColor> FlexGrid::CellBackColor(int row, int col) const {
  CheckCell(row, col);
  const auto it = backColors_.find(CellKey(static_cast<std::size_t>(row), static_cast<std::size_t>(col)));
  if (it == backColors_.end()) return std::nullopt;
  return it->second;
}

// A cell's colour belongs to its row, so a sort carries it along.
void FlexGrid::MoveBackColors(std::size_t first, const std::vector<std::size_t>& order) {
  if (backColors_.empty()) return;
  std::vector<std::size_t> newIndex(order.size());
  for (std::size_t i = 0; i < order.size(); ++i) newIndex[order[i]] = i;
  std::unordered_map<std::uint64_t, GridColor> moved;
  for (const auto& [key, color] : backColors_) {
    const std::size_t row = RowOfKey(key);
    moved[row < first ? key : CellKey(first + newIndex[row - first], ColOfKey(key))] = color;
  }
  backColors_ = std::move(moved);
}

void FlexGrid::DropBackColorsBeyond(int rows, int cols) {
  std::erase_if(backColors_, [&](const auto& entry) {
    return RowOfKey(entry.first) >= static_cast<std::size_t>(rows) ||
           ColOfKey(entry.first) >= static_cast<std::size_t>(cols);
  });
}

void FlexGrid::AddListener(GridListener* listener) {
  if (std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end()) listeners_.push_back(listener);
}

void FlexGrid::RemoveListener(GridListener* listener) { std::erase(listeners_, listener); }

std::size_t FlexGrid::MemoryUsage() const {
  Settle();
  return sizeof(*this) + cells_.MemoryUsage() + colWidths_.capacity() * sizeof(int) +
         backColors_.bucket_count() * sizeof(void*) + backColors_.size() * 32;
}

}  // namespace pellora
