#pragma once
// UTF-16 <-> UTF-8, for the places where Pellora's UTF-16 text meets the
// platform: file names (UTF-8 on this platform) and diagnostics.

#include <optional>
#include <string>
#include <string_view>

namespace pellora {

// The UTF-8 form of `text`, or nothing when it holds an unpaired surrogate
// (such a name cannot be a file name of this platform).
std::optional<std::string> Utf16ToUtf8(std::u16string_view text);

// The UTF-16 form of `text`; bytes that are not UTF-8 become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);

}  // namespace pellora
