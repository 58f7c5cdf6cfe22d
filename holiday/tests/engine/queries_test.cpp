// The queries over dates and ranges, at their edges: the ends of the
// supported range, the early answers, the limits, and the boundaries of the
// blocks the kept classification is made of.
#include "engine/queries.h"

#include <gtest/gtest.h>

#include <random>

#include "tests/engine/test_calendar.h"

namespace dovrel::engine {
namespace {

using testing::AllInUse;
using testing::Day;
using testing::ForcedWorkday;
using testing::Holiday;
using testing::RestOn;
using testing::Style;

constexpr int kSun = 1, kMon = 2, kSat = 7;
constexpr DayCategory kAllCategories[] = {DayCategory::Holiday, DayCategory::Workday, DayCategory::Weekend,
                                          DayCategory::WeekendOrHoliday, DayCategory::AnyDay};
const DayNumber k0099_12_31 = kFirstValidDay - 1;

// Weekends off (Sunday holidays move to Monday), and one yearly holiday.
CalendarRules WeekendsAndNewYear() {
  return AllInUse(RestOn({{kSat, -1}, {kSun, -1}}), {Style(true, {Holiday(Day(2000, 1, 1))})});
}

TEST(NextAndPrevDay, NothingBeyondTheEndsOfTheRange) {
  const CalendarRules rules = WeekendsAndNewYear();
  const KeptClassification calendar(rules);
  for (DayCategory c : kAllCategories) {
    EXPECT_EQ(NextDay(calendar, kLastValidDay, c), std::nullopt);
    EXPECT_EQ(PrevDay(calendar, kFirstValidDay, c), std::nullopt);
    EXPECT_EQ(NextDay(calendar, kNullDayNumber, c), std::nullopt);
    EXPECT_EQ(PrevDay(calendar, kNullDayNumber, c), std::nullopt);
  }
  // The start, not the date, has to be valid.
  EXPECT_EQ(NextDay(calendar, k0099_12_31, DayCategory::AnyDay), kFirstValidDay);
  EXPECT_EQ(PrevDay(calendar, kLastValidDay + 1, DayCategory::AnyDay), kLastValidDay);
  // No overflow at the ends of 32 bits.
  EXPECT_EQ(NextDay(calendar, INT32_MAX, DayCategory::AnyDay), std::nullopt);
  EXPECT_EQ(PrevDay(calendar, INT32_MIN, DayCategory::AnyDay), std::nullopt);
}

TEST(NextAndPrevDay, AnyDayIsTheNeighbour) {
  const CalendarRules rules = WeekendsAndNewYear();
  const KeptClassification calendar(rules);
  EXPECT_EQ(NextDay(calendar, Day(2024, 2, 28), DayCategory::AnyDay), Day(2024, 2, 29));
  EXPECT_EQ(PrevDay(calendar, Day(2024, 3, 1), DayCategory::AnyDay), Day(2024, 2, 29));
}

TEST(NextAndPrevDay, CategoriesThatCanNeverMatchAnswerNothing) {
  const CalendarRules no_styles = AllInUse(RestOn({{kSun, -1}}), {});
  EXPECT_EQ(NextDay(KeptClassification(no_styles), Day(2024, 1, 1), DayCategory::Holiday), std::nullopt);
  EXPECT_EQ(PrevDay(KeptClassification(no_styles), Day(2024, 1, 1), DayCategory::Holiday), std::nullopt);
  const CalendarRules no_rests = AllInUse({}, {Style(false, {Holiday(Day(2000, 1, 1))})});
  EXPECT_EQ(NextDay(KeptClassification(no_rests), Day(2024, 1, 1), DayCategory::Weekend), std::nullopt);
  // A style in use that defines nothing is walked through to the end.
  const CalendarRules empty_style = AllInUse({}, {Style(false, {})});
  EXPECT_EQ(NextDay(KeptClassification(empty_style), Day(2024, 1, 1), DayCategory::Holiday), std::nullopt);
}

TEST(NextAndPrevDay, FindAHolidayMovedFromTheDatesRestDay) {
  const CalendarRules rules = WeekendsAndNewYear();
  const KeptClassification calendar(rules);
  const DayNumber sunday = Day(2023, 1, 1);
  EXPECT_EQ(NextDay(calendar, sunday, DayCategory::Holiday), sunday + 1);
  EXPECT_EQ(NextDay(calendar, sunday, DayCategory::Workday), sunday + 2);
  EXPECT_EQ(PrevDay(calendar, sunday + 3, DayCategory::Holiday), sunday + 1);
  EXPECT_EQ(NextDay(calendar, sunday - 2, DayCategory::Weekend), sunday - 1);
}

TEST(NextAndPrevDay, FindHolidaysYearsAway) {
  const CalendarRules rules = AllInUse({}, {Style(false, {testing::ForcedHoliday(Day(2500, 6, 1))})});
  const KeptClassification calendar(rules);
  EXPECT_EQ(NextDay(calendar, Day(100, 1, 1), DayCategory::Holiday), Day(2500, 6, 1));
  EXPECT_EQ(PrevDay(calendar, Day(9999, 12, 31), DayCategory::Holiday), Day(2500, 6, 1));
  EXPECT_EQ(NextDay(calendar, Day(2500, 6, 1), DayCategory::Holiday), std::nullopt);
}

TEST(AdjustDate, StepsOverDaysThatAreNotWorkingDays) {
  const CalendarRules rules = WeekendsAndNewYear();
  const KeptClassification calendar(rules);
  const DayNumber saturday = Day(2024, 3, 2);
  EXPECT_EQ(AdjustDate(calendar, saturday, AdjustDirection::NextWorkday), saturday + 2);
  EXPECT_EQ(AdjustDate(calendar, saturday, AdjustDirection::PrevWorkday), saturday - 1);
  EXPECT_EQ(AdjustDate(calendar, saturday + 3, AdjustDirection::NextWorkday), saturday + 3);
  // 2023-01-01 is a Sunday: the holiday moves to Monday the 2nd.
  EXPECT_EQ(AdjustDate(calendar, Day(2022, 12, 31), AdjustDirection::NextWorkday), Day(2023, 1, 3));
  EXPECT_EQ(AdjustDate(calendar, Day(2023, 1, 2), AdjustDirection::PrevWorkday), Day(2022, 12, 30));
  EXPECT_EQ(AdjustDate(calendar, kNullDayNumber, AdjustDirection::NextWorkday), std::nullopt);
  // 9999-12-31 is a Friday and 0100-01-01 too: make them rest days to step out of the range.
  const CalendarRules fridays = AllInUse(RestOn({{6, -1}}), {});
  const KeptClassification fridays_off(fridays);
  EXPECT_EQ(AdjustDate(fridays_off, kLastValidDay, AdjustDirection::NextWorkday), std::nullopt);
  EXPECT_EQ(AdjustDate(fridays_off, kFirstValidDay, AdjustDirection::PrevWorkday), std::nullopt);
  EXPECT_EQ(AdjustDate(fridays_off, kLastValidDay, AdjustDirection::PrevWorkday), kLastValidDay - 1);
}

TEST(AdjustDate, NothingWhenEveryWeekdayIsARestDay) {
  const CalendarRules rules{{-1, -1, -1, -1, -1, -1, -1}, {}, {}};
  const KeptClassification calendar(rules);
  EXPECT_EQ(AdjustDate(calendar, Day(2024, 1, 1), AdjustDirection::NextWorkday), std::nullopt);
  EXPECT_EQ(AdjustDate(calendar, Day(2024, 1, 1), AdjustDirection::PrevWorkday), std::nullopt);
  // Unless a day is forced to be a working day.
  const CalendarRules forced{{-1, -1, -1, -1, -1, -1, -1}, {Style(false, {ForcedWorkday(Day(3000, 1, 1))})}, {0}};
  EXPECT_EQ(AdjustDate(KeptClassification(forced), Day(2024, 1, 1), AdjustDirection::NextWorkday), Day(3000, 1, 1));
}

TEST(DaysFromNow, CountsFromTheDateItself) {
  const CalendarRules rules = WeekendsAndNewYear();
  const KeptClassification calendar(rules);
  const DayNumber monday = Day(2024, 3, 4), new_year = Day(2024, 1, 1);
  for (DayCategory c : {DayCategory::Holiday, DayCategory::Workday, DayCategory::WeekendOrHoliday}) {
    EXPECT_EQ(DaysFromNow(calendar, new_year, 0, c), new_year);
  }
  EXPECT_EQ(DaysFromNow(calendar, new_year, 1, DayCategory::Holiday), new_year);
  EXPECT_EQ(DaysFromNow(calendar, monday, 1, DayCategory::Workday), monday);
  EXPECT_EQ(DaysFromNow(calendar, monday, 2, DayCategory::Workday), monday + 1);
  EXPECT_EQ(DaysFromNow(calendar, monday, 6, DayCategory::Workday), monday + 7);
  EXPECT_EQ(DaysFromNow(calendar, monday, -1, DayCategory::Workday), monday);
  EXPECT_EQ(DaysFromNow(calendar, monday, -2, DayCategory::Workday), monday - 3);
  EXPECT_EQ(DaysFromNow(calendar, monday, 1, DayCategory::WeekendOrHoliday), monday + 5);
  EXPECT_EQ(DaysFromNow(calendar, monday, 2, DayCategory::Holiday), Day(2026, 1, 1));
  EXPECT_EQ(DaysFromNow(calendar, kNullDayNumber, 1, DayCategory::Workday), std::nullopt);
}

TEST(DaysFromNow, MinusOneIsReadAsSixteenUnsignedBits) {
  // Every day a rest day: the n-th rest day from the date is n - 1 days away.
  const CalendarRules rules{{-1, -1, -1, -1, -1, -1, -1}, {}, {}};
  const KeptClassification calendar(rules);
  const DayNumber d = Day(2024, 1, 1);
  EXPECT_EQ(DaysFromNow(calendar, d, -32768, DayCategory::WeekendOrHoliday), d - 32767);
  EXPECT_EQ(DaysFromNow(calendar, d, 32767, DayCategory::WeekendOrHoliday), d + 32766);
  // Walking out of the range answers nothing.
  EXPECT_EQ(DaysFromNow(calendar, kLastValidDay - 5, 7, DayCategory::WeekendOrHoliday), std::nullopt);
  EXPECT_EQ(DaysFromNow(calendar, kLastValidDay - 5, 6, DayCategory::WeekendOrHoliday), kLastValidDay);
  EXPECT_EQ(DaysFromNow(calendar, kFirstValidDay + 5, -7, DayCategory::WeekendOrHoliday), std::nullopt);
}

TEST(DaysInRange, EndsInEitherOrderAndTheLimits) {
  const CalendarRules rules = WeekendsAndNewYear();
  const KeptClassification calendar(rules);
  const DayNumber a = Day(2024, 1, 1), b = Day(2024, 12, 31);
  const RangeCount forward = DaysInRange(calendar, a, b, DayCategory::Weekend);
  EXPECT_EQ(forward.status, RangeStatus::Answered);
  EXPECT_EQ(forward.count, 104);
  EXPECT_EQ(DaysInRange(calendar, b, a, DayCategory::Weekend).count, 104);
  EXPECT_EQ(DaysInRange(calendar, a, b, DayCategory::Workday).count, 366 - 104 - 1);
  EXPECT_EQ(DaysInRange(calendar, a, a, DayCategory::Holiday).count, 1);

  const RangeCount null_end = DaysInRange(calendar, a, kNullDayNumber, DayCategory::Holiday);
  EXPECT_EQ(null_end.status, RangeStatus::InvalidEnd);
  EXPECT_EQ(null_end.count, -1);
  EXPECT_EQ(DaysInRange(calendar, k0099_12_31, a, DayCategory::Holiday).count, -1);
  // An invalid end is reported before the length.
  EXPECT_EQ(DaysInRange(calendar, kFirstValidDay, kNullDayNumber, DayCategory::Holiday).status, RangeStatus::InvalidEnd);

  EXPECT_EQ(DaysInRange(calendar, a, a + 366000, DayCategory::Workday).status, RangeStatus::Answered);
  EXPECT_EQ(DaysInRange(calendar, a + 366001, a, DayCategory::Workday).status, RangeStatus::TooLong);
  EXPECT_EQ(DaysInRange(calendar, kFirstValidDay, kLastValidDay, DayCategory::Holiday).status, RangeStatus::TooLong);
}

TEST(DaysInRange, EarlyAnswersOfNought) {
  const CalendarRules no_styles = AllInUse(RestOn({{kSun, -1}}), {});
  EXPECT_EQ(DaysInRange(KeptClassification(no_styles), Day(2024, 1, 1), Day(2024, 12, 31), DayCategory::Holiday).count, 0);
  const CalendarRules no_rests = AllInUse({}, {Style(false, {Holiday(Day(2000, 1, 1))})});
  EXPECT_EQ(DaysInRange(KeptClassification(no_rests), Day(2024, 1, 1), Day(2024, 12, 31), DayCategory::Weekend).count, 0);
  EXPECT_EQ(DaysInRange(KeptClassification(no_rests), Day(2024, 1, 1), Day(2024, 12, 31), DayCategory::Workday).count, 365);
}

TEST(DaysInRange, SeesAHolidayMovedOntoTheFirstDay) {
  const CalendarRules rules = WeekendsAndNewYear();
  const KeptClassification calendar(rules);
  const DayNumber monday = Day(2023, 1, 2);
  EXPECT_EQ(DaysInRange(calendar, monday, monday, DayCategory::Holiday).count, 1);
  EXPECT_EQ(DaysInRange(calendar, monday, monday, DayCategory::Workday).count, 0);
}

TEST(DatesInRange, ListsEveryMatchingDayInAscendingOrder) {
  const CalendarRules rules = WeekendsAndNewYear();
  const KeptClassification calendar(rules);
  const RangeDates dates = DatesInRange(calendar, Day(2023, 1, 8), Day(2022, 12, 30), DayCategory::Holiday);
  EXPECT_EQ(dates.status, RangeStatus::Answered);
  EXPECT_EQ(dates.days, (std::vector<DayNumber>{Day(2023, 1, 1), Day(2023, 1, 2)}));
  EXPECT_EQ(DatesInRange(calendar, Day(2023, 1, 3), Day(2023, 1, 6), DayCategory::Weekend).days.size(), 0u);
  EXPECT_EQ(DatesInRange(calendar, kNullDayNumber, Day(2023, 1, 6), DayCategory::Weekend).status,
            RangeStatus::InvalidEnd);
  const RangeDates too_long = DatesInRange(calendar, Day(2023, 1, 1), Day(2023, 1, 1) + 366001, DayCategory::Workday);
  EXPECT_EQ(too_long.status, RangeStatus::TooLong);
  EXPECT_TRUE(too_long.days.empty());
}

TEST(DatesInRange, ReturnsAllDaysEvenBeyondSixteenBits) {
  const CalendarRules rules;
  const RangeDates dates = DatesInRange(KeptClassification(rules), Day(2000, 1, 1), Day(2000, 1, 1) + 366000,
                                        DayCategory::Workday);
  ASSERT_EQ(dates.days.size(), 366001u);
  EXPECT_EQ(dates.days.front(), Day(2000, 1, 1));
  EXPECT_EQ(dates.days.back(), Day(2000, 1, 1) + 366000);
}

TEST(FirstAndLast, InTheMonthAndTheYear) {
  const CalendarRules rules = AllInUse(RestOn({{kSat, -1}, {kSun, -1}}), {});
  const KeptClassification calendar(rules);
  EXPECT_EQ(LastInMonth(calendar, Day(2024, 2, 10), DayCategory::Workday), Day(2024, 2, 29));
  EXPECT_EQ(LastInMonth(calendar, Day(2023, 2, 10), DayCategory::Workday), Day(2023, 2, 28));
  EXPECT_EQ(FirstInMonth(calendar, Day(2024, 6, 30), DayCategory::Workday), Day(2024, 6, 3));
  EXPECT_EQ(FirstInMonth(calendar, Day(2024, 6, 30), DayCategory::Weekend), Day(2024, 6, 1));
  EXPECT_EQ(LastInMonth(calendar, Day(2024, 6, 1), DayCategory::Weekend), Day(2024, 6, 30));
  EXPECT_EQ(FirstInMonth(calendar, Day(2024, 6, 30), DayCategory::Holiday), std::nullopt);
  EXPECT_EQ(FirstInYear(calendar, Day(2022, 7, 1), DayCategory::Workday), Day(2022, 1, 3));
  EXPECT_EQ(LastInYear(calendar, Day(2022, 7, 1), DayCategory::Workday), Day(2022, 12, 30));
  EXPECT_EQ(LastInYear(calendar, kLastValidDay, DayCategory::Weekend), Day(9999, 12, 26));
  EXPECT_EQ(FirstInYear(calendar, kNullDayNumber, DayCategory::Workday), std::nullopt);
  EXPECT_EQ(LastInMonth(calendar, k0099_12_31, DayCategory::Workday), std::nullopt);
}

// With every day a working day, the first and last working days of a month
// or year are its own ends: the periods the queries look up, checked against
// the calendar conversion for every day of the range.
TEST(FirstAndLast, TheMonthAndYearOfEveryDayOfTheRange) {
  const KeptClassification calendar(AllInUse(RestOn({}), {}));
  for (DayNumber d = kFirstValidDay; d <= kLastValidDay; ++d) {
    ASSERT_EQ(FirstInMonth(calendar, d, DayCategory::Workday), FirstDayOfMonth(d)) << d;
    ASSERT_EQ(LastInMonth(calendar, d, DayCategory::Workday), LastDayOfMonth(d)) << d;
    ASSERT_EQ(FirstInYear(calendar, d, DayCategory::Workday), FirstDayOfYear(d)) << d;
    ASSERT_EQ(LastInYear(calendar, d, DayCategory::Workday), LastDayOfYear(d)) << d;
  }
}

TEST(FirstAndLast, TheWeekStartsOnStartOfWeek) {
  const CalendarRules rules = AllInUse(RestOn({{kSat, -1}, {kSun, -1}}), {});
  const KeptClassification calendar(rules);
  const DayNumber sunday = Day(2024, 3, 10);
  // With Monday first, a Sunday's week is the Monday six days before through that Sunday.
  EXPECT_EQ(WeekStart(sunday, kMon), sunday - 6);
  EXPECT_EQ(FirstInWeek(calendar, sunday, DayCategory::Workday, kMon), sunday - 6);
  EXPECT_EQ(LastInWeek(calendar, sunday, DayCategory::Weekend, kMon), sunday);
  EXPECT_EQ(FirstInWeek(calendar, sunday, DayCategory::Weekend, kMon), sunday - 1);
  // With Sunday first, it is that Sunday through the Saturday after.
  EXPECT_EQ(WeekStart(sunday, kSun), sunday);
  EXPECT_EQ(FirstInWeek(calendar, sunday, DayCategory::Weekend, kSun), sunday);
  EXPECT_EQ(LastInWeek(calendar, sunday, DayCategory::Workday, kSun), sunday + 5);
  for (int start = 1; start <= 7; ++start) {
    const DayNumber ws = WeekStart(sunday, start);
    EXPECT_EQ(Weekday(ws), start);
    EXPECT_LE(ws, sunday);
    EXPECT_GT(ws + 7, sunday);
  }
}

// 0100-01-01 and 9999-12-31 are Fridays: their weeks reach outside the
// supported range, and are cut to it.
TEST(FirstAndLast, WeeksAreCutToTheSupportedRange) {
  const CalendarRules rules;
  const KeptClassification calendar(rules);
  EXPECT_EQ(FirstInWeek(calendar, kFirstValidDay, DayCategory::Workday, kSun), kFirstValidDay);
  EXPECT_EQ(FirstInWeek(calendar, kFirstValidDay, DayCategory::Workday, kSat), kFirstValidDay);
  EXPECT_EQ(LastInWeek(calendar, kFirstValidDay, DayCategory::Workday, kSat), kFirstValidDay);
  EXPECT_EQ(LastInWeek(calendar, kLastValidDay, DayCategory::Workday, kSun), kLastValidDay);
  EXPECT_EQ(FirstInWeek(calendar, kLastValidDay, DayCategory::Workday, kSat), kLastValidDay - 6);
  // The Saturday of the week is 0099-12-26 or 10000-01-01: not in the range, so not an answer.
  const CalendarRules saturdays = AllInUse(RestOn({{kSat, -1}}), {});
  const KeptClassification saturdays_off(saturdays);
  EXPECT_EQ(FirstInWeek(saturdays_off, kFirstValidDay, DayCategory::Weekend, kSat), std::nullopt);
  EXPECT_EQ(FirstInWeek(saturdays_off, kFirstValidDay, DayCategory::Weekend, kSun), kFirstValidDay + 1);
  EXPECT_EQ(LastInWeek(saturdays_off, kLastValidDay, DayCategory::Weekend, kSun), std::nullopt);
  EXPECT_EQ(LastInWeek(saturdays_off, kLastValidDay, DayCategory::Weekend, kSat), kLastValidDay - 6);
}

TEST(FirstAndLast, StartOfWeekFromTheLocalesFirstDay) {
  // The locale numbers the first day of the week 0 = Monday ... 6 = Sunday.
  const int expected[] = {kMon, 3, 4, 5, 6, kSat, kSun};
  for (int digit = 0; digit < 7; ++digit) EXPECT_EQ(StartOfWeekFromLocaleDigit(digit), expected[digit]) << digit;
}

TEST(FindNth, NeverLooksOutsideTheSupportedRange) {
  const CalendarRules rules;
  const KeptClassification calendar(rules);
  const FindNthResult first = FindNth(calendar, INT32_MIN, kFirstValidDay + 5, DayCategory::Workday, +1, 1);
  EXPECT_EQ(first.missing, 0);
  EXPECT_EQ(first.day, kFirstValidDay);
  const FindNthResult last = FindNth(calendar, kLastValidDay - 5, INT32_MAX, DayCategory::Workday, -1, 1);
  EXPECT_EQ(last.missing, 0);
  EXPECT_EQ(last.day, kLastValidDay);
  EXPECT_EQ(FindNth(calendar, kNullDayNumber, kNullDayNumber + 9, DayCategory::Workday, +1, 1).missing, 1);
}

TEST(FindNth, ClassifiesTheDayBeforeTheRange) {
  const CalendarRules rules = WeekendsAndNewYear();
  const KeptClassification calendar(rules);
  const DayNumber monday = Day(2023, 1, 2);
  const FindNthResult found = FindNth(calendar, monday, monday + 10, DayCategory::Holiday, +1, 1);
  EXPECT_EQ(found.missing, 0);
  EXPECT_EQ(found.day, monday);
  EXPECT_EQ(FindNth(calendar, monday + 1, monday + 10, DayCategory::Holiday, +1, 1).missing, 1);
  EXPECT_EQ(FindNth(calendar, monday + 1, monday, DayCategory::Workday, +1, 3).missing, 3);  // empty range
  const FindNthResult second_back = FindNth(calendar, monday, monday + 10, DayCategory::Weekend, -1, 2);
  EXPECT_EQ(second_back.missing, 0);
  EXPECT_EQ(second_back.day, monday + 5);
  EXPECT_EQ(FindNth(calendar, monday, monday + 10, DayCategory::Weekend, -1, 3).missing, 1);
}

// ---------------------------------------------------------------------------
// Block boundaries. The kept classification is made of blocks of 256 days
// from 0100-01-01, each classified when a query first touches it, together
// with the days before it.

constexpr DayNumber kBlockDays = static_cast<DayNumber>(KeptClassification::kBlockDays);

// The first day of the first block that starts on the weekday on or after d.
DayNumber BlockStartOn(int weekday, DayNumber d) {
  DayNumber start = kFirstValidDay + (d - kFirstValidDay + kBlockDays - 1) / kBlockDays * kBlockDays;
  while (Weekday(start) != weekday) start += kBlockDays;
  return start;
}

TEST(BlockBoundaries, AHolidayMovedOntoTheFirstDayOfABlock) {
  // Weekends off; a holiday on the Sunday that ends a block moves to the
  // Monday that begins the next one.
  const DayNumber monday = BlockStartOn(kMon, Day(2023, 1, 1));
  const DayNumber sunday = monday - 1;
  const CalendarRules rules =
      AllInUse(RestOn({{kSat, -1}, {kSun, -1}}), {Style(true, {testing::ForcedHoliday(sunday)})});
  // Asked first, the Monday's block is classified on its own.
  EXPECT_EQ(ValueType(KeptClassification(rules), monday), 11);
  const KeptClassification calendar(rules);
  EXPECT_EQ(PrevDay(calendar, monday + 30, DayCategory::Holiday), monday);
  EXPECT_EQ(NextDay(calendar, sunday - 300, DayCategory::Holiday), sunday);
  // The working day after as many working days as the Sunday's block holds
  // from its start is the Tuesday: the Monday is not one.
  const DayNumber block = sunday - kBlockDays + 1;
  const std::int32_t in_block = DaysInRange(calendar, block, sunday, DayCategory::Workday).count;
  EXPECT_EQ(DaysFromNow(calendar, block, static_cast<std::int16_t>(in_block + 1), DayCategory::Workday), monday + 1);
  EXPECT_EQ(DaysFromNow(calendar, block, 2, DayCategory::Holiday), monday);
  EXPECT_EQ(DaysFromNow(calendar, monday + kBlockDays, -1, DayCategory::Holiday), monday);
  EXPECT_EQ(DaysFromNow(calendar, monday + kBlockDays, -2, DayCategory::Holiday), sunday);
  EXPECT_EQ(AdjustDate(calendar, monday, AdjustDirection::NextWorkday), monday + 1);
  EXPECT_EQ(DaysInRange(calendar, sunday, monday, DayCategory::Holiday).count, 2);
}

TEST(BlockBoundaries, ACountReachingItsTargetOnABoundaryDay) {
  // Every day is a rest day, so the n-th one is n - 1 days from the start.
  const CalendarRules rules{{-1, -1, -1, -1, -1, -1, -1}, {}, {}};
  const KeptClassification calendar(rules);
  const DayNumber d = BlockStartOn(kMon, Day(2024, 1, 1));
  const auto n = [](int days) { return static_cast<std::int16_t>(days); };
  EXPECT_EQ(DaysFromNow(calendar, d, n(kBlockDays), DayCategory::WeekendOrHoliday), d + kBlockDays - 1);
  EXPECT_EQ(DaysFromNow(calendar, d, n(kBlockDays + 1), DayCategory::WeekendOrHoliday), d + kBlockDays);
  EXPECT_EQ(DaysFromNow(calendar, d, n(3 * kBlockDays), DayCategory::WeekendOrHoliday), d + 3 * kBlockDays - 1);
  EXPECT_EQ(DaysFromNow(calendar, d - 1, n(-kBlockDays), DayCategory::WeekendOrHoliday), d - kBlockDays);
  EXPECT_EQ(DaysFromNow(calendar, d - 1, n(-kBlockDays - 1), DayCategory::WeekendOrHoliday), d - kBlockDays - 1);
  EXPECT_EQ(DaysFromNow(calendar, d, -32768, DayCategory::Weekend), d - 32767);
  // The last day of the range reached exactly, in the block that reaches
  // past it.
  const DayNumber near_end = kLastValidDay - 365;
  EXPECT_EQ(DaysFromNow(calendar, near_end, 366, DayCategory::WeekendOrHoliday), kLastValidDay);
  EXPECT_EQ(DaysFromNow(calendar, near_end, 367, DayCategory::WeekendOrHoliday), std::nullopt);
  EXPECT_EQ(DaysInRange(calendar, kLastValidDay - kLongestRange, kLastValidDay, DayCategory::Weekend).count,
            kLongestRange + 1);
}

// What is kept is what a fresh classification gives, whatever the order in
// which queries touched the blocks and however the blocks were classified
// together: one calendar answers a random sequence of queries, each answer
// compared with a new calendar's, and every day of a window across several
// blocks with the day classified afresh.
TEST(BlockBoundaries, KeptDaysAreWhatAFreshClassificationGives) {
  const DayNumber base = Day(2023, 1, 1);
  const CalendarRules rules = AllInUse(
      RestOn({{kSat, 2 | 8}, {kSun, -1}, {kMon, 32 | 64}}),
      {Style(true, {Holiday(Day(2000, 1, 1)), Holiday(Day(2000, 12, 29), Day(2001, 1, 3)),
                    testing::ForcedHoliday(base + 40, base + 44), ForcedWorkday(base + 50)}),
       Style(false, {Holiday(Day(2000, 5, 3), Day(2000, 5, 5))})});
  const KeptClassification kept(rules);
  std::mt19937 rng(99);
  const auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int round = 0; round < testing::RandomRounds(400); ++round) {
    const DayNumber from = base + pick(-2000, 2000);
    const auto n = static_cast<std::int16_t>(pick(-300, 300));
    const DayCategory c = kAllCategories[pick(0, 3)];
    const KeptClassification fresh(rules);
    switch (pick(0, 3)) {
      case 0: ASSERT_EQ(DaysFromNow(kept, from, n, c), DaysFromNow(fresh, from, n, c)) << from << " n " << n; break;
      case 1: ASSERT_EQ(DaysInRange(kept, from, from + n, c).count, DaysInRange(fresh, from, from + n, c).count); break;
      case 2: ASSERT_EQ(DatesInRange(kept, from, from + n, c).days, DatesInRange(fresh, from, from + n, c).days); break;
      default: ASSERT_EQ(ValueType(kept, from), ValueType(fresh, from)) << from;
    }
  }
  for (DayNumber d = base - 3 * kBlockDays; d <= base + 3 * kBlockDays; ++d) {
    ASSERT_EQ(ValueType(kept, d), ClassifyDay(rules, d) & cell_flag::kValueType) << d;
  }
}

TEST(KeptClassification, NewRulesDropWhatWasKept) {
  const DayNumber d = Day(2024, 1, 1);  // a Monday
  KeptClassification calendar(AllInUse(RestOn({{kMon, -1}}), {}));
  EXPECT_EQ(ValueType(calendar, d), 16);
  calendar.Reset(AllInUse(RestOn({{kSun, -1}}), {Style(false, {Holiday(d)})}));
  EXPECT_EQ(ValueType(calendar, d), 1);
  EXPECT_EQ(PrevDay(calendar, d + 1, DayCategory::Weekend), d - 1);
}

// Kept for the whole supported range, the classification stays within the
// pages of its blocks: under 2 MB.
TEST(KeptClassification, MemoryForTheWholeRangeIsBounded) {
  const KeptClassification calendar(AllInUse(RestOn({{kSun, -1}}), {Style(true, {Holiday(Day(2000, 1, 1))})}));
  const std::size_t empty = calendar.MemoryBytes();
  EXPECT_EQ(DaysInRange(calendar, Day(2024, 1, 1), Day(2024, 12, 31), DayCategory::Holiday).count, 1);
  const std::size_t one_page = calendar.MemoryBytes();
  EXPECT_LT(one_page - empty, 16u * 1024);
  std::int64_t sundays = 0;
  for (DayNumber lo = kFirstValidDay; lo <= kLastValidDay; lo += kLongestRange + 1) {
    sundays += DaysInRange(calendar, lo, std::min(lo + kLongestRange, kLastValidDay), DayCategory::Weekend).count;
  }
  EXPECT_EQ(sundays, (kLastValidDay - kFirstValidDay - 2) / 7 + 1);  // Friday to Friday: the first is the 3rd day
  EXPECT_LT(calendar.MemoryBytes(), 2u * 1024 * 1024);
  EXPECT_GT(calendar.MemoryBytes(), 1u * 1024 * 1024);
}

}  // namespace
}  // namespace dovrel::engine
