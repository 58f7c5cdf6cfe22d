// What the main object's tests share: dates by the tests' own civil
// calendar, date answers read back, the main object's error texts, a main
// object with its calendar built through the public interfaces, and a
// fixture that checks every object made was released. Owned values and the
// thread's error information come from the tests' common support.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dovrel60.h"
#include "frame/com_object.h"
#include "frame/module_lock.h"
#include "tests/support/civil_calendar.h"
#include "tests/support/error_info.h"
#include "tests/support/text.h"
#include "tests/support/values.h"

namespace dovtest {

using dovrel::ComPtr;

// --- Dates ----------------------------------------------------------------------
// The tests' own civil calendar, not the engine's, so that the tests check
// its day numbers too.

using testsupport::AutomationDate;
using testsupport::Civil;
using testsupport::CivilFromDays;
using testsupport::DaysFromCivil;  // day number (JDN)
using testsupport::MonthLength;
using testsupport::WeekdayOf;  // 1 = Sunday ... 7 = Saturday

inline constexpr std::int64_t kFirstDay = 1757585;  // 0100-01-01
inline constexpr std::int64_t kLastDay = 5373484;   // 9999-12-31
inline constexpr std::int64_t kEpochDay = testsupport::kAutomationEpochDay;  // 1899-12-30

inline std::int64_t Jdn(int y, int m, int d) { return DaysFromCivil(y, m, d); }
inline double Ymd(int y, int m, int d) { return AutomationDate(Jdn(y, m, d)); }
std::string DateText(std::int64_t jdn);  // 2024-02-11, for messages

// --- Owned automation values ------------------------------------------------------

using testsupport::AsEnum;
using testsupport::Bstr;
using testsupport::Printable;
using testsupport::Raw;
using testsupport::Var;

// What a date answer holds: a day number, or nothing for Null. Anything else
// (another type, a time of day) fails the test.
std::optional<std::int64_t> DayIn(const VARIANT& answer);

// --- Error information ------------------------------------------------------------

using testsupport::PlantSentinelErrorInfo;
using testsupport::Raised;
using testsupport::SentinelErrorInfoStillThere;
using testsupport::TakeErrorInfo;

inline constexpr HRESULT kInvalidArgument = static_cast<HRESULT>(0x800A0005);
inline constexpr HRESULT kInvalidPropertyValue = static_cast<HRESULT>(0x800A017C);
inline constexpr HRESULT kIndexOutOfRange = static_cast<HRESULT>(0x800A0202);
inline constexpr HRESULT kRangeTooLong = static_cast<HRESULT>(0x800A0206);
inline constexpr std::u16string_view kIndexOutOfRangeText = u"範囲外のｲﾝﾃﾞｯｸｽです";
inline constexpr std::u16string_view kRangeTooLongText = u"1000年より大きな期間を指定しました";

// Expects the code and the main object's error information for it.
void ExpectRaisedByDovrel(HRESULT hr, HRESULT code, std::u16string_view text);

// --- Objects ----------------------------------------------------------------------

// Every object counts towards the module lock: a test that ends with the count
// where it began released everything it made, and nothing twice.
// The count is taken when the fixture is made, before the members of the
// tests' fixtures make their objects.
class DovrelTest : public ::testing::Test {
 protected:
  DovrelTest() : baseline_(dovrel::ModuleLockCount()) {}
  void SetUp() override;
  void TearDown() override;

 private:
  LONG baseline_;
};

ComPtr<IDovrel> NewDovrel();
ComPtr<IHLDYStyles> StylesOf(IDovrel* dovrel);
ComPtr<IDays> DaysOf(IHLDYStyle* style);

// Adds a style at the end (Override as given) and expects success.
ComPtr<IHLDYStyle> AddStyle(IDovrel* dovrel, std::u16string_view key, LONG override_ = dvOverrideNone);

struct DayDef {
  std::u16string key;
  LONG type = dvTypeHoliday;
  std::int64_t date = 0;                // day number
  std::optional<std::int64_t> date2;    // day number
};
ComPtr<IDay> AddDay(IHLDYStyle* style, const DayDef& day);

void SetWeekRests(IDovrel* dovrel, int weekday, LONG rule);
HRESULT SetUseStyles(IDovrel* dovrel, std::u16string_view text);
std::u16string UseStylesOf(IDovrel* dovrel);
void SetValue(IDovrel* dovrel, std::int64_t jdn);
LONG ValueTypeOf(IDovrel* dovrel, std::int64_t jdn);

// The key of a Day a query handed out.
std::u16string KeyOf(IDay* day);

// The Japanese-style calendar of the tests, through the public interfaces:
// Sundays off (dvAllWeeks, so holidays on a Sunday move to the Monday), the
// 2nd and 4th Saturdays off; style "National" (dvOverrideNextDay) with the
// fixed-date national holidays as yearly Days and 2024's moving holidays as
// forced holidays; style "Company" with the year-end break 12-29 .. 01-03,
// and forced working days on Saturday 2024-11-09 and on 2024-05-06 (the
// Monday a Sunday holiday moves to). UseStyles "National,Company".
void BuildJapaneseStyleCalendar(IDovrel* dovrel);

}  // namespace dovtest
