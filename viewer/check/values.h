#pragma once
// The values of claim-file items as the check reads them: whole numbers,
// year-months and dates, strictly (a value is read only when the whole
// field is one), and numbers written back for messages.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pellora::check {

bool IsAsciiDigit(char16_t c);
// True for a non-empty text of ASCII digits only.
bool AllDigits(std::u16string_view text);

// A whole number: an optional minus and 1 to 15 digits, nothing else.
std::optional<std::int64_t> WholeNumber(std::u16string_view text);

// A year-month YYYYMM of the years 1868 to 2199, as the number YYYYMM.
std::optional<int> YearMonthOf(std::u16string_view text);
// A date YYYYMMDD of those years that exists, as days from 1970-01-01.
std::optional<std::int64_t> DayOf(std::u16string_view text);
// The first and last day of the month YYYYMM.
std::int64_t FirstDayOf(int yearMonth);
std::int64_t LastDayOf(int yearMonth);
int DaysIn(int yearMonth);

// Decimal digits of `value`.
std::u16string NumberText(std::int64_t value);
// YYYY年MM月 of the number YYYYMM.
std::u16string YearMonthText(int yearMonth);

// A message in the federation's manner: "項目名：内容".
std::u16string Named(std::u16string_view item, std::u16string_view text);

}  // namespace pellora::check
