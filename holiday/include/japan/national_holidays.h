// The national holidays of Japan, 1948 to 2099, by the rules of the law on
// national holidays (国民の祝日に関する法律) in force in each year.
//
// The table of rules below is the one source of these days. C++ hosts enter
// them into a holiday style with AddJapaneseHolidays (japan/holiday_style.h);
// holidaygen writes the same days, at build time, as the VBA/VBScript module
// JapaneseHolidays.bas and as the saved HolidayStyles file
// japanese_holidays.dvs. Standard C++ only: no COM, no library of ours.
//
// What makes a day a holiday:
//
//  - The holidays of the law (国民の祝日): each rule gives a day of the year
//    for the years in which the law had it so: a fixed date, the nth Monday
//    of a month (成人の日 and 体育の日 from 2000, 海の日 and 敬老の日 from
//    2003), or the day of an equinox. The law took effect on 1948-07-20, so
//    1948 has only the holidays after that day. The days of imperial events
//    and the days moved for the Tokyo Games of 2020 and 2021, each set by a
//    law of its own, are rules of one year.
//  - Substitute holidays (振替休日), from 1973-04-12: a holiday of the law on
//    a Sunday makes the Monday a holiday. From 2007 it is the first day
//    after the Sunday that is not itself a holiday of the law, so that a
//    Sunday 5/3 or 5/4 gives 5/6.
//  - Citizens' holidays (国民の休日), from 1985-12-27: a day between two
//    holidays of the law that is not one itself; until 2006 not when it is
//    a Sunday or a substitute holiday (so the first was 1988-05-04). A day
//    that both rules make a holiday is named a substitute holiday.
//
// The equinox days (春分の日, 秋分の日) are the days of the equinoxes in
// Japan's time, which the government announces a year ahead from the
// astronomical reckoning; EquinoxDay gives them by the usual approximation.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/civil_date.h"

