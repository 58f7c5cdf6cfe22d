// Fields decoded into values: numbers and dates from their stored bytes,
// text in the file's encoding, and memo text wherever it is kept -- in the
// row, in one row of a long-value (LVAL) page, or in a chain of them.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <unordered_set>
#include <vector>

#include "jet/jet_database.h"
#include "jet/jet_reader.h"
#include "jet/jet_rows.h"
#include "jet/jet_table_definition.h"

namespace pellora::jet {

class ValueDecoder {
 public:
  explicit ValueDecoder(const Database& db) : db_(db), longValueBytesLeft_(db.fileSize()) {}

  // Appends the text of a present Text or Memo field to out.
  void AppendText(const ColumnDefinition& column, std::span<const std::uint8_t> stored, std::u16string& out);
  // The number a present field of a number type holds.
  double Number(const ColumnDefinition& column, std::span<const std::uint8_t> stored) const;
  // The value of any field; text is written to `text` (cleared first) and
  // viewed from there. Fields of types not decoded are NULL.
  Value Decode(const ColumnDefinition& column, const Field& field, std::u16string& text);

 private:
  // A memo's bytes, from its 12-byte header in the row.
  std::span<const std::uint8_t> LongValue(std::span<const std::uint8_t> header);

  const Database& db_;
  // Each byte of a long value belongs to one value, so all the long values
  // of a read add up to less than the file: a chain that loops, or many
  // rows naming one long value, run out of this first.
  std::uint64_t longValueBytesLeft_;
  std::vector<std::uint8_t> assembled_;
  std::unordered_set<std::uint32_t> links_;  // of the chain being read
};

}  // namespace pellora::jet
