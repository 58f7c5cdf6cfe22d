// The classification of days: weekly rest rules, the marking of a style's
// definitions, the one-day move, precedence, and each definition's own
// match rule.
#include "engine/classification.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "engine/queries.h"
#include "tests/engine/test_calendar.h"

namespace dovrel::engine {
namespace {

using testing::AllInUse;
using testing::Day;
using testing::ForcedHoliday;
using testing::ForcedWorkday;
using testing::Holiday;
using testing::RestOn;
using testing::Style;
using namespace week_rest;

constexpr int kSun = 1, kMon = 2, kSat = 7;

// ValueType of a day under the rules: the flags without bit 32.
int ValueType(const CalendarRules& rules, DayNumber d) {
  return ClassifyDay(rules, d) & cell_flag::kValueType;
}

std::vector<DayCell> Classify(const CalendarRules& rules, DayNumber first, std::size_t count) {
  std::vector<DayCell> cells(count);
  ClassifyRange(CellRun{first, cells}, rules);
  return cells;
}

TEST(WeeklyRests, NoRulesAndNoStylesMakeEveryDayAnOrdinaryWorkingDay) {
  const CalendarRules rules;
  for (DayNumber d : {kFirstValidDay, Day(2024, 1, 6), Day(2024, 1, 7), Day(2000, 2, 29), kLastValidDay}) {
    EXPECT_EQ(ValueType(rules, d), 0);
    EXPECT_TRUE(IsWorkday(ClassifyDay(rules, d)));
  }
}

struct WeeklyCase {
  const char* name;
  int weekday;
  std::int16_t rule;
  int year, month;
  std::vector<int> rest_days;  // the days of that month that are rest days
};

TEST(WeeklyRests, OccurrencesOfAWeekdayInItsMonth) {
  const WeeklyCase cases[] = {
      {"2nd and 4th Saturdays, January 2024", kSat, k2ndWeek | k4thWeek, 2024, 1, {13, 27}},
      {"last Saturday, January 2024", kSat, kLastWeek, 2024, 1, {27}},
      {"last Saturday, March 2024", kSat, kLastWeek, 2024, 3, {30}},
      {"5th Saturday, March 2024", kSat, k5thWeek, 2024, 3, {30}},
      {"5th Saturday, January 2024 has none", kSat, k5thWeek, 2024, 1, {}},
      {"1st and last Monday, January 2024", kMon, k1stWeek | kLastWeek, 2024, 1, {1, 29}},
      {"4th and last Saturday coincide, February 2024", kSat, k4thWeek | kLastWeek, 2024, 2, {24}},
      {"every Sunday, March 2024", kSun, kAllWeeks, 2024, 3, {3, 10, 17, 24, 31}},
      {"every Sunday by the five week bits", kSun, 31, 2024, 3, {3, 10, 17, 24, 31}},
      {"bits above 64 mean nothing", kSun, 128 | 256, 2024, 3, {}},
      {"dvOverrideWeekday alone makes no rest day", kSun, kOverrideWeekday, 2024, 3, {}},
  };
  for (const WeeklyCase& c : cases) {
    SCOPED_TRACE(c.name);
    CalendarRules rules;
    rules.week_rests[c.weekday - 1] = c.rule;
    const DayNumber first = Day(c.year, c.month, 1);
    const int length = testing::IndependentMonthLength(c.year, c.month);
    const auto cells = Classify(rules, first, static_cast<std::size_t>(length));
    std::vector<int> rest;
    for (int day = 1; day <= length; ++day) {
      if (IsRestDay(cells[static_cast<std::size_t>(day - 1)].flags)) rest.push_back(day);
    }
    EXPECT_EQ(rest, c.rest_days);
  }
}

TEST(WeeklyRests, OnlyRulesWithOverrideWeekdayLetHolidaysMove) {
  for (const auto& [rule, flags] : {std::pair<std::int16_t, int>{kAllWeeks, 48}, {31 | 64, 48}, {31, 16},
                                    {kLastWeek | kOverrideWeekday, 48}}) {
    CalendarRules rules;
    rules.week_rests[kSun - 1] = rule;
    EXPECT_EQ(ClassifyDay(rules, Day(2024, 3, 31)), flags) << rule;
  }
}

// A run that starts in the middle of a month must see the month's
// occurrences, not the run's.
TEST(WeeklyRests, RunsStartingMidMonthCountOccurrencesInTheMonth) {
  CalendarRules rules;
  rules.week_rests[kSat - 1] = k2ndWeek | kLastWeek;
  const auto cells = Classify(rules, Day(2024, 1, 10), 50);  // 2024-01-10 .. 2024-02-28
  std::vector<DayNumber> rest;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (IsRestDay(cells[i].flags)) rest.push_back(Day(2024, 1, 10) + static_cast<DayNumber>(i));
  }
  EXPECT_EQ(rest, (std::vector<DayNumber>{Day(2024, 1, 13), Day(2024, 1, 27), Day(2024, 2, 10), Day(2024, 2, 24)}));
}

struct MoveCase {
  const char* name;
  std::int16_t sunday_rule;
  bool override_next_day;
  DayDefinition def;
  int sunday, monday;  // ValueType of 2024-03-31 (a Sunday) and 2024-04-01
};

TEST(OneDayMove, HolidaysOnRestDaysThatAdmitItMoveToTheNextDay) {
  const DayNumber sunday = Day(2024, 3, 31);
  const MoveCase cases[] = {
      {"holiday moves", kAllWeeks, true, Holiday(sunday), 17, 9},
      {"forced holiday moves", kAllWeeks, true, ForcedHoliday(sunday), 19, 11},
      {"style without dvOverrideNextDay", kAllWeeks, false, Holiday(sunday), 17, 0},
      {"rest rule without dvOverrideWeekday", 31, true, Holiday(sunday), 17, 0},
      {"forced working day never moves", kAllWeeks, true, ForcedWorkday(sunday), 20, 0},
      {"yearly holiday moves in the year it falls on a Sunday", kAllWeeks, true, Holiday(Day(1999, 3, 31)), 17, 9},
  };
  for (const MoveCase& c : cases) {
    SCOPED_TRACE(c.name);
    const CalendarRules rules = AllInUse(RestOn({{kSun, c.sunday_rule}}), {Style(c.override_next_day, {c.def})});
    EXPECT_EQ(ValueType(rules, sunday), c.sunday);
    EXPECT_EQ(ValueType(rules, sunday + 1), c.monday);
  }
}

TEST(OneDayMove, AMovedHolidayDoesNotMoveAgain) {
  // Saturday and Sunday both move holidays: a holiday on Saturday lands on
  // Sunday and stays there.
  const DayNumber saturday = Day(2024, 3, 30);
  const CalendarRules rules =
      AllInUse(RestOn({{kSat, kAllWeeks}, {kSun, kAllWeeks}}), {Style(true, {Holiday(saturday)})});
  EXPECT_EQ(ValueType(rules, saturday), 17);
  EXPECT_EQ(ValueType(rules, saturday + 1), 16 | 9);
  EXPECT_EQ(ValueType(rules, saturday + 2), 0);
}

TEST(OneDayMove, TheNextDaysOwnHolidayWinsOnlyWhenMarkedLater) {
  const DayNumber sunday = Day(2024, 3, 31), monday = sunday + 1;
  const WeekRests rests = RestOn({{kSun, kAllWeeks}});
  EXPECT_EQ(ValueType(AllInUse(rests, {Style(true, {Holiday(sunday), Holiday(monday)})}), monday), 1);
  EXPECT_EQ(ValueType(AllInUse(rests, {Style(true, {Holiday(monday), Holiday(sunday)})}), monday), 9);
}

TEST(OneDayMove, InsideAMultiDayHolidayTheNextDayKeepsItsOwnMarking) {
  // 2024-05-03 .. 05-06 as one forced-holiday range; the Sunday 05-05 moves
  // onto 05-06, which the range itself marks afterwards.
  const CalendarRules rules = AllInUse(RestOn({{kSun, kAllWeeks}}),
                                       {Style(true, {ForcedHoliday(Day(2024, 5, 3), Day(2024, 5, 6))})});
  EXPECT_EQ(ValueType(rules, Day(2024, 5, 5)), 19);
  EXPECT_EQ(ValueType(rules, Day(2024, 5, 6)), 3);
  EXPECT_EQ(ValueType(rules, Day(2024, 5, 7)), 0);
  // Only the range's last day moves on.
  const CalendarRules ends_on_sunday = AllInUse(
      RestOn({{kSun, kAllWeeks}}), {Style(true, {ForcedHoliday(Day(2024, 5, 3), Day(2024, 5, 5))})});
  EXPECT_EQ(ValueType(ends_on_sunday, Day(2024, 5, 6)), 11);
}

TEST(OneDayMove, NeedsTheNextDayInsideTheRun) {
  const DayNumber sunday = Day(2024, 3, 31);
  const CalendarRules rules = AllInUse(RestOn({{kSun, kAllWeeks}}), {Style(true, {Holiday(sunday)})});
  const auto ending_on_sunday = Classify(rules, sunday - 1, 2);
  EXPECT_EQ(ending_on_sunday[1].flags, 48 | 1);
  // And a run that starts on the Monday does not see the Sunday's holiday.
  EXPECT_EQ(Classify(rules, sunday + 1, 1)[0].flags, 0);
}

struct PrecedenceCase {
  const char* name;
  std::vector<HolidayStyleRules> styles;
  StyleList style_list;
  int value_type;
  std::int32_t style;
};

TEST(Precedence, TheLastMarkingOfADayWins) {
  const DayNumber d = Day(2024, 6, 12);  // a Wednesday
  const PrecedenceCase cases[] = {
      {"forced holiday, then ordinary holiday", {Style(false, {ForcedHoliday(d), Holiday(d)})}, {0}, 1, 1},
      {"holiday, then forced working day", {Style(false, {Holiday(d), ForcedWorkday(d)})}, {0}, 4, 1},
      {"forced working day, then holiday", {Style(false, {ForcedWorkday(d), Holiday(d)})}, {0}, 1, 1},
      {"style list order, not collection order",
       {Style(false, {Holiday(d)}), Style(false, {ForcedWorkday(d)})}, {1, 0}, 1, 1},
      {"later style in the list wins", {Style(false, {Holiday(d)}), Style(false, {ForcedWorkday(d)})}, {0, 1}, 4, 2},
      {"a style listed twice is applied twice",
       {Style(false, {ForcedHoliday(d)}), Style(false, {Holiday(d)})}, {0, 1, 0}, 3, 1},
      {"styles not in the list mark nothing", {Style(false, {Holiday(d)}), Style(false, {Holiday(d)})}, {}, 0, 0},
      {"a stale index is skipped", {Style(false, {Holiday(d)})}, {0, 5, -1}, 1, 1},
  };
  for (const PrecedenceCase& c : cases) {
    SCOPED_TRACE(c.name);
    const CalendarRules rules{{}, c.styles, c.style_list};
    const auto cells = Classify(rules, d, 1);
    EXPECT_EQ(cells[0].flags & cell_flag::kValueType, c.value_type);
    EXPECT_EQ(cells[0].style, c.style);
  }
}

TEST(Precedence, AForcedWorkingDayOnARestDayIsAWorkingDayAndStillARestDay) {
  const DayNumber saturday = Day(2024, 4, 27);
  const CalendarRules rules = AllInUse(RestOn({{kSat, k4thWeek}}), {Style(false, {ForcedWorkday(saturday)})});
  const std::uint16_t f = ClassifyDay(rules, saturday);
  EXPECT_EQ(f, 20);
  EXPECT_TRUE(IsWorkday(f));
  EXPECT_TRUE(IsRestDay(f));
  EXPECT_TRUE(IsRestDayOrHoliday(f));
  EXPECT_FALSE(IsHoliday(f));
}

// The days a definition marks, listed between two dates.
std::vector<DayNumber> MarkedDays(const DayDefinition& def, DayNumber first, DayNumber last) {
  std::vector<DayCell> cells(static_cast<std::size_t>(last - first + 1), DayCell{});
  MarkDefinition(CellRun{first, cells}, def, false, 1);
  std::vector<DayNumber> days;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (cells[i].flags != 0) days.push_back(first + static_cast<DayNumber>(i));
  }
  return days;
}

