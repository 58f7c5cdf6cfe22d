#pragma once
// Text for terminals and files, which take UTF-8: Pellora's UTF-16 text
// converted whatever it holds, and its width in a terminal's columns.

#include <string>
#include <string_view>

namespace pellora::exporting {

// The UTF-8 form of `text`; an unpaired surrogate (which only a damaged
// value can hold) becomes U+FFFD rather than losing the whole text.
std::string Utf8(std::u16string_view text);

// The columns a terminal gives `text`: two for the wide characters of East
// Asian scripts (kanji, kana, full-width forms), one for the rest,
// half-width katakana included.
int TerminalWidth(std::u16string_view text);

}  // namespace pellora::exporting
