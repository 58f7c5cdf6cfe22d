#include <cassert>

#include "jet/jet_reader.h"

namespace pellora::jet {

Table::Table(std::string name, std::vector<std::string> columns)
    : name_(std::move(name)), columns_(std::move(columns)), types_(columns_.size(), ColumnType::Text) {}

std::optional<std::u16string_view> Table::text(std::size_t row, std::size_t column) const {
  assert(row < rowCount_ && column < columns_.size());
  const Cell& cell = cells_[row * columns_.size() + column];
  if (cell.length == kNullLength) return std::nullopt;
  return std::u16string_view(chars_).substr(cell.offset, cell.length);
}

}  // namespace pellora::jet
