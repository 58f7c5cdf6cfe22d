// Writes Jet database files (Access 97 "Jet 3", Access 2000 "Jet 4" and the
// .accdb "ACE" files of Access 2007 to Microsoft 365) for tests and
// examples: user tables without indexes, and beside plain rows what years
// of use leave in a real file -- deleted rows, rows that grew and moved to
// another page, memo values in the row or on long-value pages, usage maps
// of both kinds, encoded pages. Only the structures readers need are
// written: the header, the usage maps, the catalog MSysObjects and each
// table's definition, data and long-value pages.
#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace jetwriter {

// ACE files have Jet 4's pages; only their header differs: it names the ACE
// engine and holds the version byte of the Access release that wrote it.
enum class JetVersion { Jet3, Jet4, Ace2007, Ace2010, Ace2013, Ace2016, Ace2019 };

// Each version as the header stores it (the byte at 0x14), as a description
// names it, and the Access releases that write it.
struct VersionInfo {
  JetVersion version;
  std::uint8_t headerByte;
  const char* name;     // "jet3", "ace2010", ...
  const char* release;  // "Access 2010", ...
};
inline constexpr VersionInfo kVersions[] = {
    {JetVersion::Jet3, 0, "jet3", "Access 97"},
    {JetVersion::Jet4, 1, "jet4", "Access 2000 to 2003"},
    {JetVersion::Ace2007, 2, "ace2007", "Access 2007"},
    {JetVersion::Ace2010, 3, "ace2010", "Access 2010"},
    {JetVersion::Ace2013, 4, "ace2013", "Access 2013"},
    {JetVersion::Ace2016, 5, "ace2016", "Access 2016"},
    {JetVersion::Ace2019, 6, "ace2019", "Access 2019, 2021 and Microsoft 365"},
};
const VersionInfo& InfoOf(JetVersion version);
inline bool IsAce(JetVersion version) { return version >= JetVersion::Ace2007; }
// Large numbers (BigInt) came with Access 2016's files.
inline bool HoldsBigInt(JetVersion version) { return version >= JetVersion::Ace2016; }

// Type codes as stored in a table definition.
enum class ColumnType : std::uint8_t {
  Bool = 0x01,
  Byte = 0x02,
  Int = 0x03,
  Long = 0x04,
  Money = 0x05,     // an integer of ten-thousandths
  Float = 0x06,
  Double = 0x07,
  DateTime = 0x08,  // days since 1899-12-30, as a double
  Binary = 0x09,    // NULL only
  Text = 0x0A,
  Ole = 0x0B,       // NULL only
  Memo = 0x0C,
  BigInt = 0x13,    // "large number", a signed 64-bit integer: ACE 2016 and later
};

// Where a memo value is kept: in the row after its 12-byte header, in one
// row of a long-value (LVAL) page, or in a chain of LVAL rows. Automatic:
// short values in the row, values that fit one page on one row, longer
// ones in a chain.
enum class MemoStorage { Automatic, InRow, OneLvalRow, LvalChain };

struct Column {
  std::string name;
  ColumnType type = ColumnType::Text;
  // Text: the declared size in characters (Jet 4) or bytes (Jet 3), 1..255.
  int length = 255;
  // Memo columns.
  MemoStorage memoStorage = MemoStorage::Automatic;
  // Bytes per link of a chain (0: as many as a page holds): small links
  // make chains of many pages out of short values.
  std::size_t chainLinkBytes = 0;
};

// A cell: NULL, text (UTF-8; Text and Memo), an integer (also BigInt, and
// Money in ten-thousandths), a double (Float, Double and DateTime) or a boolean.
using Value = std::variant<std::monostate, std::string, std::int64_t, double, bool>;
inline constexpr std::monostate Null{};

struct Table {
  std::string name;
  std::vector<Column> columns;
  std::vector<std::vector<Value>> rows;
  // Rows deleted after they were written: each stays on its page, flagged
  // deleted, before the live row of the given index (rows.size(): after
  // the last).
  std::vector<std::pair<std::size_t, std::vector<Value>>> deletedRows = {};
  // Indexes of rows that grew and moved: in their place a pointer, the row
  // itself on a page after the table's other data pages.
  std::vector<std::size_t> movedRows = {};
  // At most this many rows (1..255) on a data page, to spread a small table
  // over many pages.
  std::size_t maxRowsPerPage = 255;
  // A usage map of type 1 (bitmap pages) even where type 0 would do.
  bool pagedUsageMap = false;
};

struct Database {
  JetVersion version = JetVersion::Jet4;
  // Jet 4: store text in the compressed form wherever the rules allow it
  // and it is shorter.
  bool compressText = true;
  // Jet 3: the code page of all text (the header's default code page).
  std::uint16_t codePage = 932;
  // Not 0: every page but the header is RC4-encoded with this key XOR its
  // page number, as Access's "encode database" does. Jet 3 and Jet 4 only:
  // ACE files are never encoded this way.
  std::uint32_t encodingKey = 0;
  // The database password, which only Access's user interface asks for
  // (Jet 4: up to 20 characters; Jet 3: up to 20 bytes). Jet 3 and Jet 4
  // only: an ACE password is the key of a whole-file encryption, which this
  // writer does not write.
  std::string password;
  std::vector<Table> tables;
};

// Anything the description asks for that the format (or this writer)
// cannot hold: the message says which table, row and column.
class JetWriteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::vector<std::uint8_t> BuildJetFile(const Database& database);
void WriteJetFile(const Database& database, const std::filesystem::path& file);

}  // namespace jetwriter
