// Day numbers: how dovrel60 holds, compares and converts dates.
//
// Every date inside the component is a Julian Day Number of the proleptic
// Gregorian calendar. Automation dates (days since 1899-12-30) only cross the
// interfaces; year/month/day triples are used where the calendar itself
// matters (months, years, yearly definitions). Each conversion is one small
// function here, so that Days, styles, the classification and the queries
// all convert by the same rules.
#pragma once

#include <cstdint>

namespace dovrel::engine {

using DayNumber = std::int32_t;

inline constexpr DayNumber kFirstValidDay = 1757585;  // 0100-01-01
inline constexpr DayNumber kLastValidDay = 5373484;   // 9999-12-31

// Stored to mean "no date" (a Null Value, a Day without a range end). It lies
// 1000 days past the last valid day rather than 1, so a step of a day in
// either direction from it still reads as no date.
inline constexpr DayNumber kNullDayNumber = 5374484;

// Day number of 1899-12-30, the day automation date 0 stands for.
inline constexpr DayNumber kAutomationEpochDay = 2415019;

// Weekday numbering of the interfaces: 1 = Sunday ... 7 = Saturday.
inline constexpr int kSunday = 1;
inline constexpr int kMonday = 2;
inline constexpr int kSaturday = 7;

constexpr bool IsValidDayNumber(DayNumber n) {
  return n >= kFirstValidDay && n <= kLastValidDay;
}

constexpr bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

constexpr int DaysInMonth(int year, int month) {
  switch (month) {
    case 2: return IsLeapYear(year) ? 29 : 28;
    case 4: case 6: case 9: case 11: return 30;
    default: return 31;
  }
}

// The time of day is dropped by truncating toward zero, also for negative
// automation dates: -1.5 is 1899-12-29 12:00 and belongs to 1899-12-29.
// NaN, infinities and values whose day number would not fit 32 bits have no
// date; they give the null day number instead of an undefined conversion.
DayNumber DayNumberFromAutomationDate(double date);

constexpr double AutomationDateFromDayNumber(DayNumber n) {
  return static_cast<double>(n) - kAutomationEpochDay;
}

struct CivilDate {
  int year;
  int month;  // 1-12
  int day;    // 1-31
  friend constexpr bool operator==(const CivilDate&, const CivilDate&) = default;
};

struct ClampedDayNumber {
  DayNumber day;
  bool clamped;  // the day of month exceeded the month and was cut to its last day
};

namespace detail {
// Floor division and modulo: the calendar formulas below divide only
// non-negative values; these keep years and days before the year 0 right
// (yearly ranges reach back that far when they cross many year ends).
constexpr std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}
constexpr std::int64_t FloorMod(std::int64_t a, std::int64_t b) {
  return a - FloorDiv(a, b) * b;
}
inline constexpr std::int64_t kDaysPer400Years = 146097;
}  // namespace detail

// Year/month/day to day number. The year is counted from March, so that the
// leap day falls at the end of it: c numbers the months March = 0 ...
// February = 11, (153c + 2)/5 is the number of days before month c in such a
// year (the month lengths 31,30,31,30,31 repeat every five months, 153
// days), and whole years contribute 1461/4 days per year within a century
// plus 146097/4 per century, the Gregorian 400-year cycle. 1721119 places
// 0000-03-01 so that 2000-01-01 is 2451545.
//
// A day beyond the end of its month is first cut to the month's last day and
// the caller is told: yearly holidays on 29 February are skipped in common
// years, while the ends of yearly ranges are simply clamped.
// Preconditions: month 1-12, day >= 1, |year| well below a million.
constexpr ClampedDayNumber DayNumberFromCivil(int year, int month, int day) {
  const int length = DaysInMonth(year, month);
  const bool clamped = day > length;
  if (clamped) day = length;
  const std::uint32_t c = static_cast<std::uint32_t>(month < 3 ? month + 9 : month - 3);
  std::int64_t y = month < 3 ? std::int64_t(year) - 1 : year;
  // Years before 0 are moved forward by whole 400-year cycles, which have a
  // fixed length, so that the divisions below see non-negative values (and
  // can be done in cheaper unsigned arithmetic).
  std::int64_t cycles = 0;
  if (y < 0) {
    cycles = (-y + 399) / 400;
    y += 400 * cycles;
  }
  const auto uy = static_cast<std::uint64_t>(y);
  const std::uint64_t days = (153 * c + 2) / 5 + ((uy / 100) * detail::kDaysPer400Years) / 4 +
                             ((uy % 100) * 1461) / 4;
  const std::int64_t n = static_cast<std::int64_t>(days) + day + 1721119 - cycles * detail::kDaysPer400Years;
  return {static_cast<DayNumber>(n), clamped};
}

// Day number to year/month/day: the inverse of the formula above, peeling
// off centuries (146097/4 days), years within the century (1461/4 days) and
// months of the March-based year ((153c + 2)/5 days) in turn; the factors 4
// and 5 keep every step in integers. Day numbers before 0000-03-01 are moved
// forward by whole 400-year cycles first. Defined for every 32-bit value.
constexpr CivilDate CivilFromDayNumber(DayNumber day_number) {
  std::int64_t n = day_number;
  std::int64_t cycles = 0;
  if (n < 1721120) {
    cycles = (1721120 - n + detail::kDaysPer400Years - 1) / detail::kDaysPer400Years;
    n += cycles * detail::kDaysPer400Years;
  }
  // From here on every value is non-negative: unsigned arithmetic.
  const auto u = static_cast<std::uint64_t>(n);
  const std::uint64_t b = (4 * u - 6884477) / 146097;
  std::uint64_t r = 4 * ((4 * u - 146097 * b - 6884477) / 4);
  const std::uint64_t c = (r + 3) / 1461;
  r = 5 * ((r - 1461 * c + 7) / 4);
  const int day = static_cast<int>(((r - 3) % 153 + 5) / 5);
  const std::uint64_t mm = (r - 3) / 153;
  const int month = static_cast<int>(mm >= 10 ? mm - 9 : mm + 3);
  const int year = static_cast<int>(static_cast<std::int64_t>(100 * b + c + (mm >= 10 ? 1 : 0)) - 400 * cycles);
  return {year, month, day};
}

// 1 = Sunday ... 7 = Saturday. Day number 0 was a Monday, so n + 1 counts
// weekdays from a Sunday.
constexpr int Weekday(DayNumber n) {
  return static_cast<int>(detail::FloorMod(static_cast<std::int64_t>(n) + 1, 7)) + 1;
}

// The first and the last day of the month or year a day lies in.
constexpr DayNumber FirstDayOfMonth(DayNumber n) {
  return n - (CivilFromDayNumber(n).day - 1);
}
constexpr DayNumber LastDayOfMonth(DayNumber n) {
  const CivilDate c = CivilFromDayNumber(n);
  return n + (DaysInMonth(c.year, c.month) - c.day);
}
constexpr DayNumber FirstDayOfYear(DayNumber n) {
  return DayNumberFromCivil(CivilFromDayNumber(n).year, 1, 1).day;
}
constexpr DayNumber LastDayOfYear(DayNumber n) {
  return DayNumberFromCivil(CivilFromDayNumber(n).year, 12, 31).day;
}

}  // namespace dovrel::engine
