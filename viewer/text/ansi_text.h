#pragma once
// Text counted in bytes of the Japanese ANSI code page (code page 932,
// Shift_JIS): the profile reader's byte buffer and fixed-width claim fields
// are measured that way, while Pellora holds all text as UTF-16. ASCII and
// half-width katakana take one byte, other Japanese characters two.

#include <cstdint>
#include <string>
#include <string_view>

namespace pellora {

// The platform's string conversion codes that Pellora uses.
inline constexpr int vbFromUnicode = 128;  // text -> ANSI bytes
inline constexpr int vbUnicode = 64;       // ANSI bytes -> text

// The conversion between the two forms of a string, through the code page
// 932 codec (which never fails: a character the code page lacks becomes one
// "?", a byte sequence that is not code page 932 becomes U+FFFD). Text goes
// to bytes with vbFromUnicode and bytes to text with vbUnicode; any other
// code, or a code for the other direction, raises error 5.
std::string AnsiStrConv(std::u16string_view StrArg, int code);
std::u16string AnsiStrConv(std::string_view StrArg, int code);

// The number of bytes of `StrArg` in the ANSI code page: "abc" is 3, three
// kanji are 6, 255 zero characters are 255. A text of more than 2^31 - 1
// bytes raises error 6.
std::int32_t AnsiLenB(std::u16string_view StrArg);

// The text of the first `n` bytes of `StrArg`'s ANSI form: all of it when n
// reaches its byte length, "" when n is 0; a negative n raises error 5.
// When n ends between the two bytes of a double-byte character, that
// character's lone first byte becomes U+FFFD at the end of the result.
std::u16string AnsiLeftB(std::u16string_view StrArg, std::int32_t n);

}  // namespace pellora
