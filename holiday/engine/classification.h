// Classification of a run of consecutive days into day cells: the weekly
// rest days first, then the definitions of each style in use, in order, the
// last marking of a day winning.
//
// The pieces are separate so that the automation objects can wrap them: a
// HolidayStyle's ApplyToRange is ApplyToRange below over its Days, and the
// main object classifies with ClassifyRange, handing each style in use its
// turn through a callback.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>

#include "engine/day_cell.h"
#include "engine/day_definition.h"

namespace dovrel::engine {

// dvWeekRestsConst: which occurrences of a weekday in its month are rest days.
namespace week_rest {
inline constexpr std::int16_t kNoWeeks = 0;
inline constexpr std::int16_t k1stWeek = 1;
inline constexpr std::int16_t k2ndWeek = 2;
inline constexpr std::int16_t k3rdWeek = 4;
inline constexpr std::int16_t k4thWeek = 8;
inline constexpr std::int16_t k5thWeek = 16;
inline constexpr std::int16_t kLastWeek = 32;
inline constexpr std::int16_t kOverrideWeekday = 64;
inline constexpr std::int16_t kAllWeeks = -1;  // every bit, so it includes kLastWeek and kOverrideWeekday
}  // namespace week_rest

// WeekRests, indexed by weekday - 1 (Sunday first). Bits above 64 mean nothing.
using WeekRests = std::array<std::int16_t, 7>;

constexpr bool HasNoWeekRests(const WeekRests& rests) {
  return std::all_of(rests.begin(), rests.end(), [](std::int16_t r) { return r == 0; });
}

// The first two steps of every classification, in one pass over the cells:
// every cell zeroed, then each weekly rest day given flag 16, and flag 32 as
// well when its rule includes dvOverrideWeekday. A weekday's n-th occurrence
// in its month (days 1-7 are the first, 29-31 the fifth) is a rest day when
// the rule has bit 2^(n-1), or when it has dvLastWeek and the weekday does
// not occur again in the month.
void ResetToWeekRests(CellRun run, const WeekRests& rests);

// Marks the days a definition covers, for a style with the given Override
// (true for dvOverrideNextDay) and 1-based style number. A marked day gets
// the style number and the definition's kind: holiday 1, forced holiday 3,
// forced working day 4. When the style moves holidays and the day was a rest
// day with flag 32, the next day, if inside the run, becomes a moved holiday
// (9, or 11 for a forced holiday) of this style. A moved holiday does not
// move again; a day's own marking, which comes after the move when both lie
// in one occurrence, replaces a moved holiday. Bits 16 and 32 are never
// touched, and days outside the run are not touched at all.
void MarkDefinition(CellRun run, const DayDefinition& def, bool override_next_day,
                    std::int32_t style_number);

// A style's marking: its definitions in collection order.
void ApplyToRange(CellRun run, std::span<const DayDefinition> days, bool override_next_day,
                  std::int32_t style_number);

// The same marking for a style that holds its definitions one by one (the
// HolidayStyle object keeps each in its own Day): made once per run, then
// given each definition in collection order. What the run needs to know of
// the calendar (the year of its first day) is worked out once, not once per
// definition: a style marks runs of a few hundred days on every step of a
// walk, where that would cost as much as the marking itself.
class StyleMarking {
 public:
  StyleMarking(CellRun run, bool override_next_day, std::int32_t style_number);
  void Mark(const DayDefinition& def) const;

 private:
  CellRun run_;
  int run_year_;
  bool override_next_day_;
  std::int32_t style_number_;
};

// The one order of classification: every cell zeroed, then the weekly rest
// days, then each entry of the style list in list order (a style listed
// twice is applied twice). apply_style(run, index) applies the style at the
// 0-based index with style number index + 1.
template <class ApplyStyle>
void ClassifyRange(CellRun run, const WeekRests& rests, std::span<const std::int32_t> style_list,
                   ApplyStyle&& apply_style) {
  ResetToWeekRests(run, rests);
  for (const std::int32_t index : style_list) apply_style(run, index);
}

}  // namespace dovrel::engine
