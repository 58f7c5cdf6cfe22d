// A table's definition (its TDEF page, continued over further pages for a
// wide table): the columns and where each lives in a row, the row count
// Access recorded, and where the table's usage map is.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/jet_database.h"
#include "jet/jet_reader.h"

namespace pellora::jet {

struct ColumnDefinition {
  std::u16string name;
  ColumnType type = ColumnType::Text;
  std::uint16_t number = 0;       // place in the row: its null-mask bit
  bool fixed = false;
  std::uint16_t fixedOffset = 0;  // fixed columns: inside the fixed area
  std::uint16_t fixedSize = 0;
  std::uint16_t varIndex = 0;     // variable columns: among the variable columns
  // ACE calculated columns wrap their value in a header of their own; they
  // are left alone.
  bool calculated = false;

  bool decoded() const { return IsDecodedType(type) && !calculated; }
};

struct TableDefinition {
  std::uint32_t page = 0;
  std::uint32_t recordedRows = 0;   // as Access last wrote it
  bool hasVariableColumns = false;  // rows carry a variable-column table
  std::vector<ColumnDefinition> columns;  // by column number
  std::uint32_t usedPagesMap = 0;   // row pointer of the used-pages usage map
};

// Throws ReadFailure ("damaged table definition ...") for a page that is
// not a table definition or a definition that does not hold together.
TableDefinition ReadTableDefinition(const Database& db, std::uint32_t page);

}  // namespace pellora::jet