std::vector<DayNumber> Days(std::initializer_list<std::pair<DayNumber, DayNumber>> ranges) {
  std::vector<DayNumber> days;
  for (auto [lo, hi] : ranges) {
    for (DayNumber d = lo; d <= hi; ++d) days.push_back(d);
  }
  return days;
}

TEST(YearlyDefinitions, TwentyNinthOfFebruaryOnlyInLeapYears) {
  EXPECT_EQ(MarkedDays(Holiday(Day(2000, 2, 29)), Day(2021, 1, 1), Day(2028, 12, 31)),
            (std::vector<DayNumber>{Day(2024, 2, 29), Day(2028, 2, 29)}));
  EXPECT_EQ(MarkedDays(Holiday(Day(2000, 2, 29)), Day(2099, 1, 1), Day(2101, 12, 31)), std::vector<DayNumber>{});
}

TEST(YearlyDefinitions, RangeEndingOnTheTwentyNinthEndsOnTheTwentyEighthInCommonYears) {
  const DayDefinition def = Holiday(Day(2000, 2, 25), Day(2000, 2, 29));
  EXPECT_EQ(MarkedDays(def, Day(2023, 1, 1), Day(2024, 12, 31)),
            Days({{Day(2023, 2, 25), Day(2023, 2, 28)}, {Day(2024, 2, 25), Day(2024, 2, 29)}}));
}

