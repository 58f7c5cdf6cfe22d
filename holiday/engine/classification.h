// Classification of a run of consecutive days into day cells: the weekly
// rest days first, then the definitions of each style in use, in order, the
// last marking of a day winning.
//
// The pieces are separate so that the automation objects can wrap them: a
// HolidayStyle's ApplyToRange is ApplyToRange below over its Days. The
// same rules write either day cells or bit planes (the form the main object
// keeps, kept_classification.h); one set of marking functions serves both,
// so the two cannot come to differ.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "engine/day_cell.h"
#include "engine/day_definition.h"
#include "engine/use_styles.h"

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
// in one occurrence, replaces a moved holiday, so of a run of marked days
// only the last can move its holiday on. Bits 16 and 32 are never touched,
// and days outside the run are not touched at all.
void MarkDefinition(CellRun run, const DayDefinition& def, bool override_next_day,
                    std::int32_t style_number);

// A style's marking: its definitions in collection order.
void ApplyToRange(CellRun run, std::span<const DayDefinition> days, bool override_next_day,
                  std::int32_t style_number);

// The same marking for a style that holds its definitions one by one (the
// HolidayStyle object keeps each in its own Day): made once per run, then
// given each definition in collection order. What the run needs to know of
// the calendar (the year of its first day) is worked out once, not once per
// definition.
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

// A calendar's rules as plain data: the weekly rules, the styles of the
// collection in order, and the style list. The main object copies its
// objects' definitions into these for the classification it keeps; tests and
// the fuzzer write them directly.
struct HolidayStyleRules {
  bool override_next_day = false;  // Override = dvOverrideNextDay
  std::vector<DayDefinition> days;
};

struct CalendarRules {
  WeekRests week_rests{};
  std::vector<HolidayStyleRules> styles;  // HolidayStyles in collection order
  StyleList style_list;                   // 0-based indexes into styles

  // Holidays need a style in use and rest days a rest rule.
  bool StyleListEmpty() const { return style_list.empty(); }
  bool NoWeekRests() const { return HasNoWeekRests(week_rests); }
};

// A definition made ready for marking many runs: the shape of the days it
// covers, with what the marking needs of the calendar (the month and day of
// a yearly holiday, a yearly range's months, days and span) worked out from
// its fields once, and what it writes (its kind, and the kind of a holiday
// it moves, which depend on the style's Override). Every marking goes
// through this form, the one-off marking of a style's ApplyToRange as well
// as the classification the main object keeps.
struct PreparedDefinition {
  enum class Shape : std::uint8_t { Nothing, OneOff, YearlyDay, YearlyRange };
  Shape shape = Shape::Nothing;
  std::uint16_t kind = 0;        // the kind bits a marked day gets
  std::uint16_t moved_kind = 0;  // those of the day a holiday moves to; 0: it never moves
  DayInterval days{0, 0};        // OneOff: every day from lo to hi
  RecurringDay date;             // YearlyDay: Date's month and day
  YearlyRange range;             // YearlyRange
};
PreparedDefinition PrepareDefinition(const DayDefinition& def, bool override_next_day);

// Rules made ready for classifying many runs: the weekly rules, and the
// styles of the style list in list order (entries the styles do not have
// left out), each with its style number and prepared definitions.
struct PreparedRules {
  struct Style {
    std::int32_t style_number = 0;
    bool override_next_day = false;
    std::vector<DayDefinition> sources;    // what the definitions were prepared from
    std::vector<PreparedDefinition> days;  // one for each source, in order
  };
  // The rest days of the weekdays that rest every week, as the words of bit
  // planes that start on each weekday (index weekday - 1).
  struct WeekWords {
    std::array<std::uint64_t, 7> rest{}, moves{};
    bool any = false;
  };
  WeekRests week_rests{};
  WeekWords every_week;
  bool some_weeks = false;  // rules for some weeks of the month, read month by month
  std::vector<Style> styles;

  // Replaces what it holds with the given rules, reusing its memory. A
  // definition that is the same as the one prepared at its place before
  // (under the same Override) keeps its prepared form: after a change of one
  // Day, one definition is prepared again. Throws std::bad_alloc before it
  // changes anything, so that what it holds is always prepared under the
  // Override it records.
  void Prepare(const CalendarRules& rules);
};

// The classification of a run over plain rules. An index of the style list
// that the styles do not have is skipped; the list follows the collection
// only through ResolveUseStyles.
void ClassifyRange(CellRun run, const CalendarRules& rules);

// The flags of day d, classified afresh together with the day before so that
// a holiday moved from d - 1 onto d is seen: what any run that holds d - 1
// and d gives d, whatever else it holds.
std::uint16_t ClassifyDay(const CalendarRules& rules, DayNumber d);

// The same classification written as bit planes rather than cells, for the
// classification the main object keeps: bit j of word k of each plane is day
// first + 64k + j. Only the flags are kept (no style numbers), and the kind
// in three planes instead of four bits, since it only takes six values:
//
//   kind              holiday  forced  moved
//   0  none              0       0       0
//   1  holiday           1       0       0
//   3  forced holiday    1       1       0
//   4  forced workday    0       1       0
//   9  moved holiday     1       0       1
//   11 moved forced      1       1       1
//
// and the weekly rest day (flag 16) as the fourth. Flag 32 is only needed
// while the run is marked, in a fifth plane the caller provides.
enum Plane : std::size_t { kHolidayPlane, kForcedPlane, kMovedPlane, kRestPlane, kMovesHolidaysPlane, kPlaneCount };

struct PlaneRun {
  DayNumber first = 0;
  std::size_t words = 0;           // per plane; the run is words * 64 days
  std::uint64_t* planes = nullptr;  // kPlaneCount planes of `words` words, one after the other

  std::uint64_t* plane(Plane p) const { return planes + static_cast<std::size_t>(p) * words; }
};

// Every plane written (the words arrive in any state).
void ClassifyRange(PlaneRun run, const PreparedRules& rules);

// The kind bits of a cell from its bits in the three kind planes, and back.
constexpr std::uint16_t KindFromPlanes(bool holiday, bool forced, bool moved) {
  if (!holiday) return forced ? cell_flag::kForceWorkday : 0;
  return static_cast<std::uint16_t>(cell_flag::kHolidayOrWorkday | (forced ? cell_flag::kForceHoliday : 0) |
                                    (moved ? cell_flag::kOverriddenHoliday : 0));
}

}  // namespace dovrel::engine
