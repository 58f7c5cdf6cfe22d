#include "claim/insurer_number.h"

#include <algorithm>

namespace pellora::claim {

namespace {

bool IsSixDigits(std::u16string_view text) {
  return text.size() == 6 && std::all_of(text.begin(), text.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

}  // namespace

std::u16string InsurerNumber(std::u16string_view field) {
  return IsSixDigits(field) ? std::u16string(field) : ZeroPad6(field);
}

std::u16string InsurerLookupKey(std::u16string_view text) {
  if (IsSixDigits(text)) return std::u16string(text);
  return IsNumberText(text) ? ZeroPad6(text) : std::u16string(text);
}

}  // namespace pellora::claim
