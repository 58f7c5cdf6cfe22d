#pragma once
// Settings files in the Windows profile layout (velkar.ini): "[section]"
// lines, then "key=value" lines. Pellora reads one value from such a file
// the way the Windows profile API reads it, so that a settings file written
// for, or copied from, a Windows installation means the same here.
//
// A settings file is text in code page 932, as the profile API reads it, or
// UTF-8, as today's editors save it (those of Linux desktops, and Windows
// Notepad by default since 2019). Which of the two is told from the bytes
// alone, the same on every platform:
//
// 1. A file that starts with the UTF-8 byte order mark is UTF-8, the mark
//    no part of its first line. No code page 932 file starts so: 0xEF
//    starts no character of code page 932.
// 2. A file that is UTF-8 and not code page 932 is UTF-8.
// 3. A file that is both is code page 932 -- pure ASCII, which reads the
//    same either way, or code page 932 text that happens to be UTF-8 --
//    unless its UTF-8 reading holds Japanese (kana, kanji, the CJK marks,
//    the full-width forms): then it is UTF-8.
// 4. Any other file is code page 932, its broken bytes U+FFFD.
//
// Rule 3 has its exception because the two overlaps are not alike. Code
// page 932 text is UTF-8 only by an accident of arrangement: the first bytes
// of kana, Level-1 kanji and most marks (0x81-0x9F) and the half-width
// katakana 0xA1-0xBF are UTF-8 continuation bytes, valid only just after a
// half-width katakana 0xC2-0xDF or a Level-2 kanji's first byte 0xE0-0xEE.
// Such text read as UTF-8 gives Latin, Greek or Cyrillic letters (ﾃｨ reads
// è), never Japanese, and stays code page 932. Japanese UTF-8, on the other
// hand, is also code page 932 about half the time: its three-byte
// characters fall into byte pairs that nearly all exist in code page 932
// (介護 would read 莉玖ｭｷ). Left misread are a code page 932 file whose only
// characters beyond ASCII are a Level-2 kanji and a half-width katakana
// that together make Japanese UTF-8, as 荳ｭ makes 中 (mojibake itself), and
// a UTF-8 file whose only characters beyond ASCII are the accented letters
// of other languages (café reads cafﾃｩ); saved with the byte order mark, it
// reads as written.
//
// Lines end at CR LF, a lone CR or a lone LF: a file edited on this
// platform ends its lines with LF.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellora {

// The whole text of a settings file, decoded from code page 932 or UTF-8 as
// above; nothing when it cannot be read as a file (missing, a folder, not
// permitted).
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
