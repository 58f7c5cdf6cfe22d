#pragma once
// Settings files in the Windows profile layout (velkar.ini): "[section]"
// lines, then "key=value" lines. Pellora reads one value from such a file
// the way the Windows profile API reads it, so that a settings file written
// for, or copied from, a Windows installation means the same here.
//
// A settings file is text in code page 932. Lines end at CR LF, a lone CR
// or a lone LF: a file edited on this platform ends its lines with LF.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellora {

// The whole text of a settings file, decoded from code page 932; nothing
// when it cannot be read as a file (missing, a folder, not permitted).
std::optional<std::u16string> ReadSettingsText(std::u16string_view fileName);

// The lines of a text, without their ends.
std::vector<std::u16string_view> SettingsLines(std::u16string_view text);

// The value of `key` in `section` of a profile text, found as the Windows
// profile API finds it:
// - section and key names compare without regard to letter case (ASCII and
//   full-width Latin letters);
// - blanks (spaces and tabs) around section names, keys and values are
//   trimmed;
// - a value enclosed in a pair of double or of single quotes loses them;
// - a line starting with ";" is a comment;
// - the first matching key in the file wins, even if its section appears
//   again further down; a key line without "=" has the value "".
// Nothing when there is no such key.
std::optional<std::u16string> FindProfileString(std::u16string_view profile, std::u16string_view section,
                                                std::u16string_view key);

// FindProfileString over a settings file; nothing also when the file
// cannot be read.
std::optional<std::u16string> ReadProfileString(std::u16string_view fileName, std::u16string_view section,
                                                std::u16string_view key);

}  // namespace pellora
