// The queries of the main object against the brute-force oracle, over random
// calendars built through the public interfaces: random weekly rules, styles
// with random yearly days and ranges (across year ends too), one-off forced
// holidays and working days, random Override, random UseStyles texts, and
// then a change of membership. Then long sequences of changes of every kind,
// made the ways a host makes them, each followed by queries: an answer the
// main object kept from before a change shows as a difference. Deterministic
// seeds; DOVREL_RANDOM_OPERATIONS sets the length of the sequences for runs
// by hand.
#include <cstdlib>
#include <random>
#include <utility>

#include "definitions/holiday_style.h"
#include "definitions/holiday_styles.h"
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
    About(d);
  }

  // One query of any kind about d.
  void About(std::int64_t d) {
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

  // After a change: the kind of some of the days it touched, the days of
  // each kind around one of them, and then queries about those days or
  // any other, so that whatever the object kept from before the change and
  // still answers from shows.
  void AfterChange(const std::vector<std::int64_t>& touched, int queries) {
    if (!touched.empty()) {
      for (int k = 0; k < 4; ++k) ValueType(touched[static_cast<std::size_t>(Uniform(rng, 0, int(touched.size()) - 1))]);
      const std::int64_t d = touched[static_cast<std::size_t>(Uniform(rng, 0, int(touched.size()) - 1))];
      if (Valid(d - 200) && Valid(d + 200)) {
        SCOPED_TRACE(DateText(d));
        for (LONG type = dvHoliday; type <= dvWeekend; ++type) {
          LONG count = -7;
          ASSERT_EQ(dovrel->DaysInRange(Var::Day(d - 200).v, Var::Day(d + 200).v, AsEnum<dvDateTypeConst>(type), &count),
                    S_OK);
          EXPECT_EQ(count, oracle.DaysInRange(d - 200, d + 200, KindOfDateType(type))) << "type " << type;
        }
      }
    }
    for (int q = 0; q < queries; ++q) {
      if (touched.empty() || Chance(rng, 0.4)) {
        Any();
      } else {
        About(touched[static_cast<std::size_t>(Uniform(rng, 0, int(touched.size()) - 1))] + Uniform(rng, -3, 3));
      }
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

// ---------------------------------------------------------------------------
// Changes interleaved with queries.

// The operations of one run (changes and queries together): a few thousand
// in the tests, as many as DOVREL_RANDOM_OPERATIONS says by hand.
long InterleavedOperations() {
  const char* text = std::getenv("DOVREL_RANDOM_OPERATIONS");
  const long given = text ? std::strtol(text, nullptr, 10) : 0;
#if defined(__SANITIZE_ADDRESS__)
  return given > 0 ? given : 1500;
#else
  return given > 0 ? given : 6000;
#endif
}

ComPtr<IStream> NewStream() {
  ComPtr<IStream> stream;
  EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.Receive()), S_OK);
  return stream;
}

void Rewind(IStream* stream) {
  LARGE_INTEGER start{};
  EXPECT_EQ(stream->Seek(start, STREAM_SEEK_SET, nullptr), S_OK);
}

ComPtr<IPersistStream> PersistOf(IUnknown* collection) {
  ComPtr<IPersistStream> persist;
  EXPECT_EQ(collection->QueryInterface(IID_IPersistStream, persist.ReceiveVoid()), S_OK);
  return persist;
}

// The host: what it was handed and still holds (styles and Days, inside
// the collection or no longer), and the style list the main object must
// have, followed through every change as the object's rules say.
class Host {
 public:
  Host(IDovrel* dovrel, Rng& rng) : dovrel_(dovrel), styles_(StylesOf(dovrel)), rng_(rng) {}

  const std::vector<int>& InUse() const { return inUse_; }

  // The dates of the definitions the last changes touched, before and
  // after them.
  std::vector<std::int64_t> TakeTouched() { return std::exchange(touched_, {}); }

  void Build() {
    keys_ = BuildRandomCalendar(dovrel_, rng_);
    ResolvedByTheObject();
    for (LONG s = 1; s <= Count(); ++s) {
      heldStyles_.push_back(Member(s));
      ComPtr<IDays> days = DaysOf(heldStyles_.back().Get());
      LONG n = 0;
      days->get_Count(&n);
      for (LONG d = 1; d <= n; ++d) {
        ComPtr<IDay> day;
        EXPECT_EQ(days->get_Item(Var::I4(d).v, day.Receive()), S_OK);
        heldDays_.push_back(day);
      }
    }
  }

  // One change, of any kind a host can make.
  void Change() {
    switch (Uniform(rng_, 0, 16)) {
      case 0:
        SetWeekRests(dovrel_, Uniform(rng_, 1, 7), RandomWeekRule(rng_));
        TouchAll();
        break;
      case 1: EXPECT_EQ(dovrel_->put_StartOfWeek(AsEnum<dvWeekdayConst>(Uniform(rng_, 1, 7))), S_OK); break;
      case 2: UseStyles(); break;
      case 3: AddStyle(); break;
      case 4: CopyStyle(); break;
      case 5: RemoveStyle(); break;
      case 6: RekeyOrClearStyles(); break;
      case 7: PutItem(); break;
      case 8: StyleProperty(); break;
      case 9: Parent(); break;
      case 10:
      case 11: AddDayTo(HeldStyle()); break;
      case 12: RemoveDays(); break;
      case 13:
      case 14: DayProperty(); break;
      case 15: LoadDays(); break;
      default: LoadStyles(); break;
    }
  }

 private:
  LONG Count() const {
    LONG count = 0;
    EXPECT_EQ(styles_->get_Count(&count), S_OK);
    return count;
  }
  ComPtr<IHLDYStyle> Member(LONG position) const {
    ComPtr<IHLDYStyle> style;
    EXPECT_EQ(styles_->get_Item(Var::I4(position).v, style.Receive()), S_OK);
    return style;
  }
  void Touch(IDay* day) {
    Var date, date2;
    if (day->get_Date(&date.v) == S_OK && date.v.vt == VT_DATE) touched_.push_back(*DayIn(date.v));
    if (day->get_Date2(&date2.v) == S_OK && date2.v.vt == VT_DATE) touched_.push_back(*DayIn(date2.v));
  }
  void Touch(IHLDYStyle* style) {
    ComPtr<IDays> days = DaysOf(style);
    LONG n = 0;
    days->get_Count(&n);
    for (LONG d = 1; d <= n; ++d) {
      ComPtr<IDay> day;
      EXPECT_EQ(days->get_Item(Var::I4(d).v, day.Receive()), S_OK);
      Touch(day.Get());
    }
  }
  // Every style of the collection, for changes to what is in use.
  void TouchAll() {
    for (LONG s = Count(); s >= 1; --s) Touch(Member(s).Get());
  }

  std::u16string NewKey(char16_t kind) { return std::u16string(1, kind) + Printable16(++serial_); }
  static std::u16string Printable16(int n) {
    std::u16string text;
    for (const char c : std::to_string(n)) text.push_back(static_cast<char16_t>(c));
    return text;
  }
  IHLDYStyle* HeldStyle() {
    if (heldStyles_.empty() || Chance(rng_, 0.5)) {
      const LONG count = Count();
      if (count > 0) {
        heldStyles_.push_back(Member(Uniform(rng_, 1, count)));
        return heldStyles_.back().Get();
      }
      if (heldStyles_.empty()) AddStyle();
    }
    return heldStyles_[static_cast<std::size_t>(Uniform(rng_, 0, static_cast<int>(heldStyles_.size()) - 1))].Get();
  }
  std::vector<std::u16string> MemberKeys() const {
    std::vector<std::u16string> keys;
    const Oracle now(dovrel_, &inUse_);
    for (const OracleStyle& style : now.Styles()) keys.push_back(style.key);
    return keys;
  }
  // After Add, AddObj, Remove and Clear the object reads its stored text
  // again, skipping pieces that fail.
  void ResolvedByTheObject() { inUse_ = Oracle(dovrel_).InUse(); }

  void UseStyles() {
    std::vector<std::u16string> keys = MemberKeys();
    if (keys.empty()) keys.push_back(u"nothing");
    std::u16string text = RandomUseStyles(rng_, keys);
    if (Chance(rng_, 0.2)) text += Chance(rng_, 0.5) ? u",missing" : u",{99}";  // refused
    const Oracle before(dovrel_, &inUse_);
    TouchAll();
    const HRESULT hr = SetUseStyles(dovrel_, text);
    if (const auto accepted = Oracle::ReadUseStyles(text, before.Styles(), false)) {
      EXPECT_EQ(hr, S_OK) << Printable(text);
      inUse_ = *accepted;
    } else {
      EXPECT_EQ(hr, kInvalidPropertyValue) << Printable(text);
      const std::vector<int> kept = Oracle::AcceptedBeforeFailure(text, before.Styles());
      if (!kept.empty()) inUse_ = kept;
    }
  }

  void AddStyle() {
    if (Count() >= 7) return RemoveStyle();
    Bstr key(NewKey(u's'));
    ComPtr<IHLDYStyle> style;
    const Var index = Chance(rng_, 0.5) ? Var::Missing() : Var::I4(Uniform(rng_, 0, Count() + 2));
    ASSERT_EQ(styles_->Add(index.v, key.b, Var::Missing().v, style.Receive()), S_OK);
    EXPECT_EQ(style->put_Override(AsEnum<dvOverrideConst>(Uniform(rng_, 0, 1))), S_OK);
    for (int d = Uniform(rng_, 0, 5); d > 0; --d) AddDayTo(style.Get());
    heldStyles_.push_back(style);
    ResolvedByTheObject();
    Touch(style.Get());
  }

  void CopyStyle() {
    if (Count() >= 7) return RemoveStyle();
    IHLDYStyle* source = HeldStyle();
    Bstr key(NewKey(u'c'));
    ComPtr<IHLDYStyle> copy;
    ASSERT_EQ(styles_->AddObj(Var::I4(Uniform(rng_, 1, Count() + 1)).v, key.b, source, copy.Receive()), S_OK);
    heldStyles_.push_back(copy);
    ResolvedByTheObject();
    Touch(copy.Get());
  }

  void RemoveStyle() {
    const LONG count = Count();
    if (count == 0) return AddStyle();
    const LONG position = Uniform(rng_, 1, count);
    Touch(Member(position).Get());
    if (Chance(rng_, 0.5)) {
      ASSERT_EQ(styles_->Remove(Var::I4(position).v), S_OK);
    } else {
      Bstr key;
      EXPECT_EQ(Member(position)->get_Key(key.Receive()), S_OK);
      ASSERT_EQ(styles_->Remove(Var::Str(key.Text()).v), S_OK);
    }
    ResolvedByTheObject();
  }

  void RekeyOrClearStyles() {
    const LONG count = Count();
    if (count > 0 && Chance(rng_, 0.9)) {
      Bstr key(NewKey(u'r'));
      ASSERT_EQ(styles_->_ReplaceKey(Uniform(rng_, 0, count - 1), key.b), S_OK);  // the list stays
    } else {
      TouchAll();
      ASSERT_EQ(styles_->Clear(), S_OK);
      if (count > 0) ResolvedByTheObject();
    }
  }

  // A member takes over another style's definitions, key included; the
  // list stays. Refused when the key is another member's.
  void PutItem() {
    const LONG count = Count();
    if (count == 0) return AddStyle();
    const LONG position = Uniform(rng_, 1, count);
    IHLDYStyle* value = HeldStyle();
    Touch(Member(position).Get());
    Touch(value);
    const HRESULT hr = styles_->put_Item(Var::I4(position).v, value);
    EXPECT_TRUE(hr == S_OK || hr == static_cast<HRESULT>(0x800A0205)) << std::hex << hr;
  }

  void StyleProperty() {
    IHLDYStyle* style = HeldStyle();
    Touch(style);
    switch (Uniform(rng_, 0, 3)) {
      case 0: EXPECT_EQ(style->put_Override(AsEnum<dvOverrideConst>(Uniform(rng_, 0, 1))), S_OK); break;
      case 1: EXPECT_EQ(style->put_BackColor(static_cast<OLE_COLOR>(Uniform(rng_, 0, 0xFFFFFF))), S_OK); break;
      case 2: EXPECT_EQ(style->put_Bold(Chance(rng_, 0.5) ? VARIANT_TRUE : VARIANT_FALSE), S_OK); break;
      default: {
        Bstr name(NewKey(u'n'));
        EXPECT_EQ(style->put_Name(name.b), S_OK);
      }
    }
  }

  // A style copies a member's definitions through Parent, named by position
  // or key (refused for a style outside the collection).
  void Parent() {
    const LONG count = Count();
    if (count == 0) return AddStyle();
    const LONG position = Uniform(rng_, 1, count);
    IHLDYStyle* style = HeldStyle();
    Touch(style);
    Touch(Member(position).Get());
    if (Chance(rng_, 0.5)) {
      style->put_Parent(Var::I4(position).v);
    } else {
      Bstr key;
      EXPECT_EQ(Member(position)->get_Key(key.Receive()), S_OK);
      style->put_Parent(Var::Str(key.Text()).v);
    }
  }

  void AddDayTo(IHLDYStyle* style) {
    ComPtr<IDays> days = DaysOf(style);
    LONG n = 0;
    days->get_Count(&n);
    if (n >= 16) return RemoveDays();
    DayDef day = RandomDay(rng_, 0);
    day.key = NewKey(u'd');
    heldDays_.push_back(dovtest::AddDay(style, day));
    if (heldDays_.back()) Touch(heldDays_.back().Get());
  }

  void RemoveDays() {
    IHLDYStyle* style = HeldStyle();
    Touch(style);
    ComPtr<IDays> days = DaysOf(style);
    LONG n = 0;
    days->get_Count(&n);
    if (n == 0) return;
    switch (Uniform(rng_, 0, 5)) {
      case 0: ASSERT_EQ(days->Clear(), S_OK); break;
      case 1: {
        Bstr key(NewKey(u'k'));
        ASSERT_EQ(days->_ReplaceKey(Uniform(rng_, 0, n - 1), key.b), S_OK);
        break;
      }
      default: ASSERT_EQ(days->Remove(Var::I4(Uniform(rng_, 1, n)).v), S_OK);
    }
  }

  // Through a Day the host holds since it was added or fetched, in its
  // style or no longer.
  void DayProperty() {
    if (heldDays_.empty()) return AddDayTo(HeldStyle());
    IDay* day = heldDays_[static_cast<std::size_t>(Uniform(rng_, 0, static_cast<int>(heldDays_.size()) - 1))].Get();
    Touch(day);
    const DayDef fresh = RandomDay(rng_, 0);
    switch (Uniform(rng_, 0, 4)) {
      case 0: EXPECT_EQ(day->put_Date(Var::Day(fresh.date).v), S_OK); break;
      case 1: EXPECT_EQ(day->put_Date2(fresh.date2 ? Var::Day(*fresh.date2).v : Var::Null().v), S_OK); break;
      case 2: EXPECT_EQ(day->put_Date2(Var::Day(fresh.date + Uniform(rng_, -40, 40)).v), S_OK); break;
      case 3: EXPECT_EQ(day->put_Type(AsEnum<dvDayTypeConst>(Uniform(rng_, 0, 2))), S_OK); break;
      default: {
        Bstr name(NewKey(u'n'));
        EXPECT_EQ(day->put_Name(name.b), S_OK);
      }
    }
    Touch(day);
  }

  // One style's Days saved and loaded into another's (appended).
  void LoadDays() {
    IHLDYStyle* source = HeldStyle();
    Touch(source);
    ComPtr<IDays> from = DaysOf(source), into = DaysOf(HeldStyle());
    LONG n = 0;
    into->get_Count(&n);
    if (n >= 16) return RemoveDays();
    ComPtr<IStream> stream = NewStream();
    ASSERT_EQ(PersistOf(from.Get())->Save(stream.Get(), TRUE), S_OK);
    Rewind(stream.Get());
    ASSERT_EQ(PersistOf(into.Get())->Load(stream.Get()), S_OK);
  }

  // Styles saved from a collection of the host's own and loaded into the
  // main object's (appended; the list stays, as the object does not read
  // its text again).
  void LoadStyles() {
    if (Count() >= 7) return RemoveStyle();
    ComPtr<IHLDYStyles> other;
    ASSERT_EQ(dovrel::CreateHolidayStyles(nullptr, IID_IHLDYStyles, other.ReceiveVoid()), S_OK);
    Bstr key(NewKey(u'l'));
    ComPtr<IHLDYStyle> style;
    ASSERT_EQ(other->Add(Var::Missing().v, key.b, Var::Missing().v, style.Receive()), S_OK);
    EXPECT_EQ(style->put_Override(AsEnum<dvOverrideConst>(Uniform(rng_, 0, 1))), S_OK);
    for (int d = Uniform(rng_, 1, 4); d > 0; --d) AddDayTo(style.Get());
    ComPtr<IStream> stream = NewStream();
    ASSERT_EQ(PersistOf(other.Get())->Save(stream.Get(), TRUE), S_OK);
    Rewind(stream.Get());
    ASSERT_EQ(PersistOf(styles_.Get())->Load(stream.Get()), S_OK);
    heldStyles_.push_back(Member(Count()));
    Touch(heldStyles_.back().Get());
  }

  IDovrel* dovrel_;
  ComPtr<IHLDYStyles> styles_;
  Rng& rng_;
  std::vector<std::u16string> keys_;
  std::vector<ComPtr<IHLDYStyle>> heldStyles_;
  std::vector<ComPtr<IDay>> heldDays_;
  std::vector<int> inUse_;
  std::vector<std::int64_t> touched_;
  int serial_ = 0;
};

TEST_F(RandomComparison, ChangesOfEveryKindTakeEffectAtTheNextQuery) {
  const long operations = InterleavedOperations();
  long done = 0;
  for (unsigned seed = 1; done < operations; ++seed) {
    SCOPED_TRACE(::testing::Message() << "sequence seed " << seed);
    Rng rng(seed * 104729u);
    ComPtr<IDovrel> dovrel = NewDovrel();
    Host host(dovrel.Get(), rng);
    host.Build();
    // A few hundred operations per calendar, so that styles and Days come
    // and go many times over without growing without end.
    for (int step = 0; step < 400 && done < operations; ++step) {
      host.Change();
      const Oracle oracle(dovrel.Get(), &host.InUse());
      Checker check{dovrel.Get(), oracle, rng};
      const int queries = Uniform(rng, 1, 3);
      check.AfterChange(host.TakeTouched(), queries);
      done += 1 + queries;
      if (HasFailure()) return;
    }
  }
}

}  // namespace
}  // namespace dovtest
