#include "claim/year_month.h"

namespace pellora {
namespace {

// Up to `count` characters of `s` from the 0-based position `start`, none
// when it starts beyond the end.
std::u16string_view Middle(std::u16string_view s, std::size_t start, std::size_t count) {
  return start < s.size() ? s.substr(start, count) : std::u16string_view();
}

}  // namespace

std::u16string YearMonthText(std::u16string_view v) {
  std::u16string text(Middle(v, 0, 4));
  text += u'年';
  text += Middle(v, 4, std::u16string_view::npos);
  text += u'月';
  return text;
}

std::u16string TotalsMonthText(std::u16string_view shown) {
  std::u16string text(Middle(shown, 0, 4));
  text += u'/';
  text += Middle(shown, 5, 2);
  return text;
}

}  // namespace pellora
