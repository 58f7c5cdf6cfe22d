#pragma once
// Values of the description written as C++ literals of the generated source.

#include <string>

#include "idlgen/description.h"

namespace idlgen {

// A UTF-8 text as a char16_t literal: printable ASCII as it is, quote and
// backslash escaped, every other character as a universal character name,
// so that the generated source is ASCII whatever the compiler's source
// character set. Fails when `text` is not UTF-8.
std::string Utf16Literal(const std::string& text);

// A GUID as the initialiser of the platform's GUID structure.
std::string GuidLiteral(const Guid& g);

}  // namespace idlgen
