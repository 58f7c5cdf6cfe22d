#include "idlgen/literals.h"

#include <cstdio>
#include <optional>

#include "tool_support/text.h"

namespace idlgen {

std::string Utf16Literal(const std::string& text) {
  if (text.empty()) return "u\"\"";
  std::optional<std::u16string> units = tool_support::Utf8ToUtf16Exact(text);
  if (!units) throw Error("the IDL is not UTF-8");
  std::string out = "u\"";
  for (std::size_t i = 0; i < units->size(); ++i) {
    char32_t cp = (*units)[i];
    if (cp >= 0xD800 && cp <= 0xDBFF)  // a pair: UTF-8 never leaves one unpaired
      cp = 0x10000 + ((cp - 0xD800) << 10) + ((*units)[++i] - 0xDC00);
    if (cp == '"' || cp == '\\') {
      out += '\\';
      out += static_cast<char>(cp);
    } else if (cp >= 0x20 && cp < 0x7F) {
      out += static_cast<char>(cp);
    } else {
      char esc[16];
      std::snprintf(esc, sizeof esc, cp > 0xFFFF ? "\\U%08X" : "\\u%04X", static_cast<unsigned>(cp));
      out += esc;
    }
  }
  return out + "\"";
}

std::string GuidLiteral(const Guid& g) {
  char text[128];
  std::snprintf(text, sizeof text,
                "{0x%08X, 0x%04X, 0x%04X, {0x%02X, 0x%02X, 0x%02X, 0x%02X, 0x%02X, 0x%02X, 0x%02X, 0x%02X}}", g.d1,
                g.d2, g.d3, g.d4[0], g.d4[1], g.d4[2], g.d4[3], g.d4[4], g.d4[5], g.d4[6], g.d4[7]);
  return text;
}

}  // namespace idlgen
