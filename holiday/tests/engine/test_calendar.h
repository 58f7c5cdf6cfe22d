// Test support: an independent civil calendar, readable builders for
// calendars, and a brute-force oracle that classifies each day on its own
// from the definitions, without the engine's marking code.
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <unordered_map>
#include <vector>

#include "engine/queries.h"
#include "tests/support/civil_calendar.h"

namespace dovrel::engine::testing {

// The sanitizer build runs several times slower; its randomised tests take a
// quarter of the rounds (they are there to catch memory faults, which show
// on any round).
#if defined(__SANITIZE_ADDRESS__)
inline constexpr int kRandomRoundsDivisor = 4;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr int kRandomRoundsDivisor = 4;
#else
inline constexpr int kRandomRoundsDivisor = 1;
#endif
#else
inline constexpr int kRandomRoundsDivisor = 1;
#endif
constexpr int RandomRounds(int rounds) { return rounds / kRandomRoundsDivisor; }

// The tests' own civil calendar (a different derivation from the engine's),
// used to check it.
inline std::int64_t IndependentDaysFromCivil(std::int64_t y, int m, int d) {
  return testsupport::DaysFromCivil(y, m, d);
}

inline CivilDate IndependentCivil(std::int64_t jdn) {
  const testsupport::Civil c = testsupport::CivilFromDays(jdn);
  return {static_cast<int>(c.year), c.month, c.day};
}

inline int IndependentMonthLength(std::int64_t y, int m) { return testsupport::MonthLength(y, m); }

// A date in tests: Day(2024, 2, 11).
inline DayNumber Day(int y, int m, int d) { return static_cast<DayNumber>(IndependentDaysFromCivil(y, m, d)); }

inline DayDefinition Holiday(DayNumber date) { return {kTypeHoliday, date, kNullDayNumber}; }
inline DayDefinition Holiday(DayNumber date, DayNumber date2) { return {kTypeHoliday, date, date2}; }
inline DayDefinition ForcedHoliday(DayNumber date, DayNumber date2 = kNullDayNumber) {
  return {kTypeForcedHoliday, date, date2};
}
inline DayDefinition ForcedWorkday(DayNumber date, DayNumber date2 = kNullDayNumber) {
  return {kTypeForcedWorkday, date, date2};
}

inline HolidayStyleRules Style(bool override_next_day, std::initializer_list<DayDefinition> days) {
  return {override_next_day, std::vector<DayDefinition>(days)};
}

// Rules for all styles in collection order, all of them in use.
inline CalendarRules AllInUse(WeekRests rests, std::vector<HolidayStyleRules> styles) {
  CalendarRules rules{rests, std::move(styles), {}};
  for (std::size_t i = 0; i < rules.styles.size(); ++i) rules.style_list.push_back(static_cast<std::int32_t>(i));
  return rules;
}

inline WeekRests RestOn(std::initializer_list<std::pair<int, std::int16_t>> weekday_rules) {
  WeekRests rests{};
  for (auto [weekday, rule] : weekday_rules) rests[weekday - 1] = rule;
  return rests;
}

// ---------------------------------------------------------------------------
// The oracle: what a day is, worked out for that day alone.

struct YearlyPattern {
  int m1, d1, m2, d2;
  std::int64_t span;
};

inline std::int64_t ClampedDay(std::int64_t y, int m, int d) {
  return IndependentDaysFromCivil(y, m, std::min(d, IndependentMonthLength(y, m)));
}

// Every yearly occurrence that could contain d, tried one by one.
inline bool OracleCovers(const DayDefinition& def, std::int64_t d) {
  const bool has_date2 = def.Date2 >= kFirstValidDay && def.Date2 <= kLastValidDay;
  switch (def.Type) {
    case kTypeForcedHoliday:
    case kTypeForcedWorkday:
      if (!has_date2) return d == def.Date;
      return d >= std::min(def.Date, def.Date2) && d <= std::max(def.Date, def.Date2);
    case kTypeHoliday: break;
    default: return false;
  }
  const CivilDate day = IndependentCivil(d);
  const CivilDate from = IndependentCivil(def.Date);
  if (!has_date2) return day.month == from.month && day.day == from.day;
  const CivilDate to = IndependentCivil(def.Date2);
  const std::int64_t span = std::int64_t(to.year) - from.year;
  const std::int64_t reach = span < 0 ? -span : span;
  for (std::int64_t s = day.year - reach - 1; s <= day.year + reach + 1; ++s) {
    const std::int64_t a = ClampedDay(s, from.month, from.day);
    const std::int64_t b = ClampedDay(s + span, to.month, to.day);
    if (d >= std::min(a, b) && d <= std::max(a, b)) return true;
  }
  return false;
}

inline std::uint16_t OracleWeekly(const WeekRests& rests, std::int64_t d) {
  const CivilDate c = IndependentCivil(d);
  // Weekday by counting from a known Saturday, 2000-01-01 (day 2451545).
  const std::int64_t since = d - 2451545;
  const int weekday = static_cast<int>(((since % 7) + 7 + 6) % 7) + 1;  // Saturday = 7
  const int rule = rests[weekday - 1];
  if (rule == 0) return 0;
  const int occurrence = (c.day + 6) / 7;
  const bool last = c.day + 7 > IndependentMonthLength(c.year, c.month);
  const bool rest = (rule & (1 << (occurrence - 1))) != 0 || ((rule & 32) != 0 && last);
  if (!rest) return 0;
  return static_cast<std::uint16_t>((rule & 64) != 0 ? 48 : 16);
}

struct OracleCell {
  std::uint16_t flags;
  std::int32_t style;
};

// A day's cell: the weekly flags, then every definition of every style in
// use in turn. Within one definition a day's own marking replaces a holiday
// moved onto it from the day before, and the move happens only from a rest
// day whose rule moves holidays (flags 16 and 32) in a style that moves them.
inline OracleCell OracleClassify(const CalendarRules& rules, std::int64_t d) {
  OracleCell cell{OracleWeekly(rules.week_rests, d), 0};
  const bool before_moves = OracleWeekly(rules.week_rests, d - 1) == 48;
  for (const std::int32_t index : rules.style_list) {
    if (index < 0 || static_cast<std::size_t>(index) >= rules.styles.size()) continue;
    const HolidayStyleRules& style = rules.styles[static_cast<std::size_t>(index)];
    for (const DayDefinition& def : style.days) {
      int kind = 0;
      if (OracleCovers(def, d)) {
        kind = def.Type == kTypeHoliday ? 1 : def.Type == kTypeForcedHoliday ? 3 : 4;
      } else if (style.override_next_day && def.Type != kTypeForcedWorkday && before_moves &&
                 OracleCovers(def, d - 1)) {
        kind = def.Type == kTypeHoliday ? 9 : 11;
      }
      if (kind != 0) {
        cell.flags = static_cast<std::uint16_t>((cell.flags & 48) | kind);
        cell.style = index + 1;
      }
    }
  }
  return cell;
}

inline bool OracleInCategory(std::uint16_t f, DayCategory category) {
  const bool holiday = f & 1, rest = f & 16, forced_work = f & 4;
  switch (category) {
    case DayCategory::Holiday: return holiday;
    case DayCategory::Workday: return (!holiday && !rest) || forced_work;
    case DayCategory::Weekend: return rest;
    case DayCategory::WeekendOrHoliday: return holiday || rest;
    case DayCategory::AnyDay: return true;
  }
  return false;
}

// The oracle with a memory, so that the randomised comparison can ask it
// about the same days many times.
class Oracle {
 public:
  explicit Oracle(const CalendarRules& rules) : rules_(rules) {}

  std::uint16_t Flags(std::int64_t d) {
    auto it = cache_.find(d);
    if (it == cache_.end()) it = cache_.emplace(d, OracleClassify(rules_, d).flags).first;
    return it->second;
  }
  bool Is(std::int64_t d, DayCategory c) { return OracleInCategory(Flags(d), c); }

 private:
  const CalendarRules& rules_;
  std::unordered_map<std::int64_t, std::uint16_t> cache_;
};

}  // namespace dovrel::engine::testing
