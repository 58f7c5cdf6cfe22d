#include "grid/cell_store.h"

#include <algorithm>
#include <cstring>

#include "grid/grid_error.h"

namespace pellora::grid_detail {
namespace {

// Length prefix: one unit below 0x8000, else two units carrying 31 bits.
constexpr std::size_t kLongLength = 0x8000;
constexpr std::size_t kMaxLength = 0x7FFFFFFF;

constexpr std::size_t kMaxTextChunk = std::size_t{1} << 20;  // units: 2 MiB
constexpr std::size_t kMaxPoolChunk = std::size_t{1} << 16;  // cells: 512 KiB

std::size_t PrefixUnits(std::size_t length) { return length < kLongLength ? 1 : 2; }

char16_t* WritePrefix(char16_t* p, std::size_t length) {
  if (length < kLongLength) {
    *p++ = static_cast<char16_t>(length);
  } else {
    *p++ = static_cast<char16_t>(kLongLength | length >> 16);
    *p++ = static_cast<char16_t>(length & 0xFFFF);
  }
  return p;
}

// Reclaiming pays only when the waste outweighs the live data, and not for
// the few bytes of a small grid.
bool Wasteful(std::size_t garbage, std::size_t used, std::size_t floor) {
  return garbage >= floor && garbage > used / 2;
}

}  // namespace

template <typename T>
ChunkRef ChunkList<T>::AllocateInNewChunk(std::size_t count, std::size_t maxChunk) {
  used_ += count;
  if (count > maxChunk / 2) {  // a long run gets a chunk of its own; filling goes on where it was
    chunks_.push_back({std::unique_ptr<T[]>(new T[count]), count, count});
    capacity_ += count;
    return ChunkRef{chunks_.size()} << 32;
  }
  const std::size_t capacity = std::max(nextChunk_, count);
  nextChunk_ = std::min(nextChunk_ * 2, maxChunk);
  chunks_.push_back({std::unique_ptr<T[]>(new T[capacity]), count, capacity});
  capacity_ += capacity;
  filling_ = chunks_.size();
  return ChunkRef{filling_} << 32;
}

template class ChunkList<char16_t>;
template class ChunkList<Cell>;

// ---------------------------------------------------------------------------

TextArena::Ref TextArena::Add(std::u16string_view text) {
  if (text.empty()) return 0;
  if (text.size() > kMaxLength) throw GridError(kErrOutOfMemory);
  const Ref ref = units_.Allocate(PrefixUnits(text.size()) + text.size(), kMaxTextChunk);
  if (ref >> 48 != 0) throw GridError(kErrOutOfMemory);  // a cell holds 48 bits of it
  char16_t* p = WritePrefix(units_.At(ref), text.size());
  std::memcpy(p, text.data(), text.size() * sizeof(char16_t));
  return ref;
}

std::u16string_view TextArena::Get(Ref ref) const {
  if (ref == 0) return {};
  const char16_t* p = units_.At(ref);
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
  const std::size_t needed = PrefixUnits(text.size()) + text.size();
  if (needed > old) return false;
  char16_t* p = WritePrefix(units_.At(ref), text.size());
  // The text may be this very cell's (memmove, not memcpy).
  std::memmove(p, text.data(), text.size() * sizeof(char16_t));
  garbage_ += old - needed;
  return true;
}

void TextArena::Release(Ref ref) {
  if (ref != 0) garbage_ += Footprint(ref);
}

bool TextArena::WorthCompacting() const { return Wasteful(garbage_, units_.Used(), 64 * 1024); }

// ---------------------------------------------------------------------------

bool CellStore::Release(const Cell& cell) {
  if (!HoldsReference(cell)) return false;
  const TextArena::Ref ref = ReferenceOf(cell);
  text_.Release(ref);
  return ref != 0;
}

Cell& CellStore::Slot(RowSpan& row, std::size_t col, std::size_t cols) {
  if (col < row.capacity) {
    row.width = std::max<std::uint32_t>(row.width, static_cast<std::uint32_t>(col + 1));
    return pool_.At(row.first)[col];
  }
  const std::size_t extra = col + 1 - row.capacity;
  if (row.capacity > 0 && pool_.TryExtend(row.first, row.capacity, extra)) {
    // The row ends where the pool is being filled (always so while a file
    // is loaded row by row): it grows in place, exactly as far as needed.
    Cell* added = pool_.At(row.first) + row.capacity;
    if (extra == 1) {
      *added = Cell{};  // the usual case, too small to be worth a call to memset
    } else {
      std::fill_n(added, extra, Cell{});
    }
    row.capacity = static_cast<std::uint32_t>(col + 1);
  } else {
    // Otherwise it moves, with room to grow, so that widening a row column
    // by column stays linear.
    const std::size_t capacity =
        row.capacity == 0 ? col + 1 : std::max(col + 1, std::min<std::size_t>(2 * std::size_t{row.capacity}, cols));
    const ChunkRef first = pool_.Allocate(capacity, kMaxPoolChunk);
    Cell* cells = pool_.At(first);
    if (row.width > 0) std::copy_n(pool_.At(row.first), row.width, cells);
    std::fill(cells + row.width, cells + capacity, Cell{});
    poolGarbage_ += row.capacity;
    row.first = first;
    row.capacity = static_cast<std::uint32_t>(capacity);
  }
  row.width = static_cast<std::uint32_t>(col + 1);
  return pool_.At(row.first)[col];
}

void CellStore::SetText(std::size_t row, std::size_t col, std::u16string_view text, std::size_t cols) {
  RowSpan& r = rows_[row];
  if (text.empty() && col >= r.width) return;  // already empty
  if (Cell* appended = AppendedSlot(r, col)) {  // a fresh cell: nothing to give up
    *appended = text.size() <= kInlineUnits ? ShortTextCell(text) : CellOf(text_.Add(text));
    return;
  }
  const std::size_t poolGarbage = poolGarbage_;
  Cell& cell = Slot(r, col, cols);
  bool freed = false;
  if (text.size() <= kInlineUnits) {
    const Cell held = ShortTextCell(text);  // built first: `text` may be this very cell's
    freed = Release(cell);
    cell = held;
  } else if (!HoldsReference(cell) || !text_.Overwrite(ReferenceOf(cell), text)) {
    // Chunks never move, so `text` stays valid while it is added even if it
    // is another cell's text.
    const TextArena::Ref added = text_.Add(text);
    freed = Release(cell);
    cell = CellOf(added);
  } else {
    freed = true;  // an overwrite may leave a shorter text behind
  }
  if (freed || poolGarbage_ != poolGarbage) CompactIfWasteful();
}

void CellStore::ResizeRows(std::size_t rows) {
  if (rows < rows_.size()) {
    for (std::size_t i = rows; i < rows_.size(); ++i) {
      const RowSpan& r = rows_[i];
      for (std::size_t c = 0; c < r.width; ++c) Release(pool_.At(r.first)[c]);
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
      Cell& cell = pool_.At(r.first)[c];
      Release(cell);
      cell = Cell{};
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
  if (Wasteful(poolGarbage_, pool_.Used(), 4096)) CompactPool();
  if (text_.WorthCompacting()) CompactText();
}

void CellStore::CompactPool() {
  ChunkList<Cell> pool;
  for (RowSpan& r : rows_) {
    if (r.width == 0) {
      r = RowSpan{};
      continue;
    }
    const ChunkRef first = pool.Allocate(r.width, kMaxPoolChunk);
    std::copy_n(pool_.At(r.first), r.width, pool.At(first));
    r.first = first;
    r.capacity = r.width;
  }
  pool_ = std::move(pool);
  poolGarbage_ = 0;
}

void CellStore::CompactText() {
  TextArena text;
  for (const RowSpan& r : rows_) {
    Cell* cells = r.width > 0 ? pool_.At(r.first) : nullptr;
    for (std::size_t c = 0; c < r.width; ++c) {
      if (HoldsReference(cells[c])) cells[c] = CellOf(text.Add(text_.Get(ReferenceOf(cells[c]))));
    }
  }
  text_ = std::move(text);
}

std::size_t CellStore::MemoryUsage() const {
  return text_.MemoryUsage() + pool_.Capacity() * sizeof(Cell) + rows_.capacity() * sizeof(RowSpan);
}

}  // namespace pellora::grid_detail
