#include "idlgen/widl_copy.h"

#include <optional>

#include "common/cp932.h"
#include "common/utf.h"
#include "idlgen/lexer.h"

namespace idlgen {

std::string ToCp932ForWidl(const std::string& utf8) {
  std::string out;
  bool inString = false, escaped = false;
  std::size_t i = 0;
  int line = 1;
  while (i < utf8.size()) {
    auto c = static_cast<unsigned char>(utf8[i]);
    std::size_t length = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : 4;
    std::string ch = utf8.substr(i, length);
    i += length;
    if (ch == "\n") ++line;
    if (length == 1) {
      // ASCII is the same in both; it only moves the state of the string.
      if (inString && !escaped && ch == "\\")
        escaped = true;
      else if (!escaped && ch == "\"")
        inString = !inString;
      else
        escaped = false;
      if (ch == "\"") escaped = false;
      out += ch;
      continue;
    }
    escaped = false;
    // A sequence that is not UTF-8 decodes to U+FFFD, which code page 932
    // lacks too.
    std::optional<std::string> bytes = common::cp932::EncodeExact(common::Utf8ToUtf16(ch));
    if (!bytes) throw Error("line " + std::to_string(line) + ": a character that code page 932 lacks");
    if (bytes->size() == 2 && (*bytes)[1] == '\\') {
      if (!inString) throw Error("line " + std::to_string(line) + ": a trail byte 0x5C outside a string literal");
      *bytes += '\\';
    }
    out += *bytes;
  }
  return out;
}

}  // namespace idlgen
