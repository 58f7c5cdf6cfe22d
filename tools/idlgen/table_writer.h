#pragma once
// The generated C++ source and header of a type library: the tables of
// holiday/automation/type_library.h (one AutomationType per library type,
// with its functions, parameters, constants or implemented interfaces), the
// invoke thunks, a check of the vtable slots for the tests, and the
// registration of the library while its module is loaded.

#include <string>
#include <vector>

#include "idlgen/description.h"
#include "idlgen/library_types.h"

namespace idlgen {

class TableWriter {
 public:
  // Fails as LibraryTypes does.
  explicit TableWriter(Description d);

  // The header declaring <library>_Description and <library>_VtableMismatches.
  std::string Header() const;
  // The source; `includeHeader` is the public header declaring the
  // interfaces, `generatedHeader` the name Header() is written under.
  // Fails for a member that does not return HRESULT or has no id, and for
  // a type that is not an automation type.
  std::string Source(const std::string& includeHeader, const std::string& generatedHeader) const;

 private:
  std::string Tables(std::ostream& thunks, std::ostream& slots) const;
  std::string EnumTables(const LibraryType& type, std::ostream& asserts) const;
  std::string InterfaceTables(const LibraryType& type, std::ostream& thunks, std::ostream& slots) const;
  std::string CoclassTables(const LibraryType& type) const;
  std::string TypeEntry(const LibraryType& type) const;
  std::string LibraryDefinition(const std::string& slotChecks) const;
  const Coclass& CoclassNamed(const std::string& name) const;

  Description d_;
  std::vector<LibraryType> types_;  // after d_, from which it is made
};

}  // namespace idlgen
