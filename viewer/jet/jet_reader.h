// Read-only access to the provider's Jet database (data.qdr): whether a file
// opens as a database at all, and whole tables read into memory.
//
// A database file may be damaged in any way, and libmdb, which does the
// reading, crashes or loops on some damage. So the file is checked first,
// and then read by a helper process (pellora-jetread) under a time limit;
// whatever goes wrong there -- a crash, a hang, garbled output -- comes back
// here as a failed read, never as a crash of the viewer.
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

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pellora::jet {

// Which columns of which table to read. Names match as Jet matches them:
// without regard to letter case.
struct TableRequest {
  std::string table;                 // UTF-8
  std::vector<std::string> columns;  // UTF-8; text columns only
};

// The requested columns of one table, every row in table order. Text is
// UTF-16; NULL and the empty string stay distinct.
class Table {
 public:
  Table() = default;
  Table(std::string name, std::vector<std::string> columns);

  const std::string& name() const { return name_; }
  const std::vector<std::string>& columns() const { return columns_; }
  std::size_t columnCount() const { return columns_.size(); }
  std::size_t rowCount() const { return rowCount_; }

  // The cell at row < rowCount(), column < columnCount(): nullopt for NULL.
  // The view stays valid as long as the Table lives.
  std::optional<std::u16string_view> text(std::size_t row, std::size_t column) const;

  // Appends one row; cells.size() must equal columnCount().
  void AddRow(std::span<const std::optional<std::u16string_view>> cells);
  // Room for this many rows and characters, to fill a large table without
  // growing and copying its storage over and over.
  void Reserve(std::size_t rows, std::size_t characters);

  // The raw form the helper process sends: per cell an offset into the
  // character store and a length, kNullLength for NULL.
  struct Cell {
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
  };
  static constexpr std::uint32_t kNullLength = 0xFFFFFFFFu;
  const std::vector<Cell>& cells() const { return cells_; }
  const std::u16string& characters() const { return chars_; }
  // Takes the raw form over; false (and the table unchanged) if a cell
  // points outside the characters or the sizes do not fit the columns.
  bool Adopt(std::uint64_t rowCount, std::vector<Cell> cells, std::u16string chars);

 private:
  std::string name_;
  std::vector<std::string> columns_;
  std::size_t rowCount_ = 0;
  std::vector<Cell> cells_;  // row-major
  std::u16string chars_;
};

// The outcome of a read. On failure, tables holds what was read before it
// (whole tables, and the rows of the failing table up to the failure), so a
// caller may still show what it has; error says what went wrong.
struct ReadResult {
  bool ok = false;
  std::string error;
  std::vector<Table> tables;  // in request order
};

struct ReadOptions {
  // The helper program; empty means pellora-jetread beside the running
  // program.
  std::filesystem::path helper;
  // After this the helper is killed and the read fails. Generous: a large
  // provider's tables read in well under a second.
  std::chrono::milliseconds timeout{10000};
};

// True exactly for a file that opens as a Jet 3 or Jet 4 database: the file
// passes the checks and its catalog reads. False for a missing path, a
// folder, or any file that is not a sound database.
bool OpensAsDatabase(const std::filesystem::path& database, const ReadOptions& options = {});

// Reads the requested tables. A missing table or column, a non-text column,
// and any damage found fail the whole read.
ReadResult ReadJetTables(const std::filesystem::path& database,
                         const std::vector<TableRequest>& requests,
                         const ReadOptions& options = {});

// pellora-jetread beside the running program.
std::filesystem::path DefaultHelperPath();

}  // namespace pellora::jet
