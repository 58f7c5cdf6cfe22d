#pragma once
// The values of claim-file items as the check reads them, from their code
// page 932 bytes: whole numbers, year-months and dates, strictly (a value
// is read only when the whole field is one); and what the check tells of
// them, in UTF-16.

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "common/civil_date.h"

namespace pellora::check {

inline bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

// True for a non-empty text of ASCII digits only.
inline bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text)
    if (!IsAsciiDigit(c)) return false;
  return true;
}

// Whether two fields have the same bytes: the check compares the keys of
// neighbouring records on every line, eight bytes at a time.
[[gnu::always_inline]] inline bool Same(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  std::size_t i = 0;
  for (; i + 8 <= a.size(); i += 8) {
    std::uint64_t x, y;
    std::memcpy(&x, a.data() + i, 8);
    std::memcpy(&y, b.data() + i, 8);
    if (x != y) return false;
  }
  for (; i < a.size(); ++i)
    if (a[i] != b[i]) return false;
  return true;
}

// A whole number: an optional minus and 1 to 15 digits, nothing else.
[[gnu::always_inline]] inline std::optional<std::int64_t> WholeNumber(std::string_view text) {
  if (text.empty()) return std::nullopt;
  const bool negative = text.front() == '-';
  if (negative) text.remove_prefix(1);
  if (text.empty() || text.size() > 15) return std::nullopt;
  std::int64_t value = 0;
  for (char c : text) {
    if (!IsAsciiDigit(c)) return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return negative ? -value : value;
}

// Sums and products of a file's numbers, which a damaged file may make too
// large: a sum stays at the largest number of its sign, a product is none
// (and what it would have been compared with is not compared).
inline std::int64_t Plus(std::int64_t a, std::int64_t b) {
  std::int64_t sum;
  if (!__builtin_add_overflow(a, b, &sum)) return sum;
  return b > 0 ? INT64_MAX : INT64_MIN;
}
inline std::optional<std::int64_t> Times(std::int64_t a, std::int64_t b) {
  std::int64_t product;
  if (__builtin_mul_overflow(a, b, &product)) return std::nullopt;
  return product;
}

// The days of the month YYYYMM, and its first and last day as dates
// YYYYMMDD, which as numbers are in the order of the days.
inline int DaysIn(int yearMonth) { return common::DaysInMonth(yearMonth / 100, yearMonth % 100); }
inline std::int64_t FirstDayOf(int yearMonth) { return std::int64_t{yearMonth} * 100 + 1; }
inline std::int64_t LastDayOf(int yearMonth) { return std::int64_t{yearMonth} * 100 + DaysIn(yearMonth); }

namespace values_detail {
inline constexpr int kFirstYear = 1868;  // no person of a claim was born before Meiji
inline constexpr int kLastYear = 2199;
// The value of the `n` ASCII digits at `text`'s start; -1 if one is none.
inline int Digits(std::string_view text, std::size_t n) {
  int value = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (!IsAsciiDigit(text[i])) return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}
}  // namespace values_detail

// A year-month YYYYMM of the years 1868 to 2199, as the number YYYYMM.
inline std::optional<int> YearMonthOf(std::string_view text) {
  if (text.size() != 6) return std::nullopt;
  const int value = values_detail::Digits(text, 6);
  const int year = value / 100, month = value % 100;
  if (value < 0 || year < values_detail::kFirstYear || year > values_detail::kLastYear || month < 1 || month > 12)
    return std::nullopt;
  return value;
}

// A date YYYYMMDD of those years that exists, as the number YYYYMMDD.
inline std::optional<std::int64_t> DayOf(std::string_view text) {
  if (text.size() != 8) return std::nullopt;
  const std::optional<int> yearMonth = YearMonthOf(text.substr(0, 6));
  const int day = values_detail::Digits(text.substr(6), 2);
  if (!yearMonth || day < 1 || day > DaysIn(*yearMonth)) return std::nullopt;
  return std::int64_t{*yearMonth} * 100 + day;
}

// The text of a field's bytes, as the reader decodes them.
std::u16string Decoded(std::string_view bytes);
// Decimal digits of `value`.
std::u16string NumberText(std::int64_t value);
// YYYY年MM月 of the number YYYYMM.
std::u16string YearMonthText(int yearMonth);

// A message in the federation's manner: "項目名：内容".
std::u16string Named(std::u16string_view item, std::u16string_view text);

}  // namespace pellora::check
