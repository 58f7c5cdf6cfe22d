#include <cassert>

#include "jet_reader.h"

namespace pellora::jet {

Table::Table(std::string name, std::vector<std::string> columns)
    : name_(std::move(name)), columns_(std::move(columns)) {}

std::optional<std::u16string_view> Table::text(std::size_t row, std::size_t column) const {
  assert(row < rowCount_ && column < columns_.size());
  const Cell& cell = cells_[row * columns_.size() + column];
  if (cell.length == kNullLength) return std::nullopt;
  return std::u16string_view(chars_).substr(cell.offset, cell.length);
}

void Table::AddRow(std::span<const std::optional<std::u16string_view>> cells) {
  assert(cells.size() == columns_.size());
  for (const auto& cell : cells) {
    if (!cell) {
      cells_.push_back({0, kNullLength});
      continue;
    }
    cells_.push_back({static_cast<std::uint32_t>(chars_.size()), static_cast<std::uint32_t>(cell->size())});
    chars_.append(*cell);
  }
  ++rowCount_;
}

void Table::Reserve(std::size_t rows, std::size_t characters) {
  cells_.reserve(rows * columns_.size());
  chars_.reserve(characters);
}

bool Table::Adopt(std::uint64_t rowCount, std::vector<Cell> cells, std::u16string chars) {
  const std::size_t width = columns_.size();
  if (width == 0 ? !cells.empty() : (cells.size() % width != 0 || cells.size() / width != rowCount)) {
    return false;
  }
  for (const Cell& cell : cells) {
    if (cell.length == kNullLength) continue;
    if (cell.offset > chars.size() || cell.length > chars.size() - cell.offset) return false;
  }
  rowCount_ = static_cast<std::size_t>(rowCount);
  cells_ = std::move(cells);
  chars_ = std::move(chars);
  return true;
}

}  // namespace pellora::jet
