// What the main object asks of a style through IHLDYStyleApply: marking day
// cells with the style's Days (the engine's rule, fed the style's own
// fields, Override and number) and finding the Day that covers a date.
#include <random>

#include "engine/classification.h"
#include "tests/definitions/support.h"

namespace deftest {
namespace {

using dovrel::engine::CellRun;
using dovrel::engine::DayCell;
using dovrel::engine::DayDefinition;
using dovrel::engine::DayNumber;

class ApplyTest : public DefinitionsTest {};

ComPtr<IHLDYStyleApply> ApplyOf(IHLDYStyle* style) {
  ComPtr<IHLDYStyleApply> apply;
  EXPECT_EQ(style->QueryInterface(IID_IHLDYStyleApply, apply.ReceiveVoid()), S_OK);
  return apply;
}

ComPtr<IDays> DaysOf(IHLDYStyle* style) {
  ComPtr<IDays> days;
  EXPECT_EQ(style->get_Days(days.Receive()), S_OK);
  return days;
}

// Cells classified by the weekly rest rules, then marked by the style.
std::vector<DayCell> Classify(IHLDYStyle* style, DayNumber first, LONG count, const dovrel::engine::WeekRests& rests,
                              LONG styleNumber) {
  std::vector<DayCell> cells(static_cast<std::size_t>(count));
  dovrel::engine::ResetToWeekRests(CellRun{first, cells}, rests);
  EXPECT_EQ(ApplyOf(style)->ApplyToRange(cells.data(), first, count, styleNumber), S_OK);
  return cells;
}

int ValueType(const std::vector<DayCell>& cells, DayNumber first, DayNumber day) {
  return cells[static_cast<std::size_t>(day - first)].flags & dovrel::engine::cell_flag::kValueType;
}

TEST_F(ApplyTest, AHolidayOnASundayMovesToMondayWhenTheStyleSaysSo) {
  // 2024-02-11 is a Sunday; every Sunday is a rest day that lets holidays move.
  dovrel::engine::WeekRests sundays{};
  sundays[0] = dvAllWeeks;
  const DayNumber sunday = DayOf(2024, 2, 11);
  const DayNumber first = sunday - 3;
  const struct {
    const char* what;
    LONG type;
    LONG override_;
    dovrel::engine::WeekRests rests;
    int onSunday, onMonday;
  } cases[] = {
      {"holiday, moved", dvTypeHoliday, dvOverrideNextDay, sundays, 17, 9},
      {"forced holiday, moved", dvTypeForcedHoliday, dvOverrideNextDay, sundays, 19, 11},
      {"the style does not move holidays", dvTypeHoliday, dvOverrideNone, sundays, 17, 0},
      {"Sundays without dvOverrideWeekday", dvTypeHoliday, dvOverrideNextDay, {31}, 17, 0},
      {"a forced working day on a rest day", dvTypeForcedWorkday, dvOverrideNextDay, sundays, 20, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ComPtr<IHLDYStyle> style = NewStyle();
    ASSERT_EQ(style->put_Override(AsEnum<dvOverrideConst>(c.override_)), S_OK);
    const double date = dovrel::engine::AutomationDateFromDayNumber(sunday);
    AddDay(DaysOf(style.Get()).Get(), u"D", date, std::nullopt, c.type);
    const auto cells = Classify(style.Get(), first, 10, c.rests, 4);
    EXPECT_EQ(ValueType(cells, first, sunday), c.onSunday);
    EXPECT_EQ(ValueType(cells, first, sunday + 1), c.onMonday);
    EXPECT_EQ(cells[static_cast<std::size_t>(sunday - first)].style, 4) << "the style's number";
    EXPECT_EQ(cells[static_cast<std::size_t>(sunday + 1 - first)].style, c.onMonday ? 4 : 0);
  }
}

TEST_F(ApplyTest, LaterDaysOfTheStyleWinAndNothingOutsideTheRunIsTouched) {
  ComPtr<IHLDYStyle> style = NewStyle();
  ComPtr<IDays> days = DaysOf(style.Get());
  AddDay(days.Get(), u"Range", DateOf(2024, 12, 29), DateOf(2025, 1, 3), dvTypeHoliday);
  AddDay(days.Get(), u"Work", DateOf(2024, 12, 30), std::nullopt, dvTypeForcedWorkday);
  const DayNumber first = DayOf(2024, 12, 30);
  const auto cells = Classify(style.Get(), first, 3, {}, 1);
  EXPECT_EQ(ValueType(cells, first, first), 4) << "the forced working day comes later and wins";
  EXPECT_EQ(ValueType(cells, first, first + 1), 1);
  EXPECT_EQ(ValueType(cells, first, first + 2), 1);

  EXPECT_EQ(ApplyOf(style.Get())->ApplyToRange(nullptr, first, 0, 1), S_OK) << "an empty run";
  EXPECT_EQ(ApplyOf(style.Get())->ApplyToRange(nullptr, first, 3, 1), E_POINTER);
}

// The style marks exactly what the engine's rule marks for the style's
// Days, for random styles: the wrapper hands over every Day's fields, in
// collection order, with the style's Override and number.
TEST_F(ApplyTest, TheMarkingIsTheEnginesRuleOverTheStylesDays) {
  std::mt19937 random(7);
  auto pick = [&](int lo, int hi) { return lo + static_cast<int>(random() % static_cast<unsigned>(hi - lo + 1)); };
  for (int round = 0; round < 60; ++round) {
    SCOPED_TRACE(round);
    ComPtr<IHLDYStyle> style = NewStyle();
    const bool moves = random() % 2;
    style->put_Override(moves ? dvOverrideNextDay : dvOverrideNone);
    ComPtr<IDays> days = DaysOf(style.Get());
    std::vector<DayDefinition> definitions;
    const int count = pick(1, 8);
    for (int i = 0; i < count; ++i) {
      const DayNumber date = DayOf(pick(2020, 2026), pick(1, 12), pick(1, 28));
      std::optional<double> date2;
      DayDefinition definition{static_cast<std::int16_t>(pick(0, 2)), date, dovrel::engine::kNullDayNumber};
      if (random() % 2) {
        definition.Date2 = date + pick(-400, 400);
        date2 = dovrel::engine::AutomationDateFromDayNumber(definition.Date2);
      }
      definitions.push_back(definition);
      AddDay(days.Get(), std::u16string(1, static_cast<char16_t>(u'a' + i)),
             dovrel::engine::AutomationDateFromDayNumber(date), date2, definition.Type);
    }
    dovrel::engine::WeekRests rests{};
    rests[0] = dvAllWeeks;
    rests[6] = static_cast<std::int16_t>(pick(0, 127));
    const DayNumber first = DayOf(2022, 1, 1) + pick(0, 700);
    const LONG length = pick(1, 900);
    const LONG number = pick(1, 9);

    const auto marked = Classify(style.Get(), first, length, rests, number);
    std::vector<DayCell> expected(static_cast<std::size_t>(length));
    const CellRun run{first, expected};
    dovrel::engine::ResetToWeekRests(run, rests);
    for (const DayDefinition& definition : definitions) dovrel::engine::MarkDefinition(run, definition, moves, number);
    for (LONG i = 0; i < length; ++i) {
      ASSERT_EQ(marked[i].flags, expected[i].flags) << "day " << i;
      ASSERT_EQ(marked[i].style, expected[i].style) << "day " << i;
    }
  }
}

TEST_F(ApplyTest, FindDayWalksTheDaysForwardOrBackward) {
  ComPtr<IHLDYStyle> style = NewStyle();
  ComPtr<IDays> days = DaysOf(style.Get());
  ComPtr<IDay> yearEnd = AddDay(days.Get(), u"YearEnd", DateOf(2031, 12, 29), DateOf(2032, 1, 3), dvTypeHoliday);
  ComPtr<IDay> golden = AddDay(days.Get(), u"Golden", DateOf(2030, 5, 5), DateOf(2030, 5, 3), dvTypeForcedHoliday);
  ComPtr<IDay> leap = AddDay(days.Get(), u"Leap", DateOf(2024, 2, 29), std::nullopt, dvTypeHoliday);
  ComPtr<IDay> newYear = AddDay(days.Get(), u"NewYear", DateOf(2000, 1, 2), std::nullopt, dvTypeHoliday);
  const struct {
    const char* what;
    DayNumber day;
    BOOL backward;
    IDay* found;
  } cases[] = {
      {"a year-end range, in December", DayOf(2031, 12, 31), FALSE, yearEnd.Get()},
      {"the same range, in January", DayOf(2032, 1, 2), FALSE, yearEnd.Get()},
      {"and every year", DayOf(2040, 12, 30), FALSE, yearEnd.Get()},
      {"the day after the range", DayOf(2032, 1, 4), FALSE, nullptr},
      {"ends given in reverse", DayOf(2030, 5, 4), FALSE, golden.Get()},
      {"a one-off range in another year", DayOf(2031, 5, 4), FALSE, nullptr},
      {"29 February in a leap year", DayOf(2028, 2, 29), FALSE, leap.Get()},
      {"not on the 28th of a common year", DayOf(2027, 2, 28), FALSE, nullptr},
      {"forward: the first Day that covers it", DayOf(2033, 1, 2), FALSE, yearEnd.Get()},
      {"backward: the last Day that covers it", DayOf(2033, 1, 2), TRUE, newYear.Get()},
  };
  ComPtr<IHLDYStyleApply> apply = ApplyOf(style.Get());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    BOOL found = 7;
    IDay* day = reinterpret_cast<IDay*>(&found);  // untouched when nothing matches
    EXPECT_EQ(apply->FindDay(c.day, &found, &day, c.backward), S_OK);
    EXPECT_EQ(found, c.found ? 1 : 0);
    if (c.found) {
      EXPECT_EQ(day, c.found);
      EXPECT_EQ(RefCount(day), 3u) << "a new reference for the caller";
      day->Release();
    } else {
      EXPECT_EQ(day, reinterpret_cast<IDay*>(&found));
    }
  }
}

TEST_F(ApplyTest, SetNotifyOfAStyleReachesItsDaysAndTheirMembers) {
  ComPtr<IHLDYStyle> style = NewStyle();
  ComPtr<IDays> days = DaysOf(style.Get());
  ComPtr<IDay> before = AddDay(days.Get(), u"Before", DateOf(2024, 1, 1));
  NotificationProbe probe;
  ASSERT_EQ(ApplyOf(style.Get())->SetNotify(probe.Window(), probe.Message()), S_OK);
  before->put_Type(dvTypeForcedHoliday);
  EXPECT_EQ(probe.TakeCount(), 1) << "a member that was there";
  ComPtr<IDay> after = AddDay(days.Get(), u"After", DateOf(2024, 1, 2));
  EXPECT_EQ(probe.TakeCount(), 1) << "the collection";
  after->put_Type(dvTypeForcedHoliday);
  EXPECT_EQ(probe.TakeCount(), 1) << "a member added later";
  style->put_Bold(VARIANT_TRUE);
  EXPECT_EQ(probe.TakeCount(), 1) << "the style itself";
}

}  // namespace
}  // namespace deftest