TEST(YearlyDefinitions, RangeOverTheYearEnd) {
  const DayDefinition year_end = Holiday(Day(2000, 12, 29), Day(2001, 1, 3));
  EXPECT_EQ(MarkedDays(year_end, Day(2023, 6, 1), Day(2025, 6, 1)),
            Days({{Day(2023, 12, 29), Day(2024, 1, 3)}, {Day(2024, 12, 29), Day(2025, 1, 3)}}));
  // A run inside January sees the end of the occurrence that began in December.
  EXPECT_EQ(MarkedDays(year_end, Day(2024, 1, 2), Day(2024, 1, 10)), Days({{Day(2024, 1, 2), Day(2024, 1, 3)}}));
  // Given the other way round (Date2 a year before Date), the same days.
  const DayDefinition reversed = Holiday(Day(2001, 1, 3), Day(2000, 12, 29));
  EXPECT_EQ(MarkedDays(reversed, Day(2023, 6, 1), Day(2025, 6, 1)), MarkedDays(year_end, Day(2023, 6, 1), Day(2025, 6, 1)));
}

TEST(YearlyDefinitions, TheSameMonthAndDayPairInsideOneYearMarksTheDaysBetween) {
  const DayDefinition def = Holiday(Day(2000, 12, 29), Day(2000, 1, 3));
  EXPECT_EQ(MarkedDays(def, Day(2023, 12, 1), Day(2024, 1, 10)),
            Days({{Day(2023, 12, 1), Day(2023, 12, 29)}, {Day(2024, 1, 3), Day(2024, 1, 10)}}));
}

