#include "grid/cell_store.h"

#include <algorithm>
#include <string>

#include "grid/grid_error.h"

namespace pellora::grid_detail {
namespace {

// Length prefix: one unit below 0x8000, else two units carrying 31 bits.
constexpr std::size_t kLongLength = 0x8000;
constexpr std::size_t kMaxLength = 0x7FFFFFFF;

std::size_t PrefixUnits(std::size_t length) { return length < kLongLength ? 1 : 2; }

// Containers grow by half rather than double: the spare capacity of a full
// claim file's arena and pool counts against its memory budget.
std::size_t GrownCapacity(std::size_t capacity, std::size_t needed, std::size_t minimum) {
  return std::max({needed, capacity + capacity / 2, minimum});
}

// Reclaiming pays only when the waste outweighs the live data, and not for
// the few bytes of a small grid.
bool Wasteful(std::size_t garbage, std::size_t size, std::size_t floor) {
  return garbage >= floor && garbage > size / 2;
}

}  // namespace

TextArena::TextArena() : units_(1, u'\0') {}  // offset 0 stays free to mean ""

void TextArena::Reserve(std::size_t extra) {
  const std::size_t needed = units_.size() + extra;
  if (needed > units_.capacity()) units_.reserve(GrownCapacity(units_.capacity(), needed, 1024));
}

TextArena::Ref TextArena::Add(std::u16string_view text) {
  if (text.empty()) return 0;
  if (text.size() > kMaxLength) throw GridError(kErrOutOfMemoryInGrid);
  Reserve(PrefixUnits(text.size()) + text.size());
  const Ref ref = units_.size();
  if (text.size() < kLongLength) {
    units_.push_back(static_cast<char16_t>(text.size()));
  } else {
    units_.push_back(static_cast<char16_t>(kLongLength | text.size() >> 16));
    units_.push_back(static_cast<char16_t>(text.size() & 0xFFFF));
  }
  units_.insert(units_.end(), text.begin(), text.end());
  return ref;
}

std::u16string_view TextArena::Get(Ref ref) const {
  if (ref == 0) return {};
  const char16_t* p = units_.data() + ref;
  if (p[0] < kLongLength) return {p + 1, p[0]};
  const std::size_t length = (std::size_t{p[0]} & (kLongLength - 1)) << 16 | p[1];
  return {p + 2, length};
}

std::size_t TextArena::Footprint(Ref ref) const {
  const std::size_t length = Get(ref).size();
  return PrefixUnits(length) + length;
}

bool TextArena::Overwrite(Ref ref, std::u16string_view text) {
  if (ref == 0 || text.empty()) return false;
  const std::size_t old = Footprint(ref);
  if (PrefixUnits(text.size()) + text.size() > old) return false;
  char16_t* p = units_.data() + ref;
  if (text.size() < kLongLength) {
    *p++ = static_cast<char16_t>(text.size());
  } else {
    *p++ = static_cast<char16_t>(kLongLength | text.size() >> 16);
    *p++ = static_cast<char16_t>(text.size() & 0xFFFF);
  }
  std::copy(text.begin(), text.end(), p);
  garbage_ += old - (PrefixUnits(text.size()) + text.size());
  return true;
}

void TextArena::Release(Ref ref) {
  if (ref != 0) garbage_ += Footprint(ref);
}

bool TextArena::Holds(const char16_t* p) const {
  return p >= units_.data() && p < units_.data() + units_.capacity();
}

bool TextArena::WorthCompacting() const { return Wasteful(garbage_, units_.size(), 64 * 1024); }

// ---------------------------------------------------------------------------

void CellStore::GrowPool(std::size_t extra) {
  const std::size_t needed = pool_.size() + extra;
  if (needed > pool_.capacity()) pool_.reserve(GrownCapacity(pool_.capacity(), needed, 256));
  pool_.resize(needed, 0);
}

std::uint64_t& CellStore::Slot(RowSpan& row, std::size_t col, std::size_t cols) {
  if (col < row.capacity) {
    row.width = std::max<std::uint32_t>(row.width, static_cast<std::uint32_t>(col + 1));
    return pool_[row.first + col];
  }
  if (row.capacity == 0) row.first = pool_.size();
  if (row.first + row.capacity == pool_.size()) {
    // The row ends the pool (always so while a file is being loaded row by
    // row): it grows in place, exactly as far as needed.
    GrowPool(col + 1 - row.capacity);
    row.capacity = static_cast<std::uint32_t>(col + 1);
  } else {
    // Elsewhere it moves to the end with room to grow, so that widening a
    // row column by column stays linear.
    const std::size_t capacity = std::max(col + 1, std::min<std::size_t>(2 * std::size_t{row.capacity}, cols));
    const std::size_t first = pool_.size();
    GrowPool(capacity);
    std::copy_n(pool_.begin() + static_cast<std::ptrdiff_t>(row.first), row.width,
                pool_.begin() + static_cast<std::ptrdiff_t>(first));
    poolGarbage_ += row.capacity;
    row.first = first;
    row.capacity = static_cast<std::uint32_t>(capacity);
  }
  row.width = static_cast<std::uint32_t>(col + 1);
  return pool_[row.first + col];
}

std::u16string_view CellStore::Text(std::size_t row, std::size_t col) const {
  const RowSpan& r = rows_[row];
  return col < r.width ? text_.Get(pool_[r.first + col]) : std::u16string_view{};
}

void CellStore::SetText(std::size_t row, std::size_t col, std::u16string_view text, std::size_t cols) {
  RowSpan& r = rows_[row];
  if (text.empty() && col >= r.width) return;  // already empty
  if (text_.Holds(text.data())) {
    // The text is another cell's: adding to the arena may move it.
    const std::u16string copy(text);
    SetText(row, col, copy, cols);
    return;
  }
  std::uint64_t& cell = Slot(r, col, cols);
  if (!text_.Overwrite(cell, text)) {
    const TextArena::Ref added = text_.Add(text);
    text_.Release(cell);
    cell = added;
  }
  CompactIfWasteful();
}

void CellStore::ResizeRows(std::size_t rows) {
  if (rows < rows_.size()) {
    for (std::size_t i = rows; i < rows_.size(); ++i) {
      const RowSpan& r = rows_[i];
      for (std::size_t c = 0; c < r.width; ++c) text_.Release(pool_[r.first + c]);
      poolGarbage_ += r.capacity;
    }
    rows_.resize(rows);
    if (rows_.capacity() > 1024 && rows_.capacity() / 4 > rows_.size()) rows_.shrink_to_fit();
    CompactIfWasteful();
  } else {
    rows_.resize(rows);
  }
}

void CellStore::TruncateColumns(std::size_t cols) {
  for (RowSpan& r : rows_) {
    for (std::size_t c = cols; c < r.width; ++c) {
      text_.Release(pool_[r.first + c]);
      pool_[r.first + c] = 0;
    }
    r.width = static_cast<std::uint32_t>(std::min<std::size_t>(r.width, cols));
  }
  CompactIfWasteful();
}

void CellStore::ReorderRows(std::size_t first, const std::vector<std::size_t>& order) {
  std::vector<RowSpan> moved(order.size());
  for (std::size_t i = 0; i < order.size(); ++i) moved[i] = rows_[first + order[i]];
  std::copy(moved.begin(), moved.end(), rows_.begin() + static_cast<std::ptrdiff_t>(first));
}

void CellStore::CompactIfWasteful() {
  if (Wasteful(poolGarbage_, pool_.size(), 4096)) CompactPool();
  if (text_.WorthCompacting()) CompactText();
}

void CellStore::CompactPool() {
  std::size_t live = 0;
  for (const RowSpan& r : rows_) live += r.width;
  std::vector<std::uint64_t> pool;
  pool.reserve(live);
  for (RowSpan& r : rows_) {
    const std::uint64_t first = pool.size();
    pool.insert(pool.end(), pool_.begin() + static_cast<std::ptrdiff_t>(r.first),
                pool_.begin() + static_cast<std::ptrdiff_t>(r.first + r.width));
    r.first = first;
    r.capacity = r.width;
  }
  pool_ = std::move(pool);
  poolGarbage_ = 0;
}

void CellStore::CompactText() {
  TextArena text;
  for (const RowSpan& r : rows_) {
    for (std::size_t c = 0; c < r.width; ++c) {
      std::uint64_t& cell = pool_[r.first + c];
      cell = text.Add(text_.Get(cell));
    }
  }
  text_ = std::move(text);
}

std::size_t CellStore::MemoryUsage() const {
  return text_.MemoryUsage() + pool_.capacity() * sizeof(std::uint64_t) + rows_.capacity() * sizeof(RowSpan);
}

}  // namespace pellora::grid_detail
