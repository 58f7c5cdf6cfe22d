// The main object's state through its properties: Value and what kind of day
// it is, the weekly rest rules, the first day of the week, and the styles in
// use, which follow the HolidayStyles collection.
#include "tests/dovrel/oracle.h"
#include "tests/dovrel/support.h"

namespace dovtest {
namespace {

class DovrelProperties : public DovrelTest {
 protected:
  ComPtr<IDovrel> dovrel_ = NewDovrel();
  void TearDown() override {
    dovrel_ = ComPtr<IDovrel>();
    DovrelTest::TearDown();
  }

  std::optional<std::int64_t> Value() {
    Var value;
    EXPECT_EQ(dovrel_->get_Value(&value.v), S_OK);
    return DayIn(value.v);
  }
  bool ValueIsNull() {
    VARIANT_BOOL isNull = 7;
    EXPECT_EQ(dovrel_->get_ValueIsNull(&isNull), S_OK);
    EXPECT_TRUE(isNull == VARIANT_TRUE || isNull == VARIANT_FALSE);
    return isNull == VARIANT_TRUE;
  }
  LONG ValueType() {
    dvValueTypeConst type{};
    EXPECT_EQ(dovrel_->get_ValueType(&type), S_OK);
    return Raw(type);
  }
};

TEST_F(DovrelProperties, ValueTakesDatesNullAndWhatCoercesToADate) {
  const std::int64_t start = Jdn(2024, 6, 1);
  Var byReference = Var::Day(Jdn(2030, 1, 2));
  const auto reference = [&] {
    Var ref;
    ref.v.vt = VT_BYREF | VT_VARIANT;
    ref.v.pvarVal = &byReference.v;
    return ref;
  };
  const struct {
    const char* what;
    Var value;
    HRESULT result;
    std::optional<std::int64_t> stored;  // nothing: Null
  } cases[] = {
      {"a date", Var::Day(Jdn(2024, 2, 11)), S_OK, Jdn(2024, 2, 11)},
      {"a date with a time of day", Var::Date(Ymd(2024, 2, 11) + 0.75), S_OK, Jdn(2024, 2, 11)},
      {"before 1899-12-30, with a time", Var::Date(-1.5), S_OK, Jdn(1899, 12, 29)},
      {"Null", Var::Null(), S_OK, std::nullopt},
      {"Empty is 1899-12-30", Var(), S_OK, Jdn(1899, 12, 30)},
      {"a number of days", Var::I4(45000), S_OK, kEpochDay + 45000},
      {"a date text", Var::Str(u"2024/04/01"), S_OK, Jdn(2024, 4, 1)},
      {"a variable by reference", reference(), S_OK, Jdn(2030, 1, 2)},
      {"the first supported day", Var::Day(kFirstDay), S_OK, kFirstDay},
      {"the last supported day", Var::Day(kLastDay), S_OK, kLastDay},
      {"text that is no date", Var::Str(u"tomorrow"), kInvalidPropertyValue, start},
      {"an omitted argument", Var::Missing(), kInvalidPropertyValue, start},
      {"10000-01-01", Var::Day(kLastDay + 1), kInvalidPropertyValue, start},
      {"0099-12-31", Var::Day(kFirstDay - 1), kInvalidPropertyValue, start},
      {"the null day number itself", Var::Day(5374484), kInvalidPropertyValue, start},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetValue(dovrel_.Get(), start);
    PlantSentinelErrorInfo();
    EXPECT_EQ(dovrel_->put_Value(c.value.v), c.result);
    if (FAILED(c.result)) {
      EXPECT_TRUE(SentinelErrorInfoStillThere()) << "no error information";
    }
    EXPECT_EQ(Value(), c.stored);
    EXPECT_EQ(ValueIsNull(), !c.stored.has_value());
    if (!c.stored) {
      EXPECT_EQ(ValueType(), dvValueNull);
    }
  }
  EXPECT_EQ(dovrel_->get_Value(nullptr), E_POINTER);
}

// ValueType is the day's kind by the weekly rules and the styles in use, in
// the calendar of the tests (see BuildJapaneseStyleCalendar), worked out by
// hand from a 2024 calendar.
TEST_F(DovrelProperties, ValueTypeIsTheKindOfTheDayInTheJapaneseStyleCalendar) {
  BuildJapaneseStyleCalendar(dovrel_.Get());
  const struct {
    const char* what;
    std::int64_t day;
    LONG type;
  } cases[] = {
      {"an ordinary Thursday", Jdn(2024, 1, 4), 0},
      {"New Year's Day (National, then the Company's year-end)", Jdn(2024, 1, 1), 1},
      {"a forced holiday on a Monday", Jdn(2024, 1, 8), 3},
      {"a holiday on a Sunday", Jdn(2024, 2, 11), 17},
      {"the Monday it moves to", Jdn(2024, 2, 12), 9},
      {"a forced holiday on a Sunday", Jdn(2024, 9, 22), 19},
      {"the Monday a forced holiday moves to", Jdn(2024, 9, 23), 11},
      {"a holiday on a 4th Saturday, which moves nothing", Jdn(2024, 11, 23), 17},
      {"the Sunday after it", Jdn(2024, 11, 24), 16},
      {"a forced working day on a 2nd Saturday", Jdn(2024, 11, 9), 20},
      {"a forced working day on the Monday a holiday moved to", Jdn(2024, 5, 6), 4},
      {"a 1st Saturday", Jdn(2024, 11, 2), 0},
      {"a 2nd Saturday", Jdn(2024, 1, 13), 16},
      {"a 5th Saturday", Jdn(2024, 11, 30), 0},
      {"the year-end break on a Sunday (Company does not move)", Jdn(2024, 12, 29), 17},
      {"the Monday after", Jdn(2024, 12, 30), 1},
      {"the year-end break in the next year", Jdn(2025, 1, 3), 1},
      {"a Saturday after the break", Jdn(2025, 1, 4), 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ValueTypeOf(dovrel_.Get(), c.day), c.type) << DateText(c.day);
  }
}

TEST_F(DovrelProperties, WeekRestsKeepsSixteenBitsPerWeekdayAndRefusesOtherIndexes) {
  const struct {
    LONG put;
    LONG got;
  } values[] = {{dvAllWeeks, -1}, {dv2ndWeek | dv4thWeek, 10}, {dvLastWeek | dvOverrideWeekday, 96},
                {0x12345, 0x2345}, {0x18000, -32768}, {0, 0}};
  for (const auto& v : values) {
    SCOPED_TRACE(v.put);
    for (SHORT weekday = 1; weekday <= 7; ++weekday) {
      EXPECT_EQ(dovrel_->put_WeekRests(weekday, AsEnum<dvWeekRestsConst>(v.put)), S_OK);
      dvWeekRestsConst got{};
      EXPECT_EQ(dovrel_->get_WeekRests(weekday, &got), S_OK);
      EXPECT_EQ(Raw(got), v.got);
    }
  }
  SetWeekRests(dovrel_.Get(), dvMonday, dvAllWeeks);
  for (SHORT index : {SHORT(0), SHORT(8), SHORT(-1), SHORT(-32768), SHORT(32767)}) {
    SCOPED_TRACE(index);
    dvWeekRestsConst got = AsEnum<dvWeekRestsConst>(77);
    ExpectRaisedByDovrel(dovrel_->get_WeekRests(index, &got), kIndexOutOfRange, kIndexOutOfRangeText);
    EXPECT_EQ(Raw(got), 77) << "nothing written";
    ExpectRaisedByDovrel(dovrel_->put_WeekRests(index, AsEnum<dvWeekRestsConst>(dvAllWeeks)), kIndexOutOfRange,
                         kIndexOutOfRangeText);
  }
  EXPECT_EQ(ValueTypeOf(dovrel_.Get(), Jdn(2024, 1, 1)), 16) << "only Monday's rule changed";
  EXPECT_EQ(ValueTypeOf(dovrel_.Get(), Jdn(2024, 1, 2)), 0);
}

// The rules by week of the month, on January and March 2024 (both begin on
// a weekday that puts the 5th Saturday in March).
TEST_F(DovrelProperties, WeekRestsMarkTheWeeksOfTheMonthTheyName) {
  const struct {
    const char* what;
    LONG rule;
    std::vector<int> january;  // rest Saturdays of January 2024 (6, 13, 20, 27)
    std::vector<int> march;    // of March 2024 (2, 9, 16, 23, 30)
  } cases[] = {
      {"2nd and 4th", dv2ndWeek | dv4thWeek, {13, 27}, {9, 23}},
      {"last", dvLastWeek, {27}, {30}},
      {"5th", dv5thWeek, {}, {30}},
      {"1st and last", dv1stWeek | dvLastWeek, {6, 27}, {2, 30}},
      {"all", dvAllWeeks, {6, 13, 20, 27}, {2, 9, 16, 23, 30}},
      {"only bits above 64", 128 | 256, {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetWeekRests(dovrel_.Get(), dvSaturday, c.rule);
    for (int day : {6, 13, 20, 27}) {
      const bool rest = std::count(c.january.begin(), c.january.end(), day) > 0;
      EXPECT_EQ(ValueTypeOf(dovrel_.Get(), Jdn(2024, 1, day)), rest ? 16 : 0) << "January " << day;
    }
    for (int day : {2, 9, 16, 23, 30}) {
      const bool rest = std::count(c.march.begin(), c.march.end(), day) > 0;
      EXPECT_EQ(ValueTypeOf(dovrel_.Get(), Jdn(2024, 3, day)), rest ? 16 : 0) << "March " << day;
    }
  }
}

// A holiday moves off a rest day only when the rule has dvOverrideWeekday
// and the style has dvOverrideNextDay.
TEST_F(DovrelProperties, AHolidayMovesOnlyWhenTheRuleAndTheStyleBothSaySo) {
  const struct {
    const char* what;
    LONG sundays;
    LONG override_;
    LONG type;
    LONG sunday, monday;
  } cases[] = {
      {"holiday, moved", dvAllWeeks, dvOverrideNextDay, dvTypeHoliday, 17, 9},
      {"forced holiday, moved", dvAllWeeks, dvOverrideNextDay, dvTypeForcedHoliday, 19, 11},
      {"the style does not move holidays", dvAllWeeks, dvOverrideNone, dvTypeHoliday, 17, 0},
      {"Sundays without dvOverrideWeekday", 31, dvOverrideNextDay, dvTypeHoliday, 17, 0},
      {"Sundays with only dvOverrideWeekday are no rest days", dvOverrideWeekday, dvOverrideNextDay, dvTypeHoliday,
       1, 0},
      {"a forced working day does not move", dvAllWeeks, dvOverrideNextDay, dvTypeForcedWorkday, 20, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ComPtr<IDovrel> dovrel = NewDovrel();
    SetWeekRests(dovrel.Get(), dvSunday, c.sundays);
    ComPtr<IHLDYStyle> style = AddStyle(dovrel.Get(), u"S", c.override_);
    AddDay(style.Get(), {u"D", c.type, Jdn(2024, 2, 11), {}});
    ASSERT_EQ(SetUseStyles(dovrel.Get(), u"S"), S_OK);
    EXPECT_EQ(ValueTypeOf(dovrel.Get(), Jdn(2024, 2, 11)), c.sunday);
    EXPECT_EQ(ValueTypeOf(dovrel.Get(), Jdn(2024, 2, 12)), c.monday);
  }
}

// A moved holiday that lands on a day the same style marks itself: the
// later marking wins, so the order of the Days decides.
TEST_F(DovrelProperties, WithinAStyleTheLaterMarkingOfADayWins) {
  for (bool mondayFirst : {false, true}) {
    SCOPED_TRACE(mondayFirst ? "the Monday's Day first" : "the Sunday's Day first");
    ComPtr<IDovrel> dovrel = NewDovrel();
    SetWeekRests(dovrel.Get(), dvSunday, dvAllWeeks);
    ComPtr<IHLDYStyle> style = AddStyle(dovrel.Get(), u"S", dvOverrideNextDay);
    const DayDef sunday{u"Sun", dvTypeHoliday, Jdn(2024, 2, 11), {}};
    const DayDef monday{u"Mon", dvTypeHoliday, Jdn(2024, 2, 12), {}};
    AddDay(style.Get(), mondayFirst ? monday : sunday);
    AddDay(style.Get(), mondayFirst ? sunday : monday);
    ASSERT_EQ(SetUseStyles(dovrel.Get(), u"S"), S_OK);
    EXPECT_EQ(ValueTypeOf(dovrel.Get(), Jdn(2024, 2, 12)), mondayFirst ? 9 : 1);
  }
}

TEST_F(DovrelProperties, YearlyDefinitionsOn29FebruaryAndAcrossTheYearEnd) {
  ComPtr<IHLDYStyle> style = AddStyle(dovrel_.Get(), u"S");
  AddDay(style.Get(), {u"Leap", dvTypeHoliday, Jdn(2000, 2, 29), {}});
  AddDay(style.Get(), {u"ToLeap", dvTypeHoliday, Jdn(2000, 2, 20), Jdn(2000, 2, 29)});
  AddDay(style.Get(), {u"YearEnd", dvTypeHoliday, Jdn(2000, 12, 29), Jdn(2001, 1, 3)});
  AddDay(style.Get(), {u"Reversed", dvTypeHoliday, Jdn(2000, 7, 29), Jdn(2000, 7, 3)});
  ASSERT_EQ(SetUseStyles(dovrel_.Get(), u"S"), S_OK);
  const struct {
    std::int64_t day;
    LONG type;
  } cases[] = {
      {Jdn(2024, 2, 29), 1},  {Jdn(2023, 2, 28), 1},  {Jdn(2023, 3, 1), 0},   {Jdn(2023, 2, 19), 0},
      {Jdn(2024, 12, 28), 0}, {Jdn(2024, 12, 29), 1}, {Jdn(2025, 1, 1), 1},   {Jdn(2025, 1, 3), 1},
      {Jdn(2025, 1, 4), 0},   {Jdn(2024, 7, 2), 0},   {Jdn(2024, 7, 3), 1},   {Jdn(2024, 7, 29), 1},
      {Jdn(2024, 7, 30), 0},
  };
  for (const auto& c : cases) EXPECT_EQ(ValueTypeOf(dovrel_.Get(), c.day), c.type) << DateText(c.day);
}

TEST_F(DovrelProperties, StartOfWeekTakesTheSevenWeekdays) {
  for (LONG weekday = 1; weekday <= 7; ++weekday) {
    EXPECT_EQ(dovrel_->put_StartOfWeek(AsEnum<dvWeekdayConst>(weekday)), S_OK);
    dvWeekdayConst got{};
    EXPECT_EQ(dovrel_->get_StartOfWeek(&got), S_OK);
    EXPECT_EQ(Raw(got), weekday);
  }
  for (LONG bad : {LONG{0}, LONG{8}, LONG{-1}, LONG{0x10002}}) {
    PlantSentinelErrorInfo();
    EXPECT_EQ(dovrel_->put_StartOfWeek(AsEnum<dvWeekdayConst>(bad)), kInvalidPropertyValue) << bad;
    EXPECT_TRUE(SentinelErrorInfoStillThere());
    dvWeekdayConst got{};
    EXPECT_EQ(dovrel_->get_StartOfWeek(&got), S_OK);
    EXPECT_EQ(Raw(got), 7) << "unchanged";
  }
}

// --- UseStyles --------------------------------------------------------------------

// Three styles A, B, C, each with one yearly holiday of its own on a day the
// others leave alone, and all three on 1 May; which styles are in use, and
// in which order, shows in ValueType and in which style answers first for
// 1 May in IsDateInStyle.
class UseStylesTest : public DovrelProperties {
 protected:
  void SetUp() override {
    DovrelProperties::SetUp();
    for (const char16_t* key : {u"A", u"B", u"C"}) {
      ComPtr<IHLDYStyle> style = AddStyle(dovrel_.Get(), key);
      const int month = key[0] - u'A' + 1;
      AddDay(style.Get(), {std::u16string(key) + u"own", dvTypeHoliday, Jdn(2000, month, 10), {}});
      AddDay(style.Get(), {std::u16string(key) + u"may", dvTypeHoliday, Jdn(2000, 5, 1), {}});
    }
  }

  // The keys of the styles in use, in order: each answers for 1 May in turn.
  std::u16string InUse() {
    std::u16string keys;
    Var date = Var::Day(Jdn(2024, 5, 1));
    ComPtr<IDay> day;
    VARIANT_BOOL found = VARIANT_FALSE;
    for (LONG type = dvFirstMatch;; type = dvNextMatch) {
      EXPECT_EQ(dovrel_->IsDateInStyle(date.v, day.Receive(), AsEnum<dvIsDateInStyleConst>(type), &found), S_OK);
      if (found != VARIANT_TRUE) break;
      keys += KeyOf(day.Get()).substr(0, 1);
      if (keys.size() > 10) break;
    }
    return keys;
  }
};

TEST_F(UseStylesTest, TheTextNamesStylesByKeyOrPosition) {
  const struct {
    const char16_t* text;
    const char16_t* inUse;
  } cases[] = {
      {u"A", u"A"},
      {u"c,a", u"CA"},
      {u"{2}", u"B"},
      {u"{ 3 },{2x},{1 9}", u"CBA"},
      {u"{1},{1},{2}", u"AB"},
      {u"A,A,B", u"AB"},
      {u"A,B,A", u"ABA"},
      {u",,B,,", u"B"},
      {u"", u""},
      {u",", u""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Printable(c.text));
    EXPECT_EQ(SetUseStyles(dovrel_.Get(), c.text), S_OK);
    EXPECT_EQ(Printable(UseStylesOf(dovrel_.Get())), Printable(c.text));
    EXPECT_EQ(Printable(InUse()), Printable(c.inUse));
  }
}

// A refused text keeps the old text, and the list keeps what was read before
// the failing piece (the old list when the first piece fails).
TEST_F(UseStylesTest, ARefusedTextKeepsTheOldTextAndTheStylesReadBeforeIt) {
  const std::u16string longKey(256, u'A');
  const struct {
    std::u16string text;
    const char16_t* inUse;
  } cases[] = {
      {u"A,Z", u"A"},
      {u"Z,A", u"BC"},
      {u"B,{4}", u"B"},
      {u"C,{0}", u"C"},
      {u"A,{}", u"A"},
      {u"B,{ x}", u"B"},
      {u"B,A,A,{99999999999999999999}", u"BAA"},
      {u"C, A", u"C"},
      {u"B," + longKey, u"B"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Printable(c.text));
    ASSERT_EQ(SetUseStyles(dovrel_.Get(), u"B,C"), S_OK);
    PlantSentinelErrorInfo();
    EXPECT_EQ(SetUseStyles(dovrel_.Get(), c.text), kInvalidPropertyValue);
    EXPECT_TRUE(SentinelErrorInfoStillThere()) << "no error information";
    EXPECT_EQ(Printable(UseStylesOf(dovrel_.Get())), "B,C");
    EXPECT_EQ(Printable(InUse()), Printable(c.inUse));
  }
}

TEST_F(UseStylesTest, TheTextIsKeptUpToItsFirstNullCharacter) {
  const std::u16string text(u"B,C\0,A", 6);
  EXPECT_EQ(SetUseStyles(dovrel_.Get(), text), S_OK);
  EXPECT_EQ(Printable(UseStylesOf(dovrel_.Get())), "B,C");
  EXPECT_EQ(Printable(InUse()), "BC");
  // A null string is an empty text.
  EXPECT_EQ(dovrel_->put_UseStyles(nullptr), S_OK);
  EXPECT_EQ(Printable(UseStylesOf(dovrel_.Get())), "");
  EXPECT_EQ(Printable(InUse()), "");
  EXPECT_EQ(dovrel_->get_UseStyles(nullptr), E_POINTER);
}

// After every Add, AddObj, Remove and Clear the text is read again against
// the collection as it now is: keys of removed styles drop out and come
// back with a style of that key, positions follow the order.
TEST_F(UseStylesTest, TheStylesInUseFollowTheCollection) {
  ASSERT_EQ(SetUseStyles(dovrel_.Get(), u"C,{1},D"), kInvalidPropertyValue) << "no D yet";
  ASSERT_EQ(SetUseStyles(dovrel_.Get(), u"C,{1}"), S_OK);
  ComPtr<IHLDYStyles> styles = StylesOf(dovrel_.Get());
  EXPECT_EQ(Printable(InUse()), "CA");

  Bstr keyD(u"D");
  ComPtr<IHLDYStyle> d;
  ASSERT_EQ(styles->Add(Var::I4(1).v, keyD.b, Var::Missing().v, d.Receive()), S_OK);
  AddDay(d.Get(), {u"Dmay", dvTypeHoliday, Jdn(2000, 5, 1), {}});
  EXPECT_EQ(Printable(InUse()), "CD") << "{1} is now D";

  ASSERT_EQ(styles->Remove(Var::Str(u"C").v), S_OK);
  EXPECT_EQ(Printable(InUse()), "D") << "C dropped out";
  EXPECT_EQ(Printable(UseStylesOf(dovrel_.Get())), "C,{1}") << "the text stays";

  ComPtr<IHLDYStyle> source = AddStyle(dovrel_.Get(), u"Source");
  AddDay(source.Get(), {u"Cmay", dvTypeHoliday, Jdn(2000, 5, 1), {}});
  Bstr keyC(u"c");
  ComPtr<IHLDYStyle> c;
  ASSERT_EQ(styles->AddObj(Var::Missing().v, keyC.b, source.Get(), c.Receive()), S_OK);
  EXPECT_EQ(Printable(InUse()), "CD") << "a style with the key C is back";

  ASSERT_EQ(styles->Clear(), S_OK);
  EXPECT_EQ(Printable(InUse()), "");
  dvValueTypeConst type{};
  SetValue(dovrel_.Get(), Jdn(2024, 5, 1));
  EXPECT_EQ(dovrel_->get_ValueType(&type), S_OK);
  EXPECT_EQ(Raw(type), 0);
}

// Changing a key without a change of membership reads nothing again: the
// list keeps the style it had.
TEST_F(UseStylesTest, ANewKeyForAStyleInUseChangesNothingUntilTheNextChangeOfMembership) {
  ASSERT_EQ(SetUseStyles(dovrel_.Get(), u"B"), S_OK);
  ComPtr<IHLDYStyles> styles = StylesOf(dovrel_.Get());
  Bstr newKey(u"E");
  ASSERT_EQ(styles->_ReplaceKey(1, newKey.b), S_OK);
  EXPECT_EQ(Printable(InUse()), "B");
  AddStyle(dovrel_.Get(), u"F");
  EXPECT_EQ(Printable(InUse()), "") << "no style has the key B now";
}

}  // namespace
}  // namespace dovtest
