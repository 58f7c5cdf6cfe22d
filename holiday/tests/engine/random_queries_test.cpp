// Every query against a brute-force oracle that classifies one day at a
// time straight from the definitions (test_calendar.h), over random weekly
// rules, styles, style lists and dates. Seeds are fixed, so a failure
// reproduces; the scenario number is in the message.
#include <gtest/gtest.h>

#include <random>

#include "engine/queries.h"
#include "tests/engine/test_calendar.h"

namespace dovrel::engine {
namespace {

using testing::Day;
using testing::Oracle;

class Random {
 public:
  explicit Random(std::uint32_t seed) : rng_(seed) {}
  int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  bool OneIn(int n) { return Int(1, n) == 1; }

 private:
  std::mt19937 rng_;
};

std::int16_t RandomRestRule(Random& r) {
  static constexpr std::int16_t kRules[] = {-1, 31, 31 | 64, 2 | 8, 32, 32 | 64, 1 | 4 | 16, 2 | 64, 16 | 32};
  switch (r.Int(0, 9)) {
    case 0: case 1: case 2: case 3: case 4: return 0;
    case 5: case 6: case 7: return kRules[r.Int(0, 8)];
    case 8: return static_cast<std::int16_t>(r.Int(0, 127));
    default: return static_cast<std::int16_t>(r.Int(-32768, 32767));
  }
}

DayNumber RandomDayNear(Random& r, int from_year, int to_year) {
  const int y = r.Int(from_year, to_year), m = r.Int(1, 12);
  const int length = testing::IndependentMonthLength(y, m);
  return Day(y, m, r.OneIn(4) ? length - r.Int(0, 2) : r.Int(1, length));  // month ends often
}

DayDefinition RandomDefinition(Random& r) {
  DayDefinition def{static_cast<std::int16_t>(r.OneIn(3) ? r.Int(1, 2) : 0), RandomDayNear(r, 1996, 2004),
                    kNullDayNumber};
  if (r.OneIn(8)) def.Date = Day(2000, 2, 29);
  switch (r.Int(0, 5)) {
    case 0: case 1: break;
    case 2: def.Date2 = def.Date + r.Int(-20, 20); break;
    case 3: def.Date2 = def.Date + r.Int(-400, 400); break;
    case 4: {
      // Mostly across one year end at most: a yearly range across two or
      // more covers every day of every year.
      const int year = testing::IndependentCivil(def.Date).year;
      def.Date2 = r.OneIn(10) ? RandomDayNear(r, 1996, 2004) : RandomDayNear(r, year - 1, year + 1);
      break;
    }
    default: def.Date2 = r.OneIn(2) ? kNullDayNumber + r.Int(-2, 2) : kFirstValidDay - r.Int(1, 3);  // not set
  }
  return def;
}

// Mostly calendars in which every category occurs every year or so: a
// category that never occurs sends the engine's walks to the end of the
// range, which is slow and is covered by the edge-case tests. One calendar
// in eight is left entirely to chance.
CalendarRules RandomRules(Random& r) {
  CalendarRules rules;
  for (auto& rule : rules.week_rests) rule = RandomRestRule(r);
  const bool by_chance = r.OneIn(8);
  if (!by_chance) rules.week_rests[static_cast<std::size_t>(r.Int(0, 6))] = r.OneIn(2) ? -1 : 2 | 8 | 64;
  const int styles = by_chance ? r.Int(0, 4) : r.Int(1, 4);
  for (int s = 0; s < styles; ++s) {
    HolidayStyleRules style{r.OneIn(2), {}};
    const int days = r.Int(by_chance ? 0 : 1, 6);
    for (int k = 0; k < days; ++k) style.days.push_back(RandomDefinition(r));
    // A yearly holiday makes sure the style marks something every year.
    if (!by_chance && s == 0) style.days.push_back({kTypeHoliday, RandomDayNear(r, 1996, 2004), kNullDayNumber});
    rules.styles.push_back(style);
  }
  if (styles > 0 && (!by_chance || !r.OneIn(4))) {
    if (!by_chance) rules.style_list.push_back(0);
    const int entries = r.Int(by_chance ? 1 : 0, 3);
    for (int k = 0; k < entries; ++k) rules.style_list.push_back(r.Int(0, styles - 1));
  }
  return rules;
}

// Oracle walks give up after this many days (the answer is then "unknown"
// and the comparison skipped), so that a category that never matches does
// not make the oracle walk eight thousand years.
constexpr int kOracleReach = 2500;

struct OracleAnswer {
  bool known;
  DayAnswer answer;
};

OracleAnswer OracleWalk(Oracle& o, std::int64_t from, int step, DayCategory c, int n) {
  for (std::int64_t d = from, walked = 0; d >= kFirstValidDay && d <= kLastValidDay; d += step, ++walked) {
    if (walked > kOracleReach) return {false, std::nullopt};
    if (o.Is(d, c) && --n == 0) return {true, static_cast<DayNumber>(d)};
  }
  return {true, std::nullopt};
}

OracleAnswer OracleNext(Oracle& o, DayNumber date, DayCategory c, int step) {
  const std::int64_t start = std::int64_t(date) + step;
  if (start < kFirstValidDay || start > kLastValidDay) return {true, std::nullopt};
  return OracleWalk(o, start, step, c, 1);
}

OracleAnswer OracleAdjust(Oracle& o, DayNumber date, int step) {
  if (!IsValidDayNumber(date)) return {true, std::nullopt};
  return OracleWalk(o, date, step, DayCategory::Workday, 1);
}

OracleAnswer OracleDaysFromNow(Oracle& o, DayNumber date, int days, DayCategory c) {
  if (!IsValidDayNumber(date)) return {true, std::nullopt};
  if (days == 0) return {true, date};
  return OracleWalk(o, date, days > 0 ? 1 : -1, c, days > 0 ? days : -days);
}

std::vector<DayNumber> OracleDates(Oracle& o, DayNumber lo, DayNumber hi, DayCategory c) {
  std::vector<DayNumber> days;
  for (DayNumber d = std::max(lo, kFirstValidDay); d <= std::min(hi, kLastValidDay); ++d) {
    if (o.Is(d, c)) days.push_back(d);
  }
  return days;
}

DayAnswer FirstOf(const std::vector<DayNumber>& days) { return days.empty() ? DayAnswer() : days.front(); }
DayAnswer LastOf(const std::vector<DayNumber>& days) { return days.empty() ? DayAnswer() : days.back(); }

constexpr DayCategory kNav[] = {DayCategory::Holiday, DayCategory::Workday, DayCategory::Weekend,
                                DayCategory::AnyDay};
constexpr DayCategory kDateType[] = {DayCategory::Holiday, DayCategory::Workday, DayCategory::Weekend};
constexpr DayCategory kDateTypeEx[] = {DayCategory::Holiday, DayCategory::Workday, DayCategory::WeekendOrHoliday};

class Comparison {
 public:
  int compared = 0;
  int skipped = 0;