TEST(YearlyDefinitions, RangesOverTwoOrMoreYearEndsCoverEveryDay) {
  // Each occurrence lasts longer than a year, so they overlap.
  const DayDefinition def = Holiday(Day(2000, 12, 1), Day(2002, 1, 31));
  EXPECT_EQ(MarkedDays(def, Day(2024, 1, 1), Day(2026, 12, 31)), Days({{Day(2024, 1, 1), Day(2026, 12, 31)}}));
  EXPECT_TRUE(Matches(def, Day(2025, 6, 15)));
  // One year end only: June is free.
  EXPECT_FALSE(Matches(Holiday(Day(2000, 12, 1), Day(2001, 1, 31)), Day(2025, 6, 15)));
}

TEST(OneOffDefinitions, DateOrEveryDayBetweenTheEndsInEitherOrder) {
  EXPECT_EQ(MarkedDays(ForcedHoliday(Day(2030, 5, 5), Day(2030, 5, 3)), Day(2030, 1, 1), Day(2031, 12, 31)),
            Days({{Day(2030, 5, 3), Day(2030, 5, 5)}}));
  EXPECT_EQ(MarkedDays(ForcedWorkday(Day(2030, 5, 5)), Day(2029, 1, 1), Day(2031, 12, 31)),
            std::vector<DayNumber>{Day(2030, 5, 5)});
  // A range reaching past both ends of the run marks the run.
  EXPECT_EQ(MarkedDays(ForcedHoliday(kFirstValidDay, kLastValidDay), Day(2030, 5, 1), Day(2030, 5, 9)),
            Days({{Day(2030, 5, 1), Day(2030, 5, 9)}}));
}

