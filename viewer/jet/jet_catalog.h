// The catalog, MSysObjects: which tables the database holds and where
// each one's definition is. Its own definition is always on page 2.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "jet/jet_database.h"

namespace pellora::jet {

struct CatalogTable {
  std::u16string name;
  std::uint32_t definitionPage = 0;
};

// The tables, in catalog order.
std::vector<CatalogTable> ReadCatalog(const Database& db);

// Jet's rule for names of tables and columns: equal but for the case of
// the letters A-Z, in their ASCII or their full-width form.
bool SameName(std::u16string_view a, std::u16string_view b);

}  // namespace pellora::jet
