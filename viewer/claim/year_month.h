#pragma once
// Year-month texts. A YYYYMM value is shown as YYYY年MM月 in the header and
// the display grid, and the totals grid turns that back into YYYY/MM. Both
// cut by characters (UTF-16 code units), never by bytes, and tolerate texts
// of any length, as a damaged field may be short or long.

#include <string>
#include <string_view>

namespace pellora {

// The first four characters of `v` (all of it if shorter), "年", the
// characters from the fifth on, "月": 202404 gives 2024年04月, 2024 gives
// 2024年月 and "" gives 年月.
std::u16string YearMonthText(std::u16string_view v);

// The totals grid's month of a display year-month: its first four
// characters, "/", then the two characters from the sixth on (2024年04月
// gives 2024/04); characters that are not there are left out.
std::u16string TotalsMonthText(std::u16string_view shown);

}  // namespace pellora