TEST(Marking, UnknownTypesInvalidDatesAndEmptyRunsMarkNothing) {
  const DayDefinition odd{3, Day(2024, 1, 1), kNullDayNumber};
  EXPECT_TRUE(MarkedDays(odd, Day(2023, 12, 1), Day(2024, 2, 1)).empty());
  EXPECT_FALSE(Matches(odd, Day(2024, 1, 1)));
  for (const DayDefinition& no_date : {ForcedHoliday(kFirstValidDay - 1, Day(2024, 1, 5)), Holiday(kNullDayNumber),
                                       Holiday(INT32_MIN, Day(2024, 1, 5)), ForcedWorkday(0, Day(2024, 1, 5))}) {
    EXPECT_TRUE(MarkedDays(no_date, Day(2023, 12, 1), Day(2024, 2, 1)).empty());
    EXPECT_FALSE(Matches(no_date, Day(2024, 1, 1)));
  }
  MarkDefinition(CellRun{Day(2024, 1, 1), {}}, Holiday(Day(2024, 1, 1)), true, 1);  // must not touch anything
}

struct MatchCase {
  const char* name;
  DayDefinition def;
  DayNumber day;
  bool matches;
};

TEST(Matches, EachDefinitionDecidesForItself) {
  const DayDefinition year_end = Holiday(Day(2030, 12, 29), Day(2031, 1, 3));
  const MatchCase cases[] = {
      {"year-end range, 31 December", year_end, Day(2031, 12, 31), true},
      {"year-end range, 2 January", year_end, Day(2032, 1, 2), true},
      {"year-end range, 4 January", year_end, Day(2032, 1, 4), false},
      {"year-end range, 28 December", year_end, Day(2032, 12, 28), false},
      {"forced holiday with reversed ends", ForcedHoliday(Day(2030, 5, 5), Day(2030, 5, 3)), Day(2030, 5, 4), true},
      {"forced holiday is one-off", ForcedHoliday(Day(2030, 5, 5)), Day(2031, 5, 5), false},
      {"forced working day on its date", ForcedWorkday(Day(2030, 5, 5)), Day(2030, 5, 5), true},
      {"yearly holiday in an earlier year", Holiday(Day(2030, 5, 5)), Day(1900, 5, 5), true},
      {"yearly 29 February in a leap year", Holiday(Day(2000, 2, 29)), Day(2024, 2, 29), true},
      {"yearly 29 February is not 28 February", Holiday(Day(2000, 2, 29)), Day(2023, 2, 28), false},
      {"yearly range end clamped to 28 February", Holiday(Day(2000, 2, 20), Day(2000, 2, 29)), Day(2023, 2, 28), true},
      {"yearly range end clamped, 1 March", Holiday(Day(2000, 2, 20), Day(2000, 2, 29)), Day(2023, 3, 1), false},
      {"same-year pair in reverse marks between", Holiday(Day(2000, 12, 29), Day(2000, 1, 3)), Day(2020, 6, 1), true},
      {"same-year pair in reverse, 2 January", Holiday(Day(2000, 12, 29), Day(2000, 1, 3)), Day(2020, 1, 2), false},
      {"unset Date2 (no date)", {kTypeForcedHoliday, Day(2030, 5, 5), 1757584}, Day(2030, 5, 5), true},
      // A lookup may be asked about any 32-bit day; the years there are
      // millions, and nothing may overflow (the fuzzer found a range's
      // occurrence doing so).
      {"year-end range, last 32-bit day", year_end, INT32_MAX, false},
      {"year-end range, first 32-bit day", year_end, INT32_MIN, false},
  };
  for (const MatchCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Matches(c.def, c.day), c.matches);
  }
}

// ---------------------------------------------------------------------------
// The marking written literally, step by step, as the rule reads: one-off
// days in ascending order; yearly days from the run's year on, skipping
// clamped ones; yearly ranges year by year, in two series when they cross
// year ends; each marked day with the flag changes of its type, and the move
// to the next day judged on the day's flags before its marking.

void LiteralMark(CellRun run, std::int64_t d, std::int16_t type, bool override_next_day, std::int32_t style) {
  if (!run.contains(static_cast<DayNumber>(d))) return;
  DayCell& cell = run[static_cast<DayNumber>(d)];
  const std::uint16_t old = cell.flags;
  std::uint16_t f = old;
  if (type == 0) f = static_cast<std::uint16_t>((f & ~(2 | 4 | 8)) | 1);
  if (type == 1) f = static_cast<std::uint16_t>((f & ~(4 | 8)) | 1 | 2);
  if (type == 2) f = static_cast<std::uint16_t>((f & ~(1 | 2 | 8)) | 4);
  cell.flags = f;
  cell.style = style;
  if (type != 2 && override_next_day && (old & 16) && (old & 32) && run.contains(static_cast<DayNumber>(d + 1))) {
    DayCell& next = run[static_cast<DayNumber>(d + 1)];
    if (type == 0) next.flags = static_cast<std::uint16_t>((next.flags & ~(2 | 4)) | 1 | 8);
    if (type == 1) next.flags = static_cast<std::uint16_t>((next.flags & ~4) | 1 | 2 | 8);
    next.style = style;
  }
}

