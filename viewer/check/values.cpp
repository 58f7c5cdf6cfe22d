#include "check/values.h"

#include "common/civil_date.h"

namespace pellora::check {
namespace {

constexpr int kFirstYear = 1868;  // no person of a claim was born before Meiji
constexpr int kLastYear = 2199;

// The value of a text of exactly `n` ASCII digits.
std::optional<int> Digits(std::u16string_view text, std::size_t n) {
  if (text.size() != n) return std::nullopt;
  int value = 0;
  for (char16_t c : text) {
    if (!IsAsciiDigit(c)) return std::nullopt;
    value = value * 10 + (c - u'0');
  }
  return value;
}

}  // namespace

bool IsAsciiDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool AllDigits(std::u16string_view text) {
  if (text.empty()) return false;
  for (char16_t c : text)
    if (!IsAsciiDigit(c)) return false;
  return true;
}

std::optional<std::int64_t> WholeNumber(std::u16string_view text) {
  const bool negative = !text.empty() && text.front() == u'-';
  if (negative) text.remove_prefix(1);
  if (text.empty() || text.size() > 15 || !AllDigits(text)) return std::nullopt;
  std::int64_t value = 0;
  for (char16_t c : text) value = value * 10 + (c - u'0');
  return negative ? -value : value;
}

std::optional<int> YearMonthOf(std::u16string_view text) {
  const std::optional<int> value = Digits(text, 6);
  if (!value) return std::nullopt;
  const int year = *value / 100, month = *value % 100;
  if (year < kFirstYear || year > kLastYear || month < 1 || month > 12) return std::nullopt;
  return *value;
}

std::optional<std::int64_t> DayOf(std::u16string_view text) {
  if (text.size() != 8) return std::nullopt;
  const std::optional<int> yearMonth = YearMonthOf(text.substr(0, 6));
  const std::optional<int> day = Digits(text.substr(6), 2);
  if (!yearMonth || !day || *day < 1 || *day > DaysIn(*yearMonth)) return std::nullopt;
  return common::DaysFromCivil(*yearMonth / 100, *yearMonth % 100, *day);
}

int DaysIn(int yearMonth) { return common::DaysInMonth(yearMonth / 100, yearMonth % 100); }

std::int64_t FirstDayOf(int yearMonth) { return common::DaysFromCivil(yearMonth / 100, yearMonth % 100, 1); }

std::int64_t LastDayOf(int yearMonth) { return FirstDayOf(yearMonth) + DaysIn(yearMonth) - 1; }

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
