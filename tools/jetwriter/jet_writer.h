// Writes small Jet database files (Access 97 "Jet 3" and Access 2000 "Jet 4")
// for tests and examples: user tables of simple columns, no indexes, no
// long values. Only the structures readers need are written: the header,
// the usage maps, the catalog MSysObjects and each table's definition and
// data pages.
#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace jetwriter {

enum class JetVersion { Jet3, Jet4 };

// Type codes as stored in a table definition.
enum class ColumnType : std::uint8_t {
  Bool = 0x01,
  Byte = 0x02,
  Int = 0x03,
  Long = 0x04,
  Double = 0x07,
  DateTime = 0x08,  // days since 1899-12-30, as a double
  Binary = 0x09,    // NULL only
  Text = 0x0A,
  Ole = 0x0B,       // NULL only
  Memo = 0x0C,      // NULL only
};

struct Column {
  std::string name;
  ColumnType type = ColumnType::Text;
  // Text: the declared size in characters (Jet 4) or bytes (Jet 3), 1..255.
  int length = 255;
};

// A cell: NULL, text (UTF-8), an integer, a double (Double and DateTime) or
// a boolean.
using Value = std::variant<std::monostate, std::string, std::int64_t, double, bool>;
inline constexpr std::monostate Null{};

struct Table {
  std::string name;
  std::vector<Column> columns;
  std::vector<std::vector<Value>> rows;
};

struct Database {
  JetVersion version = JetVersion::Jet4;
  // Jet 4: store text in the compressed form wherever the rules allow it
  // and it is shorter.
  bool compressText = true;
  // Jet 3: the code page of all text (the header's default code page).
  std::uint16_t codePage = 932;
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
