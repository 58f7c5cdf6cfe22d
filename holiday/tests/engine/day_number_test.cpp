#include "engine/day_number.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "tests/engine/test_calendar.h"

namespace dovrel::engine {
namespace {

using testing::IndependentMonthLength;

struct KnownDay {
  int y, m, d;
  DayNumber n;
  int weekday;
};

TEST(DayNumbers, KnownDaysAndTheirWeekdays) {
  const KnownDay cases[] = {
      {2000, 1, 1, 2451545, 7},  // a Saturday
      {1899, 12, 30, 2415019, 7},  // automation date 0, a Saturday
      {100, 1, 1, 1757585, 6},   // first supported day, a Friday
      {9999, 12, 31, 5373484, 6},  // last supported day, a Friday
      {2024, 1, 1, 2460311, 2},  // a Monday
      {1970, 1, 1, 2440588, 5},  // a Thursday
  };
  for (const KnownDay& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.y << "-" << c.m << "-" << c.d);
    const ClampedDayNumber n = DayNumberFromCivil(c.y, c.m, c.d);
    EXPECT_EQ(n.day, c.n);
    EXPECT_FALSE(n.clamped);
    EXPECT_EQ(CivilFromDayNumber(c.n), (CivilDate{c.y, c.m, c.d}));
    EXPECT_EQ(Weekday(c.n), c.weekday);
  }
}

TEST(DayNumbers, ValidIntervalIsExactlyYear100ToYear9999) {
  EXPECT_TRUE(IsValidDayNumber(kFirstValidDay));
  EXPECT_TRUE(IsValidDayNumber(kLastValidDay));
  EXPECT_FALSE(IsValidDayNumber(1757584));
  EXPECT_FALSE(IsValidDayNumber(5373485));
  EXPECT_FALSE(IsValidDayNumber(kNullDayNumber));
  EXPECT_EQ(kNullDayNumber, kLastValidDay + 1000);
  // A step of a day from "no date" is still no date.
  EXPECT_FALSE(IsValidDayNumber(kNullDayNumber - 1));
  EXPECT_FALSE(IsValidDayNumber(kNullDayNumber + 1));
}

struct ClampCase {
  int y, m, d;
  int expected_day;
  bool clamped;
};

TEST(DayNumbers, DaysBeyondTheMonthAreClampedAndReported) {
  const ClampCase cases[] = {
      {2024, 2, 30, 29, true},  {2023, 2, 29, 28, true}, {1900, 2, 29, 28, true},
      {2000, 2, 29, 29, false}, {2024, 4, 31, 30, true}, {2024, 12, 31, 31, false},
      {2023, 2, 28, 28, false}, {2100, 2, 29, 28, true}, {2400, 2, 29, 29, false},
  };
  for (const ClampCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.y << "-" << c.m << "-" << c.d);
    const ClampedDayNumber n = DayNumberFromCivil(c.y, c.m, c.d);
    EXPECT_EQ(n.clamped, c.clamped);
    EXPECT_EQ(n.day, testing::Day(c.y, c.m, c.expected_day));
  }
}

TEST(DayNumbers, AutomationDatesTruncateTowardZero) {
  const struct {
    double date;
    DayNumber n;
  } cases[] = {
      {0.0, 2415019},   {0.75, 2415019},  {-0.75, 2415019}, {-1.0, 2415018}, {-1.5, 2415018},
      {1.5, 2415020},   {36526.0, 2451545},                 // 2000-01-01
      {-657434.0, 1757585},                                 // 0100-01-01
      {2958465.999, 5373484},                               // 9999-12-31 23:59
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.date);
    EXPECT_EQ(DayNumberFromAutomationDate(c.date), c.n);
  }
  EXPECT_EQ(AutomationDateFromDayNumber(2451545), 36526.0);
  EXPECT_EQ(AutomationDateFromDayNumber(2415018), -1.0);
  // Just past either end of the supported range: a day number, but not a valid one.
  EXPECT_FALSE(IsValidDayNumber(DayNumberFromAutomationDate(2958466.0)));
  EXPECT_FALSE(IsValidDayNumber(DayNumberFromAutomationDate(-657435.0)));
}

TEST(DayNumbers, DoublesWithoutADayNumberGiveNoDate) {
  const double cases[] = {
      std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
      -std::numeric_limits<double>::infinity(), 1e300, -1e300, 3e9, -3e9, 2147483647.0,
      std::numeric_limits<double>::max(), -std::numeric_limits<double>::max()};
  for (double date : cases) {
    SCOPED_TRACE(date);
    EXPECT_EQ(DayNumberFromAutomationDate(date), kNullDayNumber);
  }
  // The largest values that still fit 32 bits keep their day number.
  EXPECT_EQ(DayNumberFromAutomationDate(2147483647.0 - kAutomationEpochDay), 2147483647);
  EXPECT_EQ(DayNumberFromAutomationDate(-2147483648.0 - kAutomationEpochDay), -2147483647 - 1);
}

