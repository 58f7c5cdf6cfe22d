#include "jetwriter/jet_writer.h"

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

#include "common/rc4.h"

namespace jetwriter {
namespace {

// ---------------------------------------------------------------------------
// The two page formats. Everything that differs between Jet 3 and Jet 4 is
// a number in this table, so the builders below are written once; ACE
// files have Jet 4's.
struct Format {
  JetVersion version;            // of the layout: Jet3 or Jet4
  std::size_t pageSize;
  std::size_t dataHeaderSize;    // data page header, up to the row offsets
  std::size_t rowCountOffset;    // data page: u16 row count
  std::size_t tdefColumnsStart;  // first column entry (no index entries)
  std::size_t columnEntrySize;
  std::size_t mapBitmapBytes;    // type-0 usage map bitmap, as Access sizes it
  std::size_t mapPointerCount;   // type-1 usage map: pointers to bitmap pages
  std::size_t encryptedHeaderBytes;
  std::size_t countSize;         // width of counts and offsets inside a row
  std::size_t passwordBytes;     // header: the password field at 0x42

  bool jet4() const { return version == JetVersion::Jet4; }
  std::size_t mapRowSize() const { return 5 + mapBitmapBytes; }
  // Pages one 0x05 bitmap page covers (its first 4 bytes are a header).
  std::size_t pagesPerBitmapPage() const { return (pageSize - 4) * 8; }
  // The longest row a data page holds: the page less its header and the
  // row's entry in the row table.
  std::size_t maxRowSize() const { return pageSize - dataHeaderSize - 2; }
};

constexpr Format kJet3{JetVersion::Jet3, 2048, 10, 8, 0x2B, 18, 128, 33, 126, 1, 20};
constexpr Format kJet4{JetVersion::Jet4, 4096, 14, 12, 0x3F, 25, 64, 17, 128, 2, 40};

const Format& FormatOf(JetVersion version) {
  return version == JetVersion::Jet3 ? kJet3 : kJet4;
}

constexpr std::uint8_t kPageData = 0x01;
constexpr std::uint8_t kPageTableDefinition = 0x02;
constexpr std::uint8_t kPageUsageBitmap = 0x05;
constexpr std::uint8_t kTableTypeUser = 0x4E;
constexpr std::uint8_t kTableTypeSystem = 0x53;
constexpr std::uint8_t kColumnFixed = 0x01;
constexpr std::uint8_t kColumnNullable = 0x02;
constexpr std::uint8_t kColumnCompressedUnicode = 0x01;  // Jet 4, byte 16
// Row table entries: the row's offset, and these flags. A deleted row has
// both; a moved row leaves a pointer flagged as overflow and lives on,
// flagged deleted, where the pointer points.
constexpr std::uint16_t kRowDeleted = 0x8000;
constexpr std::uint16_t kRowOverflow = 0x4000;
// Long values: the memo header's first four bytes are the length and, in
// the top bits, where the value is.
constexpr std::uint32_t kLongValueInRow = 0x80000000u;
constexpr std::uint32_t kLongValueOneRow = 0x40000000u;
constexpr std::size_t kLongValueHeader = 12;
constexpr std::size_t kChainLink = 4;  // a chained LVAL row starts with the pointer to the next
// Automatic memo storage keeps values up to this many bytes in the row.
constexpr std::size_t kInRowMemoBytes = 64;
// Access compresses a memo only when it is at most this many characters.
constexpr std::size_t kLongestCompressedMemo = 1024;
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
// A row pointer keeps the row's index in one byte.
constexpr std::size_t kMostRowsPerPage = 255;

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
void PutU64(std::span<std::uint8_t> buf, std::size_t at, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) buf[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void PutF64(std::span<std::uint8_t> buf, std::size_t at, double v) {
  std::uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  PutU64(buf, at, bits);
}
void PutF32(std::span<std::uint8_t> buf, std::size_t at, float v) {
  std::uint32_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  PutU32(buf, at, bits);
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
    case ColumnType::Long:
    case ColumnType::Float: return 4;
    case ColumnType::Money:
    case ColumnType::Double:
    case ColumnType::DateTime:
    case ColumnType::BigInt: return 8;
    default: return std::nullopt;
  }
}

bool IsKnownType(ColumnType type) {
  switch (type) {
    case ColumnType::Bool: case ColumnType::Byte: case ColumnType::Int:
    case ColumnType::Long: case ColumnType::Money: case ColumnType::Float:
    case ColumnType::Double: case ColumnType::DateTime: case ColumnType::Binary:
    case ColumnType::Text: case ColumnType::Ole: case ColumnType::Memo:
    case ColumnType::BigInt:
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
  if (table.maxRowsPerPage < 1 || table.maxRowsPerPage > kMostRowsPerPage) {
    throw JetWriteError("table " + table.name + ": 1 to 255 rows per page");
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
// Values.
struct CellContext {
  const Table& table;
  std::size_t row;
  const Column& column;
  std::string Where() const {
    return "table " + table.name + ", row " + std::to_string(row + 1) + ", column " + column.name;
  }
};

// Text as Jet 4 stores it: UTF-16, or its compressed form where that is
// allowed and shorter.
std::vector<std::uint8_t> Jet4Text(const std::u16string& units, bool compress) {
  std::vector<std::uint8_t> plain = Utf16Bytes(units);
  if (compress) {
    auto packed = CompressJet4Text(units);
    if (packed && packed->size() < plain.size()) return std::move(*packed);
  }
  return plain;
}

std::vector<std::uint8_t> EncodeText(const Format& fmt, const Database& db, const CellContext& at,
                                     const std::string& utf8) {
  if (fmt.jet4()) {
    const std::u16string units = ToUtf16(utf8);
    if (units.size() > static_cast<std::size_t>(at.column.length)) {
      throw JetWriteError(at.Where() + ": text longer than the column's " +
                          std::to_string(at.column.length) + " characters");
    }
    return Jet4Text(units, db.compressText);
  }
  const std::string bytes = ConvertText(utf8, CodePageName(db.codePage));
  if (bytes.size() > static_cast<std::size_t>(at.column.length)) {
    throw JetWriteError(at.Where() + ": text longer than the column's " +
                        std::to_string(at.column.length) + " bytes");
  }
  return {bytes.begin(), bytes.end()};
}

// A memo's stored bytes: as text, without the text column's limit; Jet 4
// compresses only short memos.
std::vector<std::uint8_t> EncodeMemo(const Format& fmt, const Database& db, const std::string& utf8) {
  if (fmt.jet4()) {
    const std::u16string units = ToUtf16(utf8);
    return Jet4Text(units, db.compressText && units.size() <= kLongestCompressedMemo);
  }
  const std::string bytes = ConvertText(utf8, CodePageName(db.codePage));
  return {bytes.begin(), bytes.end()};
}

std::int64_t IntegerIn(const CellContext& at, const Value& v, std::int64_t lo, std::int64_t hi) {
  const auto* n = std::get_if<std::int64_t>(&v);
  if (!n) throw JetWriteError(at.Where() + ": an integer is expected");
  if (*n < lo || *n > hi) throw JetWriteError(at.Where() + ": integer out of range");
  return *n;
}

double RealOf(const CellContext& at, const Value& v) {
  if (const auto* x = std::get_if<double>(&v)) return *x;
  if (const auto* n = std::get_if<std::int64_t>(&v)) return static_cast<double>(*n);
  throw JetWriteError(at.Where() + ": a number is expected");
}

// A memo kept outside its row, to be laid out on LVAL pages: its bytes, in
// one row or in links of a chain.
struct LongValue {
  std::vector<std::uint8_t> data;
  bool chained = false;
  std::size_t linkBytes = 0;
  std::vector<std::uint32_t> rows;  // row pointers of its LVAL rows, once laid out
};

// A row's bytes, and where in them a memo header waits for the row pointer
// of its long value.
struct EncodedRow {
  std::vector<std::uint8_t> bytes;
  std::vector<std::pair<std::size_t, std::size_t>> longValueHeaders;  // (offset, long value)
};

// Where a memo goes, and the part of it that lives in the row: its 12-byte
// header, followed by the value itself when it stays in the row.
std::vector<std::uint8_t> MemoInRow(const Format& fmt, const Column& column, std::vector<std::uint8_t> data,
                                    std::vector<LongValue>& longValues, bool& outside) {
  MemoStorage storage = column.memoStorage;
  const std::size_t oneRow = fmt.maxRowSize();
  if (data.empty()) storage = MemoStorage::InRow;  // an empty LVAL row cannot exist
  if (storage == MemoStorage::Automatic) {
    storage = data.size() <= kInRowMemoBytes ? MemoStorage::InRow
              : data.size() <= oneRow        ? MemoStorage::OneLvalRow
                                             : MemoStorage::LvalChain;
  }
  if (storage == MemoStorage::OneLvalRow && data.size() > oneRow) {
    throw JetWriteError("column " + column.name + ": a memo of " + std::to_string(data.size()) +
                        " bytes does not fit one LVAL row");
  }
  const auto length = static_cast<std::uint32_t>(data.size());
  outside = storage != MemoStorage::InRow;
  if (!outside) {
    std::vector<std::uint8_t> inRow(kLongValueHeader + data.size(), 0);
    PutU32(inRow, 0, length | kLongValueInRow);
    std::copy(data.begin(), data.end(), inRow.begin() + kLongValueHeader);
    return inRow;
  }
  std::vector<std::uint8_t> header(kLongValueHeader, 0);
  const bool chained = storage == MemoStorage::LvalChain;
  PutU32(header, 0, length | (chained ? 0 : kLongValueOneRow));
  const std::size_t linkBytes = column.chainLinkBytes ? column.chainLinkBytes : oneRow - kChainLink;
  if (linkBytes > oneRow - kChainLink) throw JetWriteError("column " + column.name + ": chain links too long");
  longValues.push_back({std::move(data), chained, linkBytes, {}});
  return header;
}

// The tail of a Jet 3 row: the end of data offset, the offsets (one byte
// each, last column first), the jump table and the count. A row longer than
// 256 bytes needs the jump table to give its offsets their high part: one
// entry per 256-byte boundary of the whole row, each the index of the first
// offset (the end of data counting as the last) at or past the boundary,
// highest boundary first. When no offset reaches the last boundary, its
// entry is a dummy (0xFF), which readers know to skip because the end of
// data lies below it.
void AppendJet3Tail(std::vector<std::uint8_t>& out, const std::vector<std::size_t>& offsets, std::size_t maskSize,
                    const std::string& where) {
  const std::size_t eod = out.size();  // the end of data, and where it is written
  std::vector<std::size_t> all = offsets;
  all.push_back(eod);
  const std::size_t tail = all.size() + 1 + maskSize;
  std::size_t jumps = 0;
  while ((eod + tail + jumps - 1) / 256 > jumps) ++jumps;
  std::vector<std::uint8_t> entries(jumps);
  for (std::size_t k = 0; k < jumps; ++k) {
    const std::size_t boundary = 256 * (k + 1);
    const auto first = std::find_if(all.begin(), all.end(), [&](std::size_t o) { return o >= boundary; });
    if (first != all.end()) {
      entries[k] = static_cast<std::uint8_t>(first - all.begin());
    } else if (k + 1 == jumps && eod / 256 < jumps) {
      entries[k] = 0xFF;
    } else {
      throw JetWriteError(where + ": a Jet 3 row this long cannot be laid out");
    }
  }
  out.push_back(static_cast<std::uint8_t>(eod));
  for (auto it = offsets.rbegin(); it != offsets.rend(); ++it) out.push_back(static_cast<std::uint8_t>(*it));
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) out.push_back(*it);
  out.push_back(static_cast<std::uint8_t>(offsets.size()));
}

// Encodes one row:
//   [count][fixed area][var data][eod][var offsets, last first][count][null mask]
// with 2-byte counts and offsets on Jet 4, 1-byte ones (and a jump table)
// on Jet 3.
EncodedRow EncodeRow(const Format& fmt, const Database& db, const Table& table, const TableLayout& layout,
                     std::size_t rowIndex, const std::vector<Value>& row, std::vector<LongValue>& longValues) {
  const std::string where = "table " + table.name + ", row " + std::to_string(rowIndex + 1);
  if (row.size() != layout.columns.size()) {
    throw JetWriteError(where + ": " + std::to_string(row.size()) + " values for " +
                        std::to_string(layout.columns.size()) + " columns");
  }
  const std::size_t colCount = layout.columns.size();
  EncodedRow encoded;
  std::vector<std::uint8_t>& out = encoded.bytes;
  AppendCount(out, fmt, colCount);
  const std::size_t fixedStart = out.size();
  out.resize(fixedStart + layout.fixedAreaSize, 0);
  std::vector<std::uint8_t> nullMask((colCount + 7) / 8, 0);
  std::vector<std::vector<std::uint8_t>> varData(layout.varCount);
  std::vector<std::pair<std::size_t, std::size_t>> outsideMemos;  // (var index, long value)

  for (const ColumnLayout& col : layout.columns) {
    const Value& v = row[col.number];
    const CellContext at{table, rowIndex, *col.column};
    const bool isNull = std::holds_alternative<std::monostate>(v);
    bool present = !isNull;
    std::span<std::uint8_t> fixed(out.data() + fixedStart + col.fixedOffset, col.fixed ? col.storedSize : 0);
    if (!isNull) {
      switch (col.column->type) {
        case ColumnType::Bool: {
          const auto* b = std::get_if<bool>(&v);
          if (!b) throw JetWriteError(at.Where() + ": true or false is expected");
          present = *b;
          break;
        }
        case ColumnType::Byte:
          PutU8(fixed, 0, static_cast<std::uint8_t>(IntegerIn(at, v, 0, 255)));
          break;
        case ColumnType::Int:
          PutU16(fixed, 0, static_cast<std::uint16_t>(IntegerIn(at, v, -32768, 32767)));
          break;
        case ColumnType::Long:
          PutU32(fixed, 0, static_cast<std::uint32_t>(IntegerIn(at, v, std::numeric_limits<std::int32_t>::min(),
                                                                 std::numeric_limits<std::int32_t>::max())));
          break;
        case ColumnType::Money:
        case ColumnType::BigInt:
          PutU64(fixed, 0, static_cast<std::uint64_t>(IntegerIn(at, v, std::numeric_limits<std::int64_t>::min(),
                                                                 std::numeric_limits<std::int64_t>::max())));
          break;
        case ColumnType::Float:
          PutF32(fixed, 0, static_cast<float>(RealOf(at, v)));
          break;
        case ColumnType::Double:
        case ColumnType::DateTime:
          PutF64(fixed, 0, RealOf(at, v));
          break;
        case ColumnType::Text: {
          const auto* s = std::get_if<std::string>(&v);
          if (!s) throw JetWriteError(at.Where() + ": text is expected");
          varData[col.varIndex] = EncodeText(fmt, db, at, *s);
          break;
        }
        case ColumnType::Memo: {
          const auto* s = std::get_if<std::string>(&v);
          if (!s) throw JetWriteError(at.Where() + ": text is expected");
          bool outside = false;
          varData[col.varIndex] = MemoInRow(fmt, *col.column, EncodeMemo(fmt, db, *s), longValues, outside);
          if (outside) outsideMemos.emplace_back(col.varIndex, longValues.size() - 1);
          break;
        }
        case ColumnType::Binary:
        case ColumnType::Ole:
          throw JetWriteError(at.Where() + ": only NULL can be written to this column type");
      }
    }
    if (present) nullMask[col.number / 8] |= static_cast<std::uint8_t>(1u << (col.number % 8));
  }

  if (layout.varCount > 0) {
    std::vector<std::size_t> offsets;
    for (std::size_t k = 0; k < varData.size(); ++k) {
      offsets.push_back(out.size());
      for (const auto& [varIndex, longValue] : outsideMemos) {
        if (varIndex == k) encoded.longValueHeaders.emplace_back(out.size(), longValue);
      }
      out.insert(out.end(), varData[k].begin(), varData[k].end());
    }
    if (fmt.jet4()) {
      AppendCount(out, fmt, out.size());
      for (auto it = offsets.rbegin(); it != offsets.rend(); ++it) AppendCount(out, fmt, *it);
      AppendCount(out, fmt, layout.varCount);
    } else {
      AppendJet3Tail(out, offsets, nullMask.size(), where);
    }
  }
  out.insert(out.end(), nullMask.begin(), nullMask.end());
  if (out.size() > fmt.maxRowSize()) {
    throw JetWriteError(where + ": row too long for a page (" + std::to_string(out.size()) + " bytes)");
  }
  return encoded;
}

// ---------------------------------------------------------------------------
// Pages.
using Page = std::vector<std::uint8_t>;

// One entry of a data page's row table: the row's bytes and its flags.
struct Slot {
  const std::vector<std::uint8_t>* bytes = nullptr;
  std::uint16_t flags = 0;
};

// Slot indexes per page, filling each page in order: as many as fit, and
// no more than maxRows.
std::vector<std::vector<std::size_t>> PackSlots(const Format& fmt, const std::vector<Slot>& slots,
                                                std::size_t maxRows) {
  std::vector<std::vector<std::size_t>> pages;
  std::size_t used = 0;
  for (std::size_t i = 0; i < slots.size(); ++i) {
    const std::size_t need = slots[i].bytes->size() + 2;
    if (pages.empty() || pages.back().size() == maxRows || fmt.dataHeaderSize + used + need > fmt.pageSize) {
      pages.emplace_back();
      used = 0;
    }
    pages.back().push_back(i);
    used += need;
  }
  return pages;
}

// Rows are packed from the end of the page towards the header; row 0 ends
// at the end of the page. `owner` is the table definition's page, or, on
// long-value pages, the bytes "LVAL".
Page BuildDataPage(const Format& fmt, std::uint32_t owner, const std::vector<Slot>& rows) {
  Page page(fmt.pageSize, 0);
  PutU8(page, 0, kPageData);
  PutU8(page, 1, 0x01);
  PutU32(page, 4, owner);
  PutU16(page, fmt.rowCountOffset, static_cast<std::uint16_t>(rows.size()));
  std::size_t end = fmt.pageSize;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const auto& row = *rows[i].bytes;
    end -= row.size();
    std::copy(row.begin(), row.end(), page.begin() + static_cast<std::ptrdiff_t>(end));
    PutU16(page, fmt.rowCountOffset + 2 + 2 * i, static_cast<std::uint16_t>(end | rows[i].flags));
  }
  const std::size_t offsetsEnd = fmt.rowCountOffset + 2 + 2 * rows.size();
  PutU16(page, 2, static_cast<std::uint16_t>(end - offsetsEnd));
  return page;
}

constexpr std::uint32_t kLongValueOwner = 0x4C41564C;  // "LVAL"

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
    const bool text = col.column->type == ColumnType::Text || col.column->type == ColumnType::Memo;
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
  // No indexes, and no usage maps of long-value columns: the list ends at
  // once (readers find long values through their row pointers).
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

Page BuildHeaderPage(const Format& fmt, const Database& db) {
  Page page(fmt.pageSize, 0);
  PutU32(page, 0, 0x00000100);
  const char* const magic = IsAce(db.version) ? "Standard ACE DB" : "Standard Jet DB";
  std::memcpy(page.data() + 4, magic, 16);
  PutU8(page, 0x14, InfoOf(db.version).headerByte);
  if (!fmt.jet4()) PutU16(page, 0x3A, SortOrder(db));
  PutU16(page, 0x3C, db.codePage);
  PutU32(page, 0x3E, db.encodingKey);
  // The password: Jet 4 keeps it as UTF-16 XORed with the creation date's
  // integer part, repeated (so an empty password is stored as that mask
  // itself); Jet 3 keeps its bytes as they are.
  std::vector<std::uint8_t> password;
  if (fmt.jet4()) {
    password = Utf16Bytes(ToUtf16(db.password));
  } else {
    const std::string bytes = ConvertText(db.password, CodePageName(db.codePage));
    password.assign(bytes.begin(), bytes.end());
  }
  if (password.size() > fmt.passwordBytes) throw JetWriteError("password too long");
  password.resize(fmt.passwordBytes, 0);
  if (fmt.jet4()) {
    const auto mask = static_cast<std::uint32_t>(kCreationDate);
    for (std::size_t k = 0; k < password.size(); ++k) password[k] ^= static_cast<std::uint8_t>(mask >> (8 * (k % 4)));
  }
  std::copy(password.begin(), password.end(), page.begin() + 0x42);
  if (fmt.jet4()) {
    PutU16(page, 0x6E, SortOrder(db));
    PutF64(page, 0x72, kCreationDate);
  }
  static constexpr std::array<std::uint8_t, 4> kHeaderKey{0xC7, 0xDA, 0x39, 0x6B};
  common::Rc4(kHeaderKey, std::span<std::uint8_t>(page.data() + 0x18, fmt.encryptedHeaderBytes));
  return page;
}

// Access's "encode database": page n (but the header) is RC4 with the key
// encodingKey XOR n, in little-endian order.
void EncodePage(Page& page, std::uint32_t number, std::uint32_t encodingKey) {
  const std::uint32_t key = encodingKey ^ number;
  const std::array<std::uint8_t, 4> keyBytes{static_cast<std::uint8_t>(key), static_cast<std::uint8_t>(key >> 8),
                                             static_cast<std::uint8_t>(key >> 16),
                                             static_cast<std::uint8_t>(key >> 24)};
  common::Rc4(keyBytes, page);
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

// One table on its way into the file.
struct TablePlan {
  const Table* table = nullptr;
  TableLayout layout;
  bool system = false;
  std::vector<EncodedRow> rows;         // the live rows, in table order
  std::vector<EncodedRow> deletedRows;
  std::vector<std::vector<std::uint8_t>> pointers;  // one per moved row, filled in once pages are known
  std::vector<Slot> slots;              // the row tables of its pages, in order
  std::vector<std::vector<std::size_t>> pageSlots;
  std::vector<std::size_t> pointerSlot, movedSlot;  // per moved row: its pointer's slot, its own slot
  std::uint32_t definitionPage = 0;
  std::vector<std::uint32_t> dataPages;
  std::vector<std::uint32_t> bitmapPages;  // type-1 map: one per slice used, else empty
  std::vector<std::uint32_t> bitmapSlices;
  bool pagedMap = false;
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

// What a file of the database's version cannot hold, as Access would not
// write it.
void CheckVersion(const Database& db) {
  if (IsAce(db.version) && (db.encodingKey != 0 || !db.password.empty())) {
    throw JetWriteError("an ACE file is neither encoded nor guarded by a password the way Jet files are");
  }
  if (HoldsBigInt(db.version)) return;
  for (const Table& t : db.tables) {
    for (const Column& c : t.columns) {
      if (c.type == ColumnType::BigInt) {
        throw JetWriteError("table " + t.name + ", column " + c.name + ": large numbers need ace2016 or later");
      }
    }
  }
}

void CheckTableNames(const Database& db) {
  std::set<std::string> seen{"msysobjects"};
  for (const Table& t : db.tables) {
    if (t.name.empty() || !seen.insert(AsciiLower(t.name)).second) {
      throw JetWriteError("table names must be non-empty and unique (and not MSysObjects): " + t.name);
    }
  }
}

// Encodes a table's rows and lays out the row tables of its pages: the
// rows in order, each deleted row before the live row it names and each
// moved row's pointer in its place; then, on pages of their own, the moved
// rows.
void PlanRows(const Format& fmt, const Database& db, TablePlan& plan, std::vector<LongValue>& longValues) {
  const Table& t = *plan.table;
  for (std::size_t r = 0; r < t.rows.size(); ++r) {
    plan.rows.push_back(EncodeRow(fmt, db, t, plan.layout, r, t.rows[r], longValues));
  }
  for (const auto& [before, values] : t.deletedRows) {
    if (before > t.rows.size()) throw JetWriteError("table " + t.name + ": a deleted row after the end");
    plan.deletedRows.push_back(EncodeRow(fmt, db, t, plan.layout, before, values, longValues));
  }
  std::vector<int> movedIndex(t.rows.size(), -1);
  for (std::size_t m = 0; m < t.movedRows.size(); ++m) {
    const std::size_t r = t.movedRows[m];
    if (r >= t.rows.size() || movedIndex[r] >= 0) throw JetWriteError("table " + t.name + ": moved rows");
    movedIndex[r] = static_cast<int>(m);
  }
  plan.pointers.assign(t.movedRows.size(), std::vector<std::uint8_t>(4, 0));
  plan.pointerSlot.resize(t.movedRows.size());
  plan.movedSlot.resize(t.movedRows.size());
  auto deletedBefore = [&](std::size_t r) {
    for (std::size_t d = 0; d < t.deletedRows.size(); ++d) {
      if (t.deletedRows[d].first == r) plan.slots.push_back({&plan.deletedRows[d].bytes, kRowDeleted | kRowOverflow});
    }
  };
  for (std::size_t r = 0; r < t.rows.size(); ++r) {
    deletedBefore(r);
    if (movedIndex[r] < 0) {
      plan.slots.push_back({&plan.rows[r].bytes, 0});
    } else {
      plan.pointerSlot[static_cast<std::size_t>(movedIndex[r])] = plan.slots.size();
      plan.slots.push_back({&plan.pointers[static_cast<std::size_t>(movedIndex[r])], kRowOverflow});
    }
  }
  deletedBefore(t.rows.size());
  plan.pageSlots = PackSlots(fmt, plan.slots, t.maxRowsPerPage);
  // The moved rows on pages after the others, flagged deleted so that a
  // walk through the pages meets them only through their pointers.
  std::vector<Slot> moved;
  for (const std::size_t r : t.movedRows) moved.push_back({&plan.rows[r].bytes, kRowDeleted});
  const std::size_t first = plan.slots.size();
  for (std::size_t m = 0; m < moved.size(); ++m) plan.movedSlot[m] = first + m;
  plan.slots.insert(plan.slots.end(), moved.begin(), moved.end());
  for (auto page : PackSlots(fmt, moved, t.maxRowsPerPage)) {
    for (std::size_t& s : page) s += first;
    plan.pageSlots.push_back(std::move(page));
  }
}

// The long values on LVAL pages after every other page: one row each, or
// one row per link of a chain, packed in order; their row pointers noted.
std::vector<Page> LayOutLongValues(const Format& fmt, std::vector<LongValue>& longValues, std::uint32_t firstPage) {
  struct LvalRow {
    std::vector<std::uint8_t> bytes;
    LongValue* owner;
  };
  std::vector<LvalRow> rows;
  for (LongValue& lv : longValues) {
    if (!lv.chained) {
      rows.push_back({lv.data, &lv});
      continue;
    }
    for (std::size_t at = 0; at < lv.data.size(); at += lv.linkBytes) {
      const std::size_t n = std::min(lv.linkBytes, lv.data.size() - at);
      std::vector<std::uint8_t> link(kChainLink + n, 0);
      std::copy_n(lv.data.begin() + static_cast<std::ptrdiff_t>(at), n, link.begin() + kChainLink);
      rows.push_back({std::move(link), &lv});
    }
  }
  std::vector<Slot> slots;
  for (const LvalRow& row : rows) slots.push_back({&row.bytes, 0});
  const auto pages = PackSlots(fmt, slots, kMostRowsPerPage);
  for (std::size_t p = 0; p < pages.size(); ++p) {
    for (std::size_t i = 0; i < pages[p].size(); ++i) {
      rows[pages[p][i]].owner->rows.push_back(
          PageRow(firstPage + static_cast<std::uint32_t>(p), static_cast<std::uint32_t>(i)));
    }
  }
  // Each link points at the next; the last at nothing.
  std::size_t r = 0;
  for (LongValue& lv : longValues) {
    if (!lv.chained) {
      ++r;
      continue;
    }
    for (std::size_t k = 0; k < lv.rows.size(); ++k, ++r) {
      PutU32(rows[r].bytes, 0, k + 1 < lv.rows.size() ? lv.rows[k + 1] : 0);
    }
  }
  std::vector<Page> built;
  for (const auto& page : pages) {
    std::vector<Slot> onPage;
    for (const std::size_t i : page) onPage.push_back(slots[i]);
    built.push_back(BuildDataPage(fmt, kLongValueOwner, onPage));
  }
  return built;
}

}  // namespace

const VersionInfo& InfoOf(JetVersion version) {
  for (const VersionInfo& v : kVersions) {
    if (v.version == version) return v;
  }
  throw JetWriteError("unknown version");
}

std::vector<std::uint8_t> BuildJetFile(const Database& db) {
  const Format& fmt = FormatOf(db.version);
  CheckVersion(db);
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

  std::vector<LongValue> longValues;
  std::vector<TablePlan> plans(db.tables.size() + 1);
  plans[0].table = &catalog;
  plans[0].system = true;
  for (std::size_t i = 0; i < db.tables.size(); ++i) plans[i + 1].table = &db.tables[i];
  for (TablePlan& plan : plans) {
    plan.layout = LayOut(fmt, *plan.table);
    PlanRows(fmt, db, plan, longValues);
  }

  // Page numbers: 0 header, 1 usage maps, 2 catalog definition, then each
  // table's definition and data pages, further usage-map pages, the bitmap
  // pages of type-1 maps, and last the long-value pages.
  std::uint32_t next = kCatalogPage;
  for (TablePlan& plan : plans) {
    plan.definitionPage = next++;
    for (std::size_t k = 0; k < plan.pageSlots.size(); ++k) plan.dataPages.push_back(next++);
  }
  const std::size_t mapRowsPerPage =
      std::min<std::size_t>(kMostRowsPerPage, (fmt.pageSize - fmt.dataHeaderSize) / (fmt.mapRowSize() + 2));
  const std::size_t mapRows = 2 * plans.size();
  std::vector<std::uint32_t> mapPages{1};
  for (std::size_t k = mapRowsPerPage; k < mapRows; k += mapRowsPerPage) mapPages.push_back(next++);
  for (TablePlan& plan : plans) {
    plan.pagedMap = plan.table->pagedUsageMap || NeedsBitmapPages(fmt, plan.dataPages);
    if (!plan.pagedMap) continue;
    const std::size_t slice = fmt.pagesPerBitmapPage();
    for (std::uint32_t p : plan.dataPages) {
      const auto s = static_cast<std::uint32_t>(p / slice);
      if (plan.bitmapSlices.empty() || plan.bitmapSlices.back() != s) {
        plan.bitmapSlices.push_back(s);
        plan.bitmapPages.push_back(next++);
      }
    }
    if (!plan.bitmapSlices.empty() && plan.bitmapSlices.back() >= fmt.mapPointerCount) {
      throw JetWriteError("table " + plan.table->name + ": too many pages for one usage map");
    }
  }
  std::vector<Page> lvalPages = LayOutLongValues(fmt, longValues, next);
  next += static_cast<std::uint32_t>(lvalPages.size());
  if (next >= (1u << 24)) throw JetWriteError("database too large: row pointers hold 24-bit page numbers");

  // Now the catalog's ids, the moved rows' pointers and the memo headers'
  // row pointers are known.
  for (std::size_t i = 0; i < db.tables.size(); ++i) {
    catalog.rows[4 + i][0] = std::int64_t{plans[i + 1].definitionPage};
    plans[0].rows[4 + i] = EncodeRow(fmt, db, catalog, plans[0].layout, 4 + i, catalog.rows[4 + i], longValues);
  }
  for (TablePlan& plan : plans) {
    std::vector<std::uint32_t> slotAt(plan.slots.size());
    for (std::size_t k = 0; k < plan.pageSlots.size(); ++k) {
      for (std::size_t i = 0; i < plan.pageSlots[k].size(); ++i) {
        slotAt[plan.pageSlots[k][i]] = PageRow(plan.dataPages[k], static_cast<std::uint32_t>(i));
      }
    }
    for (std::size_t m = 0; m < plan.pointers.size(); ++m) PutU32(plan.pointers[m], 0, slotAt[plan.movedSlot[m]]);
    for (auto* rows : {&plan.rows, &plan.deletedRows}) {
      for (EncodedRow& row : *rows) {
        for (const auto& [at, lv] : row.longValueHeaders) PutU32(row.bytes, at + 4, longValues[lv].rows.front());
      }
    }
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
    if (!plan.pagedMap) {
      used = Type0Map(fmt, base, plan.dataPages);
    } else {
      used.assign(1 + 4 * fmt.mapPointerCount, 0);
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
    std::vector<Slot> rows;
    for (std::size_t r = m * mapRowsPerPage; r < std::min(mapRows, (m + 1) * mapRowsPerPage); ++r) {
      rows.push_back({&mapRowBytes[r], 0});
    }
    file[mapPages[m]] = BuildDataPage(fmt, 0, rows);
  }

  for (std::size_t t = 0; t < plans.size(); ++t) {
    const TablePlan& plan = plans[t];
    file[plan.definitionPage] = BuildTableDefinition(
        fmt, db, *plan.table, plan.layout, plan.system,
        static_cast<std::uint32_t>(plan.rows.size()), usedMapRef[t], freeMapRef[t]);
    for (std::size_t k = 0; k < plan.pageSlots.size(); ++k) {
      std::vector<Slot> rows;
      for (std::size_t s : plan.pageSlots[k]) rows.push_back(plan.slots[s]);
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
  std::move(lvalPages.begin(), lvalPages.end(), file.end() - static_cast<std::ptrdiff_t>(lvalPages.size()));

  std::vector<std::uint8_t> bytes;
  bytes.reserve(file.size() * fmt.pageSize);
  for (std::uint32_t n = 0; n < file.size(); ++n) {
    if (n > 0 && db.encodingKey != 0) EncodePage(file[n], n, db.encodingKey);
    bytes.insert(bytes.end(), file[n].begin(), file[n].end());
  }
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
