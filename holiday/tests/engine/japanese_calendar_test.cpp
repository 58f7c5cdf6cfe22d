// A Japanese-style company calendar for 2024: Sundays and the 2nd and 4th
// Saturdays off, national holidays with substitute holidays (a holiday on a
// Sunday moves to the Monday), the year-end break from 29 December to 3
// January, and a Saturday worked. The answers were worked out by hand from a
// printed calendar of 2024.
#include <gtest/gtest.h>

#include "engine/queries.h"
#include "tests/engine/test_calendar.h"

namespace dovrel::engine {
namespace {

using testing::Day;
using testing::ForcedHoliday;
using testing::ForcedWorkday;
using testing::Holiday;
using testing::Style;

CalendarRules JapaneseCompanyCalendar() {
  CalendarRules rules;
  rules.week_rests[kSunday - 1] = week_rest::kAllWeeks;                   // every Sunday, holidays move on
  rules.week_rests[kSaturday - 1] = week_rest::k2ndWeek | week_rest::k4thWeek;  // no moving off Saturdays
  // Style 1: national holidays, with dvOverrideNextDay. Fixed dates recur
  // yearly; the Monday holidays and this year's equinoxes are one-off.
  rules.styles.push_back(Style(true, {
      Holiday(Day(2000, 1, 1)),  Holiday(Day(2000, 2, 11)), Holiday(Day(2000, 2, 23)),
      Holiday(Day(2000, 4, 29)), Holiday(Day(2000, 5, 3)),  Holiday(Day(2000, 5, 4)),
      Holiday(Day(2000, 5, 5)),  Holiday(Day(2000, 8, 11)), Holiday(Day(2000, 11, 3)),
      Holiday(Day(2000, 11, 23)),
      ForcedHoliday(Day(2024, 3, 20)), ForcedHoliday(Day(2024, 9, 22)),   // equinoxes
      ForcedHoliday(Day(2024, 1, 8)),  ForcedHoliday(Day(2024, 7, 15)),   // Coming of Age, Marine Day
      ForcedHoliday(Day(2024, 9, 16)), ForcedHoliday(Day(2024, 10, 14)),  // Respect for the Aged, Sports Day
  }));
  // Style 2: the year-end break, 29 December to 3 January of the next year.
  rules.styles.push_back(Style(false, {Holiday(Day(2000, 12, 29), Day(2001, 1, 3))}));
  // Style 3: a stocktaking Saturday worked (the 4th Saturday of April).
  rules.styles.push_back(Style(false, {ForcedWorkday(Day(2024, 4, 27))}));
  rules.style_list = {0, 1, 2};
  return rules;
}

class JapaneseCalendar : public ::testing::Test {
 protected:
  const CalendarRules rules = JapaneseCompanyCalendar();
  const KeptClassification calendar{rules};
};

struct KindCase {
  DayNumber day;
  int value_type;
  const char* why;
};

TEST_F(JapaneseCalendar, KindsOfDay) {
  const KindCase cases[] = {
      {Day(2024, 1, 1), 1, "New Year's Day, a Monday"},
      {Day(2024, 1, 6), 0, "1st Saturday: a working day"},
      {Day(2024, 1, 8), 3, "Coming of Age Day, a forced holiday"},
      {Day(2024, 1, 13), 16, "2nd Saturday"},
      {Day(2024, 2, 11), 17, "National Foundation Day on a Sunday"},
      {Day(2024, 2, 12), 9, "its substitute holiday"},
      {Day(2024, 4, 27), 20, "4th Saturday worked"},
      {Day(2024, 5, 4), 1, "Greenery Day on a 1st Saturday"},
      {Day(2024, 5, 5), 17, "Children's Day on a Sunday"},
      {Day(2024, 5, 6), 9, "its substitute holiday"},
      {Day(2024, 9, 22), 19, "the equinox on a Sunday, forced"},
      {Day(2024, 9, 23), 11, "its substitute holiday"},
      {Day(2024, 11, 23), 17, "Labour Thanksgiving Day on a 4th Saturday: Saturdays do not move holidays"},
      {Day(2024, 11, 25), 0, "the Monday after"},
      {Day(2024, 12, 28), 16, "4th Saturday"},
      {Day(2024, 12, 29), 17, "year-end break on a Sunday: the break does not move"},
      {Day(2024, 12, 30), 1, "year-end break"},
      {Day(2025, 1, 3), 1, "year-end break ends"},
      {Day(2025, 1, 4), 0, "1st Saturday of 2025"},
      {Day(2025, 2, 24), 9, "2025: the Emperor's Birthday falls on a Sunday"},
      {Day(2025, 5, 5), 1, "2025: Greenery Day moves onto Children's Day, which marks itself afterwards"},
      {Day(2025, 5, 6), 0, "and so no holiday moves on to the Tuesday"},
  };
  for (const KindCase& c : cases) {
    EXPECT_EQ(ClassifyDay(rules, c.day) & cell_flag::kValueType, c.value_type) << c.why;
    EXPECT_EQ(ValueType(calendar, c.day), c.value_type) << c.why;
  }
}

TEST_F(JapaneseCalendar, TheStyleThatMarkedADay) {
  std::vector<DayCell> cells(3);
  ClassifyRange(CellRun{Day(2023, 12, 31), cells}, rules);
  EXPECT_EQ(cells[1].style, 2);  // New Year's Day: the year-end break is applied after the national holidays
  ClassifyRange(CellRun{Day(2024, 2, 11), cells}, rules);
  EXPECT_EQ(cells[0].style, 1);
  EXPECT_EQ(cells[1].style, 1);
  EXPECT_EQ(cells[2].style, 0);
}

TEST_F(JapaneseCalendar, CountsOf2024) {
  const DayNumber first = Day(2024, 1, 1), last = Day(2024, 12, 31);
  // 26 holidays, 7 of them on rest days; 52 Sundays and 24 Saturdays off;
  // one of those Saturdays worked.
  EXPECT_EQ(DaysInRange(calendar, first, last, DayCategory::Holiday).count, 26);
  EXPECT_EQ(DaysInRange(calendar, first, last, DayCategory::Weekend).count, 76);
  EXPECT_EQ(DaysInRange(calendar, first, last, DayCategory::Workday).count, 366 - (76 + 26 - 7) + 1);
  EXPECT_EQ(DaysInRange(calendar, last, first, DayCategory::Workday).count, 272);
  EXPECT_EQ(DatesInRange(calendar, first, last, DayCategory::WeekendOrHoliday).days.size(), 95u);
  EXPECT_EQ(DatesInRange(calendar, Day(2024, 5, 1), Day(2024, 5, 31), DayCategory::Holiday).days,
            (std::vector<DayNumber>{Day(2024, 5, 3), Day(2024, 5, 4), Day(2024, 5, 5), Day(2024, 5, 6)}));
}

TEST_F(JapaneseCalendar, NextAndPrevious) {
  EXPECT_EQ(NextDay(calendar, Day(2024, 2, 10), DayCategory::Holiday), Day(2024, 2, 11));
  EXPECT_EQ(NextDay(calendar, Day(2024, 2, 11), DayCategory::Holiday), Day(2024, 2, 12));
  EXPECT_EQ(NextDay(calendar, Day(2024, 2, 12), DayCategory::Holiday), Day(2024, 2, 23));
  EXPECT_EQ(PrevDay(calendar, Day(2024, 5, 7), DayCategory::Holiday), Day(2024, 5, 6));
  EXPECT_EQ(NextDay(calendar, Day(2024, 5, 2), DayCategory::Workday), Day(2024, 5, 7));
  EXPECT_EQ(NextDay(calendar, Day(2024, 1, 12), DayCategory::Weekend), Day(2024, 1, 13));
  EXPECT_EQ(NextDay(calendar, Day(2024, 1, 5), DayCategory::Weekend), Day(2024, 1, 7));
  EXPECT_EQ(PrevDay(calendar, Day(2024, 1, 4), DayCategory::Workday), Day(2023, 12, 28));
}

TEST_F(JapaneseCalendar, AdjustDate) {
  EXPECT_EQ(AdjustDate(calendar, Day(2024, 5, 3), AdjustDirection::NextWorkday), Day(2024, 5, 7));
  EXPECT_EQ(AdjustDate(calendar, Day(2024, 5, 6), AdjustDirection::PrevWorkday), Day(2024, 5, 2));
  EXPECT_EQ(AdjustDate(calendar, Day(2024, 4, 27), AdjustDirection::NextWorkday), Day(2024, 4, 27));
  // 30 December 2023 is a 5th Saturday, inside the break.
  EXPECT_EQ(AdjustDate(calendar, Day(2023, 12, 29), AdjustDirection::NextWorkday), Day(2024, 1, 4));
  EXPECT_EQ(AdjustDate(calendar, Day(2024, 1, 14), AdjustDirection::PrevWorkday), Day(2024, 1, 12));
}

TEST_F(JapaneseCalendar, DaysFromNow) {
  // 27 December 2024 is the last working day of the year; 4 January 2025 a 1st Saturday.
  EXPECT_EQ(DaysFromNow(calendar, Day(2024, 12, 27), 2, DayCategory::Workday), Day(2025, 1, 4));
  EXPECT_EQ(DaysFromNow(calendar, Day(2024, 5, 7), -2, DayCategory::Workday), Day(2024, 5, 2));
  EXPECT_EQ(DaysFromNow(calendar, Day(2024, 2, 9), 3, DayCategory::Holiday), Day(2024, 2, 23));
  EXPECT_EQ(DaysFromNow(calendar, Day(2024, 11, 22), 2, DayCategory::WeekendOrHoliday), Day(2024, 11, 24));
  // April 2024 has 24 working days: 30 less 4 Sundays, the 13th (2nd
  // Saturday) and Showa Day; the 6th and 20th are 1st and 3rd Saturdays and
  // the 27th is worked. The 20th of them is Wednesday the 24th.
  EXPECT_EQ(DaysFromNow(calendar, Day(2024, 4, 1), 20, DayCategory::Workday), Day(2024, 4, 24));
  EXPECT_EQ(DaysInRange(calendar, Day(2024, 4, 1), Day(2024, 4, 30), DayCategory::Workday).count, 24);
}

TEST_F(JapaneseCalendar, FirstAndLast) {
  EXPECT_EQ(FirstInMonth(calendar, Day(2024, 1, 15), DayCategory::Workday), Day(2024, 1, 4));
  EXPECT_EQ(LastInMonth(calendar, Day(2024, 12, 1), DayCategory::Workday), Day(2024, 12, 27));
  EXPECT_EQ(FirstInMonth(calendar, Day(2024, 11, 10), DayCategory::Holiday), Day(2024, 11, 3));
  EXPECT_EQ(LastInMonth(calendar, Day(2024, 11, 10), DayCategory::Holiday), Day(2024, 11, 23));
  EXPECT_EQ(FirstInYear(calendar, Day(2024, 6, 1), DayCategory::Holiday), Day(2024, 1, 1));
  EXPECT_EQ(LastInYear(calendar, Day(2024, 6, 1), DayCategory::Holiday), Day(2024, 12, 31));
  EXPECT_EQ(FirstInYear(calendar, Day(2024, 6, 1), DayCategory::Workday), Day(2024, 1, 4));
  EXPECT_EQ(LastInYear(calendar, Day(2024, 6, 1), DayCategory::Workday), Day(2024, 12, 27));
  EXPECT_EQ(FirstInYear(calendar, Day(2024, 6, 1), DayCategory::Weekend), Day(2024, 1, 7));
  EXPECT_EQ(FirstInWeek(calendar, Day(2024, 5, 8), DayCategory::Holiday, kMonday), Day(2024, 5, 6));
  EXPECT_EQ(LastInWeek(calendar, Day(2024, 5, 8), DayCategory::Holiday, kMonday), Day(2024, 5, 6));
  EXPECT_EQ(FirstInWeek(calendar, Day(2024, 5, 8), DayCategory::Weekend, kSunday), Day(2024, 5, 5));
  EXPECT_EQ(LastInWeek(calendar, Day(2024, 5, 8), DayCategory::Weekend, kSunday), Day(2024, 5, 11));
}

}  // namespace
}  // namespace dovrel::engine
