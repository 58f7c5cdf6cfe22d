// The national holidays of japan/national_holidays.h against facts: the
// days the government published for 2020 to 2027, years worked out by hand
// from the law's rules where a rule begins, changes or meets another, and
// the equinox days where the equinox falls near midnight in Japan's time.
#include "japan/national_holidays.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>

namespace {

using dovrel60::japan::Holiday;
using dovrel60::japan::NationalHolidays;

// The holidays of a year as "MM-DD MM-DD ...".
std::string DaysOf(int year) {
  std::string text;
  for (const Holiday& h : NationalHolidays(year)) {
    char day[8];
    std::snprintf(day, sizeof day, "%s%02d-%02d", text.empty() ? "" : " ", h.month, h.day);
    text += day;
  }
  return text;
}

struct YearFacts {
  int year;
  const char* days;
};

TEST(JapaneseHolidays, TheDaysTheGovernmentPublished) {
  const YearFacts published[] = {
      {2020, "01-01 01-13 02-11 02-23 02-24 03-20 04-29 05-03 05-04 05-05 05-06 07-23 07-24 08-10 09-21 09-22 "
             "11-03 11-23"},
      {2021, "01-01 01-11 02-11 02-23 03-20 04-29 05-03 05-04 05-05 07-22 07-23 08-08 08-09 09-20 09-23 11-03 11-23"},
      {2022, "01-01 01-10 02-11 02-23 03-21 04-29 05-03 05-04 05-05 07-18 08-11 09-19 09-23 10-10 11-03 11-23"},
      {2023, "01-01 01-02 01-09 02-11 02-23 03-21 04-29 05-03 05-04 05-05 07-17 08-11 09-18 09-23 10-09 11-03 "
             "11-23"},
      {2024, "01-01 01-08 02-11 02-12 02-23 03-20 04-29 05-03 05-04 05-05 05-06 07-15 08-11 08-12 09-16 09-22 "
             "09-23 10-14 11-03 11-04 11-23"},
      {2025, "01-01 01-13 02-11 02-23 02-24 03-20 04-29 05-03 05-04 05-05 05-06 07-21 08-11 09-15 09-23 10-13 "
             "11-03 11-23 11-24"},
      {2026, "01-01 01-12 02-11 02-23 03-20 04-29 05-03 05-04 05-05 05-06 07-20 08-11 09-21 09-22 09-23 10-12 "
             "11-03 11-23"},
      {2027, "01-01 01-11 02-11 02-23 03-21 03-22 04-29 05-03 05-04 05-05 07-19 08-11 09-20 09-23 10-11 11-03 "
             "11-23"},
  };
  for (const YearFacts& facts : published) EXPECT_EQ(DaysOf(facts.year), facts.days) << facts.year;
}

TEST(JapaneseHolidays, YearsWorkedOutFromTheLaw) {
  const YearFacts workedOut[] = {
      // The law took effect on 07-20.
      {1948, "09-23 11-03 11-23"},
      // Substitute holidays from 04-12: not for 02-11, the first on 04-30.
      {1973, "01-01 01-15 02-11 03-21 04-29 04-30 05-03 05-05 09-15 09-23 09-24 10-10 11-03 11-23"},
      // The citizens' holiday only from 12-27: 05-04 stays a Saturday.
      {1985, "01-01 01-15 02-11 03-21 04-29 05-03 05-05 05-06 09-15 09-16 09-23 10-10 11-03 11-04 11-23"},
      // The first citizens' holiday, 05-04.
      {1988, "01-01 01-15 02-11 03-20 03-21 04-29 05-03 05-04 05-05 09-15 09-23 10-10 11-03 11-23"},
      // みどりの日 on 04-29, 天皇誕生日 on 12-23, the funeral on 02-24.
      {1989, "01-01 01-02 01-15 01-16 02-11 02-24 03-21 04-29 05-03 05-04 05-05 09-15 09-23 10-10 11-03 11-23 "
             "12-23"},
      // The law of 2007: 昭和の日 on 04-29, みどりの日 on 05-04.
      {2007, "01-01 01-08 02-11 02-12 03-21 04-29 04-30 05-03 05-04 05-05 07-16 09-17 09-23 09-24 10-08 11-03 "
             "11-23 12-23 12-24"},
      // The enthronement: 05-01 between two citizens' holidays, a chain to
      // 05-06, 10-22, no 天皇誕生日.
      {2019, "01-01 01-14 02-11 03-21 04-29 04-30 05-01 05-02 05-03 05-04 05-05 05-06 07-15 08-11 08-12 09-16 "
             "09-23 10-14 10-22 11-03 11-04 11-23"},
  };
  for (const YearFacts& facts : workedOut) EXPECT_EQ(DaysOf(facts.year), facts.days) << facts.year;
}

// The name of a day, or "" when it is no holiday.
std::u16string NameOf(int year, int month, int day) {
  for (const Holiday& h : NationalHolidays(year))
    if (h.month == month && h.day == day) return std::u16string(h.name);
  return u"";
}

TEST(JapaneseHolidays, NamesWhereTheLawChangedThem) {
  struct Case {
    int year, month, day;
    std::u16string_view name;
  } cases[] = {
      {1959, 4, 10, u"皇太子明仁親王の結婚の儀"},
      {1966, 2, 11, u""},
      {1966, 9, 15, u"敬老の日"},
      {1966, 10, 10, u"体育の日"},
      {1967, 2, 11, u"建国記念の日"},
      {1986, 5, 4, u""},  // a Sunday between two holidays, under the old law
      {1987, 5, 4, u"振替休日"},  // the Monday after 05-03, not a citizens' holiday
      {1988, 5, 4, u"国民の休日"},
      {1990, 11, 12, u"即位礼正殿の儀"},
      {1993, 6, 9, u"皇太子徳仁親王の結婚の儀"},
      {1996, 7, 20, u"海の日"},
      {2006, 4, 29, u"みどりの日"},
      {2007, 4, 29, u"昭和の日"},
      {2007, 5, 4, u"みどりの日"},
      {2016, 8, 11, u"山の日"},
      {2018, 12, 23, u"天皇誕生日"},
      {2019, 2, 23, u""},
      {2019, 5, 1, u"天皇の即位の日"},
      {2019, 5, 2, u"国民の休日"},
      {2019, 12, 23, u""},
      {2020, 2, 23, u"天皇誕生日"},
      {2020, 7, 24, u"スポーツの日"},
      {2021, 8, 9, u"振替休日"},
      {2022, 10, 10, u"スポーツの日"},
      {2026, 5, 6, u"振替休日"},
      {2026, 9, 22, u"国民の休日"},
  };
  for (const Case& c : cases)
    EXPECT_TRUE(NameOf(c.year, c.month, c.day) == c.name) << c.year << "-" << c.month << "-" << c.day;
}

// The equinox days where the astronomical equinox falls within half an hour
// of midnight in Japan's time (reckoned by the equinox series of Meeus's
// Astronomical Algorithms, chapter 27), where an approximation slips first.
TEST(JapaneseHolidays, EquinoxDaysNearMidnight) {
  struct Case {
    int year, month, day;
  } cases[] = {{1950, 9, 23}, {1956, 3, 21}, {1960, 3, 20}, {1979, 9, 24}, {1983, 9, 23}, {1989, 3, 21},
               {1993, 3, 20}, {2012, 9, 22}, {2026, 3, 20}, {2041, 9, 23}, {2045, 9, 22}, {2055, 3, 21},
               {2059, 3, 20}, {2074, 9, 23}, {2088, 3, 20}, {2092, 3, 19}};
  for (const Case& c : cases)
    EXPECT_TRUE(NameOf(c.year, c.month, c.day) == (c.month == 3 ? u"春分の日" : u"秋分の日"))
        << c.year << "-" << c.month << "-" << c.day;
}

TEST(JapaneseHolidays, NoneOutsideTheYearsOfTheTable) {
  EXPECT_TRUE(NationalHolidays(1947).empty());
  EXPECT_TRUE(NationalHolidays(2100).empty());
  EXPECT_EQ(NationalHolidays(1947, 1949).size(), NationalHolidays(1948).size() + NationalHolidays(1949).size());
}

}  // namespace
