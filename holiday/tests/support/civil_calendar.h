// An independent civil calendar for the tests: the proleptic Gregorian
// calendar by the 400-year era algorithm popularised by Howard Hinnant (the
// shifted year that starts in March, so that the leap day falls at its end),
// derived separately from the engine's arithmetic so that the tests check
// the engine's day numbers rather than repeat them. Pure integer arithmetic,
// header-only: the Windows driver uses it too.
#pragma once

#include <cstdint>

namespace testsupport {

// Julian day numbers: 2440588 is 1970-01-01, 719468 the days from 0000-03-01
// to 1970-01-01, 146097 the days of an era.
inline constexpr std::int64_t kUnixEpochDay = 2440588;
// 1899-12-30, automation date 0.
inline constexpr std::int64_t kAutomationEpochDay = 2415019;

constexpr std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468 + kUnixEpochDay;
}

struct Civil {
  std::int64_t year;
  int month;
  int day;
};

constexpr Civil CivilFromDays(std::int64_t jdn) {
  const std::int64_t z = jdn - kUnixEpochDay + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return {yoe + era * 400 + (m <= 2), m, d};
}

constexpr int MonthLength(std::int64_t year, int month) {
  constexpr int kLength[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kLength[month - 1];
}

// 1 = Sunday ... 7 = Saturday; day number 0 was a Monday.
constexpr int WeekdayOf(std::int64_t jdn) { return static_cast<int>(((jdn + 1) % 7 + 7) % 7) + 1; }

// The automation date (days since 1899-12-30) of a day number or a date.
constexpr double AutomationDate(std::int64_t jdn) { return static_cast<double>(jdn - kAutomationEpochDay); }
constexpr double AutomationDateOf(std::int64_t y, int m, int d) { return AutomationDate(DaysFromCivil(y, m, d)); }

}  // namespace testsupport