void LiteralMarkSpan(CellRun run, std::int64_t a, std::int64_t b, std::int16_t type, bool ov, std::int32_t style) {
  // Days outside the run are left alone, so only the part inside is walked.
  for (std::int64_t d = std::max<std::int64_t>(std::min(a, b), run.first - 1);
       d <= std::min<std::int64_t>(std::max(a, b), run.last()); ++d) {
    LiteralMark(run, d, type, ov, style);
  }
}

void LiteralApply(CellRun run, const DayDefinition& def, bool ov, std::int32_t style) {
  const std::int64_t end = std::int64_t(run.first) + std::int64_t(run.cells.size());
  const bool has_date2 = IsValidDayNumber(def.Date2);
  if (def.Type == 1 || def.Type == 2) {
    LiteralMarkSpan(run, def.Date, has_date2 ? def.Date2 : def.Date, def.Type, ov, style);
    return;
  }
  const std::int64_t Y = testing::IndependentCivil(run.first).year;
  const CivilDate c1 = testing::IndependentCivil(def.Date);
  if (!has_date2) {
    for (std::int64_t y = Y;; ++y) {
      const bool clamped = c1.day > testing::IndependentMonthLength(y, c1.month);
      const std::int64_t d = testing::ClampedDay(y, c1.month, c1.day);
      if (d >= end) break;
      if (!clamped) LiteralMark(run, d, 0, ov, style);
    }
    return;
  }
  const CivilDate c2 = testing::IndependentCivil(def.Date2);
  const std::int64_t span = std::int64_t(c2.year) - c1.year;
  auto series = [&](std::int64_t from_year) {
    for (std::int64_t y = from_year;; ++y) {
      const std::int64_t a = testing::ClampedDay(y, c1.month, c1.day);
      const std::int64_t b = testing::ClampedDay(y + span, c2.month, c2.day);
      if (std::min(a, b) >= end) break;
      LiteralMarkSpan(run, a, b, 0, ov, style);
    }
  };
  if (span == 0) {
    series(Y);
  } else {
    series(Y);
    series(Y - span);
  }
}

DayDefinition RandomDefinition(std::mt19937& rng) {
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const int year = pick(1990, 2010);
  const int month = pick(1, 12);
  const int day = pick(1, 10) == 1 ? 29 + pick(0, 2) : pick(1, 31);
  const DayNumber date = Day(year, month, std::min(day, testing::IndependentMonthLength(year, month)));
  DayDefinition def{static_cast<std::int16_t>(pick(0, 3) == 0 ? pick(1, 2) : 0), date, kNullDayNumber};
  switch (pick(0, 24) / 6) {
    case 0: break;  // no range end
    case 1: def.Date2 = date + pick(-40, 40); break;
    case 2: def.Date2 = date + pick(-800, 800); break;
    case 3: {
      const int y2 = year + pick(-3, 3), m2 = pick(1, 12);
      def.Date2 = Day(y2, m2, std::min(pick(1, 31), testing::IndependentMonthLength(y2, m2)));
      break;
    }
    default: def.Date2 = Day(pick(100, 9999), 2, 28 + pick(0, 1) * (pick(0, 1)));  // far apart
  }
  return def;
}

