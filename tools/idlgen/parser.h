#pragma once
// The subset of IDL a dual-interface automation library needs: import,
// cpp_quote, typedef enum (values by small expressions over numbers and
// earlier enumerators), forward declarations, interfaces with their
// attributes, and one library block of importlib and coclasses. Anything
// else stops with its file and line.

#include <string>

#include "idlgen/description.h"

namespace idlgen {

// `file` names the source in messages.
Description Parse(std::string source, std::string file);

}  // namespace idlgen
