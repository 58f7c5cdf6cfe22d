// What the main object's tests share: owned VARIANTs and BSTRs, dates by an
// independent civil calendar, the thread's error information, a main object
// with its calendar built through the public interfaces, and a fixture that
// checks every object made was released.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "com_object.h"
#include "dovrel60.h"
#include "module_lock.h"

namespace dovtest {

using dovrel::ComPtr;

// --- Dates ----------------------------------------------------------------------
// Written here from the civil-calendar algorithm of the 400-year era, not
// taken from the engine, so that the tests check its day numbers too.

std::int64_t DaysFromCivil(std::int64_t y, int m, int d);  // day number (JDN)
struct Civil {
  std::int64_t year;
  int month;
  int day;
};
Civil CivilFromDays(std::int64_t jdn);
int MonthLength(std::int64_t year, int month);
// 1 = Sunday ... 7 = Saturday.
int WeekdayOf(std::int64_t jdn);

inline constexpr std::int64_t kFirstDay = 1757585;  // 0100-01-01
inline constexpr std::int64_t kLastDay = 5373484;   // 9999-12-31
inline constexpr std::int64_t kEpochDay = 2415019;  // 1899-12-30, automation date 0

inline std::int64_t Jdn(int y, int m, int d) { return DaysFromCivil(y, m, d); }
inline double AutomationDate(std::int64_t jdn) { return static_cast<double>(jdn - kEpochDay); }
inline double Ymd(int y, int m, int d) { return AutomationDate(Jdn(y, m, d)); }
std::string DateText(std::int64_t jdn);  // 2024-02-11, for messages

// --- Owned automation values ------------------------------------------------------

// An owned VARIANT; pass .v to a method (passed by value, borrowed).
struct Var {
  VARIANT v;
  Var() { VariantInit(&v); }
  ~Var() { VariantClear(&v); }
  Var(const Var& other) : Var() { VariantCopy(&v, const_cast<VARIANT*>(&other.v)); }
  Var& operator=(const Var&) = delete;

  static Var Date(double value);
  static Var Day(std::int64_t jdn) { return Date(AutomationDate(jdn)); }
  static Var I2(SHORT value);
  static Var I4(LONG value);
  static Var R8(double value);
  static Var Str(std::u16string_view text);
  static Var Null();
  static Var Missing();  // an omitted optional argument
};

// An owned BSTR; null unless given a text.
struct Bstr {
  BSTR b = nullptr;
  Bstr() = default;
  explicit Bstr(std::u16string_view text);
  ~Bstr() { SysFreeString(b); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR* Receive();
  std::u16string Text() const { return b ? std::u16string(b, SysStringLen(b)) : std::u16string(); }
};

std::string Printable(std::u16string_view text);

// What a date answer holds: a day number, or nothing for Null. Anything else
// (another type, a time of day) fails the test.
std::optional<std::int64_t> DayIn(const VARIANT& answer);

// Enumeration arguments as hosts pass them: any 32-bit value.
template <class Enum>
Enum AsEnum(LONG value) {
  static_assert(sizeof(Enum) == sizeof(LONG));
  Enum e;
  std::memcpy(&e, &value, sizeof e);
  return e;
}
// An enumeration result as the 32-bit value it is: read as an integer, never
// loaded as the enumeration, whose range it may exceed (WeekRests 0x2345).
template <class Enum>
LONG Raw(const Enum& e) {
  static_assert(sizeof(Enum) == sizeof(LONG));
  LONG value;
  std::memcpy(&value, &e, sizeof value);
  return value;
}

// --- Error information ------------------------------------------------------------

struct Raised {
  std::u16string description;
  std::u16string source;
  GUID iid{};
};
std::optional<Raised> TakeErrorInfo();
void PlantSentinelErrorInfo();
bool SentinelErrorInfoStillThere();

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
