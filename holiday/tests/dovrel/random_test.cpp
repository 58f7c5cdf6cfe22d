// The queries of the main object against the brute-force oracle, over random
// calendars built through the public interfaces: random weekly rules, styles
// with random yearly days and ranges (across year ends too), one-off forced
// holidays and working days, random Override, random UseStyles texts, and
// then a change of membership. Deterministic seeds.
#include <random>

#include "tests/dovrel/oracle.h"
#include "tests/dovrel/support.h"

namespace dovtest {
namespace {

// The sanitizer build runs several times slower; it takes a quarter of the
// rounds (memory faults show on any round).
#if defined(__SANITIZE_ADDRESS__)
constexpr int kCalendars = 15;
#else
constexpr int kCalendars = 60;
#endif
constexpr int kQueriesPerCalendar = 70;
constexpr int kWindow = 4000;  // days the oracle walks before it gives up

using Rng = std::mt19937;

int Uniform(Rng& rng, int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
bool Chance(Rng& rng, double p) { return std::bernoulli_distribution(p)(rng); }

std::int64_t RandomDayBetween(Rng& rng, std::int64_t lo, std::int64_t hi) {
  return std::uniform_int_distribution<std::int64_t>(lo, hi)(rng);
}

// Mostly dates around the definitions; now and then the ends of the range.
std::int64_t RandomQueryDay(Rng& rng) {
  const int where = Uniform(rng, 0, 39);
  if (where == 0) return RandomDayBetween(rng, kFirstDay - 3, kFirstDay + 400);
  if (where == 1) return RandomDayBetween(rng, kLastDay - 400, kLastDay + 3);
  return RandomDayBetween(rng, Jdn(1995, 1, 1), Jdn(2032, 12, 31));
}

LONG RandomWeekRule(Rng& rng) {
  switch (Uniform(rng, 0, 5)) {
    case 0:
    case 1:
    case 2: return 0;
    case 3: return dvAllWeeks;
    case 4: return Uniform(rng, 1, 127);
    default: return dv2ndWeek | dv4thWeek | (Chance(rng, 0.5) ? dvOverrideWeekday : 0);
  }
}

DayDef RandomDay(Rng& rng, int n) {
  DayDef day;
  day.key = {u'D', static_cast<char16_t>(u'a' + n % 26), static_cast<char16_t>(u'0' + n / 26)};
  const int kind = Uniform(rng, 0, 9);
  day.type = kind < 6 ? dvTypeHoliday : kind < 8 ? dvTypeForcedHoliday : dvTypeForcedWorkday;
  if (day.type == dvTypeHoliday) {
    day.date = Chance(rng, 0.05) ? Jdn(2000, 2, 29) : RandomDayBetween(rng, Jdn(1990, 1, 1), Jdn(2010, 12, 31));
    if (Chance(rng, 0.4)) {
      // A yearly range: within a year, or across one year end, now and then
      // across two or three (which covers every day, so that walks for
      // working days run to the end of the supported range).
      const int span = Chance(rng, 0.5) ? 0 : Chance(rng, 0.9) ? Uniform(rng, -1, 1) : Uniform(rng, -3, 3);
      const Civil from = CivilFromDays(day.date);
      const int month = Uniform(rng, 1, 12);
      const int dayOfMonth = Chance(rng, 0.1) ? 31 : Uniform(rng, 1, 28);
      const std::int64_t year = from.year + span;
      day.date2 = DaysFromCivil(year, month, std::min(dayOfMonth, MonthLength(year, month)));
    }
  } else {
    day.date = RandomDayBetween(rng, Jdn(1995, 1, 1), Jdn(2032, 12, 31));
    if (Chance(rng, 0.3)) day.date2 = day.date + Uniform(rng, -40, 40);
  }
  return day;
}

// A text naming the styles by key (in any letter case) or by position, with
// repeats and empty pieces.
std::u16string RandomUseStyles(Rng& rng, const std::vector<std::u16string>& keys) {
  std::u16string text;
  const int pieces = Uniform(rng, 0, 5);
  for (int p = 0; p < pieces; ++p) {
    if (p > 0) text += Chance(rng, 0.1) ? u",," : u",";
    const int s = Uniform(rng, 0, static_cast<int>(keys.size()) - 1);
    switch (Uniform(rng, 0, 3)) {
      case 0: {
        std::u16string key = keys[static_cast<std::size_t>(s)];
        for (char16_t& c : key)
          if (c >= u'a' && c <= u'z' && Chance(rng, 0.5)) c = static_cast<char16_t>(c - u'a' + u'A');
        text += key;
        break;
      }
      case 1: text += {u'{', static_cast<char16_t>(u'1' + s), u'}'}; break;
      case 2: text += {u'{', u' ', static_cast<char16_t>(u'1' + s), u'x', u'}'}; break;
      default: text += keys[static_cast<std::size_t>(s)] + (Chance(rng, 0.5) ? u"," + keys[static_cast<std::size_t>(s)] : u"");
    }
  }
  return text;
}

std::vector<std::u16string> BuildRandomCalendar(IDovrel* dovrel, Rng& rng) {
  for (int weekday = 1; weekday <= 7; ++weekday) SetWeekRests(dovrel, weekday, RandomWeekRule(rng));
  EXPECT_EQ(dovrel->put_StartOfWeek(AsEnum<dvWeekdayConst>(Uniform(rng, 1, 7))), S_OK);
  std::vector<std::u16string> keys;
  const int styles = Uniform(rng, 1, 4);
  int dayNumber = 0;
  for (int s = 0; s < styles; ++s) {
    keys.push_back(u"style" + std::u16string(1, char16_t(u'a' + s)));
    ComPtr<IHLDYStyle> style = AddStyle(dovrel, keys.back(), Chance(rng, 0.5) ? dvOverrideNextDay : dvOverrideNone);
    const int days = Uniform(rng, 0, 12);
    for (int d = 0; d < days; ++d) AddDay(style.Get(), RandomDay(rng, dayNumber++));
  }
  EXPECT_EQ(SetUseStyles(dovrel, RandomUseStyles(rng, keys)), S_OK);
  return keys;
}

Kind KindOfNav(LONG type) {
  static constexpr Kind kinds[] = {Kind::Holiday, Kind::Workday, Kind::Weekend, Kind::Any};
  return kinds[type];
}
Kind KindOfDateType(LONG type) {
  static constexpr Kind kinds[] = {Kind::Holiday, Kind::Workday, Kind::Weekend};
  return kinds[type];
}
Kind KindOfDateTypeEx(LONG type) {
  static constexpr Kind kinds[] = {Kind::Holiday, Kind::Workday, Kind::WeekendOrHoliday};
  return kinds[type];
}

// A walk's answer: exact when the oracle found it within its window;
// otherwise the object's answer must lie beyond the window (or be Null) and
// be a day of the kind.
void ExpectWalk(const Oracle& oracle, const Oracle::Walk& expected, const VARIANT& answer, std::int64_t from,
                int direction, Kind kind) {
  const std::optional<std::int64_t> got = DayIn(answer);
  if (expected.known) {
    EXPECT_EQ(got, expected.day);
    return;
  }
  if (!got) return;
  EXPECT_GE((*got - from) * direction, kWindow - 2) << "the oracle walked that far without finding it";
  EXPECT_TRUE(oracle.Is(*got, kind)) << DateText(*got);
}

struct Checker {
  IDovrel* dovrel;
  const Oracle& oracle;
  Rng& rng;

  void ValueType(std::int64_t d) {
    if (!Valid(d)) return;
    EXPECT_EQ(ValueTypeOf(dovrel, d), oracle.Flags(d) & 31);
  }

  void Navigation(std::int64_t d) {
    const LONG type = Uniform(rng, 0, 3);
    Var answer;
    if (Chance(rng, 0.5)) {
      ASSERT_EQ(dovrel->NextDay(Var::Day(d).v, AsEnum<dvDayNavConst>(type), &answer.v), S_OK);
      ExpectWalk(oracle, oracle.NextDay(d, KindOfNav(type), kWindow), answer.v, d, +1, KindOfNav(type));
    } else {
      ASSERT_EQ(dovrel->PrevDay(Var::Day(d).v, AsEnum<dvDayNavConst>(type), &answer.v), S_OK);
      ExpectWalk(oracle, oracle.PrevDay(d, KindOfNav(type), kWindow), answer.v, d, -1, KindOfNav(type));
    }
  }

  void Adjust(std::int64_t d) {
    const bool forward = Chance(rng, 0.5);
    Var answer;
    ASSERT_EQ(dovrel->AdjustDate(Var::Day(d).v, AsEnum<dvAdjustDateConst>(forward ? dvNextWorkday : dvPrevWorkday),
                                 &answer.v),
              S_OK);
    ExpectWalk(oracle, oracle.AdjustDate(d, forward, kWindow), answer.v, d, forward ? 1 : -1, Kind::Workday);
  }

  void DaysFromNow(std::int64_t d) {
    const LONG type = Uniform(rng, 0, 2);
    const SHORT days = static_cast<SHORT>(Chance(rng, 0.1) ? Uniform(rng, -900, 900) : Uniform(rng, -40, 40));
    Var answer;
    ASSERT_EQ(dovrel->DaysFromNow(Var::Day(d).v, days, AsEnum<dvDateTypeExConst>(type), &answer.v), S_OK);
    ExpectWalk(oracle, oracle.DaysFromNow(d, days, KindOfDateTypeEx(type), kWindow), answer.v, d, days < 0 ? -1 : 1,
               KindOfDateTypeEx(type));
  }

  void Ranges(std::int64_t d) {
    const LONG type = Uniform(rng, 0, 2);
    const std::int64_t other = Chance(rng, 0.03) ? kLastDay + 2 : d + Uniform(rng, -1500, 1500);
    LONG count = -7;
    ASSERT_EQ(dovrel->DaysInRange(Var::Day(d).v, Var::Day(other).v, AsEnum<dvDateTypeConst>(type), &count), S_OK);
    EXPECT_EQ(count, oracle.DaysInRange(d, other, KindOfDateType(type)));
    Var array;
    SHORT listed = -7;
    ASSERT_EQ(dovrel->DatesInRange(Var::Day(other).v, Var::Day(d).v, &array.v, AsEnum<dvDateTypeConst>(type), &listed),
              S_OK);
    const std::vector<std::int64_t> expected = oracle.DatesInRange(d, other, KindOfDateType(type));
    if (!Valid(d) || !Valid(other)) {
      EXPECT_EQ(listed, -1);
      return;
    }
    EXPECT_EQ(listed, static_cast<SHORT>(expected.size()));
    if (expected.empty()) {
      EXPECT_EQ(array.v.vt, VT_EMPTY);
      return;
    }
    ASSERT_EQ(array.v.vt, VT_ARRAY | VT_VARIANT);
    LONG upper = -1;
    SafeArrayGetUBound(array.v.parray, 1, &upper);
    ASSERT_EQ(upper + 1, static_cast<LONG>(expected.size()));
    for (LONG i = 0; i <= upper; ++i) {
      Var element;
      SafeArrayGetElement(array.v.parray, &i, &element.v);
      EXPECT_EQ(DayIn(element.v), expected[static_cast<std::size_t>(i)]);
    }
  }

  void Periods(std::int64_t d) {
    if (!Valid(d)) return;
    const LONG type = Uniform(rng, 0, 2);
    const Kind kind = KindOfDateType(type);
    const Civil c = CivilFromDays(d);
    const std::int64_t monthStart = d - (c.day - 1);
    const std::int64_t monthEnd = monthStart + MonthLength(c.year, c.month) - 1;
    const std::int64_t yearStart = DaysFromCivil(c.year, 1, 1);
    const std::int64_t yearEnd = DaysFromCivil(c.year, 12, 31);
    const auto [weekStart, weekEnd] = oracle.WeekOf(d);
    const struct {
      HRESULT (IDovrel::*method)(VARIANT, dvDateTypeConst, VARIANT*);
      std::optional<std::int64_t> expected;
    } cases[] = {
        {&IDovrel::FirstInMonth, oracle.FirstIn(monthStart, monthEnd, kind)},
        {&IDovrel::LastInMonth, oracle.LastIn(monthStart, monthEnd, kind)},
        {&IDovrel::FirstInYear, oracle.FirstIn(yearStart, yearEnd, kind)},
        {&IDovrel::LastInYear, oracle.LastIn(yearStart, yearEnd, kind)},
        {&IDovrel::FirstInWeek, oracle.FirstIn(weekStart, weekEnd, kind)},
        {&IDovrel::LastInWeek, oracle.LastIn(weekStart, weekEnd, kind)},
    };
    const int pick = Uniform(rng, 0, 5);
    Var answer;
    ASSERT_EQ((dovrel->*cases[pick].method)(Var::Day(d).v, AsEnum<dvDateTypeConst>(type), &answer.v), S_OK);
    EXPECT_EQ(DayIn(answer.v), cases[pick].expected) << "query " << pick;
  }

  // dvFirstMatch, then dvNextMatch until FALSE: the Days of the styles in
  // use that define the date, one per style, in list order.
  void Styles(std::int64_t d) {
    IDay* obj = nullptr;
    std::size_t from = 0;
    for (LONG type = dvFirstMatch;; type = dvNextMatch) {
      VARIANT_BOOL found = 7;
      ASSERT_EQ(dovrel->IsDateInStyle(Var::Day(d).v, &obj, AsEnum<dvIsDateInStyleConst>(type), &found), S_OK);
      const Oracle::StyleFound expected = Valid(d) ? oracle.StyleMatch(d, from) : Oracle::StyleFound{};
      EXPECT_EQ(found == VARIANT_TRUE, expected.day != nullptr);
      if (!expected.day || found != VARIANT_TRUE) break;
      ComPtr<IUnknown> got, want;
      obj->QueryInterface(IID_IUnknown, got.ReceiveVoid());
      expected.day->QueryInterface(IID_IUnknown, want.ReceiveVoid());
      EXPECT_EQ(got.Get(), want.Get()) << "the Day of style entry " << expected.entry;
      from = expected.entry + 1;
    }
    if (obj) obj->Release();
  }

  void Any() {
    const bool nearDefinition = Chance(rng, 0.3) && !oracle.Styles().empty();
    std::int64_t d = RandomQueryDay(rng);
    if (nearDefinition) {
      const auto& style = oracle.Styles()[static_cast<std::size_t>(Uniform(rng, 0, int(oracle.Styles().size()) - 1))];
      if (!style.days.empty()) {
        const auto& day = style.days[static_cast<std::size_t>(Uniform(rng, 0, int(style.days.size()) - 1))];
        d = day.date + Uniform(rng, -2, 2) + (day.type == dvTypeHoliday ? 365 * Uniform(rng, 0, 30) : 0);
      }
    }
    SCOPED_TRACE(DateText(d));
    switch (Uniform(rng, 0, 6)) {
      case 0: ValueType(d); break;
      case 1: Navigation(d); break;
      case 2: Adjust(d); break;
      case 3: DaysFromNow(d); break;
      case 4: Ranges(d); break;
      case 5: Periods(d); break;
      default: Styles(d); break;
    }
  }
};

class RandomComparison : public DovrelTest {};

TEST_F(RandomComparison, EveryQueryAgreesWithTheOracle) {
  for (int round = 1; round <= kCalendars; ++round) {
    SCOPED_TRACE(::testing::Message() << "calendar seed " << round);
    Rng rng(static_cast<unsigned>(round) * 7919u);
    ComPtr<IDovrel> dovrel = NewDovrel();
    std::vector<std::u16string> keys = BuildRandomCalendar(dovrel.Get(), rng);
    {
      Oracle oracle(dovrel.Get());
      Checker check{dovrel.Get(), oracle, rng};
      for (int q = 0; q < kQueriesPerCalendar; ++q) check.Any();
    }
    // The membership changes: a style leaves, or a new one arrives (maybe
    // before the others); the styles in use follow.
    ComPtr<IHLDYStyles> styles = StylesOf(dovrel.Get());
    if (Chance(rng, 0.5) && !keys.empty()) {
      ASSERT_EQ(styles->Remove(Var::I4(Uniform(rng, 1, static_cast<int>(keys.size()))).v), S_OK);
    } else {
      Bstr key(u"stylez");
      ComPtr<IHLDYStyle> added;
      ASSERT_EQ(styles->Add(Var::I4(Uniform(rng, 1, 3)).v, key.b, Var::Missing().v, added.Receive()), S_OK);
      for (int d = 0; d < 4; ++d) AddDay(added.Get(), RandomDay(rng, 100 + d));
    }
    Oracle oracle(dovrel.Get());
    Checker check{dovrel.Get(), oracle, rng};
    for (int q = 0; q < kQueriesPerCalendar / 2; ++q) check.Any();
  }
}

}  // namespace
}  // namespace dovtest