// The engine's marking (which skips occurrences and days it has already
// covered) must leave exactly the cells the literal marking leaves, also with
// rest days that move holidays and for runs of any length and position.
TEST(Marking, AgreesWithTheLiteralRuleOnRandomDefinitions) {
  std::mt19937 rng(20240401);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int round = 0; round < testing::RandomRounds(1000); ++round) {
    WeekRests rests{};
    rests[static_cast<std::size_t>(pick(0, 6))] = static_cast<std::int16_t>(pick(0, 1) ? -1 : pick(1, 127));
    rests[static_cast<std::size_t>(pick(0, 6))] = static_cast<std::int16_t>(pick(0, 127));
    const DayNumber first = Day(pick(1985, 2015), pick(1, 12), pick(1, 28));
    const std::size_t count = static_cast<std::size_t>(pick(1, 4) == 1 ? pick(1, 3) : pick(1, 900));
    std::vector<DayCell> mine(count, DayCell{0xFFFF, -7}), literal(count, DayCell{});
    ResetToWeekRests(CellRun{first, mine}, rests);
    for (std::size_t i = 0; i < count; ++i) literal[i].flags = testing::OracleWeekly(rests, first + DayNumber(i));
    const int definitions = pick(1, 4);
    for (int k = 0; k < definitions; ++k) {
      const DayDefinition def = RandomDefinition(rng);
      const bool ov = pick(0, 1) == 1;
      MarkDefinition(CellRun{first, mine}, def, ov, k + 1);
      LiteralApply(CellRun{first, literal}, def, ov, k + 1);
    }
    for (std::size_t i = 0; i < count; ++i) {
      ASSERT_EQ(mine[i].flags, literal[i].flags) << "round " << round << " day " << first + DayNumber(i);
      ASSERT_EQ(mine[i].style, literal[i].style) << "round " << round << " day " << first + DayNumber(i);
    }
  }
}

// The bit planes the main object keeps hold exactly the flags of the cells,
// for runs of any position and length, with rest rules for some weeks and
// for every week, moves, and several styles in any order.
TEST(Planes, HoldTheFlagsOfTheCells) {
  std::mt19937 rng(20240402);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int round = 0; round < testing::RandomRounds(400); ++round) {
    CalendarRules rules;
    for (auto& rule : rules.week_rests) rule = static_cast<std::int16_t>(pick(0, 2) == 0 ? pick(-1, 127) : 0);
    for (int s = pick(0, 3); s > 0; --s) {
      HolidayStyleRules style{pick(0, 1) == 1, {}};
      for (int k = pick(0, 5); k > 0; --k) style.days.push_back(RandomDefinition(rng));
      rules.styles.push_back(style);
      rules.style_list.push_back(pick(-1, 3));
    }
    const DayNumber first = Day(pick(1985, 2015), pick(1, 12), pick(1, 28));
    const std::size_t words = static_cast<std::size_t>(pick(1, 20));
    std::vector<std::uint64_t> planes(words * kPlaneCount, 0x5A5A5A5A5A5A5A5Aull);  // any state
    const PlaneRun run{first, words, planes.data()};
    PreparedRules prepared;
    prepared.Prepare(rules);
    ClassifyRange(run, prepared);
    std::vector<DayCell> cells(words * 64);
    ClassifyRange(CellRun{first, cells}, rules);
    for (std::size_t i = 0; i < cells.size(); ++i) {
      const auto bit = [&](Plane p) { return ((run.plane(p)[i / 64] >> (i % 64)) & 1) != 0; };
      const auto flags = static_cast<std::uint16_t>(
          KindFromPlanes(bit(kHolidayPlane), bit(kForcedPlane), bit(kMovedPlane)) |
          (bit(kRestPlane) ? cell_flag::kWeekend : 0) | (bit(kMovesHolidaysPlane) ? cell_flag::kMovesToNextDay : 0));
      ASSERT_EQ(flags, cells[i].flags) << "round " << round << " day " << first + DayNumber(i);
    }
  }
}

// Without moves, the days a definition marks are exactly the days it matches.
TEST(Matches, AgreesWithTheMarkingOnRandomDefinitions) {
  std::mt19937 rng(7);
  for (int round = 0; round < testing::RandomRounds(400); ++round) {
    const DayDefinition def = RandomDefinition(rng);
    const DayNumber first = Day(std::uniform_int_distribution<int>(1990, 2010)(rng), 1, 1);
    std::vector<DayCell> cells(800, DayCell{});
    MarkDefinition(CellRun{first, cells}, def, false, 1);
    for (std::size_t i = 0; i < cells.size(); ++i) {
      const DayNumber d = first + static_cast<DayNumber>(i);
      ASSERT_EQ(cells[i].flags != 0, Matches(def, d))
          << "round " << round << " type " << def.Type << " " << def.Date << ".." << def.Date2 << " day " << d;
      // The oracle tries every occurrence one by one: only for short spans.
      if (std::abs(def.Date2 - def.Date) < 2500 || !def.HasDate2()) {
        ASSERT_EQ(Matches(def, d), testing::OracleCovers(def, d)) << "round " << round;
      }
    }
  }
}

}  // namespace
}  // namespace dovrel::engine
