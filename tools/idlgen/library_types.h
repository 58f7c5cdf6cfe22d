#pragma once
// The types of the library and their order, which is also their index in
// the type library (a user-defined type refers to another by that index).
// Types enter as the IDL compilers put them in: in the order the library
// block first refers to them, each coclass followed by its interfaces and
// each interface by the enumerations and interfaces its parameters use.
// Types that nothing in the library refers to stay out.

#include <string>
#include <vector>

#include "idlgen/description.h"

namespace idlgen {

struct LibraryType {
  enum Kind { kEnum, kInterface, kCoclass } kind;
  std::string name;
};

// Fails without a library block, for an interface that is not defined and
// for one that is not a dual interface derived from IDispatch (the only kind
// this platform's dispatch serves).
std::vector<LibraryType> LibraryTypes(const Description& d);

// The index of the type `name`, or -1 when it is not in the library.
int IndexOf(const std::vector<LibraryType>& types, const std::string& name);

}  // namespace idlgen
