#include "grid/flex_grid.h"

#include <algorithm>
#include <array>
#include <numeric>

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

// A row's keys for a sort by code unit, made so that most comparisons look
// at nothing but two entries: the first twelve units of each of the first
// three key columns (enough for a year-month, a ten-digit insured-person
// number and an insurer number whole) packed into integers that order as the
// texts do (units beyond a text's end count as 0), with each text's length.
// Only when those cannot decide are the full texts compared. Entries are
// sorted themselves, not indices into them: a sort of many rows then walks
// memory in order instead of jumping between rows.
struct CodeUnitSortEntry {
  static constexpr std::size_t kPackedKeys = 3;
  static constexpr std::size_t kWordsPerKey = 3;
  static constexpr std::size_t kPackedUnits = 4 * kWordsPerKey;
  std::array<std::uint64_t, kWordsPerKey * kPackedKeys> packed{};
  std::array<std::uint8_t, kPackedKeys> lengths{};  // up to kPackedUnits + 1: "longer"
  std::uint32_t row = 0;
};

std::vector<std::size_t> OrderByCodeUnits(const std::vector<std::u16string_view>& keys, std::size_t n,
                                          std::size_t k, bool descending) {
  using Entry = CodeUnitSortEntry;
  const std::size_t packedKeys = std::min(k, Entry::kPackedKeys);
  std::vector<Entry> entries(n);
  for (std::size_t i = 0; i < n; ++i) {
    Entry& e = entries[i];
    e.row = static_cast<std::uint32_t>(i);
    for (std::size_t j = 0; j < packedKeys; ++j) {
      const std::u16string_view key = keys[i * k + j];
      for (std::size_t u = 0; u < Entry::kPackedUnits && u < key.size(); ++u)
        e.packed[Entry::kWordsPerKey * j + u / 4] |= std::uint64_t{key[u]} << (16 * (3 - u % 4));
      e.lengths[j] = static_cast<std::uint8_t>(std::min<std::size_t>(key.size(), Entry::kPackedUnits + 1));
    }
  }
  auto fullTexts = [&](std::size_t from, const Entry& a, const Entry& b) -> std::weak_ordering {
    for (std::size_t j = from; j < k; ++j) {
      const std::weak_ordering o = keys[a.row * k + j] <=> keys[b.row * k + j];
      if (o != 0) return o;
    }
    return std::weak_ordering::equivalent;
  };
  auto compare = [&](const Entry& a, const Entry& b) -> std::weak_ordering {
    for (std::size_t j = 0; j < packedKeys; ++j) {
      for (std::size_t h = Entry::kWordsPerKey * j; h < Entry::kWordsPerKey * (j + 1); ++h)
        if (a.packed[h] != b.packed[h]) return a.packed[h] < b.packed[h] ? std::weak_ordering::less : std::weak_ordering::greater;
      // Equal packed units: two texts that both end within them are equal
      // or one is the other followed by zero units; longer ones need all
      // their units.
      if (a.lengths[j] > Entry::kPackedUnits || b.lengths[j] > Entry::kPackedUnits) return fullTexts(j, a, b);
      if (a.lengths[j] != b.lengths[j]) return a.lengths[j] <=> b.lengths[j];
    }
    return fullTexts(packedKeys, a, b);
  };
  // Ties are broken by the row's place, which keeps the sort stable.
  std::sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
    const std::weak_ordering o = compare(a, b);
    if (o != 0) return descending ? o > 0 : o < 0;
    return a.row < b.row;
  });
  std::vector<std::size_t> order(n);
  for (std::size_t i = 0; i < n; ++i) order[i] = entries[i].row;
  return order;
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
  fixedRows_ = std::min(design.fixedRows, design.rows);
  fixedCols_ = std::min(design.fixedCols, design.cols);
  // The current cell starts at the first cell that is not fixed.
  row_ = rowSel_ = fixedRows_ < design.rows ? fixedRows_ : 0;
  col_ = colSel_ = fixedCols_ < design.cols ? fixedCols_ : 0;
}

void FlexGrid::SetRows(int rows) {
  RequireCount(rows);
  const int before = Rows();
  if (rows == before) return;
  cells_.ResizeRows(static_cast<std::size_t>(rows));
  if (rows < before) DropBackColorsBeyond(rows, cols_);
  ClampCurrentCell();
  Notify([&](GridListener& l) { l.RowsChanged(before, rows); });
}

void FlexGrid::SetCols(int cols) {
  RequireCount(cols);
  const int before = cols_;
  if (cols == before) return;
  if (cols < before) {
    cells_.TruncateColumns(static_cast<std::size_t>(cols));
    DropBackColorsBeyond(Rows(), cols);
  }
  colWidths_.resize(static_cast<std::size_t>(cols), kDefaultColWidth);
  cols_ = cols;
  ClampCurrentCell();
  Notify([&](GridListener& l) { l.ColsChanged(before, cols); });
}

