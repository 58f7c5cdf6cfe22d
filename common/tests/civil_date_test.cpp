// Civil dates against a calendar that is only counted: one day after
// another from far before the year 0 to far beyond 9999, each next date
// worked out from the month lengths alone.

#include "common/civil_date.h"

#include <gtest/gtest.h>

namespace common {
namespace {

CivilDate NextDay(CivilDate d) {
  if (d.day < DaysInMonth(d.year, d.month)) return {d.year, d.month, d.day + 1};
  if (d.month < 12) return {d.year, d.month + 1, 1};
  return {d.year + 1, 1, 1};
}

TEST(CivilDate, EveryDayFollowsTheDayBeforeAndRoundTrips) {
  // -2000-01-01 to 12000-12-31 and a little more: both eras around the year
  // 0, the whole range of the programs' dates and far past it.
  constexpr std::int64_t kFirst = -1450000;
  constexpr std::int64_t kLast = 3700000;
  CivilDate expected = CivilFromDays(kFirst);
  int weekday = WeekdayFromDays(kFirst);
  for (std::int64_t n = kFirst; n <= kLast; ++n) {
    const CivilDate got = CivilFromDays(n);
    ASSERT_EQ(got, expected) << "day " << n;
    ASSERT_EQ(DaysFromCivil(got.year, got.month, got.day), n) << "day " << n;
    ASSERT_EQ(WeekdayFromDays(n), weekday) << "day " << n;
    expected = NextDay(expected);
    weekday = (weekday + 1) % 7;
  }
}

// Floor division on both sides of 0, and the weekdays the sweep above
// starts from.
TEST(CivilDate, FloorDivisionAndWeekdays) {
  struct Case {
    std::int64_t a, b, quotient, remainder;
  } const cases[] = {
      {13, 7, 1, 6}, {-13, 7, -2, 1}, {-7, 7, -1, 0}, {-1, 7, -1, 6}, {0, 7, 0, 0},
      {13, -7, -2, -1}, {-13, -7, 1, -6}, {-1461, 1460, -2, 1459},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FloorDiv(c.a, c.b), c.quotient) << c.a << " / " << c.b;
    EXPECT_EQ(FloorMod(c.a, c.b), c.remainder) << c.a << " % " << c.b;
  }
  EXPECT_EQ(WeekdayFromDays(0), 4);                            // 1970-01-01, a Thursday
  EXPECT_EQ(WeekdayFromDays(DaysFromCivil(2026, 5, 3)), 0);    // a Sunday
  EXPECT_EQ(WeekdayFromDays(DaysFromCivil(1899, 12, 30)), 6);  // automation date 0, a Saturday
  EXPECT_EQ(WeekdayFromDays(DaysFromCivil(-1, 12, 31)), 5);    // a Friday, the day before 0000-01-01
}

TEST(CivilDate, KnownDays) {
  struct Case {
    std::int64_t days;
    CivilDate date;
  } const cases[] = {
      {0, {1970, 1, 1}},        {-25569, {1899, 12, 30}},  // automation date 0
      {10957, {2000, 1, 1}},    {11016, {2000, 2, 29}},    // a leap day of a year divisible by 400
      {-719468, {0, 3, 1}},     {-719469, {0, 2, 29}},     // the year 0 is a leap year
      {-682638, {101, 1, 1}},   {2932896, {9999, 12, 31}},
      {-719834, {-1, 3, 1}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CivilFromDays(c.days), c.date) << c.days;
    EXPECT_EQ(DaysFromCivil(c.date.year, c.date.month, c.date.day), c.days) << c.days;
  }
  static_assert(DaysFromCivil(2024, 4, 1) == 19814);
  static_assert(CivilFromDays(19814) == CivilDate{2024, 4, 1});
}

TEST(CivilDate, LeapYears) {
  EXPECT_TRUE(IsLeapYear(2024));
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_TRUE(IsLeapYear(0));
  EXPECT_TRUE(IsLeapYear(-4));
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_FALSE(IsLeapYear(2023));
  EXPECT_FALSE(IsLeapYear(-1));
  EXPECT_FALSE(IsLeapYear(-100));
}

TEST(CivilDate, ExtremeCountsStayExact) {
  for (std::int64_t n : {std::int64_t{-100000000000}, std::int64_t{100000000000}, std::int64_t{2147483647},
                         std::int64_t{-2147483647} - 1}) {
    const CivilDate d = CivilFromDays(n);
    EXPECT_EQ(DaysFromCivil(d.year, d.month, d.day), n) << n;
  }
}

}  // namespace
}  // namespace common