  // The engine is asked only where the oracle knows the answer: its walks
  // to the end of the range are the slow part, and proven elsewhere.
  template <class Query>
  void Expect(const OracleAnswer& oracle, Query engine, const std::string& what) {
    if (!oracle.known) {
      ++skipped;
      return;
    }
    ++compared;
    EXPECT_EQ(engine(), oracle.answer) << what;
  }
};

TEST(RandomisedComparison, EveryQueryAgreesWithTheDayByDayOracle) {
  Random r(0x00d0e160);
  Comparison cmp;
  for (int scenario = 0; scenario < testing::RandomRounds(300); ++scenario) {
    const CalendarRules rules = RandomRules(r);
    const KeptClassification calendar(rules);
    Oracle oracle(rules);
    for (int probe = 0; probe < 6; ++probe) {
      DayNumber date = RandomDayNear(r, 1997, 2003);
      if (probe == 4) date = kFirstValidDay + r.Int(-2, 300);
      if (probe == 5) date = kLastValidDay - r.Int(-2, 300);
      const std::string at = "scenario " + std::to_string(scenario) + " date " + std::to_string(date);
      SCOPED_TRACE(at);

      if (IsValidDayNumber(date)) {
        const testing::OracleCell cell = testing::OracleClassify(rules, date);
        ASSERT_EQ(ClassifyDay(rules, date), cell.flags);
        ASSERT_EQ(ValueType(calendar, date), cell.flags & cell_flag::kValueType);
        std::vector<DayCell> cells(2);
        ClassifyRange(CellRun{date - 1, cells}, rules);
        ASSERT_EQ(cells[1].style, cell.style);
      }
      for (DayCategory c : kNav) {
        cmp.Expect(OracleNext(oracle, date, c, +1), [&] { return NextDay(calendar, date, c); }, "NextDay");
        cmp.Expect(OracleNext(oracle, date, c, -1), [&] { return PrevDay(calendar, date, c); }, "PrevDay");
      }
      cmp.Expect(OracleAdjust(oracle, date, +1), [&] { return AdjustDate(calendar, date, AdjustDirection::NextWorkday); },
                 "Adjust+");
      cmp.Expect(OracleAdjust(oracle, date, -1), [&] { return AdjustDate(calendar, date, AdjustDirection::PrevWorkday); },
                 "Adjust-");
      for (DayCategory c : kDateTypeEx) {
        const int days = r.OneIn(10) ? 0 : r.Int(-45, 45);
        cmp.Expect(OracleDaysFromNow(oracle, date, days, c),
                   [&] { return DaysFromNow(calendar, date, static_cast<std::int16_t>(days), c); },
                   "DaysFromNow " + std::to_string(days));
      }
      const DayNumber other = date + r.Int(-1200, 1200);
      for (DayCategory c : kDateType) {
        const RangeCount count = DaysInRange(calendar, date, other, c);
        const RangeDates dates = DatesInRange(calendar, other, date, c);
        if (!IsValidDayNumber(date) || !IsValidDayNumber(other)) {
          EXPECT_EQ(count.status, RangeStatus::InvalidEnd);
          EXPECT_EQ(count.count, -1);
          EXPECT_EQ(dates.status, RangeStatus::InvalidEnd);
          continue;
        }
        const std::vector<DayNumber> expected = OracleDates(oracle, std::min(date, other), std::max(date, other), c);
        EXPECT_EQ(count.count, static_cast<std::int32_t>(expected.size())) << "DaysInRange";
        EXPECT_EQ(dates.days, expected) << "DatesInRange";
        ++cmp.compared;

        if (!IsValidDayNumber(date)) continue;
        const int start_of_week = r.Int(1, 7);
        const DayNumber ws = date - static_cast<DayNumber>(((Weekday(date) - start_of_week) % 7 + 7) % 7);
        const auto week = OracleDates(oracle, ws, ws + 6, c);
        EXPECT_EQ(FirstInWeek(calendar, date, c, start_of_week), FirstOf(week)) << "FirstInWeek";
        EXPECT_EQ(LastInWeek(calendar, date, c, start_of_week), LastOf(week)) << "LastInWeek";
        const CivilDate civil = testing::IndependentCivil(date);
        const auto month = OracleDates(oracle, Day(civil.year, civil.month, 1),
                                       Day(civil.year, civil.month, testing::IndependentMonthLength(civil.year, civil.month)), c);
        EXPECT_EQ(FirstInMonth(calendar, date, c), FirstOf(month)) << "FirstInMonth";
        EXPECT_EQ(LastInMonth(calendar, date, c), LastOf(month)) << "LastInMonth";
        const auto year = OracleDates(oracle, Day(civil.year, 1, 1), Day(civil.year, 12, 31), c);
        EXPECT_EQ(FirstInYear(calendar, date, c), FirstOf(year)) << "FirstInYear";
        EXPECT_EQ(LastInYear(calendar, date, c), LastOf(year)) << "LastInYear";
        cmp.compared += 6;
      }
      if (HasFailure()) return;
    }
  }
  // The oracle gave up on only a few walks.
  EXPECT_GT(cmp.compared, 10 * cmp.skipped) << cmp.compared << " compared, " << cmp.skipped << " skipped";
}

// Two full-length ranges, counted in one classification each.
TEST(RandomisedComparison, LongestRangesAgreeWithTheOracle) {
  Random r(366000);
  for (int scenario = 0; scenario < std::max(1, 2 / testing::kRandomRoundsDivisor); ++scenario) {
    const CalendarRules rules = RandomRules(r);
    const KeptClassification calendar(rules);
    Oracle oracle(rules);
    const DayNumber lo = Day(1800, 1, 1) + r.Int(0, 300);
    for (DayCategory c : kDateType) {
      EXPECT_EQ(DaysInRange(calendar, lo, lo + kLongestRange, c).count,
                static_cast<std::int32_t>(OracleDates(oracle, lo, lo + kLongestRange, c).size()))
          << "scenario " << scenario;
    }
  }
}

}  // namespace
}  // namespace dovrel::engine
