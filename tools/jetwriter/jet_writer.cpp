#include "jet_writer.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <limits>
#include <map>
#include <optional>
#include <set>
#include <span>

namespace jetwriter {
namespace {

// ---------------------------------------------------------------------------
// The two page formats. Everything that differs between Jet 3 and Jet 4 is
// a number in this table, so the builders below are written once.
struct Format {
  JetVersion version;
  std::size_t pageSize;
  std::size_t dataHeaderSize;    // data page header, up to the row offsets
  std::size_t rowCountOffset;    // data page: u16 row count
  std::size_t tdefColumnsStart;  // first column entry (no index entries)
  std::size_t columnEntrySize;
  std::size_t mapBitmapBytes;    // type-0 usage map bitmap, as Access sizes it
  std::size_t mapPointerCount;   // type-1 usage map: pointers to bitmap pages
  std::size_t encryptedHeaderBytes;
  std::size_t countSize;         // width of counts and offsets inside a row

  bool jet4() const { return version == JetVersion::Jet4; }
  std::size_t mapRowSize() const { return 5 + mapBitmapBytes; }
  // Pages one 0x05 bitmap page covers (its first 4 bytes are a header).
  std::size_t pagesPerBitmapPage() const { return (pageSize - 4) * 8; }
};

constexpr Format kJet3{JetVersion::Jet3, 2048, 10, 8, 0x2B, 18, 128, 33, 126, 1};
constexpr Format kJet4{JetVersion::Jet4, 4096, 14, 12, 0x3F, 25, 64, 17, 128, 2};

const Format& FormatOf(JetVersion version) {
  return version == JetVersion::Jet4 ? kJet4 : kJet3;
}

constexpr std::uint8_t kPageData = 0x01;
constexpr std::uint8_t kPageTableDefinition = 0x02;
constexpr std::uint8_t kPageUsageBitmap = 0x05;
constexpr std::uint8_t kTableTypeUser = 0x4E;
constexpr std::uint8_t kTableTypeSystem = 0x53;
constexpr std::uint8_t kColumnFixed = 0x01;
constexpr std::uint8_t kColumnNullable = 0x02;
constexpr std::uint8_t kColumnCompressedUnicode = 0x01;  // Jet 4, byte 16
// A day in 2024, as days since 1899-12-30: the creation date of every file,
// so that the same description always gives the same bytes.
constexpr double kCreationDate = 45383.0;
// Catalog ids of the containers, and the flags that mark a system table.
constexpr std::int32_t kTablesContainerId = 0x0F000001;
constexpr std::int32_t kDatabasesContainerId = 0x0F000002;
constexpr std::int32_t kRelationshipsContainerId = 0x0F000003;
constexpr std::int32_t kContainersParentId = 0x0F000000;
constexpr std::int32_t kSystemTableFlags = static_cast<std::int32_t>(0x80000002u);
constexpr std::uint32_t kCatalogPage = 2;  // readers bootstrap from here

// ---------------------------------------------------------------------------
// Little-endian stores into a byte buffer.
void PutU8(std::span<std::uint8_t> buf, std::size_t at, std::uint8_t v) { buf[at] = v; }
void PutU16(std::span<std::uint8_t> buf, std::size_t at, std::uint16_t v) {
  buf[at] = static_cast<std::uint8_t>(v);
  buf[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void PutU32(std::span<std::uint8_t> buf, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) buf[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void PutF64(std::span<std::uint8_t> buf, std::size_t at, double v) {
  std::uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  for (int i = 0; i < 8; ++i) buf[at + i] = static_cast<std::uint8_t>(bits >> (8 * i));
}
void AppendU16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void AppendCount(std::vector<std::uint8_t>& out, const Format& fmt, std::size_t v) {
  if (fmt.countSize == 2) {
    AppendU16(out, static_cast<std::uint16_t>(v));
  } else {
    out.push_back(static_cast<std::uint8_t>(v));
  }
}

std::uint32_t PageRow(std::uint32_t page, std::uint32_t row) { return (page << 8) | row; }

// ---------------------------------------------------------------------------
// Text conversion through iconv, strict: a character the target cannot hold
// is an error, never a silent substitute.
//
// Opening a converter costs far more than converting a name, and a large
// fixture converts hundreds of thousands: each is opened once per thread.
class Converters {
 public:
  ~Converters() {
    for (auto& [code, cd] : open_) iconv_close(cd);
  }
  iconv_t To(const std::string& toCode) {
    auto it = open_.find(toCode);
    if (it == open_.end()) {
      iconv_t cd = iconv_open(toCode.c_str(), "UTF-8");
      if (cd == reinterpret_cast<iconv_t>(-1)) {
        throw JetWriteError("text conversion to " + toCode + " is not available");
      }
      it = open_.emplace(toCode, cd).first;
    }
    iconv(it->second, nullptr, nullptr, nullptr, nullptr);  // a fresh start
    return it->second;
  }

 private:
  std::map<std::string, iconv_t> open_;
};

std::string ConvertText(const std::string& utf8, const std::string& toCode) {
  thread_local Converters converters;
  iconv_t cd = converters.To(toCode);
  std::string out(utf8.size() * 4 + 8, '\0');
  char* in = const_cast<char*>(utf8.data());
  std::size_t inLeft = utf8.size();
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  const std::size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
  const int err = errno;
  if (rc == static_cast<std::size_t>(-1)) {
    throw JetWriteError(err == EILSEQ ? "\"" + utf8 + "\" has a character " + toCode + " cannot hold"
                                      : "\"" + utf8 + "\" is not valid UTF-8");
  }
  out.resize(out.size() - outLeft);
  return out;
}

std::u16string ToUtf16(const std::string& utf8) {
  const std::string bytes = ConvertText(utf8, "UTF-16LE");
  std::u16string units(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<char16_t>(static_cast<std::uint8_t>(bytes[2 * i]) |
                                     static_cast<std::uint8_t>(bytes[2 * i + 1]) << 8);
  }
  return units;
}

std::string CodePageName(std::uint16_t codePage) { return "CP" + std::to_string(codePage); }

std::vector<std::uint8_t> Utf16Bytes(const std::u16string& units) {
  std::vector<std::uint8_t> out;
  out.reserve(units.size() * 2);
  for (char16_t u : units) AppendU16(out, u);
  return out;
}

// Jet 4 "compressed unicode": FF FE, then a stream that starts with one byte
// per character (U+0001..U+00FF); a 00 byte switches to two bytes per
// character and back. A reader takes any 00 byte for a switch, so a text
// with a UTF-16 unit whose low byte is 00 (U+3000, U+4E00 ...) cannot be
// compressed at all.
std::optional<std::vector<std::uint8_t>> CompressJet4Text(const std::u16string& units) {
  std::vector<std::uint8_t> out{0xFF, 0xFE};
  bool oneByteMode = true;
  for (char16_t u : units) {
    if ((u & 0xFF) == 0) return std::nullopt;
    const bool fitsOneByte = (u >> 8) == 0;
    if (fitsOneByte != oneByteMode) {
      out.push_back(0x00);
      oneByteMode = fitsOneByte;
    }
    out.push_back(static_cast<std::uint8_t>(u));
    if (!oneByteMode) out.push_back(static_cast<std::uint8_t>(u >> 8));
  }
  return out;
}

// ---------------------------------------------------------------------------
// Column layout: where each column lives in a row.
struct ColumnLayout {
  const Column* column = nullptr;
  std::uint16_t number = 0;       // order in the row, null-mask bit
  bool fixed = false;
  std::uint16_t fixedOffset = 0;  // inside the fixed area
  std::uint16_t varIndex = 0;     // among the variable columns
  std::uint16_t storedSize = 0;   // the size field of the definition
};

struct TableLayout {
  std::vector<ColumnLayout> columns;
  std::size_t fixedAreaSize = 0;
  std::size_t varCount = 0;
};

std::optional<std::size_t> FixedSize(ColumnType type) {
  switch (type) {
    case ColumnType::Bool: return 0;  // the null-mask bit holds the value
    case ColumnType::Byte: return 1;
    case ColumnType::Int: return 2;
    case ColumnType::Long: return 4;
    case ColumnType::Double:
    case ColumnType::DateTime: return 8;
    default: return std::nullopt;
  }
}

bool IsKnownType(ColumnType type) {
  switch (type) {
    case ColumnType::Bool: case ColumnType::Byte: case ColumnType::Int:
    case ColumnType::Long: case ColumnType::Double: case ColumnType::DateTime:
    case ColumnType::Binary: case ColumnType::Text: case ColumnType::Ole:
    case ColumnType::Memo:
      return true;
  }
  return false;
}

std::string AsciiLower(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

TableLayout LayOut(const Format& fmt, const Table& table) {
  if (table.columns.empty() || table.columns.size() > 255) {
    throw JetWriteError("table " + table.name + ": a table needs 1 to 255 columns");
  }
  TableLayout layout;
  std::set<std::string> seen;
  for (std::size_t i = 0; i < table.columns.size(); ++i) {
    const Column& c = table.columns[i];
    if (c.name.empty() || !seen.insert(AsciiLower(c.name)).second) {
      throw JetWriteError("table " + table.name + ": column names must be non-empty and unique");
    }
    if (!IsKnownType(c.type)) {
      throw JetWriteError("table " + table.name + ", column " + c.name + ": unknown type");
    }
    ColumnLayout col;
    col.column = &c;
    col.number = static_cast<std::uint16_t>(i);
    if (const auto size = FixedSize(c.type)) {
      col.fixed = true;
      col.fixedOffset = static_cast<std::uint16_t>(layout.fixedAreaSize);
      col.storedSize = static_cast<std::uint16_t>(*size);
      layout.fixedAreaSize += *size;
    } else {
      col.varIndex = static_cast<std::uint16_t>(layout.varCount++);
      if (c.type == ColumnType::Text) {
        if (c.length < 1 || c.length > 255) {
          throw JetWriteError("table " + table.name + ", column " + c.name +
                              ": text length must be 1 to 255");
        }
        col.storedSize = static_cast<std::uint16_t>(fmt.jet4() ? 2 * c.length : c.length);
      } else if (c.type == ColumnType::Binary) {
        col.storedSize = 255;
      }
    }
    layout.columns.push_back(col);
  }
  return layout;
}

// ---------------------------------------------------------------------------
// Rows.
struct CellContext {
  const Table& table;
  std::size_t row;
  const Column& column;
  std::string Where() const {
    return "table " + table.name + ", row " + std::to_string(row + 1) + ", column " + column.name;
  }
};

std::vector<std::uint8_t> EncodeText(const Format& fmt, const Database& db, const CellContext& at,
                                     const std::string& utf8) {
  if (fmt.jet4()) {
    const std::u16string units = ToUtf16(utf8);
    if (units.size() > static_cast<std::size_t>(at.column.length)) {
      throw JetWriteError(at.Where() + ": text longer than the column's " +
                          std::to_string(at.column.length) + " characters");
    }
    std::vector<std::uint8_t> plain = Utf16Bytes(units);
    if (db.compressText) {
      auto packed = CompressJet4Text(units);
      if (packed && packed->size() < plain.size()) return std::move(*packed);
    }
    return plain;
  }
  const std::string bytes = ConvertText(utf8, CodePageName(db.codePage));
  if (bytes.size() > static_cast<std::size_t>(at.column.length)) {
    throw JetWriteError(at.Where() + ": text longer than the column's " +
                        std::to_string(at.column.length) + " bytes");
  }
  return {bytes.begin(), bytes.end()};
}

std::int64_t IntegerIn(const CellContext& at, const Value& v, std::int64_t lo, std::int64_t hi) {
  const auto* n = std::get_if<std::int64_t>(&v);
  if (!n) throw JetWriteError(at.Where() + ": an integer is expected");
  if (*n < lo || *n > hi) throw JetWriteError(at.Where() + ": integer out of range");
  return *n;
}

// Encodes one row:
//   [count][fixed area][var data][eod][var offsets, last first][count][null mask]
// with 2-byte counts and offsets on Jet 4, 1-byte ones on Jet 3.
std::vector<std::uint8_t> EncodeRow(const Format& fmt, const Database& db, const Table& table,
                                    const TableLayout& layout, std::size_t rowIndex,
                                    const std::vector<Value>& row) {
  if (row.size() != layout.columns.size()) {
    throw JetWriteError("table " + table.name + ", row " + std::to_string(rowIndex + 1) + ": " +
                        std::to_string(row.size()) + " values for " +
                        std::to_string(layout.columns.size()) + " columns");
  }
  const std::size_t colCount = layout.columns.size();
  std::vector<std::uint8_t> out;
  AppendCount(out, fmt, colCount);
  const std::size_t fixedStart = out.size();
  out.resize(fixedStart + layout.fixedAreaSize, 0);
  std::vector<std::uint8_t> nullMask((colCount + 7) / 8, 0);
  std::vector<std::vector<std::uint8_t>> varData(layout.varCount);

  for (const ColumnLayout& col : layout.columns) {
    const Value& v = row[col.number];
    const CellContext at{table, rowIndex, *col.column};
    const bool isNull = std::holds_alternative<std::monostate>(v);
    bool present = !isNull;
    std::span<std::uint8_t> fixed(out.data() + fixedStart + col.fixedOffset, col.storedSize);
    switch (col.column->type) {
      case ColumnType::Bool:
        if (!isNull) {
          const auto* b = std::get_if<bool>(&v);
          if (!b) throw JetWriteError(at.Where() + ": true or false is expected");
          present = *b;
        }
        break;
      case ColumnType::Byte:
        if (!isNull) PutU8(fixed, 0, static_cast<std::uint8_t>(IntegerIn(at, v, 0, 255)));
        break;
      case ColumnType::Int:
        if (!isNull) PutU16(fixed, 0, static_cast<std::uint16_t>(IntegerIn(at, v, -32768, 32767)));
        break;
      case ColumnType::Long:
        if (!isNull) {
          PutU32(fixed, 0, static_cast<std::uint32_t>(IntegerIn(
                               at, v, std::numeric_limits<std::int32_t>::min(),
                               std::numeric_limits<std::int32_t>::max())));
        }
        break;
      case ColumnType::Double:
      case ColumnType::DateTime:
        if (!isNull) {
          double d;
          if (const auto* x = std::get_if<double>(&v)) {
            d = *x;
          } else if (const auto* n = std::get_if<std::int64_t>(&v)) {
            d = static_cast<double>(*n);
          } else {
            throw JetWriteError(at.Where() + ": a number is expected");
          }
          PutF64(fixed, 0, d);
        }
        break;
      case ColumnType::Text:
        if (!isNull) {
          const auto* s = std::get_if<std::string>(&v);
          if (!s) throw JetWriteError(at.Where() + ": text is expected");
          varData[col.varIndex] = EncodeText(fmt, db, at, *s);
        }
        break;
      case ColumnType::Binary:
      case ColumnType::Ole:
      case ColumnType::Memo:
        // Long values would need LVAL pages, which this writer does not make.
        if (!isNull) throw JetWriteError(at.Where() + ": only NULL can be written to this column type");
        break;
    }
    if (present) nullMask[col.number / 8] |= static_cast<std::uint8_t>(1u << (col.number % 8));
  }

  if (layout.varCount > 0) {
    std::vector<std::size_t> offsets;
    for (const auto& data : varData) {
      offsets.push_back(out.size());
      out.insert(out.end(), data.begin(), data.end());
    }
    const std::size_t eod = out.size();
    const std::size_t limit = fmt.jet4() ? 0xFFFF : 0xFF;
    if (eod > limit) {
      throw JetWriteError("table " + table.name + ", row " + std::to_string(rowIndex + 1) +
                          ": row too long for this writer");
    }
    AppendCount(out, fmt, eod);
    for (auto it = offsets.rbegin(); it != offsets.rend(); ++it) AppendCount(out, fmt, *it);
    AppendCount(out, fmt, layout.varCount);
  }
  out.insert(out.end(), nullMask.begin(), nullMask.end());

  // Jet 3 rows over 256 bytes need a jump table for their 1-byte offsets;
  // fixtures never need rows that long, so the writer refuses them.
  const std::size_t maxRow = fmt.jet4() ? fmt.pageSize - fmt.dataHeaderSize - 2 : 256;
  if (out.size() > maxRow) {
    throw JetWriteError("table " + table.name + ", row " + std::to_string(rowIndex + 1) +
                        ": row too long for this writer (" + std::to_string(out.size()) + " bytes)");
  }
  return out;
}

// ---------------------------------------------------------------------------
// Pages.
using Page = std::vector<std::uint8_t>;

// Row indexes per data page, filling each page in order. At most 255 rows
// per page: a row pointer keeps the row number in one byte.
std::vector<std::vector<std::size_t>> PackRows(const Format& fmt,
                                               const std::vector<std::vector<std::uint8_t>>& rows) {
  std::vector<std::vector<std::size_t>> pages;
  std::size_t used = 0;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const std::size_t need = rows[i].size() + 2;
    if (pages.empty() || pages.back().size() == 255 ||
        fmt.dataHeaderSize + used + need > fmt.pageSize) {
      pages.emplace_back();
      used = 0;
    }
    pages.back().push_back(i);
    used += need;
  }
  return pages;
}

// Rows are packed from the end of the page towards the header; row 0 ends
// at the end of the page.
Page BuildDataPage(const Format& fmt, std::uint32_t ownerPage,
                   const std::vector<const std::vector<std::uint8_t>*>& rows) {
  Page page(fmt.pageSize, 0);
  PutU8(page, 0, kPageData);
  PutU8(page, 1, 0x01);
  PutU32(page, 4, ownerPage);
  PutU16(page, fmt.rowCountOffset, static_cast<std::uint16_t>(rows.size()));
  std::size_t end = fmt.pageSize;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const auto& row = *rows[i];
    end -= row.size();
    std::copy(row.begin(), row.end(), page.begin() + static_cast<std::ptrdiff_t>(end));
    PutU16(page, fmt.rowCountOffset + 2 + 2 * i, static_cast<std::uint16_t>(end));
  }
  const std::size_t offsetsEnd = fmt.rowCountOffset + 2 + 2 * rows.size();
  PutU16(page, 2, static_cast<std::uint16_t>(end - offsetsEnd));
  return page;
}

std::vector<std::uint8_t> EncodeName(const Format& fmt, const Database& db, const std::string& name) {
  std::vector<std::uint8_t> out;
  if (fmt.jet4()) {
    const std::vector<std::uint8_t> bytes = Utf16Bytes(ToUtf16(name));
    AppendU16(out, static_cast<std::uint16_t>(bytes.size()));
    out.insert(out.end(), bytes.begin(), bytes.end());
  } else {
    const std::string bytes = ConvertText(name, CodePageName(db.codePage));
    if (bytes.size() > 255) throw JetWriteError("name too long: " + name);
    out.push_back(static_cast<std::uint8_t>(bytes.size()));
    out.insert(out.end(), bytes.begin(), bytes.end());
  }
  return out;
}

std::uint16_t SortOrder(const Database& db) { return db.codePage == 932 ? 0x0411 : 0x0409; }

Page BuildTableDefinition(const Format& fmt, const Database& db, const Table& table,
                          const TableLayout& layout, bool system, std::uint32_t rowCount,
                          std::uint32_t usedMap, std::uint32_t freeMap) {
  Page page(fmt.pageSize, 0);
  PutU8(page, 0, kPageTableDefinition);
  PutU8(page, 1, 0x01);
  // Jet 4 has 4 more bytes before the row count and 16 more before the
  // table type; from the type on, both versions share one order.
  PutU32(page, fmt.jet4() ? 0x10 : 0x0C, rowCount);
  if (fmt.jet4()) PutU8(page, 0x18, 0x01);
  const std::size_t typeAt = fmt.jet4() ? 0x28 : 0x14;
  PutU8(page, typeAt, system ? kTableTypeSystem : kTableTypeUser);
  PutU16(page, typeAt + 1, static_cast<std::uint16_t>(layout.columns.size()));
  PutU16(page, typeAt + 3, static_cast<std::uint16_t>(layout.varCount));
  PutU16(page, typeAt + 5, static_cast<std::uint16_t>(layout.columns.size()));
  // typeAt + 7: logical index count, typeAt + 11: real index count; both 0.
  PutU32(page, typeAt + 15, usedMap);
  PutU32(page, typeAt + 19, freeMap);

  std::size_t at = fmt.tdefColumnsStart;
  const std::uint16_t sortOrder = SortOrder(db);
  for (const ColumnLayout& col : layout.columns) {
    if (at + fmt.columnEntrySize > fmt.pageSize) {
      throw JetWriteError("table " + table.name + ": definition does not fit one page");
    }
    std::span<std::uint8_t> e(page.data() + at, fmt.columnEntrySize);
    const bool text = col.column->type == ColumnType::Text;
    const std::uint8_t flags = static_cast<std::uint8_t>((col.fixed ? kColumnFixed : 0) | kColumnNullable);
    PutU8(e, 0, static_cast<std::uint8_t>(col.column->type));
    if (fmt.jet4()) {
      PutU16(e, 5, col.number);
      PutU16(e, 7, col.varIndex);
      PutU16(e, 9, col.number);
      if (text) PutU16(e, 11, sortOrder);
      PutU8(e, 15, flags);
      if (text && db.compressText) PutU8(e, 16, kColumnCompressedUnicode);
      PutU16(e, 21, col.fixedOffset);
      PutU16(e, 23, col.storedSize);
    } else {
      PutU16(e, 1, col.number);
      PutU16(e, 3, col.varIndex);
      PutU16(e, 5, col.number);
      if (text) {
        PutU16(e, 7, sortOrder);
        PutU16(e, 9, db.codePage);
      }
      PutU8(e, 13, flags);
      PutU16(e, 14, col.fixedOffset);
      PutU16(e, 16, col.storedSize);
    }
    at += fmt.columnEntrySize;
  }
  for (const ColumnLayout& col : layout.columns) {
    const std::vector<std::uint8_t> name = EncodeName(fmt, db, col.column->name);
    if (at + name.size() > fmt.pageSize) {
      throw JetWriteError("table " + table.name + ": definition does not fit one page");
    }
    std::copy(name.begin(), name.end(), page.begin() + static_cast<std::ptrdiff_t>(at));
    at += name.size();
  }
  // No indexes, and no long-value columns: the list ends at once.
  if (at + 2 > fmt.pageSize) throw JetWriteError("table " + table.name + ": definition does not fit one page");
  PutU16(page, at, 0xFFFF);
  at += 2;
  PutU32(page, 8, static_cast<std::uint32_t>(at));
  if (fmt.jet4()) {
    PutU16(page, 2, static_cast<std::uint16_t>(fmt.pageSize - at - 8));
  } else {
    PutU8(page, 2, 'V');
    PutU8(page, 3, 'C');
  }
  return page;
}

// RC4, which encrypts part of the header page with a fixed key.
void Rc4(std::span<const std::uint8_t> key, std::span<std::uint8_t> data) {
  std::array<std::uint8_t, 256> s;
  for (int i = 0; i < 256; ++i) s[i] = static_cast<std::uint8_t>(i);
  for (int i = 0, j = 0; i < 256; ++i) {
    j = (j + s[i] + key[i % key.size()]) & 0xFF;
    std::swap(s[i], s[j]);
  }
  int i = 0, j = 0;
  for (std::uint8_t& b : data) {
    i = (i + 1) & 0xFF;
    j = (j + s[i]) & 0xFF;
    std::swap(s[i], s[j]);
    b ^= s[(s[i] + s[j]) & 0xFF];
  }
}

Page BuildHeaderPage(const Format& fmt, const Database& db) {
  Page page(fmt.pageSize, 0);
  PutU32(page, 0, 0x00000100);
  const char magic[] = "Standard Jet DB";
  std::memcpy(page.data() + 4, magic, sizeof magic);
  PutU32(page, 0x14, fmt.jet4() ? 1 : 0);
  if (!fmt.jet4()) PutU16(page, 0x3A, SortOrder(db));
  PutU16(page, 0x3C, db.codePage);
  PutU32(page, 0x3E, 0);  // database key 0: pages are not encrypted
  if (fmt.jet4()) {
    // The password is XORed with the creation date's integer part, so an
    // empty password is stored as that mask itself.
    const auto mask = static_cast<std::uint32_t>(kCreationDate);
    for (std::size_t k = 0; k < 40; k += 4) PutU32(page, 0x42 + k, mask);
    PutU16(page, 0x6E, SortOrder(db));
    PutF64(page, 0x72, kCreationDate);
  }
  static constexpr std::array<std::uint8_t, 4> kHeaderKey{0xC7, 0xDA, 0x39, 0x6B};
  Rc4(kHeaderKey, std::span<std::uint8_t>(page.data() + 0x18, fmt.encryptedHeaderBytes));
  return page;
}

// ---------------------------------------------------------------------------
// Usage maps: which pages belong to a table.

// A type-0 map is a bitmap over a window of pages after a base page; larger
// tables get a type-1 map, whose pointers name 0x05 pages that each bitmap
// a fixed slice of the whole file.
bool NeedsBitmapPages(const Format& fmt, const std::vector<std::uint32_t>& pages) {
  return !pages.empty() && pages.back() - pages.front() + 1 > fmt.mapBitmapBytes * 8;
}

std::vector<std::uint8_t> Type0Map(const Format& fmt, std::uint32_t base,
                                   const std::vector<std::uint32_t>& pages) {
  std::vector<std::uint8_t> row(fmt.mapRowSize(), 0);
  row[0] = 0x00;
  PutU32(row, 1, base);
  for (std::uint32_t p : pages) {
    const std::uint32_t bit = p - base;
    row[5 + bit / 8] |= static_cast<std::uint8_t>(1u << (bit % 8));
  }
  return row;
}

struct TablePlan {
  const Table* table = nullptr;
  TableLayout layout;
  bool system = false;
  std::vector<std::vector<std::uint8_t>> rows;
  std::vector<std::vector<std::size_t>> pageRows;  // rows on each data page
  std::uint32_t definitionPage = 0;
  std::vector<std::uint32_t> dataPages;
  std::vector<std::uint32_t> bitmapPages;  // type-1 map: one per slice used, else empty
  std::vector<std::uint32_t> bitmapSlices;
};

Table CatalogTable() {
  Table t;
  t.name = "MSysObjects";
  t.columns = {
      {"Id", ColumnType::Long},          {"ParentId", ColumnType::Long},
      {"Name", ColumnType::Text, 128},   {"Type", ColumnType::Int},
      {"DateCreate", ColumnType::DateTime}, {"DateUpdate", ColumnType::DateTime},
      {"Owner", ColumnType::Binary},     {"Flags", ColumnType::Long},
      {"Database", ColumnType::Memo},    {"Connect", ColumnType::Memo},
      {"ForeignName", ColumnType::Text, 128}, {"RmtInfoShort", ColumnType::Binary},
      {"RmtInfoLong", ColumnType::Ole},  {"Lv", ColumnType::Ole},
      {"LvProp", ColumnType::Ole},       {"LvModule", ColumnType::Ole},
      {"LvExtra", ColumnType::Ole},
  };
  return t;
}

std::vector<Value> CatalogRow(std::int32_t id, std::int32_t parent, const std::string& name,
                              std::int64_t type, std::int32_t flags) {
  std::vector<Value> row(17, Null);
  row[0] = std::int64_t{id};
  row[1] = std::int64_t{parent};
  row[2] = name;
  row[3] = type;
  row[4] = kCreationDate;
  row[5] = kCreationDate;
  row[7] = std::int64_t{flags};
  return row;
}

void CheckTableNames(const Database& db) {
  std::set<std::string> seen{"msysobjects"};
  for (const Table& t : db.tables) {
    if (t.name.empty() || !seen.insert(AsciiLower(t.name)).second) {
      throw JetWriteError("table names must be non-empty and unique (and not MSysObjects): " + t.name);
    }
  }
}

}  // namespace

std::vector<std::uint8_t> BuildJetFile(const Database& db) {
  const Format& fmt = FormatOf(db.version);
  CheckTableNames(db);

  // The catalog lists every user table by the page of its definition, which
  // is known only after layout; ids are fixed-size, so the catalog's rows
  // are measured first with placeholder ids and re-encoded afterwards.
  Table catalog = CatalogTable();
  catalog.rows.push_back(CatalogRow(kTablesContainerId, kContainersParentId, "Tables", 3, 0));
  catalog.rows.push_back(CatalogRow(kDatabasesContainerId, kContainersParentId, "Databases", 3, 0));
  catalog.rows.push_back(CatalogRow(kRelationshipsContainerId, kContainersParentId, "Relationships", 3, 0));
  catalog.rows.push_back(CatalogRow(static_cast<std::int32_t>(kCatalogPage), kTablesContainerId,
                                    "MSysObjects", 1, kSystemTableFlags));
  for (const Table& t : db.tables) {
    catalog.rows.push_back(CatalogRow(0, kTablesContainerId, t.name, 1, 0));
  }

  std::vector<TablePlan> plans(db.tables.size() + 1);
  plans[0].table = &catalog;
  plans[0].system = true;
  for (std::size_t i = 0; i < db.tables.size(); ++i) plans[i + 1].table = &db.tables[i];
  for (TablePlan& plan : plans) {
    plan.layout = LayOut(fmt, *plan.table);
    for (std::size_t r = 0; r < plan.table->rows.size(); ++r) {
      plan.rows.push_back(EncodeRow(fmt, db, *plan.table, plan.layout, r, plan.table->rows[r]));
    }
    plan.pageRows = PackRows(fmt, plan.rows);
  }

  // Page numbers: 0 header, 1 usage maps, 2 catalog definition, then each
  // table's definition and data pages, further usage-map pages, and last the
  // bitmap pages of type-1 maps.
  std::uint32_t next = kCatalogPage;
  for (TablePlan& plan : plans) {
    plan.definitionPage = next++;
    for (std::size_t k = 0; k < plan.pageRows.size(); ++k) plan.dataPages.push_back(next++);
  }
  const std::size_t mapRowsPerPage =
      std::min<std::size_t>(255, (fmt.pageSize - fmt.dataHeaderSize) / (fmt.mapRowSize() + 2));
  const std::size_t mapRows = 2 * plans.size();
  std::vector<std::uint32_t> mapPages{1};
  for (std::size_t k = mapRowsPerPage; k < mapRows; k += mapRowsPerPage) mapPages.push_back(next++);
  for (TablePlan& plan : plans) {
    if (!NeedsBitmapPages(fmt, plan.dataPages)) continue;
    const std::size_t slice = fmt.pagesPerBitmapPage();
    for (std::uint32_t p : plan.dataPages) {
      const auto s = static_cast<std::uint32_t>(p / slice);
      if (plan.bitmapSlices.empty() || plan.bitmapSlices.back() != s) {
        plan.bitmapSlices.push_back(s);
        plan.bitmapPages.push_back(next++);
      }
    }
    if (plan.bitmapSlices.back() >= fmt.mapPointerCount) {
      throw JetWriteError("table " + plan.table->name + ": too many pages for one usage map");
    }
  }
  if (next >= (1u << 24)) throw JetWriteError("database too large: row pointers hold 24-bit page numbers");

  // Now the catalog's ids are known.
  for (std::size_t i = 0; i < db.tables.size(); ++i) {
    catalog.rows[4 + i][0] = std::int64_t{plans[i + 1].definitionPage};
    plans[0].rows[4 + i] = EncodeRow(fmt, db, catalog, plans[0].layout, 4 + i, catalog.rows[4 + i]);
  }

  std::vector<Page> file(next);
  file[0] = BuildHeaderPage(fmt, db);

  // Usage-map rows, two per table (used pages, then free space), filling the
  // map pages in order.
  std::vector<std::vector<std::uint8_t>> mapRowBytes;
  std::vector<std::uint32_t> usedMapRef(plans.size()), freeMapRef(plans.size());
  for (std::size_t t = 0; t < plans.size(); ++t) {
    const TablePlan& plan = plans[t];
    const std::uint32_t base = plan.dataPages.empty() ? plan.definitionPage : plan.dataPages.front();
    std::vector<std::uint8_t> used;
    if (plan.bitmapPages.empty()) {
      used = Type0Map(fmt, base, plan.dataPages);
    } else {
      used.assign(fmt.mapRowSize(), 0);
      used[0] = 0x01;
      for (std::size_t k = 0; k < plan.bitmapSlices.size(); ++k) {
        PutU32(used, 1 + 4 * plan.bitmapSlices[k], plan.bitmapPages[k]);
      }
    }
    for (std::size_t which = 0; which < 2; ++which) {
      const std::size_t index = mapRowBytes.size();
      const std::uint32_t ref = PageRow(mapPages[index / mapRowsPerPage],
                                        static_cast<std::uint32_t>(index % mapRowsPerPage));
      (which == 0 ? usedMapRef : freeMapRef)[t] = ref;
      // The free-space map is never read for data, but its row must exist.
      mapRowBytes.push_back(which == 0 ? used : Type0Map(fmt, base, {}));
    }
  }
  for (std::size_t m = 0; m < mapPages.size(); ++m) {
    std::vector<const std::vector<std::uint8_t>*> rows;
    for (std::size_t r = m * mapRowsPerPage; r < std::min(mapRows, (m + 1) * mapRowsPerPage); ++r) {
      rows.push_back(&mapRowBytes[r]);
    }
    file[mapPages[m]] = BuildDataPage(fmt, 0, rows);
  }

  for (std::size_t t = 0; t < plans.size(); ++t) {
    const TablePlan& plan = plans[t];
    file[plan.definitionPage] = BuildTableDefinition(
        fmt, db, *plan.table, plan.layout, plan.system,
        static_cast<std::uint32_t>(plan.rows.size()), usedMapRef[t], freeMapRef[t]);
    for (std::size_t k = 0; k < plan.pageRows.size(); ++k) {
      std::vector<const std::vector<std::uint8_t>*> rows;
      for (std::size_t r : plan.pageRows[k]) rows.push_back(&plan.rows[r]);
      file[plan.dataPages[k]] = BuildDataPage(fmt, plan.definitionPage, rows);
    }
    for (std::size_t k = 0; k < plan.bitmapPages.size(); ++k) {
      Page page(fmt.pageSize, 0);
      PutU8(page, 0, kPageUsageBitmap);
      PutU8(page, 1, 0x01);
      const std::size_t sliceStart = plan.bitmapSlices[k] * fmt.pagesPerBitmapPage();
      for (std::uint32_t p : plan.dataPages) {
        if (p < sliceStart || p >= sliceStart + fmt.pagesPerBitmapPage()) continue;
        const std::size_t bit = p - sliceStart;
        page[4 + bit / 8] |= static_cast<std::uint8_t>(1u << (bit % 8));
      }
      file[plan.bitmapPages[k]] = std::move(page);
    }
  }

  std::vector<std::uint8_t> bytes;
  bytes.reserve(file.size() * fmt.pageSize);
  for (const Page& page : file) bytes.insert(bytes.end(), page.begin(), page.end());
  return bytes;
}

void WriteJetFile(const Database& database, const std::filesystem::path& file) {
  const std::vector<std::uint8_t> bytes = BuildJetFile(database);
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw JetWriteError("cannot write " + file.string());
}

}  // namespace jetwriter
