#pragma once
// Code page 932 (Windows Shift_JIS), the code page of claim files, of the
// settings file and of the ANSI texts of Japanese Windows. Both programs and
// the tools cross between its bytes and UTF-16 here and nowhere else, with
// the same tables on every platform.
//
// The mapping is Microsoft's table as iconv's "CP932" converter has it, byte
// for byte: 81 60 <-> U+FF5E, 87 40 <-> U+2460, 5C <-> U+005C, FA 5C and
// ED 40 -> U+7E8A -> FA 5C, U+301C -> 81 60.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace common::cp932 {

// What a byte sequence that is not code page 932 decodes to by default. An
// unmapped double-byte pair becomes one replacement; if its second byte is
// ASCII, that byte is read again as a character of its own (so a comma or a
// quote after a broken lead byte still separates or quotes). A lead byte at
// the very end is one replacement.
inline constexpr char16_t kReplacementChar = u'\uFFFD';

// The byte written by default for a character that code page 932 cannot
// represent (an unpaired surrogate, a character outside its repertoire,
// U+FFFD itself), one per character, as Windows does with its default
// character.
inline constexpr char kDefaultChar = '?';

// True for a byte that starts a double-byte character.
bool IsLeadByte(unsigned char byte);

// Writes the UTF-16 text of `bytes` to `out`, which has room for at least
// bytes.size() units (never more are needed); returns the units written.
// `replacement` stands for each sequence that is not code page 932.
std::size_t DecodeInto(std::string_view bytes, char16_t* out, char16_t replacement = kReplacementChar);
// Appends the UTF-16 text of `bytes` to `out`.
void DecodeAppend(std::string_view bytes, std::u16string& out, char16_t replacement = kReplacementChar);
std::u16string Decode(std::string_view bytes, char16_t replacement = kReplacementChar);
// True when every byte of `bytes` belongs to a character of code page 932.
bool IsWellFormed(std::string_view bytes);

// Appends the code page 932 bytes of `text` to `out`, `defaultChar` for each
// character without a code; returns how many characters took it.
std::size_t EncodeAppend(std::u16string_view text, std::string& out, char defaultChar = kDefaultChar);
std::string Encode(std::u16string_view text);
// The bytes of `text`, or nothing when a character has no code: for the
// tools, for which such a character is a mistake in their input.
std::optional<std::string> EncodeExact(std::u16string_view text);

}  // namespace common::cp932
