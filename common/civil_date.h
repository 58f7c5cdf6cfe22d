#pragma once
// Dates of the proleptic Gregorian calendar as a count of days, and back:
// the one conversion that dovrel60's day numbers, automation dates and date
// texts all go through.
//
// Both directions count days from 1970-01-01 (day 0) and work with years
// counted from March, so that the leap day is the last day of its year and
// every month but February has a fixed place:
//
//   civil year  ... | Mar Apr May Jun Jul | Aug Sep Oct Nov Dec | Jan Feb | ...
//   month mp          0   1   2   3   4     5   6   7   8   9    10  11
//   length           31  30  31  30  31    31  30  31  30  31    31  28/29
//
// The lengths from March run in two blocks of five months, 31 30 31 30 31,
// 153 days each, so the days before month mp are (153 * mp + 2) / 5
// (0, 31, 61, 92, 122, 153, 184, 214, 245, 275, 306, 337); the +2 makes the
// division land on those values, and the inverse (5 * doy + 2) / 153 finds
// the month of day doy of the year.
//
// The Gregorian calendar repeats every 400 years (an era), which have
// 400 * 365 + 97 = 146097 days; inside an era, year yoe (0-399) starts
// 365 * yoe + yoe / 4 - yoe / 100 days after the era (a leap day every four
// years but not in the years 100, 200 and 300 of the era; year 0 of an era
// is divisible by 400 and keeps its leap day, which, counted from March, falls
// at the end of that year). Eras are found by floor division, so that years
// and days before the epoch, and before the year 0, follow the same rules.
//
// Day 0 of era 0 is 0000-03-01, which is 719468 days before 1970-01-01.
//
// The method and its derivation are those of Howard Hinnant's
// "chrono-Compatible Low-Level Date Algorithms".
//
// Installed with dovrel60's public headers, so it stays C++17: hosts build
// with their compiler's default standard.

#include <cstdint>

#if (defined(_MSVC_LANG) ? _MSVC_LANG : __cplusplus) < 201703L
#error "common/civil_date.h and dovrel60's japan/ headers need C++17 or later (-std=c++17)"
#endif

namespace common {

struct CivilDate {
  std::int64_t year;
  int month;  // 1-12
  int day;    // 1-31
  friend constexpr bool operator==(const CivilDate& a, const CivilDate& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day;
  }
  friend constexpr bool operator!=(const CivilDate& a, const CivilDate& b) { return !(a == b); }
};

// Floor division and its remainder: the quotient rounded down, so that the
// remainder has the divisor's sign (0 <= FloorMod(a, b) < b for b > 0).
// C++'s own / and % round toward zero (-1 / 7 is 0, -1 % 7 is -1), which
// would put the days and years before an epoch into cycles of their own;
// rounded down, day -1 lies in week -1 at its place 6, as day 6 lies in
// week 0. The truncated quotient is one too large exactly when the
// division left a remainder and the signs differ.
constexpr std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  return a / b - (a % b != 0 && (a < 0) != (b < 0) ? 1 : 0);
}
constexpr std::int64_t FloorMod(std::int64_t a, std::int64_t b) { return a - FloorDiv(a, b) * b; }

// The weekday of a day count (days from 1970-01-01): 0 = Sunday ... 6 =
// Saturday. Weekdays repeat every 7 days and day 0, 1970-01-01, was a
// Thursday (4), so a day's weekday is 4 on from its distance to that day,
// modulo 7; the floor modulo keeps the days before 1970 in the same cycle.
constexpr int WeekdayFromDays(std::int64_t days) { return static_cast<int>(FloorMod(days + 4, 7)); }

constexpr bool IsLeapYear(std::int64_t year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

// Month 1-12.
constexpr int DaysInMonth(std::int64_t year, int month) {
  constexpr int kLengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kLengths[month - 1];
}

namespace civil_detail {
inline constexpr std::int64_t kDaysPerEra = 146097;
inline constexpr std::int64_t kEraStartToEpoch = 719468;  // 0000-03-01 .. 1970-01-01
}  // namespace civil_detail

// Days from 1970-01-01 to the given date. Month 1-12, day 1-31 (a day beyond
// its month counts on into the next). Exact for |year| below 10^15.
constexpr std::int64_t DaysFromCivil(std::int64_t year, int month, int day) {
  using namespace civil_detail;
  const std::int64_t y = year - (month <= 2 ? 1 : 0);                  // the year counted from March
  const std::int64_t era = FloorDiv(y, 400);
  const std::int64_t yoe = y - era * 400;                              // [0, 399]
  const std::int64_t mp = month > 2 ? month - 3 : month + 9;           // [0, 11], March = 0
  const std::int64_t doy = (153 * mp + 2) / 5 + day - 1;               // [0, 365]
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;      // [0, 146096]
  return era * kDaysPerEra + doe - kEraStartToEpoch;
}

// The date `days` days after 1970-01-01 (before it for negative counts).
// Exact for |days| below 10^17.
constexpr CivilDate CivilFromDays(std::int64_t days) {
  using namespace civil_detail;
  const std::int64_t z = days + kEraStartToEpoch;                      // days from 0000-03-01
  const std::int64_t era = FloorDiv(z, kDaysPerEra);
  const std::int64_t doe = z - era * kDaysPerEra;                      // [0, 146096]
  // The year of the era: taking away the leap days that lie before doe
  // (one every 1460 days, none every 36524, one again at day 146096, the
  // era's last) leaves a count that 365 divides into whole years.
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;  // [0, 399]
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);    // [0, 365]
  const std::int64_t mp = (5 * doy + 2) / 153;                         // [0, 11]
  const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);      // [1, 31]
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);       // [1, 12]
  return {yoe + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

// Automation dates (OLE Automation's DATE, and Jet's dates, which count the
// same way) are days since 1899-12-30: this is that day 0, as a day count.
inline constexpr std::int64_t kAutomationEpoch = DaysFromCivil(1899, 12, 30);

// The whole days an automation date can hold: 0100-01-01 through 9999-12-31
// (and the times of that last day). dovrel60 accepts exactly these days, so
// its day numbers and the automation layer's coercions share the range.
inline constexpr std::int64_t kFirstAutomationDate = DaysFromCivil(100, 1, 1) - kAutomationEpoch;
inline constexpr std::int64_t kLastAutomationDate = DaysFromCivil(9999, 12, 31) - kAutomationEpoch;

}  // namespace common
