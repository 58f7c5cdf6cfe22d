#include "tests/dovrel/support.h"

#include <cmath>
#include <cstdio>

#include "dovrel/dv_dovrel.h"
#include "tests/support/registry.h"

namespace dovtest {

namespace {

// The main object's program identifier, registered as registration does, so
// that its error information names its source.
[[maybe_unused]] ::testing::Environment* const registryEnvironment = ::testing::AddGlobalTestEnvironment(
    new testsupport::RegisteredProgIds("main", {{&CLSID_dvDovrel, DOVREL_PROGID_DOVREL}}));

}  // namespace

// --- Dates --------------------------------------------------------------------------

std::string DateText(std::int64_t jdn) {
  const Civil c = CivilFromDays(jdn);
  char text[32];
  std::snprintf(text, sizeof text, "%04lld-%02d-%02d", static_cast<long long>(c.year), c.month, c.day);
  return text;
}

std::optional<std::int64_t> DayIn(const VARIANT& answer) {
  if (answer.vt == VT_NULL) return std::nullopt;
  EXPECT_EQ(answer.vt, VT_DATE) << "a date answer is VT_DATE or VT_NULL";
  if (answer.vt != VT_DATE) return std::nullopt;
  EXPECT_EQ(answer.date, std::floor(answer.date)) << "no time of day";
  return static_cast<std::int64_t>(answer.date) + kEpochDay;
}

// --- Error information --------------------------------------------------------------

void ExpectRaisedByDovrel(HRESULT hr, HRESULT code, std::u16string_view text) {
  testsupport::ExpectRaised(hr, code, text, u"Qor.Dovrel6.6", IID_IDovrel);
}

// --- Objects ------------------------------------------------------------------------

void DovrelTest::SetUp() { SetErrorInfo(0, nullptr); }

void DovrelTest::TearDown() {
  SetErrorInfo(0, nullptr);
  EXPECT_EQ(dovrel::ModuleLockCount(), baseline_) << "every object made by the test is gone, none released twice";
}

ComPtr<IDovrel> NewDovrel() {
  ComPtr<IDovrel> dovrel;
  EXPECT_EQ(dovrel::CreatedvDovrel(nullptr, IID_IDovrel, dovrel.ReceiveVoid()), S_OK);
  return dovrel;
}

ComPtr<IHLDYStyles> StylesOf(IDovrel* dovrel) {
  ComPtr<IHLDYStyles> styles;
  EXPECT_EQ(dovrel->get_HolidayStyles(styles.Receive()), S_OK);
  return styles;
}

ComPtr<IDays> DaysOf(IHLDYStyle* style) {
  ComPtr<IDays> days;
  EXPECT_EQ(style->get_Days(days.Receive()), S_OK);
  return days;
}

ComPtr<IHLDYStyle> AddStyle(IDovrel* dovrel, std::u16string_view key, LONG override_) {
  Bstr keyText(key);
  ComPtr<IHLDYStyle> style;
  EXPECT_EQ(StylesOf(dovrel)->Add(Var::Missing().v, keyText.b, Var::Missing().v, style.Receive()), S_OK)
      << Printable(key);
  if (style) {
    EXPECT_EQ(style->put_Override(AsEnum<dvOverrideConst>(override_)), S_OK);
  }
  return style;
}

ComPtr<IDay> AddDay(IHLDYStyle* style, const DayDef& day) {
  Bstr keyText(day.key);
  Var date = Var::Day(day.date);
  Var date2 = day.date2 ? Var::Day(*day.date2) : Var::Missing();
  ComPtr<IDay> added;
  EXPECT_EQ(DaysOf(style)->Add(keyText.b, Var::Missing().v, date.v, date2.v, AsEnum<dvDayTypeConst>(day.type),
                               added.Receive()),
            S_OK)
      << Printable(day.key);
  return added;
}

void SetWeekRests(IDovrel* dovrel, int weekday, LONG rule) {
  EXPECT_EQ(dovrel->put_WeekRests(static_cast<SHORT>(weekday), AsEnum<dvWeekRestsConst>(rule)), S_OK);
}

HRESULT SetUseStyles(IDovrel* dovrel, std::u16string_view text) {
  Bstr value(text);
  return dovrel->put_UseStyles(value.b);
}

std::u16string UseStylesOf(IDovrel* dovrel) {
  Bstr text;
  EXPECT_EQ(dovrel->get_UseStyles(text.Receive()), S_OK);
  EXPECT_NE(text.b, nullptr) << "an empty text, never a null one";
  return text.Text();
}

void SetValue(IDovrel* dovrel, std::int64_t jdn) { EXPECT_EQ(dovrel->put_Value(Var::Day(jdn).v), S_OK); }

LONG ValueTypeOf(IDovrel* dovrel, std::int64_t jdn) {
  SetValue(dovrel, jdn);
  dvValueTypeConst type{};
  EXPECT_EQ(dovrel->get_ValueType(&type), S_OK);
  return Raw(type);
}

std::u16string KeyOf(IDay* day) {
  Bstr key;
  EXPECT_EQ(day->get_Key(key.Receive()), S_OK);
  return key.Text();
}

void BuildJapaneseStyleCalendar(IDovrel* dovrel) {
  SetWeekRests(dovrel, dvSunday, dvAllWeeks);
  SetWeekRests(dovrel, dvSaturday, dv2ndWeek | dv4thWeek);

  ComPtr<IHLDYStyle> national = AddStyle(dovrel, u"National", dvOverrideNextDay);
  const struct {
    const char16_t* key;
    int month, day;
  } fixed[] = {{u"NewYear", 1, 1},     {u"Foundation", 2, 11}, {u"Emperor", 2, 23}, {u"Showa", 4, 29},
               {u"Constitution", 5, 3}, {u"Greenery", 5, 4},    {u"Children", 5, 5}, {u"Mountain", 8, 11},
               {u"Culture", 11, 3},     {u"Labour", 11, 23}};
  for (const auto& f : fixed) AddDay(national.Get(), {f.key, dvTypeHoliday, Jdn(2000, f.month, f.day), {}});
  // Holidays that move from year to year: 2024's, one-off.
  const struct {
    const char16_t* key;
    int month, day;
  } moving[] = {{u"ComingOfAge2024", 1, 8}, {u"Spring2024", 3, 20},  {u"Marine2024", 7, 15},
                {u"Aged2024", 9, 16},       {u"Autumn2024", 9, 22}, {u"Sports2024", 10, 14}};
  for (const auto& f : moving) AddDay(national.Get(), {f.key, dvTypeForcedHoliday, Jdn(2024, f.month, f.day), {}});

  ComPtr<IHLDYStyle> company = AddStyle(dovrel, u"Company", dvOverrideNone);
  AddDay(company.Get(), {u"YearEnd", dvTypeHoliday, Jdn(2023, 12, 29), Jdn(2024, 1, 3)});
  AddDay(company.Get(), {u"Stocktaking", dvTypeForcedWorkday, Jdn(2024, 11, 9), {}});
  AddDay(company.Get(), {u"Open0506", dvTypeForcedWorkday, Jdn(2024, 5, 6), {}});
  EXPECT_EQ(SetUseStyles(dovrel, u"National,Company"), S_OK);
}

}  // namespace dovtest
