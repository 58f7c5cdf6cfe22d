#pragma once
// The IDL as widl must read it on Windows. widl copies the bytes of a help
// string into the type library as they are and the platform reads them in
// the ANSI code page, so the copy is in code page 932; and widl reads a
// backslash in a string as an escape, so the trail byte 0x5C of a
// double-byte character (表 is 95 5C) is doubled there. Outside a string
// such a byte would be a backslash of the IDL itself (a line continuation
// ending a comment early), and is refused.

#include <string>

namespace idlgen {

// Fails with the line of the first character that code page 932 lacks (or
// that is not UTF-8), or of a trail byte 0x5C outside a string literal.
std::string ToCp932ForWidl(const std::string& utf8);

}  // namespace idlgen
