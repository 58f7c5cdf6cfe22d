#pragma once
// The clipboard as the grids fill it: the plain text (CF_UNICODETEXT) that
// a mail or a text editor takes, and the same cells as "HTML Format", which
// a spreadsheet prefers and reads with the cells' text kept as text.

#include <windows.h>

#include <string>
#include <string_view>

namespace pellora::win32 {

// "HTML Format" is UTF-8 behind a header of byte offsets: where the
// document starts and ends, and where the part to paste (between the
// <!--StartFragment--> and <!--EndFragment--> marks) starts and ends. The
// offsets are written with ten digits, so that the header's own length is
// known before they are. `html` is a whole page (SelectionAsHtml's): the
// marks are put just inside its <body> and </body>, so that the part to
// paste is the table alone.
std::string HtmlClipboardData(std::string_view html);

// Replaces the clipboard's contents with both flavours. False when the
// clipboard could not be had (another program holds it open).
bool PutOnClipboard(HWND owner, std::u16string_view text, std::u16string_view html);

}  // namespace pellora::win32
