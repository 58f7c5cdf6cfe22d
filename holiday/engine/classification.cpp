#include "engine/classification.h"

#include <cstddef>

namespace dovrel::engine {

namespace {

constexpr std::uint16_t kRestFlags = cell_flag::kWeekend | cell_flag::kMovesToNextDay;

std::uint16_t RestDayFlags(std::int16_t rule) {
  return (rule & week_rest::kOverrideWeekday) != 0 ? kRestFlags : cell_flag::kWeekend;
}

// A rule that names all five occurrences makes every such weekday a rest
// day, which needs no calendar at all.
constexpr std::int16_t kEveryOccurrence = week_rest::k1stWeek | week_rest::k2ndWeek |
                                          week_rest::k3rdWeek | week_rest::k4thWeek |
                                          week_rest::k5thWeek;
bool CoversEveryWeek(std::int16_t rule) { return (rule & kEveryOccurrence) == kEveryOccurrence; }

// Zeroes the run and marks the weekdays that are rest days in every week:
// the cells then repeat with a period of seven, and are written a week at a
// time from a pattern that starts on the run's first weekday. This is the
// one pass over the whole buffer that every classification makes.
void FillWeekPattern(CellRun run, const WeekRests& rests) {
  std::array<DayCell, 14> week{};  // two weeks, so that any rotation is a plain slice
  bool any = false;
  for (int weekday = 1; weekday <= 7; ++weekday) {
    const std::int16_t rule = rests[weekday - 1];
    if (rule == 0 || !CoversEveryWeek(rule)) continue;
    any = true;
    week[static_cast<std::size_t>(weekday - 1)].flags = RestDayFlags(rule);
    week[static_cast<std::size_t>(weekday + 6)].flags = RestDayFlags(rule);
  }
  if (!any) {
    std::fill(run.cells.begin(), run.cells.end(), DayCell{});
    return;
  }
  const DayCell* pattern = week.data() + (Weekday(run.first) - 1);
  const std::size_t n = run.cells.size();
  std::size_t i = 0;
  for (; i + 7 <= n; i += 7) std::copy_n(pattern, 7, run.cells.data() + i);
  std::copy_n(pattern, n - i, run.cells.data() + i);
}

// Walks the months the run touches rather than its days, so that the
// calendar is consulted once per month, not once per day.
void MarkSomeWeeks(CellRun run, const WeekRests& rests) {
  const CivilDate start = CivilFromDayNumber(run.first);
  int year = start.year;
  int month = start.month;
  std::int64_t month_start = static_cast<std::int64_t>(run.first) - (start.day - 1);
  const std::int64_t last = run.last();
  while (month_start <= last) {
    const int length = DaysInMonth(year, month);
    const int first_weekday = Weekday(static_cast<DayNumber>(month_start));
    for (int weekday = 1; weekday <= 7; ++weekday) {
      const std::int16_t rule = rests[weekday - 1];
      if (rule == 0 || CoversEveryWeek(rule)) continue;
      const std::uint16_t flags = RestDayFlags(rule);
      int occurrence_bit = week_rest::k1stWeek;
      for (int day = 1 + static_cast<int>(detail::FloorMod(weekday - first_weekday, 7)); day <= length;
           day += 7, occurrence_bit <<= 1) {
        const bool last_in_month = day + 7 > length;
        const bool rest = (rule & occurrence_bit) != 0 || ((rule & week_rest::kLastWeek) != 0 && last_in_month);
        if (!rest) continue;
        const std::int64_t offset = month_start + day - 1 - run.first;
        if (offset >= 0 && offset < static_cast<std::int64_t>(run.cells.size())) {
          run.cells[static_cast<std::size_t>(offset)].flags |= flags;
        }
      }
    }
    month_start += length;
    if (++month > 12) {
      month = 1;
      ++year;
    }
  }
}

// What a definition writes into the kind bits of the days it marks, and of
// the day after a rest day that moves holidays (0: the definition never
// moves). Every marking replaces all four kind bits, which is why a later
// marking always wins and bits 1 and 4 never meet.
struct Marking {
  std::uint16_t kind;
  std::uint16_t moved_kind;
};

Marking MarkingOf(std::int16_t type, bool override_next_day) {
  switch (type) {
    case kTypeHoliday:
      return {cell_flag::kHolidayOrWorkday,
              override_next_day ? std::uint16_t(cell_flag::kHolidayOrWorkday | cell_flag::kOverriddenHoliday)
                                : std::uint16_t(0)};
    case kTypeForcedHoliday:
      return {std::uint16_t(cell_flag::kHolidayOrWorkday | cell_flag::kForceHoliday),
              override_next_day ? std::uint16_t(cell_flag::kHolidayOrWorkday | cell_flag::kForceHoliday |
                                                cell_flag::kOverriddenHoliday)
                                : std::uint16_t(0)};
    default:
      return {cell_flag::kForceWorkday, 0};
  }
}

void SetKind(DayCell& cell, std::uint16_t kind, std::int32_t style_number) {
  cell.flags = static_cast<std::uint16_t>((cell.flags & ~cell_flag::kKind) | kind);
  cell.style = style_number;
}

// Marks the days lo ... hi that lie in the run, in ascending order, so that
// inside a multi-day holiday a holiday moved onto the next day is replaced by
// that day's own marking.
void MarkDays(CellRun run, std::int64_t lo, std::int64_t hi, Marking marking, std::int32_t style_number) {
  const std::int64_t size = static_cast<std::int64_t>(run.cells.size());
  const std::int64_t from = std::max<std::int64_t>(lo - run.first, 0);
  const std::int64_t to = std::min<std::int64_t>(hi - run.first, size - 1);
  for (std::int64_t i = from; i <= to; ++i) {
    DayCell& cell = run.cells[static_cast<std::size_t>(i)];
    const std::uint16_t old = cell.flags;
    SetKind(cell, marking.kind, style_number);
    if (marking.moved_kind != 0 && (old & kRestFlags) == kRestFlags && i + 1 < size) {
      SetKind(run.cells[static_cast<std::size_t>(i + 1)], marking.moved_kind, style_number);
    }
  }
}

// A yearly holiday on a single month and day: once a year from the run's
// year on. 29 February is skipped in common years rather than moved.
void MarkYearlyDay(CellRun run, int run_year, const DayDefinition& def, Marking marking,
                   std::int32_t style_number) {
  const CivilDate date = CivilFromDayNumber(def.Date);
  const std::int64_t last = run.last();
  for (int year = run_year;; ++year) {
    const ClampedDayNumber day = DayNumberFromCivil(year, date.month, date.day);
    if (day.day > last) break;
    if (!day.clamped) MarkDays(run, day.day, day.day, marking, style_number);
  }
}

// A yearly range: its occurrences in ascending order. Occurrences that touch
// the run start at most one year ahead of it (or span years ahead for a
// reversed range); of those that start before the run only the latest
// matters, since it reaches furthest and is marked last. Days an earlier
// occurrence already marked are not marked again: marking them again would
// write the same kind, and a holiday it moved to the next day would be
// replaced by that day's own marking in the same occurrence.
void MarkYearlyRange(CellRun run, int run_year, const DayDefinition& def, Marking marking,
                     std::int32_t style_number) {
  const YearlyRange range(def);
  const int span = range.span();
  int year = span > 0 ? run_year - 1 : span == 0 ? run_year : run_year - span - 1;
  const std::int64_t last = run.last();
  std::int64_t marked_through = static_cast<std::int64_t>(run.first) - 1;
  for (;; ++year) {
    const DayInterval occurrence = range.Occurrence(year);
    if (occurrence.lo > last) break;
    MarkDays(run, std::max<std::int64_t>(occurrence.lo, marked_through + 1), occurrence.hi, marking,
             style_number);
    marked_through = std::max<std::int64_t>(marked_through, occurrence.hi);
    if (marked_through >= last) break;
  }
}

}  // namespace

void ResetToWeekRests(CellRun run, const WeekRests& rests) {
  if (run.cells.empty()) return;
  FillWeekPattern(run, rests);
  const bool some_weeks = std::any_of(rests.begin(), rests.end(),
                                      [](std::int16_t rule) { return rule != 0 && !CoversEveryWeek(rule); });
  if (some_weeks) MarkSomeWeeks(run, rests);
}

namespace {

// A definition's marking, with the year of the run's first day worked out
// once by the caller for all the definitions of a style.
void MarkDefinitionInRun(CellRun run, int run_year, const DayDefinition& def, bool override_next_day,
                         std::int32_t style_number) {
  if (run.cells.empty() || !CoversAnyDay(def)) return;
  const Marking marking = MarkingOf(def.Type, override_next_day);
  if (def.Type != kTypeHoliday) {
    // One-off: the date, or every day between the two ends in either order.
    const DayNumber other = def.HasDate2() ? def.Date2 : def.Date;
    MarkDays(run, std::min(def.Date, other), std::max(def.Date, other), marking, style_number);
  } else if (!def.HasDate2()) {
    MarkYearlyDay(run, run_year, def, marking, style_number);
  } else {
    MarkYearlyRange(run, run_year, def, marking, style_number);
  }
}

}  // namespace

StyleMarking::StyleMarking(CellRun run, bool override_next_day, std::int32_t style_number)
    : run_(run),
      run_year_(CivilFromDayNumber(run.first).year),
      override_next_day_(override_next_day),
      style_number_(style_number) {}

void StyleMarking::Mark(const DayDefinition& def) const {
  MarkDefinitionInRun(run_, run_year_, def, override_next_day_, style_number_);
}

void MarkDefinition(CellRun run, const DayDefinition& def, bool override_next_day,
                    std::int32_t style_number) {
  StyleMarking(run, override_next_day, style_number).Mark(def);
}

void ApplyToRange(CellRun run, std::span<const DayDefinition> days, bool override_next_day,
                  std::int32_t style_number) {
  const StyleMarking marking(run, override_next_day, style_number);
  for (const DayDefinition& def : days) marking.Mark(def);
}

}  // namespace dovrel::engine
