#include "jet/jet_rows.h"

#include <bit>
#include <string>

namespace pellora::jet {
namespace {

constexpr std::size_t kOwnerAt = 4;          // data page: the table definition it belongs to
constexpr std::size_t kBitmapPageHeader = 4;  // usage-bitmap page: the bitmap starts here
constexpr std::uint8_t kInlineMap = 0x00, kPagedMap = 0x01;
constexpr std::size_t kInlineMapHeader = 5;  // type, then the base page

// Calls onBit(i) for every set bit i of a bitmap, lowest first.
template <typename OnBit>
void ForEachSetBit(std::span<const std::uint8_t> bitmap, OnBit onBit) {
  for (std::size_t byte = 0; byte < bitmap.size(); ++byte) {
    for (unsigned bits = bitmap[byte]; bits != 0; bits &= bits - 1) {
      onBit(std::uint64_t{byte} * 8 + static_cast<unsigned>(std::countr_zero(bits)));
    }
  }
}

}  // namespace

std::vector<std::uint32_t> PagesInUsageMap(const Database& db, std::uint32_t mapRow) {
  const RowSlot slot = db.RowAt(SplitPageRow(mapRow), "usage map");
  if (slot.deleted || slot.overflow) throw ReadFailure("damaged usage map");
  const Bytes map(slot.bytes, "usage map");
  std::vector<std::uint32_t> pages;
  auto add = [&](std::uint64_t page) {
    if (page >= db.pageCount()) throw ReadFailure("damaged usage map (page past the end)");
    pages.push_back(static_cast<std::uint32_t>(page));
  };
  switch (map.u8(0)) {
    case kInlineMap: {
      const std::uint64_t base = map.u32(1);
      const auto bitmap = map.slice(kInlineMapHeader, map.size() - kInlineMapHeader);
      ForEachSetBit(bitmap, [&](std::uint64_t i) { add(base + i); });
      break;
    }
    case kPagedMap: {
      // Pointer k names the bitmap page of the k-th slice of the file.
      const std::uint64_t pagesPerBitmap = (db.format().pageSize - kBitmapPageHeader) * 8;
      for (std::size_t k = 0; k < (map.size() - 1) / 4; ++k) {
        const std::uint32_t bitmapPage = map.u32(1 + 4 * k);
        if (bitmapPage == 0) continue;
        const Bytes bitmap = db.Page(bitmapPage, "usage map");
        if (bitmap.u8(0) != kUsageBitmapPage) bitmap.Fail();
        ForEachSetBit(bitmap.span().subspan(kBitmapPageHeader), [&](std::uint64_t i) { add(k * pagesPerBitmap + i); });
      }
      break;
    }
    default:
      throw ReadFailure("damaged usage map (unknown type)");
  }
  return pages;
}

std::size_t ForEachRow(const Database& db, const TableDefinition& table,
                       const std::function<void(std::span<const std::uint8_t>)>& onRow) {
  const std::vector<std::uint32_t> pages = PagesInUsageMap(db, table.usedPagesMap);
  // A sound file points at each moved row once, so following pointers never
  // takes more steps than the file has row slots; a chain of them never
  // more than the file has pages. Either bound ends a circle of pointers.
  std::uint64_t hopsLeft = std::uint64_t{db.pageCount()} * (db.format().pageSize / 2);
  // Every row lives in its own bytes of the file, and is met once: the
  // rows of a table never add up to more bytes than the file has. This
  // bounds what a damaged file, whose pointers name one row over and over,
  // can make a caller hold.
  std::uint64_t rowBytesLeft = db.fileSize();
  std::size_t rows = 0;
  for (const std::uint32_t p : pages) {
    const Bytes page = db.Page(p, "data page");
    if (page.u8(0) != kDataPage || page.u32(kOwnerAt) != table.page) continue;
    const unsigned count = db.RowCount(page);
    for (unsigned r = 0; r < count; ++r) {
      RowSlot slot = db.Slot(page, r);
      if (slot.deleted) continue;
      for (std::uint32_t hop = 0; slot.overflow; ++hop) {
        if (hop == db.pageCount() || hopsLeft-- == 0) throw ReadFailure("damaged rows (moved rows point in a circle)");
        const PageRow to = SplitPageRow(Bytes(slot.bytes, "moved row").u32(0));
        const Bytes target = db.Page(to.page, "moved row");
        if (target.u8(0) != kDataPage || target.u32(kOwnerAt) != table.page || to.row >= db.RowCount(target)) {
          target.Fail();
        }
        slot = db.Slot(target, to.row, true);
      }
      if (slot.bytes.size() > rowBytesLeft) throw ReadFailure("damaged rows (more rows than the file holds)");
      rowBytesLeft -= slot.bytes.size();
      onRow(slot.bytes);
      ++rows;
    }
  }
  if (rows < table.recordedRows) {
    throw ReadFailure("read " + std::to_string(rows) + " of its " + std::to_string(table.recordedRows) + " rows");
  }
  return rows;
}

std::span<const Field> RowCracker::Crack(std::span<const std::uint8_t> bytes) {
  const Format& f = db_.format();
  const Bytes row(bytes, "row");
  const std::size_t rowColumns = row.count(f, 0);
  const std::size_t maskSize = (rowColumns + 7) / 8;
  if (f.countSize + maskSize > row.size()) row.Fail();
  const std::size_t maskAt = row.size() - maskSize;
  offsets_.clear();
  if (table_.hasVariableColumns) ReadVariableOffsets(row, maskSize);
  // The values end where the variable-column table starts (at the end of
  // data offset), or at the null mask when there is none.
  const std::size_t dataEnd = offsets_.empty() ? maskAt : offsets_.back();

  fields_.assign(table_.columns.size(), Field{});
  for (std::size_t i = 0; i < table_.columns.size(); ++i) {
    const ColumnDefinition& c = table_.columns[i];
    Field& field = fields_[i];
    // A column added after the row was written is not in it: NULL.
    if (c.number >= rowColumns) continue;
    field.present = (row.u8(maskAt + c.number / 8) >> (c.number % 8) & 1) != 0;
    if (!field.present || c.type == ColumnType::Bool) continue;
    if (c.fixed) {
      const std::size_t start = f.countSize + c.fixedOffset;
      if (start + c.fixedSize > dataEnd) row.Fail();
      field.bytes = row.slice(start, c.fixedSize);
    } else if (std::size_t{c.varIndex} + 1 < offsets_.size()) {
      field.bytes = row.slice(offsets_[c.varIndex], offsets_[c.varIndex + 1] - offsets_[c.varIndex]);
    } else {
      field.present = false;  // a row written with fewer variable columns
    }
  }
  return fields_;
}

void RowCracker::ReadVariableOffsets(const Bytes& row, std::size_t maskSize) {
  const Format& f = db_.format();
  const std::size_t maskAt = row.size() - maskSize;
  // Below the null mask: the number n of variable columns in the row, and
  // below it their offsets from the row's start, first column first, then
  // the end of their data (n + 1 offsets, the last lowest in the row, at
  // endOfDataAt).
  std::size_t endOfDataAt = 0;
  if (f.jet4) {
    if (maskAt < f.countSize + 2) row.Fail();
    const std::size_t n = row.u16(maskAt - 2);
    if (maskAt < f.countSize + 2 + 2 * (n + 1)) row.Fail();
    for (std::size_t i = 0; i <= n; ++i) offsets_.push_back(row.u16(maskAt - 4 - 2 * i));
    endOfDataAt = maskAt - 2 - 2 * (n + 1);
  } else {
    // Jet 3 offsets are one byte. A row longer than 256 bytes keeps, between
    // the offsets and n, a jump table: one entry per 256-byte boundary of
    // the row, each the index of the first offset at or past its boundary,
    // so that offset i is its byte plus 256 for every entry i has reached.
    // The last entry is a dummy when no offset reaches its boundary.
    if (maskAt < f.countSize + 1) row.Fail();
    const std::size_t n = row.u8(maskAt - 1);
    std::size_t jumps = (row.size() - 1) / 256;
    if (maskAt < f.countSize + 2 + jumps + n) row.Fail();
    const std::size_t firstOffsetAt = maskAt - 2 - jumps;
    endOfDataAt = firstOffsetAt - n;
    if (endOfDataAt / 256 < jumps) --jumps;
    std::size_t used = 0;
    for (std::size_t i = 0; i <= n; ++i) {
      while (used < jumps && row.u8(maskAt - 2 - used) == i) ++used;
      offsets_.push_back(row.u8(firstOffsetAt - i) + 256 * used);
    }
  }
  // Offsets that run backwards, into the row's count or past the end of
  // the data are damage.
  std::size_t previous = f.countSize;
  for (const std::size_t offset : offsets_) {
    if (offset < previous) row.Fail();
    previous = offset;
  }
  if (offsets_.back() > endOfDataAt) row.Fail();
}

}  // namespace pellora::jet
