// Read-only access to the provider's Jet database (data.qdr): whether a file
// opens as a database at all, and whole tables read into memory.
//
// Failure model. A database file may be damaged in any way, so the reader
// trusts nothing in it: every page number, row offset and length is checked
// against the file before it is used, every chain the file describes (table
// definitions over several pages, usage-map pages, moved rows, long values
// over several pages) is followed a bounded number of steps, and what a
// read holds in memory is bounded by a small multiple of the file's size.
// Whatever the bytes, a read ends, in time proportional to the file, either
// with every requested row or with a failure whose error says what was
// wrong; it never crashes, hangs or runs out of memory. A failed read hands
// back nothing: a table that could not be read whole is not half shown.
//
// Read: Jet 3 (Access 97; text in the code page the file names, 932 for a
// Japanese file), Jet 4 (Access 2000-2003; UTF-16 text, plain or
// compressed) and ACE (.accdb) of every version Access 2007, 2010, 2013,
// 2016 and 2019 write (Microsoft 365 writes 2019's), whose pages have the
// Jet 4 layout. Encoded Jet 3 and Jet 4 files are decrypted; a database
// password only guards Access's user interface and plays no part. Refused:
// ACE files encrypted with a password (the password is their key), and
// versions newer than these, with a message that says so.
//
// Usage, for look-ups that build their maps once per run:
//
//   auto result = pellora::jet::ReadJetTables(dbPath, {{"m_insd", {"insd_no", "insr_no", "pat_nm"}}});
//   if (!result.ok) { /* every name field pink; result.error says why */ }
//   const pellora::jet::Table& insd = result.tables[0];
//   for (std::size_t r = 0; r < insd.rowCount(); ++r) {
//     std::optional<std::u16string_view> number = insd.text(r, 0);  // nullopt = NULL
//     ...                                                          // rows in table order
//   }
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace pellora::jet {

// Column types as a table definition stores them.
enum class ColumnType : std::uint8_t {
  Bool = 0x01,
  Byte = 0x02,
  Int = 0x03,
  Long = 0x04,
  Money = 0x05,
  Float = 0x06,
  Double = 0x07,
  DateTime = 0x08,
  Binary = 0x09,
  Text = 0x0A,
  Ole = 0x0B,
  Memo = 0x0C,
  Guid = 0x0F,
  Numeric = 0x10,   // decimal: not read
  Complex = 0x12,   // ACE attachments and multi-valued fields: not read
  BigInt = 0x13,    // ACE, Access 2016 and later
  DateTimeExtended = 0x14,  // ACE, Microsoft 365: not read
};

// True for the types whose values this reader decodes. Binary, OLE, GUID,
// decimal and ACE's complex, calculated and extended date columns are left
// alone.
bool IsDecodedType(ColumnType type);
// True for the number types (Byte, Int, Long, BigInt, Money, Float, Double).
bool IsNumberType(ColumnType type);

// The text a number cell holds in a Table: the shortest decimal that reads
// back as the same double ("1234", "0.5", "1e+21"), so that two numbers are
// equal exactly when their texts are.
std::u16string NumberText(double value);

// Which columns of which table to read. Names match as Jet matches them:
// without regard to the case of the letters A-Z (in either width).
struct TableRequest {
  std::string table;                 // UTF-8
  std::vector<std::string> columns;  // UTF-8; text, memo or number columns
};

// The requested columns of one table, every row in table order. Text and
// memo cells are their text, number cells their NumberText; NULL and the
// empty string stay distinct.
class Table {
 public:
  Table() = default;
  Table(std::string name, std::vector<std::string> columns);

  const std::string& name() const { return name_; }
  const std::vector<std::string>& columns() const { return columns_; }
  std::size_t columnCount() const { return columns_.size(); }
  std::size_t rowCount() const { return rowCount_; }
  // The stored type of column `column`.
  ColumnType columnType(std::size_t column) const { return types_[column]; }

  // The cell at row < rowCount(), column < columnCount(): nullopt for NULL.
  // The view stays valid as long as the Table lives.
  std::optional<std::u16string_view> text(std::size_t row, std::size_t column) const;

 private:
  friend class TableFiller;  // the reader fills a Table in place
  struct Cell {
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
  };
  static constexpr std::uint32_t kNullLength = 0xFFFFFFFFu;

  std::string name_;
  std::vector<std::string> columns_;
  std::vector<ColumnType> types_;
  std::size_t rowCount_ = 0;
  std::vector<Cell> cells_;  // row-major
  std::u16string chars_;
};

// The outcome of a read: every requested table, or none and the error.
struct ReadResult {
  bool ok = false;
  std::string error;
  std::vector<Table> tables;  // in request order
};

// Paths are UTF-16, as the viewer holds them (see jet_file.h).

// True exactly for a file that opens as a database this reader reads: its
// header is sound and its catalog reads. False for a missing path, a
// folder, or any file that is not a sound database.
bool OpensAsDatabase(std::u16string_view database);

// Reads the requested tables. A missing table or column, a column of
// another type than the request allows, and any damage found fail the
// whole read.
ReadResult ReadJetTables(std::u16string_view database, const std::vector<TableRequest>& requests);
// The same read of a database file's bytes, already in memory.
ReadResult ReadJetTables(std::vector<std::uint8_t> file, const std::vector<TableRequest>& requests);

// ---- Every column of a table, with its values as stored ----

struct ColumnInfo {
  std::string name;  // UTF-8
  ColumnType type;
  bool decoded = true;  // false: every value of the column comes as NULL
};

// Money, as stored: ten-thousandths of a currency unit.
struct Currency {
  std::int64_t tenThousandths;
};
// A date and time: days since 1899-12-30, the time of day as the fraction
// (negative days count back, with the fraction still forward in the day).
struct DateTime {
  double days;
};

// One cell: NULL (and every cell of a type not decoded), a yes/no, an
// integer (Byte, Int, Long, BigInt), a real number (Float, Double), money,
// a date, or text (Text, Memo).
using Value = std::variant<std::monostate, bool, std::int64_t, double, Currency, DateTime, std::u16string_view>;

struct ScanResult {
  bool ok = false;
  std::string error;
  std::vector<ColumnInfo> columns;  // in column order
  std::size_t rows = 0;
};

// Calls onRow once per row of `table`, in table order, with one value per
// column in the order of ScanResult::columns (text views valid during the
// call only). On failure, onRow may have been called for the rows before
// it; the result says the read failed.
ScanResult ScanTable(std::u16string_view database, std::string_view table,
                     const std::function<void(std::span<const ColumnInfo>, std::span<const Value>)>& onRow);
ScanResult ScanTable(std::vector<std::uint8_t> file, std::string_view table,
                     const std::function<void(std::span<const ColumnInfo>, std::span<const Value>)>& onRow);

}  // namespace pellora::jet
