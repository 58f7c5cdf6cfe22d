#include "tool_support/text.h"

#include "common/utf.h"

namespace tool_support {

std::optional<std::u16string> Utf8ToUtf16Exact(std::string_view text) {
  // Only UTF-8 survives the way there and back unchanged: each piece that is
  // not comes back as the three bytes of U+FFFD.
  std::u16string wide = common::Utf8ToUtf16(text);
  if (common::Utf16ToUtf8(wide) != text) return std::nullopt;
  return wide;
}

}  // namespace tool_support