// Both readings of an automation date against the day its whole part names
// (worked out in floating point here): every date of the supported range
// gives that day, every other is refused by the quick reading and is not a
// valid day for the general one, the time of day and the doubles next to
// both ends included.
TEST(DayNumbers, DatesNearTheEndsOfTheRangeReadAsTheirWholeDay) {
  const double first = -657434.0, last = 2958465.0;  // 0100-01-01, 9999-12-31
  std::vector<double> dates = {0.0, -0.75, -1.5, 36526.25, 1e300, -1e300, 4e9, -4e9,
                               std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                               -std::numeric_limits<double>::infinity()};
  for (const double edge : {first, first - 1, last, last + 1}) {
    for (const double fraction : {0.0, 0.5, 0.999999, -0.5}) dates.push_back(edge + fraction);
    dates.push_back(std::nextafter(edge, -1e9));
    dates.push_back(std::nextafter(edge, 1e9));
  }
  for (const double date : dates) {
    SCOPED_TRACE(date);
    const double whole = std::trunc(date) + kAutomationEpochDay;
    const bool valid = whole >= kFirstValidDay && whole <= kLastValidDay;  // false for NaN
    DayNumber quick = 0;
    EXPECT_EQ(ValidDayNumberFromAutomationDate(date, &quick), valid);
    EXPECT_EQ(IsValidDayNumber(DayNumberFromAutomationDate(date)), valid);
    if (valid) {
      EXPECT_EQ(quick, static_cast<DayNumber>(whole));
      EXPECT_EQ(DayNumberFromAutomationDate(date), static_cast<DayNumber>(whole));
    }
  }
}

// Every valid day, walked like an odometer from 0100-01-01 (with month
// lengths of the test's own): both conversions and the weekday must agree
// with it on every day, and converting there and back must give the same day.
TEST(DayNumbers, EverySupportedDayRoundTrips) {
  int y = 100, m = 1, d = 1;
  int weekday = 6;  // 0100-01-01 was a Friday
  for (DayNumber n = kFirstValidDay; n <= kLastValidDay; ++n) {
    const CivilDate c = CivilFromDayNumber(n);
    const ClampedDayNumber back = DayNumberFromCivil(y, m, d);
    if (c.year != y || c.month != m || c.day != d || back.day != n || back.clamped || Weekday(n) != weekday) {
      FAIL() << "day " << n << " expected " << y << "-" << m << "-" << d << " weekday " << weekday << ", got "
             << c.year << "-" << c.month << "-" << c.day << " back " << back.day << " weekday " << Weekday(n);
    }
    weekday = weekday % 7 + 1;
    if (++d > IndependentMonthLength(y, m)) {
      d = 1;
      if (++m > 12) {
        m = 1;
        ++y;
      }
    }
  }
  EXPECT_EQ(y, 10000);
}

// Yearly ranges reach years before 0 and after 9999; the conversions must
// stay exact there as well.
TEST(DayNumbers, ConversionsHoldFarOutsideTheSupportedRange) {
  for (std::int64_t n = -2000000; n <= 9000000; n += 997) {
    const CivilDate expected = testing::IndependentCivil(n);
    ASSERT_EQ(CivilFromDayNumber(static_cast<DayNumber>(n)), expected) << n;
    ASSERT_EQ(DayNumberFromCivil(expected.year, expected.month, expected.day).day, n) << n;
  }
  // And no undefined behaviour at the very ends of 32 bits.
  for (DayNumber n : {std::numeric_limits<DayNumber>::min(), std::numeric_limits<DayNumber>::max()}) {
    const CivilDate c = CivilFromDayNumber(n);
    EXPECT_EQ(DayNumberFromCivil(c.year, c.month, c.day).day, n);
    EXPECT_GE(Weekday(n), 1);
    EXPECT_LE(Weekday(n), 7);
  }
}

// A month and day found from 1 March is the day DayNumberFromCivil gives,
// clamping included, in every year of four centuries (every pattern of leap
// years) and in years far before 0 and after 9999, asked in any order.
TEST(RecurringDays, AreTheDaysOfTheCivilCalendarInEveryYear) {
  std::vector<std::int64_t> years;
  for (std::int64_t y = 1600; y < 2000; ++y) years.push_back(y);
  // Also the years of the ends of 32 bits, where day numbers wrap as
  // DayNumberFromCivil's do (the fuzzer found an overflow there).
  for (std::int64_t y : {-4801, -1, 0, 1, 99, 100, 9999, 10000, 15000, 5874898, 5874899, -5877640, -5877641}) {
    years.push_back(y);
  }
  for (int month = 1; month <= 12; ++month) {
    for (int day = 1; day <= IndependentMonthLength(2000, month); ++day) {
      const RecurringDay date(month, day);
      for (std::int64_t y : years) {
        const ClampedDayNumber expected = DayNumberFromCivil(y, month, day);
        const ClampedDayNumber found = date.In(y);
        ASSERT_EQ(found.day, expected.day) << y << "-" << month << "-" << day;
        ASSERT_EQ(found.clamped, expected.clamped) << y << "-" << month << "-" << day;
      }
    }
  }
}

TEST(DayNumbers, MonthAndYearBounds) {
  using testing::Day;
  EXPECT_EQ(FirstDayOfMonth(Day(2024, 2, 17)), Day(2024, 2, 1));
  EXPECT_EQ(LastDayOfMonth(Day(2024, 2, 17)), Day(2024, 2, 29));
  EXPECT_EQ(LastDayOfMonth(Day(2023, 2, 1)), Day(2023, 2, 28));
  EXPECT_EQ(FirstDayOfYear(Day(2024, 7, 4)), Day(2024, 1, 1));
  EXPECT_EQ(LastDayOfYear(Day(2024, 7, 4)), Day(2024, 12, 31));
  EXPECT_EQ(LastDayOfYear(kLastValidDay), kLastValidDay);
  EXPECT_EQ(FirstDayOfYear(kFirstValidDay), kFirstValidDay);
}

}  // namespace
}  // namespace dovrel::engine
