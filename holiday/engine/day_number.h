// Day numbers: how dovrel60 holds, compares and converts dates.
//
// Every date inside the component is a Julian Day Number of the proleptic
// Gregorian calendar. Automation dates (days since 1899-12-30) only cross the
// interfaces; year/month/day triples are used where the calendar itself
// matters (months, years, yearly definitions). Each conversion is one small
// function here, so that Days, styles, the classification and the queries
// all convert by the same rules.
#pragma once

#include <array>
#include <climits>
#include <cstddef>
#include <cstdint>

#include "common/civil_date.h"

namespace dovrel::engine {

using DayNumber = std::int32_t;

// Day numbers and civil days (days from 1970-01-01) differ by this many.
inline constexpr DayNumber kCivilEpochDay = 2440588;  // 1970-01-01

// Day number of 1899-12-30, the day automation date 0 stands for (2415019).
inline constexpr DayNumber kAutomationEpochDay = static_cast<DayNumber>(kCivilEpochDay + common::kAutomationEpoch);

// The days of an automation date (common/civil_date.h), as day numbers:
// 1757585 is 0100-01-01, 5373484 is 9999-12-31.
inline constexpr DayNumber kFirstValidDay = static_cast<DayNumber>(kAutomationEpochDay + common::kFirstAutomationDate);
inline constexpr DayNumber kLastValidDay = static_cast<DayNumber>(kAutomationEpochDay + common::kLastAutomationDate);

// Stored to mean "no date" (a Null Value, a Day without a range end), so
// saved collections hold it: 5374484. It lies 1000 days past the last valid
// day rather than 1, so a step of a day in either direction from it still
// reads as no date.
inline constexpr DayNumber kNullDayNumber = kLastValidDay + 1000;

// Weekday numbering of the interfaces: 1 = Sunday ... 7 = Saturday.
inline constexpr int kSunday = 1;
inline constexpr int kMonday = 2;
inline constexpr int kSaturday = 7;

constexpr bool IsValidDayNumber(DayNumber n) {
  return n >= kFirstValidDay && n <= kLastValidDay;
}

using common::DaysInMonth;
using common::IsLeapYear;

// The automation dates of the supported range lie strictly between these
// two: a date of 0100-01-01 may carry a time of day, and -657434.5 is
// 0100-01-01 12:00, which truncates to that day; -657435.0 is the day before.
inline constexpr double kBeforeFirstValidAutomationDate = double{kFirstValidDay} - kAutomationEpochDay - 1;
inline constexpr double kAfterLastValidAutomationDate = double{kLastValidDay} - kAutomationEpochDay + 1;

// The day of an automation date of the supported range: false for any other
// date and for NaN. Two comparisons and a 32-bit truncation, which is all the
// dates a host passes ever need; the same day as DayNumberFromAutomationDate.
constexpr bool ValidDayNumberFromAutomationDate(double date, DayNumber* day) {
  if (!(date > kBeforeFirstValidAutomationDate && date < kAfterLastValidAutomationDate)) return false;
  *day = static_cast<DayNumber>(date) + kAutomationEpochDay;
  return true;
}

// The time of day is dropped by truncating toward zero, also for negative
// automation dates: -1.5 is 1899-12-29 12:00 and belongs to 1899-12-29.
// NaN, infinities and values whose day number would not fit 32 bits have no
// date; they give the null day number instead of an undefined conversion.
// Only doubles whose truncation fits comfortably in 64 bits are converted
// (the comparison is false for NaN as well), and the conversion to an
// integer is itself the truncation toward zero. A date outside the supported
// range still has its day number: a walk from the day before 0100-01-01
// finds days inside it.
constexpr DayNumber DayNumberFromAutomationDate(double date) {
  if (DayNumber day; ValidDayNumberFromAutomationDate(date, &day)) [[likely]] return day;
  constexpr double kLimit = 4.0e9;
  if (!(date > -kLimit && date < kLimit)) return kNullDayNumber;
  const std::int64_t n = static_cast<std::int64_t>(date) + kAutomationEpochDay;
  if (n < INT32_MIN || n > INT32_MAX) return kNullDayNumber;
  return static_cast<DayNumber>(n);
}

constexpr double AutomationDateFromDayNumber(DayNumber n) {
  return static_cast<double>(n) - kAutomationEpochDay;
}

using common::CivilDate;

struct ClampedDayNumber {
  DayNumber day;
  bool clamped;  // the day of month exceeded the month and was cut to its last day
};

// Year/month/day to day number, through the calendar arithmetic of
// common/civil_date.h. A day beyond the end of its month is first cut to
// the month's last day and the caller is told: yearly holidays on
// 29 February are skipped in common years, while the ends of yearly ranges
// are simply clamped. Preconditions: month 1-12, day >= 1, |year| well below
// a million (yearly ranges reach far back when they cross many year ends).
constexpr ClampedDayNumber DayNumberFromCivil(std::int64_t year, int month, int day) {
  const int length = DaysInMonth(year, month);
  const bool clamped = day > length;
  if (clamped) day = length;
  return {static_cast<DayNumber>(common::DaysFromCivil(year, month, day) + kCivilEpochDay), clamped};
}

namespace detail {
inline constexpr std::int64_t kFirstTabledYear = 100;   // the year of kFirstValidDay
inline constexpr std::int64_t kLastTabledYear = 10000;  // the year after the last valid day's
// 1 January of every year from kFirstTabledYear to kLastTabledYear, made when
// the library is built (39.6 KB of read-only data shared by every object).
extern const std::array<DayNumber, kLastTabledYear - kFirstTabledYear + 1> kYearStartDays;
}  // namespace detail

// 1 January of a year: a look-up for the years of the supported range and
// the next, worked out for any other. The month and year queries and the
// yearly definitions ask for it on every call, where the calendar
// arithmetic would cost as much as the rest of their work.
inline DayNumber YearStartDay(std::int64_t year) {
  if (year < detail::kFirstTabledYear || year > detail::kLastTabledYear) return DayNumberFromCivil(year, 1, 1).day;
  return detail::kYearStartDays[static_cast<std::size_t>(year - detail::kFirstTabledYear)];
}

// 1 March of a year, the day the yearly definitions count from (29 February
// is then the last day of the year before).
inline DayNumber MarchFirst(std::int64_t year) {
  if (year < detail::kFirstTabledYear || year > detail::kLastTabledYear) return DayNumberFromCivil(year, 3, 1).day;
  return YearStartDay(year) + (IsLeapYear(year) ? 60 : 59);
}

// 1 January of the year of a valid date and of the year after it. The
// estimate from the mean length of a year is never late and at most one
// year early in the range (the test of every day of the range sees it).
struct YearStarts {
  DayNumber first;
  DayNumber next;
};
inline YearStarts YearStartsOfValidDay(DayNumber date) {
  auto k = static_cast<std::size_t>((std::int64_t{date} - kFirstValidDay) * 400 / 146097);
  if (detail::kYearStartDays[k + 1] <= date) ++k;
  return {detail::kYearStartDays[k], detail::kYearStartDays[k + 1]};
}

// A month and day that recur every year (a yearly holiday, an end of a
// yearly range), found in any year with an addition.
//
// Counted from 1 March, the days before a month and day are the same in
// every year: February, the one month whose length changes, comes last (the
// March-based year of common/civil_date.h). So a month and day falls a fixed
// number of days after 1 March of the March-based year that holds it: of
// its own year, or of the year before for January and February. That number
// is taken from a leap year, where every month and day exists. Only
// 29 February is missing in other years: there the count lands on 1 March,
// and the day is cut back to 28 February, as DayNumberFromCivil cuts it.
class RecurringDay {
 public:
  RecurringDay() = default;  // 1 January
  // Month 1-12, day 1 to the month's length in a leap year.
  constexpr RecurringDay(int month, int day)
      : month_(month),
        day_(day),
        after_march_first_(static_cast<int>(common::DaysFromCivil(2000, month, day) -
                                            (month <= 2 ? kMarchFirst1999 : kMarchFirst2000))),
        february_29_(month == 2 && day == 29) {}

