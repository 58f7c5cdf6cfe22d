#pragma once
// The two plainest text rules the window's routines share, both narrower
// than they might be on purpose. The command line and the older settings
// line "QdrPath", TAB, path are trimmed of spaces alone, so a tab or an
// ideographic space stays part of a value; and the debug switch and that
// line's key ignore the case of the ASCII letters only, so a full-width
// letter is another character.

#include <string>
#include <string_view>

namespace pellora {

// `s` without the spaces (U+0020) at its start and its end.
std::u16string_view TrimSpaces(std::u16string_view s);

// `s` with the ASCII capitals A-Z made small; every other character as it is.
std::u16string AsciiLowerCase(std::u16string_view s);

}  // namespace pellora
