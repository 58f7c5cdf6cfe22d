#include "display/grid_accessibility.h"

#include <algorithm>

#include "claim/display_columns.h"
#include "grid/selection_text.h"

namespace pellora {
namespace {

std::u16string_view OutcomeText(LookupOutcome outcome) {
  switch (outcome) {
    case LookupOutcome::Found: return kNameFound;
    case LookupOutcome::NotFound: return kNameNotFound;
    case LookupOutcome::Unavailable: return kNameUnavailable;
    case LookupOutcome::NotLookedUp: break;
  }
  return u"";
}

}  // namespace

GridAccessibility::GridAccessibility(const FlexGrid& grid, std::u16string_view name, const ClaimView* display)
    : grid_(grid), name_(name), display_(display) {
  for (int col = grid_.FixedCols(); col < grid_.Cols(); ++col)
    if (grid_.ColWidth(col) != 0) columns_.push_back(col);
}

int GridAccessibility::CellOf(int col) const {
  const auto at = std::find(columns_.begin(), columns_.end(), col);
  return at == columns_.end() ? -1 : static_cast<int>(at - columns_.begin());
}

AccessibleItem GridAccessibility::Table() const {
  AccessibleItem item;
  item.role = AccessibleRole::Table;
  item.name = name_;
  return item;
}

// A row is named by its cells' texts, as a reader reads it along.
AccessibleItem GridAccessibility::Row(int row) const {
  AccessibleItem item;
  item.role = AccessibleRole::Row;
  if (row < grid_.FixedRows()) item.description = kHeadingDescription;
  for (int cell = 0; cell < Cells(); ++cell) {
    const std::u16string text = grid_.TextMatrix(row, ColumnOf(cell));
    if (text.empty()) continue;
    if (!item.name.empty()) item.name += u' ';
    item.name += text;
  }
  const GridSelection selection = SelectionOf(grid_);
  item.selected = row >= grid_.FixedRows() && row >= selection.top && row <= selection.bottom;
  item.current = Current() && Current()->first == row;
  return item;
}

AccessibleItem GridAccessibility::Cell(int row, int cell) const {
  const int col = ColumnOf(cell);
  AccessibleItem item;
  item.name = grid_.TextMatrix(row, col);
  if (row < grid_.FixedRows()) {
    item.role = AccessibleRole::ColumnHeader;
    item.description = kHeadingDescription;
    return item;
  }
  // The display's rows are the claim's, in its order, below the heading.
  const std::size_t index = static_cast<std::size_t>(row - grid_.FixedRows());
  const DisplayColumn* column = DisplayColumnAt(col);
  if (display_ && column && column->value == DisplayValue::Name && index < display_->rows.size() &&
      display_->rows.size() + static_cast<std::size_t>(grid_.FixedRows()) == static_cast<std::size_t>(grid_.Rows()))
    item.description = OutcomeText(display_->rows[index].nameOutcome);
  const GridSelection selection = SelectionOf(grid_);
  item.selected = row >= selection.top && row <= selection.bottom && col >= selection.left && col <= selection.right;
  item.current = Current() == std::pair{row, cell};
  return item;
}

std::optional<std::pair<int, int>> GridAccessibility::Current() const {
  const int cell = CellOf(grid_.Col());
  if (grid_.Row() < grid_.FixedRows() || grid_.Row() >= grid_.Rows() || cell < 0) return std::nullopt;
  return std::pair{grid_.Row(), cell};
}

}  // namespace pellora
