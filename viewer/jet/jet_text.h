// Text values as Jet files store them, decoded to UTF-16.
//
// Jet 4 (and ACE) store UTF-16LE, sometimes "compressed"; Jet 3 stores the
// bytes of the database's code page. A Japanese provider's Jet 3 file is
// code page 932 (Shift_JIS with the NEC and IBM extensions: ①, 髙, ～, and
// 0x5C as a backslash), decoded by the same tables as the claim files.
//
// Bytes that cannot be decoded become U+FFFD, so that one damaged character
// does not lose a whole name.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace pellora::jet {

inline constexpr char16_t kReplacementCharacter = u'\uFFFD';

// Appends a Jet 4 text value (plain or compressed UTF-16LE) to out.
void AppendJet4Text(std::span<const std::uint8_t> stored, std::u16string& out);

// Appends a Jet 3 text value stored in `codePage` to out. Western files
// (1252) are decoded as such; every other code page is taken as 932, the
// code page of the files this reader is for.
void AppendJet3Text(std::uint16_t codePage, std::span<const std::uint8_t> stored, std::u16string& out);

}  // namespace pellora::jet
