#pragma once
// UTF-16 <-> UTF-8, for the places where the programs' UTF-16 text meets
// UTF-8: file names of this platform, diagnostics, the tools' sources,
// settings files written by today's editors.

#include <optional>
#include <string>
#include <string_view>

namespace common {

// The byte order mark that begins a UTF-8 file written by Windows tools (and
// that a spreadsheet needs to take a CSV file for UTF-8).
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// The UTF-8 form of `text`, or nothing when it holds an unpaired surrogate
// (such a name cannot be a file name of this platform).
std::optional<std::string> Utf16ToUtf8(std::u16string_view text);

// The UTF-8 form of `text`, an unpaired surrogate written as U+FFFD.
std::string Utf16ToUtf8Lossy(std::u16string_view text);

// The UTF-16 form of `text`. Each maximal piece of bytes that is not UTF-8
// (a stray byte, a sequence cut short, an overlong form, a surrogate or a
// value beyond U+10FFFF) becomes one U+FFFD, as Unicode recommends.
std::u16string Utf8ToUtf16(std::string_view text);

// True when `text` holds none of those pieces: every byte belongs to a
// character of UTF-8.
bool IsWellFormedUtf8(std::string_view text);

}  // namespace common
