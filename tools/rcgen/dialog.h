#pragma once
// DIALOGEX as the platform's extended dialog template (DLGTEMPLATEEX, then
// one DLGITEMTEMPLATEEX per control, each aligned to 32 bits), so that the
// dialog is read the same way on both platforms. Understood: STYLE,
// EXSTYLE, CAPTION, FONT and LANGUAGE, and the controls LTEXT, CTEXT, RTEXT,
// PUSHBUTTON, DEFPUSHBUTTON, GROUPBOX, EDITTEXT, ICON and CONTROL.

#include <cstdint>
#include <string>
#include <vector>

#include "rcgen/binary.h"
#include "rcgen/token_reader.h"

namespace rcgen {

struct DialogItem {
  std::uint32_t style = 0, exStyle = 0, id = 0;
  std::int16_t x = 0, y = 0, cx = 0, cy = 0;
  std::u16string className;
  int classOrdinal = 0;  // a predefined class by number (0x80 button ... 0x85 combo box), or 0
  std::u16string text;
  int textOrdinal = -1;  // a resource number instead of a text (pictures), or -1
};

struct Dialog {
  std::int16_t x = 0, y = 0, cx = 0, cy = 0;
  std::uint32_t helpId = 0;
  std::uint32_t style = 0, exStyle = 0;
  std::u16string caption, face;
  std::uint16_t pointSize = 0, weight = 0;
  std::uint8_t italic = 0, charset = 1;
  std::vector<DialogItem> items;
};

// What follows "<name> DIALOGEX": the geometry, the statements and the
// controls up to the END of its block. STYLE replaces the default
// WS_POPUP | WS_BORDER | WS_SYSMENU; CAPTION adds WS_CAPTION unless a STYLE
// came first; FONT adds DS_SETFONT. `NOT x` in a style removes the bits of x.
Dialog ReadDialogEx(TokenReader& in);

// Fails with `where` for more controls than the template can count.
Bytes EncodeDialog(const Dialog& dialog, const std::string& where);

}  // namespace rcgen
