#include "jet/jet_reader.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <new>

#include "common/utf.h"
#include "jet/jet_catalog.h"
#include "jet/jet_database.h"
#include "jet/jet_file.h"
#include "jet/jet_rows.h"
#include "jet/jet_table_definition.h"
#include "jet/jet_values.h"

namespace pellora::jet {

bool IsNumberType(ColumnType type) {
  switch (type) {
    case ColumnType::Byte:
    case ColumnType::Int:
    case ColumnType::Long:
    case ColumnType::BigInt:
    case ColumnType::Money:
    case ColumnType::Float:
    case ColumnType::Double:
      return true;
    default:
      return false;
  }
}

bool IsDecodedType(ColumnType type) {
  return IsNumberType(type) || type == ColumnType::Bool || type == ColumnType::DateTime ||
         type == ColumnType::Text || type == ColumnType::Memo;
}

std::u16string NumberText(double value) {
  if (value == 0) value = 0;  // -0 is 0
  char digits[32];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  return std::u16string(digits, end);
}

// Fills a Table row by row, each cell decoded straight into its store.
class TableFiller {
 public:
  TableFiller(Table& table, std::vector<ColumnType> types) : table_(table) { table_.types_ = std::move(types); }

  // Room for the rows the definition records, as far as the file can hold
  // them, so that a large table is not copied over and over as it grows.
  void Reserve(std::uint64_t rows, std::uint64_t fileSize) {
    const std::uint64_t likely = std::min<std::uint64_t>(rows, fileSize / 16);
    table_.cells_.reserve(static_cast<std::size_t>(likely * table_.columns_.size()));
    table_.chars_.reserve(static_cast<std::size_t>(likely * 8 * table_.columns_.size()));
  }

  void Null() { table_.cells_.push_back({0, Table::kNullLength}); }
  // Opens a cell: the caller appends its characters to the store returned,
  // then closes it.
  std::u16string& Open() {
    start_ = table_.chars_.size();
    return table_.chars_;
  }
  void Close() {
    // Offsets are 32-bit: a table beyond them is no table of a Jet file.
    if (table_.chars_.size() >= Table::kNullLength) throw ReadFailure("table too large");
    table_.cells_.push_back(
        {static_cast<std::uint32_t>(start_), static_cast<std::uint32_t>(table_.chars_.size() - start_)});
  }
  void EndRow() { ++table_.rowCount_; }

