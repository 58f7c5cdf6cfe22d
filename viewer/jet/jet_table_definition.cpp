#include "jet/jet_table_definition.h"

#include <algorithm>

namespace pellora::jet {
namespace {

constexpr const char* kWhat = "table definition";
constexpr std::size_t kNextPageAt = 4;
constexpr std::size_t kContinuationHeader = 8;
// Jet allows 255 columns in a table.
constexpr unsigned kMaxColumns = 255;
constexpr std::uint8_t kFixedColumnFlag = 0x01;
constexpr std::size_t kJet4ExtraFlagsAt = 16;
constexpr std::uint8_t kCalculatedColumnFlags = 0xC0;

// A table definition's bytes: its first page whole, then each
// continuation page after its 8-byte header. A chain that comes back to a
// page it passed is damaged: each page is taken once at most.
std::vector<std::uint8_t> DefinitionBytes(const Database& db, std::uint32_t page) {
  const Bytes first = db.Page(page, kWhat);
  if (first.u8(0) != kTableDefinitionPage) throw ReadFailure("damaged table definition (page " +
                                                             std::to_string(page) + " is none)");
  std::vector<std::uint8_t> bytes(first.span().begin(), first.span().end());
  std::vector<bool> taken(db.pageCount(), false);
  taken[page] = true;
  for (std::uint32_t next = first.u32(kNextPageAt); next != 0;) {
    if (next < taken.size() && taken[next]) throw ReadFailure("damaged table definition (its pages loop)");
    const Bytes more = db.Page(next, kWhat);
    taken[next] = true;
    if (more.u8(0) != kTableDefinitionPage) more.Fail();
    const auto rest = more.span().subspan(kContinuationHeader);
    bytes.insert(bytes.end(), rest.begin(), rest.end());
    next = more.u32(kNextPageAt);
  }
  return bytes;
}

// The size of a fixed column's value; columns of other types that are
// stored fixed (rare) take the size their definition gives.
std::uint16_t FixedSize(ColumnType type, std::uint16_t declared) {
  switch (type) {
    case ColumnType::Bool: return 0;  // the null-mask bit is the value
    case ColumnType::Byte: return 1;
    case ColumnType::Int: return 2;
    case ColumnType::Long:
    case ColumnType::Float:
    case ColumnType::Complex: return 4;
    case ColumnType::Money:
    case ColumnType::Double:
    case ColumnType::DateTime:
    case ColumnType::BigInt: return 8;
    case ColumnType::Guid: return 16;
    case ColumnType::Numeric: return 17;
    default: return declared;
  }
}

}  // namespace

TableDefinition ReadTableDefinition(const Database& db, std::uint32_t page) {
  const Format& f = db.format();
  const std::vector<std::uint8_t> stored = DefinitionBytes(db, page);
  const Bytes b(stored, kWhat);

  TableDefinition t;
  t.page = page;
  t.recordedRows = b.u32(f.tdefRowCountAt);
  const std::size_t typeAt = f.tdefTableTypeAt;
  t.hasVariableColumns = b.u16(typeAt + 3) > 0;
  const unsigned columnCount = b.u16(typeAt + 5);
  const std::uint64_t realIndexes = b.u32(typeAt + 11);
  t.usedPagesMap = b.u32(typeAt + 15);
  if (columnCount == 0 || columnCount > kMaxColumns) b.Fail();

  std::size_t at = f.tdefEntriesAt;
  if (realIndexes * f.realIndexEntrySize > b.size()) b.Fail();
  at += static_cast<std::size_t>(realIndexes) * f.realIndexEntrySize;
  t.columns.resize(columnCount);
  for (ColumnDefinition& c : t.columns) {
    const Bytes entry(b.slice(at, f.columnEntrySize), kWhat);
    c.type = static_cast<ColumnType>(entry.u8(0));
    c.number = entry.u16(f.columnNumberAt);
    c.varIndex = entry.u16(f.columnVarIndexAt);
    c.fixed = (entry.u8(f.columnFlagsAt) & kFixedColumnFlag) != 0;
    c.fixedOffset = entry.u16(f.columnFixedOffsetAt);
    c.fixedSize = FixedSize(c.type, entry.u16(f.columnSizeAt));
    c.calculated = db.version() == JetVersion::Ace && (entry.u8(kJet4ExtraFlagsAt) & kCalculatedColumnFlags) != 0;
    at += f.columnEntrySize;
  }
  // The names follow in the same order: a length (two bytes in Jet 4, one
  // in Jet 3), then the name as text is stored.
  for (ColumnDefinition& c : t.columns) {
    const std::size_t length = b.count(f, at);
    at += f.countSize;
    db.AppendText(b.slice(at, length), c.name);
    at += length;
  }
  std::stable_sort(t.columns.begin(), t.columns.end(),
                   [](const ColumnDefinition& a, const ColumnDefinition& b) { return a.number < b.number; });
  return t;
}

}  // namespace pellora::jet