namespace dovrel60::japan {

inline constexpr int kFirstYear = 1948;
inline constexpr int kLastYear = 2099;

// How a rule finds its day in a year.
enum class DayRule {
  fixedDate,        // month and day
  nthMonday,        // the day-th Monday of the month
  vernalEquinox,    // the day of the March equinox
  autumnalEquinox,  // the day of the September equinox
};

struct HolidayRule {
  std::u16string_view name;
  DayRule rule;
  int month;
  int day;  // fixedDate: the day of the month; nthMonday: which Monday
  int firstYear, lastYear;
};

// The holidays of the law, in the order of the year.
inline constexpr HolidayRule kHolidayRules[] = {
    {u"元日", DayRule::fixedDate, 1, 1, 1948, 2099},
    {u"成人の日", DayRule::fixedDate, 1, 15, 1948, 1999},
    {u"成人の日", DayRule::nthMonday, 1, 2, 2000, 2099},
    {u"建国記念の日", DayRule::fixedDate, 2, 11, 1967, 2099},
    {u"天皇誕生日", DayRule::fixedDate, 2, 23, 2020, 2099},
    {u"春分の日", DayRule::vernalEquinox, 3, 0, 1948, 2099},
    {u"天皇誕生日", DayRule::fixedDate, 4, 29, 1948, 1988},
    {u"みどりの日", DayRule::fixedDate, 4, 29, 1989, 2006},
    {u"昭和の日", DayRule::fixedDate, 4, 29, 2007, 2099},
    {u"憲法記念日", DayRule::fixedDate, 5, 3, 1948, 2099},
    {u"みどりの日", DayRule::fixedDate, 5, 4, 2007, 2099},
    {u"こどもの日", DayRule::fixedDate, 5, 5, 1948, 2099},
    {u"海の日", DayRule::fixedDate, 7, 20, 1996, 2002},
    {u"海の日", DayRule::nthMonday, 7, 3, 2003, 2019},
    {u"海の日", DayRule::nthMonday, 7, 3, 2022, 2099},
    {u"山の日", DayRule::fixedDate, 8, 11, 2016, 2019},
    {u"山の日", DayRule::fixedDate, 8, 11, 2022, 2099},
    {u"敬老の日", DayRule::fixedDate, 9, 15, 1966, 2002},
    {u"敬老の日", DayRule::nthMonday, 9, 3, 2003, 2099},
    {u"秋分の日", DayRule::autumnalEquinox, 9, 0, 1948, 2099},
    {u"体育の日", DayRule::fixedDate, 10, 10, 1966, 1999},
    {u"体育の日", DayRule::nthMonday, 10, 2, 2000, 2019},
    {u"スポーツの日", DayRule::nthMonday, 10, 2, 2022, 2099},
    {u"文化の日", DayRule::fixedDate, 11, 3, 1948, 2099},
    {u"勤労感謝の日", DayRule::fixedDate, 11, 23, 1948, 2099},
    {u"天皇誕生日", DayRule::fixedDate, 12, 23, 1989, 2018},
    // Imperial events, each a holiday by a law of its own.
    {u"皇太子明仁親王の結婚の儀", DayRule::fixedDate, 4, 10, 1959, 1959},
    {u"昭和天皇の大喪の礼", DayRule::fixedDate, 2, 24, 1989, 1989},
    {u"即位礼正殿の儀", DayRule::fixedDate, 11, 12, 1990, 1990},
    {u"皇太子徳仁親王の結婚の儀", DayRule::fixedDate, 6, 9, 1993, 1993},
    {u"天皇の即位の日", DayRule::fixedDate, 5, 1, 2019, 2019},
    {u"即位礼正殿の儀", DayRule::fixedDate, 10, 22, 2019, 2019},
    // The Tokyo Games moved three holidays in 2020 and again in 2021.
    {u"海の日", DayRule::fixedDate, 7, 23, 2020, 2020},
    {u"スポーツの日", DayRule::fixedDate, 7, 24, 2020, 2020},
    {u"山の日", DayRule::fixedDate, 8, 10, 2020, 2020},
    {u"海の日", DayRule::fixedDate, 7, 22, 2021, 2021},
    {u"スポーツの日", DayRule::fixedDate, 7, 23, 2021, 2021},
    {u"山の日", DayRule::fixedDate, 8, 8, 2021, 2021},
};

inline constexpr std::u16string_view kSubstituteHolidayName = u"振替休日";
inline constexpr std::u16string_view kCitizensHolidayName = u"国民の休日";

// Keys of the Days: the prefix and the date, "JP-2026-05-06"; one holiday a
// day, so a key names one holiday whatever range of years was entered.
inline constexpr std::u16string_view kKeyPrefix = u"JP-";

// The style of the saved file japanese_holidays.dvs.
inline constexpr std::u16string_view kStyleKey = u"JP";
inline constexpr std::u16string_view kStyleName = u"国民の祝日";

struct Holiday {
  int year;
  int month;
  int day;
  std::u16string_view name;
  friend bool operator==(const Holiday& a, const Holiday& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.name == b.name;
  }
  friend bool operator!=(const Holiday& a, const Holiday& b) { return !(a == b); }
};

// The day of the month of the March (vernal) or September (autumnal)
// equinox, 1900 to 2099. The mean tropical year is 365.242194 days, so the
// equinox comes 0.242194 days later each year and a leap day takes a whole
// day back every fourth year; the constant is where the equinox fell in the
// month in 1980 (in Japan's time), fitted for 1900-1979 and 1980-2099. In
// millionths of a day, so that no binary fraction can round a day away.
constexpr int EquinoxDay(int year, DayRule equinox) {
  const bool autumn = equinox == DayRule::autumnalEquinox;
  const std::int64_t inMonth1980 = year < 1980 ? (autumn ? 23258800 : 20835700) : (autumn ? 23248800 : 20843100);
  const std::int64_t years = year - 1980;
  const std::int64_t leapDaysSince1980 = common::FloorDiv(years, 4);
  return static_cast<int>((inMonth1980 + 242194 * years) / 1000000 - leapDaysSince1980);
}

namespace holiday_detail {

// Days from 1970-01-01, the count of common/civil_date.h.
inline constexpr std::int64_t kLawInForce = common::DaysFromCivil(1948, 7, 20);
inline constexpr std::int64_t kSubstituteHolidaysFrom = common::DaysFromCivil(1973, 4, 12);
inline constexpr std::int64_t kCitizensHolidaysFrom = common::DaysFromCivil(1985, 12, 27);
inline constexpr std::int64_t kLawOf2007From = common::DaysFromCivil(2007, 1, 1);

// Weekdays as common::WeekdayFromDays numbers them.
inline constexpr int kSunday = 0;
inline constexpr int kMonday = 1;

constexpr bool IsSunday(std::int64_t day) { return common::WeekdayFromDays(day) == kSunday; }

constexpr std::int64_t DayOf(const HolidayRule& rule, int year) {
  switch (rule.rule) {
    case DayRule::fixedDate:
      return common::DaysFromCivil(year, rule.month, rule.day);
    case DayRule::nthMonday: {
      const std::int64_t first = common::DaysFromCivil(year, rule.month, 1);
      const std::int64_t toMonday = common::FloorMod(kMonday - common::WeekdayFromDays(first), 7);
      return first + toMonday + 7 * (rule.day - 1);
    }
    case DayRule::vernalEquinox:
    case DayRule::autumnalEquinox:
      return common::DaysFromCivil(year, rule.month, EquinoxDay(year, rule.rule));
  }
  return 0;
}

struct Entry {
  std::int64_t day;
  std::u16string_view name;
};

}  // namespace holiday_detail

// The holidays of one year in date order; none outside 1948..2099.
inline std::vector<Holiday> NationalHolidays(int year) {
  using namespace holiday_detail;
  if (year < kFirstYear || year > kLastYear) return {};

  std::vector<Entry> ofTheLaw;
  for (const HolidayRule& rule : kHolidayRules) {
    if (year < rule.firstYear || year > rule.lastYear) continue;
    if (const std::int64_t day = DayOf(rule, year); day >= kLawInForce) ofTheLaw.push_back({day, rule.name});
  }
  auto isOfTheLaw = [&ofTheLaw](std::int64_t day) {
    return std::any_of(ofTheLaw.begin(), ofTheLaw.end(), [day](const Entry& e) { return e.day == day; });
  };

  std::vector<Entry> all = ofTheLaw;
  std::vector<std::int64_t> substitutes;
  for (const Entry& holiday : ofTheLaw) {
    if (!IsSunday(holiday.day) || holiday.day < kSubstituteHolidaysFrom) continue;
    std::int64_t day = holiday.day + 1;
    if (holiday.day >= kLawOf2007From) {
      while (isOfTheLaw(day)) ++day;
    } else if (isOfTheLaw(day)) {
      continue;  // the old law gave the Monday or nothing
    }
    all.push_back({day, kSubstituteHolidayName});
    substitutes.push_back(day);
  }
  for (const Entry& holiday : ofTheLaw) {
    const std::int64_t between = holiday.day + 1;
    if (between < kCitizensHolidaysFrom || !isOfTheLaw(between + 1) || isOfTheLaw(between)) continue;
    if (std::find(substitutes.begin(), substitutes.end(), between) != substitutes.end()) continue;
    if (between < kLawOf2007From && IsSunday(between)) continue;
    all.push_back({between, kCitizensHolidayName});
  }

  std::sort(all.begin(), all.end(), [](const Entry& a, const Entry& b) { return a.day < b.day; });
  std::vector<Holiday> holidays;
  holidays.reserve(all.size());
  for (const Entry& e : all) {
    const common::CivilDate date = common::CivilFromDays(e.day);
    holidays.push_back({static_cast<int>(date.year), date.month, date.day, e.name});
  }
  return holidays;
}

// The holidays of the years firstYear..lastYear, in date order.
inline std::vector<Holiday> NationalHolidays(int firstYear, int lastYear) {
  std::vector<Holiday> holidays;
  for (int year = firstYear; year <= lastYear; ++year) {
    const std::vector<Holiday> ofYear = NationalHolidays(year);
    holidays.insert(holidays.end(), ofYear.begin(), ofYear.end());
  }
  return holidays;
}

// The name of the national holiday on a date, as the Days of
// AddJapaneseHolidays name it; empty for a day that is none, and for every
// day outside 1948..2099. The text is the table's own, kept for the program.
inline std::u16string_view HolidayName(int year, int month, int day) {
  for (const Holiday& holiday : NationalHolidays(year))
    if (holiday.month == month && holiday.day == day) return holiday.name;
  return {};
}

// The key of a holiday's Day: "JP-yyyy-mm-dd".
inline std::u16string KeyOf(const Holiday& holiday) {
  std::u16string key(kKeyPrefix);
  auto digits = [&key](int value, int width) {
    std::u16string text;
    for (int i = 0; i < width; ++i, value /= 10) text.insert(text.begin(), static_cast<char16_t>(u'0' + value % 10));
    key += text;
  };
  digits(holiday.year, 4);
  key += u'-';
  digits(holiday.month, 2);
  key += u'-';
  digits(holiday.day, 2);
  return key;
}

}  // namespace dovrel60::japan
