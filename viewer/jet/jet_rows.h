// A table's rows: which data pages hold them (its usage map), the live rows
// on those pages in table order (moved rows followed to where they live,
// deleted rows skipped), and each row split into its columns' fields.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "jet/jet_database.h"
#include "jet/jet_table_definition.h"

namespace pellora::jet {

// The pages a usage map marks, in increasing order. The map is a row with a
// type byte: type 0 is a bitmap of the pages after a base page, type 1 a
// list of usage-bitmap pages, each a bitmap of its slice of the file. A
// page past the end of the file, or a map of no known type, is damage.
std::vector<std::uint32_t> PagesInUsageMap(const Database& db, std::uint32_t mapRow);

// Calls onRow with the bytes of every live row of the table, in table
// order: page by page as the usage map lists them, row by row on each page.
// A moved row is read where its pointer stands. Pages the map names that
// are not the table's own data pages are passed over, as Jet does; so that
// pages lost that way do not pass for the end of the table, fewer rows than
// the definition records fail the read. Returns the number of rows.
std::size_t ForEachRow(const Database& db, const TableDefinition& table,
                       const std::function<void(std::span<const std::uint8_t>)>& onRow);

// One column of a row: absent (NULL) or the bytes of its value. For a Bool
// column, present is the value and there are no bytes.
struct Field {
  bool present = false;
  std::span<const std::uint8_t> bytes;
};

// Splits rows of one table into fields, one per column of the definition.
class RowCracker {
 public:
  RowCracker(const Database& db, const TableDefinition& table) : db_(db), table_(table) {}
  // Throws ReadFailure ("damaged row") for a row whose parts do not fit it.
  std::span<const Field> Crack(std::span<const std::uint8_t> row);

 private:
  // The start of each variable column in the row, and where the last ends.
  void ReadVariableOffsets(const Bytes& row, std::size_t maskSize);

  const Database& db_;
  const TableDefinition& table_;
  std::vector<std::size_t> offsets_;
  std::vector<Field> fields_;
};

}  // namespace pellora::jet
