#include "jet/jet_catalog.h"

#include <algorithm>

#include "jet/jet_rows.h"
#include "jet/jet_table_definition.h"
#include "jet/jet_values.h"

namespace pellora::jet {
namespace {

constexpr std::uint32_t kCatalogPage = 2;
constexpr std::int64_t kTableObject = 1;             // MSysObjects.Type of a local table
constexpr std::uint32_t kDefinitionPageMask = 0x00FFFFFF;  // MSysObjects.Id: the definition's page

char16_t Folded(char16_t c) {
  if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c - u'A' + u'a');
  if (c >= u'Ａ' && c <= u'Ｚ') return static_cast<char16_t>(c - u'Ａ' + u'ａ');
  return c;
}

std::size_t ColumnNamed(const TableDefinition& t, std::u16string_view name, ColumnType type) {
  for (std::size_t i = 0; i < t.columns.size(); ++i) {
    if (SameName(t.columns[i].name, name) && t.columns[i].type == type) return i;
  }
  throw ReadFailure("damaged catalog (no column " + std::string(name.begin(), name.end()) + ")");
}

}  // namespace

bool SameName(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) { return Folded(x) == Folded(y); });
}

std::vector<CatalogTable> ReadCatalog(const Database& db) {
  try {
    const TableDefinition catalog = ReadTableDefinition(db, kCatalogPage);
    const std::size_t id = ColumnNamed(catalog, u"Id", ColumnType::Long);
    const std::size_t name = ColumnNamed(catalog, u"Name", ColumnType::Text);
    const std::size_t type = ColumnNamed(catalog, u"Type", ColumnType::Int);
    RowCracker cracker(db, catalog);
    ValueDecoder values(db);
    std::vector<CatalogTable> tables;
    ForEachRow(db, catalog, [&](std::span<const std::uint8_t> row) {
      const std::span<const Field> fields = cracker.Crack(row);
      if (!fields[id].present || !fields[name].present || !fields[type].present) return;
      if (values.Number(catalog.columns[type], fields[type].bytes) != kTableObject) return;
      CatalogTable table;
      const auto objectId = static_cast<std::int64_t>(values.Number(catalog.columns[id], fields[id].bytes));
      table.definitionPage = static_cast<std::uint32_t>(objectId) & kDefinitionPageMask;
      values.AppendText(catalog.columns[name], fields[name].bytes, table.name);
      tables.push_back(std::move(table));
    });
    return tables;
  } catch (const ReadFailure& failure) {
    throw ReadFailure(std::string("catalog: ") + failure.what());
  }
}

}  // namespace pellora::jet
