// Reading a dialog resource: the platform's extended dialog template
// (DLGTEMPLATEEX and its DLGITEMTEMPLATEEX items), as the resource compiler
// writes it for a DIALOGEX script. The about box is shown from this
// description on this platform, so that both platforms show the dialog of
// the same script.
#pragma once

#include <optional>
#include <vector>

#include "frame/this_module.h"

namespace dovrel {

// A text, or a resource number instead of one (a picture control names its
// bitmap this way; a predefined window class by its number).
struct NameOrOrdinal {
  OleString text;
  int ordinal = -1;
};

struct DialogControlTemplate {
  DWORD id = 0;
  DWORD style = 0, exStyle = 0;
  SHORT x = 0, y = 0, cx = 0, cy = 0;
  NameOrOrdinal windowClass;  // 0x80 button, 0x81 edit, 0x82 static, ...
  NameOrOrdinal text;
};

struct DialogTemplate {
  DWORD style = 0, exStyle = 0;
  SHORT x = 0, y = 0, cx = 0, cy = 0;  // dialog units
  OleString caption;
  bool hasFont = false;
  WORD pointSize = 0, weight = 0;
  BYTE italic = 0, charset = 0;
  OleString fontName;
  std::vector<DialogControlTemplate> controls;
};

// nullopt when the bytes are not a complete extended template.
std::optional<DialogTemplate> ReadDialogTemplate(const BYTE* data, DWORD size);

}  // namespace dovrel