  int month() const { return month_; }
  int day() const { return day_; }

  // Worked out in 64 bits and cut to 32 at the end, as DayNumberFromCivil
  // does: years far beyond the supported range (a Matches asked about any
  // 32-bit day) give the same day numbers as there, never an overflow.
  ClampedDayNumber In(std::int64_t year) const {
    const std::int64_t n = std::int64_t{MarchFirst(month_ <= 2 ? year - 1 : year)} + after_march_first_;
    if (february_29_ && !IsLeapYear(year)) return {static_cast<DayNumber>(n - 1), true};
    return {static_cast<DayNumber>(n), false};
  }

 private:
  static constexpr std::int64_t kMarchFirst1999 = common::DaysFromCivil(1999, 3, 1);
  static constexpr std::int64_t kMarchFirst2000 = common::DaysFromCivil(2000, 3, 1);

  int month_ = 1, day_ = 1;
  int after_march_first_ = 306;  // 1 January
  bool february_29_ = false;
};

// Day number to year/month/day; defined for every 32-bit value.
constexpr CivilDate CivilFromDayNumber(DayNumber day_number) {
  return common::CivilFromDays(std::int64_t{day_number} - kCivilEpochDay);
}

// 1 = Sunday ... 7 = Saturday: the civil weekday (0 = Sunday) of the same
// day, counted from 1 as the interfaces count.
constexpr int Weekday(DayNumber n) {
  return common::WeekdayFromDays(std::int64_t{n} - kCivilEpochDay) + 1;
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
