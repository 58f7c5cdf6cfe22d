#include "rcgen/text.h"

#include <optional>

#include "common/cp932.h"
#include "common/utf.h"
#include "rcgen/tokens.h"
#include "tool_support/text.h"

namespace rcgen {

std::string ReadQuoted(const std::string& line, std::size_t& i, const std::string& where, bool utf8) {
  std::string text;
  for (++i;; ++i) {
    if (i >= line.size()) throw Error(where + ": unterminated string");
    char c = line[i];
    if (c == '"') {
      if (i + 1 < line.size() && line[i + 1] == '"') {
        text += '"';
        ++i;
        continue;
      }
      ++i;
      break;
    }
    if (c == '\\' && i + 1 < line.size()) {
      char e = line[++i];
      switch (e) {
        case 'n': text += '\n'; break;
        case 't': text += '\t'; break;
        case 'r': text += '\r'; break;
        case '0': text += '\0'; break;
        case '\\': text += '\\'; break;
        case '"': text += '"'; break;
        default: throw Error(where + ": unknown escape \\" + std::string(1, e));
      }
      continue;
    }
    if (static_cast<unsigned char>(c) >= 0x80 && !utf8)
      throw Error(where + ": non-ASCII text needs #pragma code_page(65001) before it");
    text += c;
  }
  return text;
}

std::u16string Utf16Of(const std::string& text, const std::string& where) {
  std::optional<std::u16string> wide = tool_support::Utf8ToUtf16Exact(text);
  if (!wide) throw Error(where + ": text is not valid UTF-8");
  return *wide;
}

std::string Cp932Of(const std::string& text, const std::string& where) {
  // A sequence that is not UTF-8 decodes to U+FFFD, which code page 932
  // lacks too.
  std::optional<std::string> bytes = common::cp932::EncodeExact(common::Utf8ToUtf16(text));
  if (!bytes) throw Error(where + ": the text has a character that code page 932 cannot hold: \"" + text + "\"");
  return *bytes;
}

std::string Upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return text;
}

}  // namespace rcgen