void FlexGrid::CheckCell(int row, int col) const {
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
  if (rows < 0 || rows > Rows()) throw GridError(kErrInvalidPropertyValue);
  fixedRows_ = rows;
  Notify([](GridListener& l) { l.LayoutChanged(); });
}

void FlexGrid::SetFixedCols(int cols) {
  if (cols < 0 || cols > cols_) throw GridError(kErrInvalidPropertyValue);
  fixedCols_ = cols;
  Notify([](GridListener& l) { l.LayoutChanged(); });
}

int FlexGrid::ColWidth(int col) const {
  if (col < 0 || col >= cols_) throw GridError(kErrInvalidPropertyIndex);
  return colWidths_[static_cast<std::size_t>(col)];
}

void FlexGrid::SetColWidth(int col, int twips) {
  if (col < 0 || col >= cols_) throw GridError(kErrInvalidPropertyIndex);
  if (twips < kDefaultColWidth) throw GridError(kErrInvalidPropertyValue);
  colWidths_[static_cast<std::size_t>(col)] = twips;
  Notify([](GridListener& l) { l.LayoutChanged(); });
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

std::vector<std::size_t> FlexGrid::SortedOrder(int code, std::size_t first) const {
  const std::size_t n = cells_.Rows() - first;
  const std::size_t lo = static_cast<std::size_t>(std::min(col_, colSel_));
  const std::size_t k = static_cast<std::size_t>(std::max(col_, colSel_)) - lo + 1;
  const bool descending = IsDescending(code);
  std::vector<std::size_t> order(n);
  std::iota(order.begin(), order.end(), std::size_t{0});

  // Each row's keys are read once; the comparisons then only look at keys.
  // Ties keep their order (stable_sort), descending or not.
  auto sortBy = [&](auto& keys, auto compare) {
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
      for (std::size_t j = 0; j < k; ++j) {
        const std::weak_ordering o = compare(keys[a * k + j], keys[b * k + j]);
        if (o != 0) return descending ? o > 0 : o < 0;
      }
      return false;
    });
  };
  auto text = [&](std::size_t i, std::size_t j) { return cells_.Text(first + i, lo + j); };

  if (code == kSortGenericAscending || code == kSortGenericDescending) {
    std::vector<GenericKey> keys(n * k);
    for (std::size_t i = 0; i < n; ++i)
      for (std::size_t j = 0; j < k; ++j) keys[i * k + j] = GenericKey::Of(text(i, j));
    sortBy(keys, [](const GenericKey& a, const GenericKey& b) { return CompareGeneric(a, b); });
  } else {
    std::vector<std::u16string_view> keys(n * k);
    std::u16string folded;
    if (code == kSortStringNoCaseAscending || code == kSortStringNoCaseDescending) {
      // Each key is folded to lower case once, into one buffer, so that the
      // comparisons are plain code-unit comparisons: the same order as
      // CompareIgnoringCase, without folding every unit at every comparison.
      std::size_t units = 0;
      for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < k; ++j) units += text(i, j).size();
      folded.reserve(units);
      for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < k; ++j)
          for (const char16_t c : text(i, j)) folded.push_back(FoldCase(c));
      std::size_t at = 0;
      for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < k; ++j) {
          const std::size_t length = text(i, j).size();
          keys[i * k + j] = std::u16string_view(folded).substr(at, length);
          at += length;
        }
      }
    } else {
      for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < k; ++j) keys[i * k + j] = text(i, j);
    }
    order = OrderByCodeUnits(keys, n, k, descending);
  }
  return order;
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
  const std::size_t first = static_cast<std::size_t>(std::min(fixedRows_, Rows()));
  if (cells_.Rows() - first < 2 || cols_ == 0) return;
  const std::vector<std::size_t> order = SortedOrder(code, first);
  cells_.ReorderRows(first, order);
  MoveBackColors(first, order);
  Notify([&](GridListener& l) { l.RowsReordered(static_cast<int>(first)); });
}

void FlexGrid::Refresh() {
  Notify([](GridListener& l) { l.RefreshRequested(); });
}

void FlexGrid::SetCellBackColor(GridColor color) {
  CheckCell(row_, col_);
  backColors_[CellKey(static_cast<std::size_t>(row_), static_cast<std::size_t>(col_))] = color;
  Notify([&](GridListener& l) { l.CellChanged(row_, col_); });
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
  return sizeof(*this) + cells_.MemoryUsage() + colWidths_.capacity() * sizeof(int) +
         backColors_.bucket_count() * sizeof(void*) + backColors_.size() * 32;
}

}  // namespace pellora
