#pragma once
// The cells of a grid, stored compactly: a claim file of 20 MB becomes about
// four million cells, and a string object per cell (32 bytes before its
// text) would cost more than the file many times over.
//
// Texts live in one arena of UTF-16 units, each as a length prefix followed
// by its units; a cell is an 8-byte reference into the arena, 0 for "". The
// references of a row lie side by side in one pool; a row holds only the
// cells up to the last one ever written, so a grid that is widened for one
// long line costs nothing in the other rows. Rows are reordered by moving
// their small descriptors, never their cells. Space freed by overwritten or
// dropped cells is reclaimed by compacting once it outweighs the live data.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace pellora::grid_detail {

class TextArena {
 public:
  using Ref = std::uint64_t;  // 0 is the empty text

  TextArena();
  Ref Add(std::u16string_view text);
  std::u16string_view Get(Ref ref) const;
  // Writes `text` over the text at `ref` when it fits there.
  bool Overwrite(Ref ref, std::u16string_view text);
  void Release(Ref ref);
  bool Holds(const char16_t* p) const;
  bool WorthCompacting() const;
  std::size_t MemoryUsage() const { return units_.capacity() * sizeof(char16_t); }

 private:
  std::size_t Footprint(Ref ref) const;
  void Reserve(std::size_t extra);

  std::vector<char16_t> units_;
  std::size_t garbage_ = 0;  // units no live cell refers to
};

class CellStore {
 public:
  std::size_t Rows() const { return rows_.size(); }
  // New rows are empty; dropped rows release their cells.
  void ResizeRows(std::size_t rows);
  // Cells in column `cols` and beyond become empty.
  void TruncateColumns(std::size_t cols);
  // The text of a cell, valid until the store is changed.
  std::u16string_view Text(std::size_t row, std::size_t col) const;
  // `cols` is the grid's column count, a bound for the room a row may take.
  void SetText(std::size_t row, std::size_t col, std::u16string_view text, std::size_t cols);
  // Rows first + i become the former rows first + order[i].
  void ReorderRows(std::size_t first, const std::vector<std::size_t>& order);
  // Bytes held by the store, spare capacity included.
  std::size_t MemoryUsage() const;

 private:
  struct RowSpan {
    std::uint64_t first = 0;     // index of the row's first cell in the pool
    std::uint32_t width = 0;     // cells in use: columns 0 .. width - 1
    std::uint32_t capacity = 0;  // cells reserved; those past width are 0
  };

  std::uint64_t& Slot(RowSpan& row, std::size_t col, std::size_t cols);
  void GrowPool(std::size_t extra);
  void CompactIfWasteful();
  void CompactPool();
  void CompactText();

  TextArena text_;
  std::vector<std::uint64_t> pool_;
  std::size_t poolGarbage_ = 0;  // pool cells no row owns any more
  std::vector<RowSpan> rows_;
};

}  // namespace pellora::grid_detail
