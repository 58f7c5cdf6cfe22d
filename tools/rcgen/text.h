#pragma once
// The texts of a resource script: string literals with their escapes, and
// the two forms a resource keeps them in, UTF-16 (dialogs, version values)
// and code page 932 (the string table, as LoadStringA hands it out on a
// Japanese system).

#include <string>

namespace rcgen {

// The content of the literal whose opening quote is line[i]; i is left after
// the closing quote. "" stands for a quote, and the C escapes \n, \t, \r,
// \0, \\ and \" for their characters; any other escape (octal and
// hexadecimal ones included), a literal left open at the end of the line,
// and non-ASCII text before #pragma code_page(65001) (`utf8` false) are
// refused with `where`.
std::string ReadQuoted(const std::string& line, std::size_t& i, const std::string& where, bool utf8);

// `text` as UTF-16; fails when it is not UTF-8.
std::u16string Utf16Of(const std::string& text, const std::string& where);

// `text` in code page 932. A character without a code is refused here rather
// than becoming a question mark at run time.
std::string Cp932Of(const std::string& text, const std::string& where);

// ASCII letters in upper case: names and types of resources are found
// without regard to case.
std::string Upper(std::string text);

}  // namespace rcgen
