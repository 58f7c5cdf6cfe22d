#pragma once
// JapaneseHolidays.bas: the national holidays of 1948 to 2099 as a module
// that VBA imports and that a VBScript host reads as part of a script, with
// the public routine AddJapaneseHolidays style, firstYear, lastYear, which
// enters them into a HolidayStyle as AddJapaneseHolidays of
// japan/holiday_style.h does: the same keys, names, dates and day type;
// JapaneseHolidayName(d), the name of a date's holiday, as HolidayName of
// japan/national_holidays.h; and AddOfficialHolidays(style, path), which
// enters the official list's file as japan/official_holidays.h does.
//
// The module holds the days, one line a year, not the rules: a script gets
// exactly the days of the C++ routine, and a reader sees a year's holidays
// at a glance. Code page 932 text with CR LF line ends, as VBA imports a
// module on a Japanese Windows; only what VBA and VBScript both understand
// (no types, no Attribute lines, no module-level statements, so that the
// module may stand anywhere in a script).

#include <string>
#include <string_view>

namespace holidaygen {

// Fails for a name that code page 932 cannot write and for a line longer
// than the 1023 characters VBA reads.
std::string VbaModule();

// A module kept in the sources as UTF-8 text (DovrelFunctions.bas.txt) in
// the same form, with the same refusals, each naming the line of `source`.
std::string VbaModuleFromText(std::string_view utf8, const std::string& source);

}  // namespace holidaygen
