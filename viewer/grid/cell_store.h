#pragma once
// The cells of a grid, stored compactly: a claim file of 20 MB becomes about
// four million cells, and a string object per cell (32 bytes before its
// text) would cost more than the file many times over.
//
// A cell takes 8 bytes. A text of up to three UTF-16 units (most fields of a
// claim file: "0", "10", "63", "2") is kept in the cell itself; a longer one
// lives in an arena of UTF-16 units, as a length prefix followed by its units,
// and the cell holds its reference. The cells of a row lie side by side in a
// pool; a row holds only the cells
// up to the last one ever written, so a grid that is widened for one long
// line costs nothing in the other rows. Rows are reordered by moving their
// small descriptors, never their cells.
//
// Arena and pool are made of chunks that never move once allocated: growing
// copies nothing, and a reference stays valid while new text is added. Space
// freed by overwritten or dropped cells is reclaimed by compacting once it
// outweighs the live data.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace pellora::grid_detail {

// A reference into chunked storage: (chunk index + 1) << 32 | offset, so
// that 0 can mean "nothing".
using ChunkRef = std::uint64_t;

template <typename T>
class ChunkList {
 public:
  // Room for `count` items side by side (not initialised); returns where
  // they begin. Chunks grow from small (a totals grid holds a few cells) to
  // `maxChunk`; a run longer than half of that gets a chunk of its own.
  ChunkRef Allocate(std::size_t count, std::size_t maxChunk) {
    if (filling_ != 0 && count <= maxChunk / 2) {
      Chunk& c = chunks_[filling_ - 1];
      if (count <= c.capacity - c.size) {
        c.size += count;
        used_ += count;
        return ChunkRef{filling_} << 32 | (c.size - count);
      }
    }
    return AllocateInNewChunk(count, maxChunk);
  }
  T* At(ChunkRef ref) { return chunks_[(ref >> 32) - 1].items.get() + (ref & 0xFFFFFFFFu); }
  const T* At(ChunkRef ref) const { return chunks_[(ref >> 32) - 1].items.get() + (ref & 0xFFFFFFFFu); }
  // Grows the run of `length` items at `ref` by `extra` in place, if it ends
  // where the chunk being filled has its free room and that room suffices.
  bool TryExtend(ChunkRef ref, std::size_t length, std::size_t extra) {
    if (filling_ == 0 || (ref >> 32) != filling_) return false;
    Chunk& c = chunks_[filling_ - 1];
    if ((ref & 0xFFFFFFFFu) + length != c.size || c.capacity - c.size < extra) return false;
    c.size += extra;
    used_ += extra;
    return true;
  }
  std::size_t Capacity() const { return capacity_; }
  std::size_t Used() const { return used_; }

 private:
  ChunkRef AllocateInNewChunk(std::size_t count, std::size_t maxChunk);

  struct Chunk {
    std::unique_ptr<T[]> items;
    std::size_t size = 0;
    std::size_t capacity = 0;
  };
  std::vector<Chunk> chunks_;
  std::size_t filling_ = 0;  // index + 1 of the chunk small runs go to; 0: none yet
  std::size_t nextChunk_ = 256;
  std::size_t capacity_ = 0;
  std::size_t used_ = 0;
};

class TextArena {
 public:
  using Ref = ChunkRef;  // 0 is the empty text

  Ref Add(std::u16string_view text);
  std::u16string_view Get(Ref ref) const;
  // Writes `text` over the text at `ref` when it fits there.
  bool Overwrite(Ref ref, std::u16string_view text);
  void Release(Ref ref);
  bool WorthCompacting() const;
  std::size_t MemoryUsage() const { return units_.Capacity() * sizeof(char16_t); }

 private:
  std::size_t Footprint(Ref ref) const;

  ChunkList<char16_t> units_;
  std::size_t garbage_ = 0;  // units no live cell refers to
};

