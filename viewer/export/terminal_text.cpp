#include "export/terminal_text.h"

#include "common/utf.h"

namespace pellora::exporting {
namespace {

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The wide ranges of the Basic Multilingual Plane (East Asian Width W and
// F), as far as Japanese text reaches them.
bool IsWide(char16_t c) {
  return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) || (c >= 0x3041 && c <= 0x33FF) ||
         (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
         (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
         (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6);
}

}  // namespace

std::string Utf8(std::u16string_view text) {
  if (std::optional<std::string> utf8 = common::Utf16ToUtf8(text)) return std::move(*utf8);
  std::u16string repaired(text);
  for (std::size_t i = 0; i < repaired.size(); ++i) {
    if (IsHighSurrogate(repaired[i]) && i + 1 < repaired.size() && IsLowSurrogate(repaired[i + 1])) {
      ++i;
    } else if (IsHighSurrogate(repaired[i]) || IsLowSurrogate(repaired[i])) {
      repaired[i] = u'\uFFFD';
    }
  }
  return common::Utf16ToUtf8(repaired).value_or(std::string());
}

int TerminalWidth(std::u16string_view text) {
  int width = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      width += 2;  // beyond the BMP: the CJK extensions, emoji
      ++i;
    } else {
      width += IsWide(text[i]) ? 2 : 1;
    }
  }
  return width;
}

}  // namespace pellora::exporting
