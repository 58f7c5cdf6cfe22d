#include "check/values.h"

#include "common/cp932.h"

namespace pellora::check {
std::u16string Decoded(std::string_view bytes) { return common::cp932::Decode(bytes); }

std::u16string NumberText(std::int64_t value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

std::u16string YearMonthText(int yearMonth) {
  std::u16string month = NumberText(yearMonth % 100);
  if (month.size() < 2) month.insert(0, 1, u'0');
  return NumberText(yearMonth / 100) + u"年" + month + u"月";
}

std::u16string Named(std::u16string_view item, std::u16string_view text) {
  std::u16string message(item);
  message += u"：";
  message += text;
  return message;
}

}  // namespace pellora::check