// One cell: all zero for "", units[3] = 1..3 for a short text held in
// units[0..2], units[3] = 0 for a reference into the arena spread over
// units[0..2] (references stay below 2^48). As a 64-bit value, unit i is
// bits 16i to 16i + 15, so a cell is read and written in one move.
// Trivial, so that new pool chunks are not cleared twice; Cell{} is empty.
struct Cell {
  char16_t units[4];

  static Cell FromBits(std::uint64_t bits) {
    Cell cell;
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(cell.units, &bits, sizeof bits);
    } else {
      for (int i = 0; i < 4; ++i) cell.units[i] = static_cast<char16_t>(bits >> (16 * i));
    }
    return cell;
  }
  std::uint64_t Bits() const {
    std::uint64_t bits = 0;
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(&bits, units, sizeof bits);
    } else {
      for (int i = 0; i < 4; ++i) bits |= std::uint64_t{units[i]} << (16 * i);
    }
    return bits;
  }
};
static_assert(sizeof(Cell) == 8);

class CellStore {
 public:
  std::size_t Rows() const { return rows_.size(); }
  // New rows are empty; dropped rows release their cells.
  void ResizeRows(std::size_t rows);
  // Cells in column `cols` and beyond become empty.
  void TruncateColumns(std::size_t cols);
  // The text of a cell, valid until the store is changed.
  std::u16string_view Text(std::size_t row, std::size_t col) const {
    const RowSpan& r = rows_[row];
    return col < r.width ? TextOf(pool_.At(r.first)[col]) : std::u16string_view{};
  }
  // `cols` is the grid's column count, a bound for the room a row may take.
  void SetText(std::size_t row, std::size_t col, std::u16string_view text, std::size_t cols);
  // Rows first + i become the former rows first + order[i].
  void ReorderRows(std::size_t first, const std::vector<std::size_t>& order);
  // Bytes held by the store, spare capacity included.
  std::size_t MemoryUsage() const;

 private:
  struct RowSpan {
    ChunkRef first = 0;          // the row's first cell in the pool; 0 while it has none
    std::uint32_t width = 0;     // cells in use: columns 0 .. width - 1
    std::uint32_t capacity = 0;  // cells reserved; those past width are empty
  };

  static constexpr std::size_t kInlineUnits = 3;
  static bool HoldsReference(const Cell& cell) { return cell.Bits() >> 48 == 0; }
  static TextArena::Ref ReferenceOf(const Cell& cell) { return cell.Bits(); }
  static Cell CellOf(TextArena::Ref ref) { return Cell::FromBits(ref); }
  static Cell ShortTextCell(std::u16string_view text) {
    std::uint64_t bits = std::uint64_t{text.size()} << 48;
    for (std::size_t i = 0; i < text.size(); ++i) bits |= std::uint64_t{text[i]} << (16 * i);
    return Cell::FromBits(bits);
  }
  // The new last cell of a row that ends where the pool is being filled, or
  // nothing: the way every cell arrives while a file is loaded row by row.
  Cell* AppendedSlot(RowSpan& row, std::size_t col) {
    if (col != row.width || col != row.capacity || col == 0 || !pool_.TryExtend(row.first, col, 1)) return nullptr;
    ++row.width;
    ++row.capacity;
    return pool_.At(row.first) + col;
  }
  std::u16string_view TextOf(const Cell& cell) const {
    if (!HoldsReference(cell)) return {cell.units, cell.units[3]};
    return text_.Get(ReferenceOf(cell));
  }
  // Gives up the cell's arena text, if it has one; true if it had.
  bool Release(const Cell& cell);

  Cell& Slot(RowSpan& row, std::size_t col, std::size_t cols);
  void CompactIfWasteful();
  void CompactPool();
  void CompactText();

  TextArena text_;
  ChunkList<Cell> pool_;
  std::size_t poolGarbage_ = 0;  // pool cells no row owns any more
  std::vector<RowSpan> rows_;
};

}  // namespace pellora::grid_detail