 private:
  Table& table_;
  std::size_t start_ = 0;
};

namespace {

using Catalog = std::vector<CatalogTable>;

std::string Utf8(std::u16string_view text) { return common::Utf16ToUtf8Lossy(text); }

const CatalogTable& FindTable(const Catalog& catalog, std::string_view name) {
  const std::u16string wanted = common::Utf8ToUtf16(name);
  const auto found = std::find_if(catalog.begin(), catalog.end(),
                                  [&](const CatalogTable& t) { return SameName(t.name, wanted); });
  if (found == catalog.end()) throw ReadFailure("no table " + std::string(name));
  return *found;
}

std::size_t FindColumn(const TableDefinition& table, std::string_view tableName, std::string_view name) {
  const std::u16string wanted = common::Utf8ToUtf16(name);
  for (std::size_t i = 0; i < table.columns.size(); ++i) {
    if (SameName(table.columns[i].name, wanted)) return i;
  }
  throw ReadFailure("table " + std::string(tableName) + " has no column " + std::string(name));
}

// Runs `read` and names the table in any damage it meets.
template <typename Read>
auto InTable(std::string_view name, Read read) {
  try {
    return read();
  } catch (const ReadFailure& failure) {
    throw ReadFailure("table " + std::string(name) + ": " + failure.what());
  }
}

void ReadTable(const Database& db, const Catalog& catalog, const TableRequest& request, Table& out) {
  const CatalogTable& entry = FindTable(catalog, request.table);
  const TableDefinition definition =
      InTable(request.table, [&] { return ReadTableDefinition(db, entry.definitionPage); });
  std::vector<std::size_t> columns;
  std::vector<ColumnType> types;
  for (const std::string& name : request.columns) {
    const ColumnDefinition& c = definition.columns[columns.emplace_back(FindColumn(definition, request.table, name))];
    if (!c.decoded() || !(c.type == ColumnType::Text || c.type == ColumnType::Memo || IsNumberType(c.type))) {
      throw ReadFailure("column " + name + " of " + request.table + " is not a text, memo or number column");
    }
    types.push_back(c.type);
  }
  TableFiller fill(out, std::move(types));
  fill.Reserve(definition.recordedRows, db.fileSize());
  RowCracker cracker(db, definition);
  ValueDecoder values(db);
  InTable(request.table, [&] {
    return ForEachRow(db, definition, [&](std::span<const std::uint8_t> row) {
      const std::span<const Field> fields = cracker.Crack(row);
      for (const std::size_t c : columns) {
        const ColumnDefinition& column = definition.columns[c];
        const Field& field = fields[c];
        if (!field.present) {
          fill.Null();
        } else if (IsNumberType(column.type)) {
          fill.Open() += NumberText(values.Number(column, field.bytes));
          fill.Close();
        } else {
          values.AppendText(column, field.bytes, fill.Open());
          fill.Close();
        }
      }
      fill.EndRow();
    });
  });
}

// Opens the database `load` returns and runs `read` on it, turning
// whatever ends either into the error of the result.
template <typename Result, typename Load, typename Read>
Result Reading(Load load, Read read) {
  Result result;
  try {
    Database db(load());
    const Catalog catalog = ReadCatalog(db);
    read(db, catalog, result);
    result.ok = true;
  } catch (const ReadFailure& failure) {
    result = Result{};
    result.error = failure.what();
  } catch (const std::bad_alloc&) {
    result = Result{};
    result.error = "out of memory";
  }
  return result;
}

auto FromFile(std::u16string_view path) {
  return [path] { return ReadDatabaseFile(path); };
}

auto FromBytes(std::vector<std::uint8_t>& bytes) {
  return [&bytes] { return std::move(bytes); };
}

auto ReadingTables(const std::vector<TableRequest>& requests) {
  return [&requests](const Database& db, const Catalog& catalog, ReadResult& result) {
    for (const TableRequest& request : requests) {
      ReadTable(db, catalog, request, result.tables.emplace_back(request.table, request.columns));
    }
  };
}

using RowSink = std::function<void(std::span<const ColumnInfo>, std::span<const Value>)>;

auto Scanning(std::string_view table, const RowSink& onRow) {
  return [table, &onRow](const Database& db, const Catalog& catalog, ScanResult& result) {
    const CatalogTable& entry = FindTable(catalog, table);
    const TableDefinition definition = InTable(table, [&] { return ReadTableDefinition(db, entry.definitionPage); });
    for (const ColumnDefinition& c : definition.columns) result.columns.push_back({Utf8(c.name), c.type, c.decoded()});
    RowCracker cracker(db, definition);
    ValueDecoder values(db);
    std::vector<Value> row(definition.columns.size());
    std::vector<std::u16string> texts(definition.columns.size());
    result.rows = InTable(table, [&] {
      return ForEachRow(db, definition, [&](std::span<const std::uint8_t> bytes) {
        const std::span<const Field> fields = cracker.Crack(bytes);
        for (std::size_t c = 0; c < row.size(); ++c) row[c] = values.Decode(definition.columns[c], fields[c], texts[c]);
        onRow(result.columns, row);
      });
    });
  };
}

}  // namespace

bool OpensAsDatabase(std::u16string_view database) {
  return Reading<ReadResult>(FromFile(database), [](const Database&, const Catalog&, ReadResult&) {}).ok;
}

ReadResult ReadJetTables(std::u16string_view database, const std::vector<TableRequest>& requests) {
  return Reading<ReadResult>(FromFile(database), ReadingTables(requests));
}

ReadResult ReadJetTables(std::vector<std::uint8_t> file, const std::vector<TableRequest>& requests) {
  return Reading<ReadResult>(FromBytes(file), ReadingTables(requests));
}

ScanResult ScanTable(std::u16string_view database, std::string_view table, const RowSink& onRow) {
  return Reading<ScanResult>(FromFile(database), Scanning(table, onRow));
}

ScanResult ScanTable(std::vector<std::uint8_t> file, std::string_view table, const RowSink& onRow) {
  return Reading<ScanResult>(FromBytes(file), Scanning(table, onRow));
}

}  // namespace pellora::jet
