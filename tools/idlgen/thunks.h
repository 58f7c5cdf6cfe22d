#pragma once
// The invoke thunks: one function per member that takes the arguments from
// an array of VARIANTARG, calls the method of the public header's interface
// and copies back what the method wrote through an enum or interface
// pointer. Each thunk first asserts that the header's method has exactly the
// type spelled from the IDL, so that a header that disagrees stops the build.

#include <ostream>
#include <string>

#include "idlgen/description.h"

namespace idlgen {

// The method of the public header behind a member: get_, put_ or putref_
// before the name of a property.
std::string MethodName(const Member& m);

// Writes the thunk `thunk` for member `m` of `i`, calling `method`.
void WriteThunk(std::ostream& out, const Description& d, const Interface& i, const Member& m, const std::string& method,
                const std::string& thunk);

}  // namespace idlgen
