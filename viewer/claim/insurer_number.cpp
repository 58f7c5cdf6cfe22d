#include "claim/insurer_number.h"

#include <algorithm>

namespace pellora::claim {

std::u16string InsurerLookupKey(std::u16string_view text) {
  if (text.size() == 6 && std::all_of(text.begin(), text.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; })) {
    return std::u16string(text);
  }
  return IsNumberText(text) ? ZeroPad6(text) : std::u16string(text);
}

}  // namespace pellora::claim
