#pragma once
// Code page 932 (Windows Shift_JIS), the code page of claim files and of the
// settings file. Text in Pellora is held as UTF-16, so these are the only two
// crossings between the bytes on disk and the text the program works with.
//
// The mapping is iconv's "CP932" converter, byte for byte: 81 60 <-> U+FF5E,
// 87 40 <-> U+2460, 5C <-> U+005C, FA 5C and ED 40 -> U+7E8A, U+301C -> 81 60.
// Both directions are total: nothing here ever fails.

#include <string>
#include <string_view>

namespace pellora::cp932 {

// What a byte sequence that is not code page 932 decodes to. An unmapped
// double-byte pair becomes one U+FFFD; if its second byte is ASCII, that byte
// is read again as a character of its own (so a comma or a quote after a
// broken lead byte still separates or quotes). A lead byte at the very end
// is one U+FFFD.
inline constexpr char16_t kReplacementChar = u'\uFFFD';

// The byte written for a character that code page 932 cannot represent (an
// unpaired surrogate, a character outside its repertoire, U+FFFD itself),
// one per character, as Windows does with its default character.
inline constexpr char kDefaultChar = '?';

// Writes the UTF-16 text of `bytes` to `out`, which has room for at least
// bytes.size() units (never more are needed); returns the units written.
std::size_t DecodeInto(std::string_view bytes, char16_t* out);
// Appends the UTF-16 text of `bytes` to `out`.
void DecodeAppend(std::string_view bytes, std::u16string& out);
std::u16string Decode(std::string_view bytes);

// Appends the code page 932 bytes of `text` to `out`.
void EncodeAppend(std::u16string_view text, std::string& out);
std::string Encode(std::u16string_view text);

// True for a byte that starts a double-byte character.
bool IsLeadByte(unsigned char byte);

}  // namespace pellora::cp932
