#pragma once
// How a type written in the IDL appears in the three places it matters: the
// C++ type of the public header's method (the thunk's static_assert compares
// them), the type description of the type library, and the member of the
// VARIANTARG the thunk reads the argument from.

#include <string>
#include <vector>

#include "idlgen/description.h"
#include "idlgen/library_types.h"

namespace idlgen {

struct BaseType {
  const char* cpp;      // the C++ type of the public header
  const char* vt;       // VARTYPE of the description
  const char* value;    // the VARIANT member holding a value of it (none for VARIANT itself)
  const char* pointer;  // the VARIANT member holding a pointer to it
};

// The automation base type written as `name` (long and LONG alike), or
// nullptr for an enumeration, an interface or an unknown name.
const BaseType* FindBaseType(const std::string& name);

// The C++ spelling of a parameter type, as the public header declares it.
std::string CppType(const WrittenType& t);

// The AutomationTypeDesc initialiser of `t`: {VARTYPE, pointer levels, index
// of a user-defined type}. IUnknown* and IDispatch* count their pointer as
// part of the type; OLE_COLOR is stdole's user-defined type. `line` is the
// member's, for the message about an unknown type.
std::string TypeDescLiteral(const WrittenType& t, const std::vector<LibraryType>& types, int line);

}  // namespace idlgen
