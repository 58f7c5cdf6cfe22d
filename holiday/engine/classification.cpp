#include "engine/classification.h"

#include <bit>
#include <cstddef>
#include <limits>

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

// The rest flags of each weekday (index weekday - 1) that is a rest day in
// every week; 0 for the others.
std::array<std::uint16_t, 7> EveryWeekFlags(const WeekRests& rests) {
  std::array<std::uint16_t, 7> flags{};
  for (std::size_t w = 0; w < 7; ++w) {
    if (rests[w] != 0 && CoversEveryWeek(rests[w])) flags[w] = RestDayFlags(rests[w]);
  }
  return flags;
}

// The rest days of a week as bit words, for each weekday a word can start
// on (index weekday - 1): bit j is set when the weekday j days later rests
// every week, the week's seven bits repeated over the word. A word holds 64
// days, one more than nine weeks, so each word starts a weekday later than
// the one before.
PreparedRules::WeekWords EveryWeekWords(const std::array<std::uint16_t, 7>& flags) {
  PreparedRules::WeekWords week;
  std::uint64_t rest = 0, moves = 0;  // the week from Sunday, one bit a day
  for (std::size_t w = 0; w < 7; ++w) {
    if (flags[w] & cell_flag::kWeekend) rest |= std::uint64_t{1} << w;
    if (flags[w] & cell_flag::kMovesToNextDay) moves |= std::uint64_t{1} << w;
  }
  week.any = rest != 0;
  // The week turned to start on each weekday, then repeated over the word.
  const auto from = [](std::uint64_t days, std::size_t start) {
    std::uint64_t word = ((days >> start) | (days << (7 - start))) & 0x7F;
    for (int period = 7; period < 64; period *= 2) word |= word << period;
    return word;
  };
  for (std::size_t start = 0; start < 7; ++start) {
    week.rest[start] = from(rest, start);
    week.moves[start] = from(moves, start);
  }
  return week;
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

// Where a classification writes: day cells, or bit planes. Both offer the
// same few operations, and everything that decides which days get what is
// written once, below, over either:
//
//   first(), size()          the run's days
//   FillEveryWeek(flags)     every day zeroed, then the rest flags of the
//                            weekdays that rest in every week (the days then
//                            repeat with a period of seven)
//   AddRest(offset, flags)   one more rest day, of a rule for some weeks
//   Mark(from, to, marking, style)
//                            the days at offsets from ... to (inside the
//                            run) get the marking's kind and the style
//                            number, in ascending order; each that is a rest
//                            day with flag 32 moves the holiday to the day
//                            after it, which the next day's own marking
//                            replaces at once, so only the last of them can
//                            leave a moved holiday behind (when the day after
//                            it lies in the run)
class CellTarget {
 public:
  explicit CellTarget(CellRun run) : run_(run) {}
  DayNumber first() const { return run_.first; }
  std::int64_t size() const { return static_cast<std::int64_t>(run_.cells.size()); }

  void FillEveryWeek(const std::array<std::uint16_t, 7>& flags) {
    std::array<DayCell, 14> week{};  // two weeks, so that any rotation is a plain slice
    for (std::size_t w = 0; w < 7; ++w) week[w].flags = week[w + 7].flags = flags[w];
    const DayCell* pattern = week.data() + (Weekday(run_.first) - 1);
    const std::size_t n = run_.cells.size();
    std::size_t i = 0;
    for (; i + 7 <= n; i += 7) std::copy_n(pattern, 7, run_.cells.data() + i);
    std::copy_n(pattern, n - i, run_.cells.data() + i);
  }

  void AddRest(std::int64_t offset, std::uint16_t flags) { Cell(offset).flags |= flags; }

  void Mark(std::int64_t from, std::int64_t to, Marking marking, std::int32_t style_number) {
    for (std::int64_t i = from; i <= to; ++i) SetKind(Cell(i), marking.kind, style_number);
    if (marking.moved_kind != 0 && (Cell(to).flags & kRestFlags) == kRestFlags && to + 1 < size()) {
      SetKind(Cell(to + 1), marking.moved_kind, style_number);
    }
  }

 private:
  DayCell& Cell(std::int64_t offset) { return run_.cells[static_cast<std::size_t>(offset)]; }
  static void SetKind(DayCell& cell, std::uint16_t kind, std::int32_t style_number) {
    cell.flags = static_cast<std::uint16_t>((cell.flags & ~cell_flag::kKind) | kind);
    cell.style = style_number;
  }

  CellRun run_;
};

class PlaneTarget {
 public:
  explicit PlaneTarget(PlaneRun run) : run_(run) {}
  DayNumber first() const { return run_.first; }
  std::int64_t size() const { return static_cast<std::int64_t>(run_.words) * 64; }

  void FillEveryWeek(const std::array<std::uint16_t, 7>& flags) { FillEveryWeek(EveryWeekWords(flags)); }

  // The same from the words worked out for the rules once.
  void FillEveryWeek(const PreparedRules::WeekWords& week) {
    std::fill_n(run_.planes, run_.words * kPlaneCount, std::uint64_t{0});
    if (!week.any) return;
    std::uint64_t* rest_plane = run_.plane(kRestPlane);
    std::uint64_t* moves_plane = run_.plane(kMovesHolidaysPlane);
    std::size_t start = static_cast<std::size_t>(Weekday(run_.first) - 1);
    for (std::size_t k = 0; k < run_.words; ++k, start = start == 6 ? 0 : start + 1) {
      rest_plane[k] = week.rest[start];
      moves_plane[k] = week.moves[start];
    }
  }

  void AddRest(std::int64_t offset, std::uint16_t flags) {
    SetBit(kRestPlane, offset);
    if (flags & cell_flag::kMovesToNextDay) SetBit(kMovesHolidaysPlane, offset);
  }

  void Mark(std::int64_t from, std::int64_t to, Marking marking, std::int32_t /*style_number*/) {
    if (from == to) {
      SetKindOfDay(from, marking.kind);
    } else {
      SetKind(from, to, marking.kind);
    }
    if (marking.moved_kind != 0 && Bit(kRestPlane, to) && Bit(kMovesHolidaysPlane, to) && to + 1 < size()) {
      SetKindOfDay(to + 1, marking.moved_kind);
    }
  }

 private:
  bool Bit(Plane p, std::int64_t offset) const {
    return (run_.plane(p)[static_cast<std::size_t>(offset >> 6)] >> (offset & 63)) & 1;
  }
  void SetBit(Plane p, std::int64_t offset) {
    run_.plane(p)[static_cast<std::size_t>(offset >> 6)] |= std::uint64_t{1} << (offset & 63);
  }

  // The bits of word w that lie in from ... to.
  static std::uint64_t WordMask(std::int64_t from, std::int64_t to, std::int64_t w) {
    const std::int64_t lo = std::max(from, w * 64) - w * 64;
    const std::int64_t hi = std::min(to, w * 64 + 63) - w * 64;
    return (~std::uint64_t{0} >> (63 - hi)) & (~std::uint64_t{0} << lo);
  }

  // The three kind planes of one day: most definitions mark one day a year.
  void SetKindOfDay(std::int64_t offset, std::uint16_t kind) {
    const auto k = static_cast<std::size_t>(offset >> 6);
    const std::uint64_t bit = std::uint64_t{1} << (offset & 63);
    const auto set = [&](Plane p, bool on) {
      std::uint64_t& word = run_.plane(p)[k];
      word = on ? word | bit : word & ~bit;
    };
    set(kHolidayPlane, kind & cell_flag::kHolidayOrWorkday);
    set(kForcedPlane, kind & (cell_flag::kForceHoliday | cell_flag::kForceWorkday));
    set(kMovedPlane, kind & cell_flag::kOverriddenHoliday);
  }

  // The three kind planes of the days from ... to, a word at a time.
  void SetKind(std::int64_t from, std::int64_t to, std::uint16_t kind) {
    const auto all_if = [](bool set) { return set ? ~std::uint64_t{0} : std::uint64_t{0}; };
    const std::uint64_t holiday = all_if(kind & cell_flag::kHolidayOrWorkday);
    const std::uint64_t forced = all_if(kind & (cell_flag::kForceHoliday | cell_flag::kForceWorkday));
    const std::uint64_t moved = all_if(kind & cell_flag::kOverriddenHoliday);
    std::uint64_t* holiday_plane = run_.plane(kHolidayPlane);
    std::uint64_t* forced_plane = run_.plane(kForcedPlane);
    std::uint64_t* moved_plane = run_.plane(kMovedPlane);
    for (std::int64_t w = from >> 6; w <= (to >> 6); ++w) {
      const std::uint64_t mask = WordMask(from, to, w);
      const auto k = static_cast<std::size_t>(w);
      holiday_plane[k] = (holiday_plane[k] & ~mask) | (holiday & mask);
      forced_plane[k] = (forced_plane[k] & ~mask) | (forced & mask);
      moved_plane[k] = (moved_plane[k] & ~mask) | (moved & mask);
    }
  }

  PlaneRun run_;
};

// Walks the months the run touches rather than its days, so that the
// calendar is consulted once per month, not once per day.
template <class Target>
void MarkSomeWeeks(Target& run, const WeekRests& rests) {
  const CivilDate start = CivilFromDayNumber(run.first());
  int year = start.year;
  int month = start.month;
  std::int64_t month_start = static_cast<std::int64_t>(run.first()) - (start.day - 1);
  const std::int64_t last = run.first() + run.size() - 1;
  while (month_start <= last) {
    const int length = DaysInMonth(year, month);
    const int first_weekday = Weekday(static_cast<DayNumber>(month_start));
    for (int weekday = 1; weekday <= 7; ++weekday) {
      const std::int16_t rule = rests[weekday - 1];
      if (rule == 0 || CoversEveryWeek(rule)) continue;
      const std::uint16_t flags = RestDayFlags(rule);
      int occurrence_bit = week_rest::k1stWeek;
      for (int day = 1 + static_cast<int>(common::FloorMod(weekday - first_weekday, 7)); day <= length;
           day += 7, occurrence_bit <<= 1) {
        const bool last_in_month = day + 7 > length;
        const bool rest = (rule & occurrence_bit) != 0 || ((rule & week_rest::kLastWeek) != 0 && last_in_month);
        if (!rest) continue;
        const std::int64_t offset = month_start + day - 1 - run.first();
        if (offset >= 0 && offset < run.size()) run.AddRest(offset, flags);
      }
    }
    month_start += length;
    if (++month > 12) {
      month = 1;
      ++year;
    }
  }
}

// The first two steps of every classification, in one pass over the run:
// every day zeroed and the weekdays that rest every week marked from a
// pattern; then the rules for some weeks, month by month.
bool HasRulesForSomeWeeks(const WeekRests& rests) {
  return std::any_of(rests.begin(), rests.end(), [](std::int16_t rule) { return rule != 0 && !CoversEveryWeek(rule); });
}

template <class Target>
void ResetToWeekRestsIn(Target& run, const WeekRests& rests) {
  if (run.size() == 0) return;
  run.FillEveryWeek(EveryWeekFlags(rests));
  if (HasRulesForSomeWeeks(rests)) MarkSomeWeeks(run, rests);
}

// Marks the days lo ... hi that lie in the run.
template <class Target>
void MarkDays(Target& run, std::int64_t lo, std::int64_t hi, Marking marking, std::int32_t style_number) {
  const std::int64_t from = std::max<std::int64_t>(lo - run.first(), 0);
  const std::int64_t to = std::min<std::int64_t>(hi - run.first(), run.size() - 1);
  if (from <= to) run.Mark(from, to, marking, style_number);
}

// A yearly holiday on a single month and day: once a year from the run's
// year on. 29 February is skipped in common years rather than moved.
template <class Target>
void MarkYearlyDay(Target& run, int run_year, const RecurringDay& date, Marking marking,
                   std::int32_t style_number) {
  const std::int64_t last = run.first() + run.size() - 1;
  for (int year = run_year;; ++year) {
    const ClampedDayNumber day = date.In(year);
    if (day.day > last) break;
    if (!day.clamped && day.day >= run.first()) run.Mark(day.day - run.first(), day.day - run.first(), marking, style_number);
  }
}

// A yearly range: its occurrences in ascending order. Occurrences that touch
// the run start at most one year ahead of it (or span years ahead for a
// reversed range); of those that start before the run only the latest
// matters, since it reaches furthest and is marked last. Days an earlier
// occurrence already marked are not marked again: marking them again would
// write the same kind, and a holiday it moved to the next day would be
// replaced by that day's own marking in the same occurrence.
template <class Target>
void MarkYearlyRange(Target& run, int run_year, const YearlyRange& range, Marking marking,
                     std::int32_t style_number) {
  const int span = range.span();
  int year = span > 0 ? run_year - 1 : span == 0 ? run_year : run_year - span - 1;
  const std::int64_t last = run.first() + run.size() - 1;
  std::int64_t marked_through = static_cast<std::int64_t>(run.first()) - 1;
  for (;; ++year) {
    const DayInterval occurrence = range.Occurrence(year);
    if (occurrence.lo > last) break;
    MarkDays(run, std::max<std::int64_t>(occurrence.lo, marked_through + 1), occurrence.hi, marking,
             style_number);
    marked_through = std::max<std::int64_t>(marked_through, occurrence.hi);
    if (marked_through >= last) break;
  }
}

// A definition's marking, with the year of the run's first day worked out
// once by the caller for all the definitions of a run.
template <class Target>
void MarkDefinitionInRun(Target& run, int run_year, const PreparedDefinition& def,
                         std::int32_t style_number) {
  if (run.size() == 0) return;
  const Marking marking{def.kind, def.moved_kind};
  switch (def.shape) {
    case PreparedDefinition::Shape::Nothing: return;
    case PreparedDefinition::Shape::OneOff: MarkDays(run, def.days.lo, def.days.hi, marking, style_number); return;
    case PreparedDefinition::Shape::YearlyDay:
      MarkYearlyDay(run, run_year, def.date, marking, style_number);
      return;
    case PreparedDefinition::Shape::YearlyRange:
      MarkYearlyRange(run, run_year, def.range, marking, style_number);
      return;
  }
}

// The whole classification over plain rules, in its one order.
template <class Target>
void ClassifyWithRules(Target& run, const CalendarRules& rules) {
  ResetToWeekRestsIn(run, rules.week_rests);
  if (run.size() == 0) return;
  const int run_year = static_cast<int>(CivilFromDayNumber(run.first()).year);
  for (const std::int32_t index : rules.style_list) {
    if (index < 0 || static_cast<std::size_t>(index) >= rules.styles.size()) continue;
    const HolidayStyleRules& style = rules.styles[static_cast<std::size_t>(index)];
    for (const DayDefinition& def : style.days) {
      MarkDefinitionInRun(run, run_year, PrepareDefinition(def, style.override_next_day), index + 1);
    }
  }
}

}  // namespace

void ResetToWeekRests(CellRun run, const WeekRests& rests) {
  CellTarget target(run);
  ResetToWeekRestsIn(target, rests);
}

StyleMarking::StyleMarking(CellRun run, bool override_next_day, std::int32_t style_number)
    : run_(run),
      run_year_(static_cast<int>(CivilFromDayNumber(run.first).year)),
      override_next_day_(override_next_day),
      style_number_(style_number) {}

void StyleMarking::Mark(const DayDefinition& def) const {
  CellTarget target(run_);
  MarkDefinitionInRun(target, run_year_, PrepareDefinition(def, override_next_day_), style_number_);
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

void ClassifyRange(CellRun run, const CalendarRules& rules) {
  CellTarget target(run);
  ClassifyWithRules(target, rules);
}

void ClassifyRange(PlaneRun run, const PreparedRules& rules) {
  PlaneTarget target(run);
  if (target.size() == 0) return;
  // The first two steps, as ResetToWeekRestsIn takes them, with the words of
  // the rules for every week worked out once for the rules.
  target.FillEveryWeek(rules.every_week);
  if (rules.some_weeks) MarkSomeWeeks(target, rules.week_rests);
  const int run_year = static_cast<int>(CivilFromDayNumber(run.first).year);
  for (const PreparedRules::Style& style : rules.styles) {
    for (const PreparedDefinition& def : style.days) {
      MarkDefinitionInRun(target, run_year, def, style.style_number);
    }
  }
}

PreparedDefinition PrepareDefinition(const DayDefinition& def, bool override_next_day) {
  PreparedDefinition prepared;
  if (!CoversAnyDay(def)) return prepared;
  const Marking marking = MarkingOf(def.Type, override_next_day);
  prepared.kind = marking.kind;
  prepared.moved_kind = marking.moved_kind;
  if (def.Type != kTypeHoliday) {
    // One-off: the date, or every day between the two ends in either order.
    const DayNumber other = def.HasDate2() ? def.Date2 : def.Date;
    prepared.shape = PreparedDefinition::Shape::OneOff;
    prepared.days = {std::min(def.Date, other), std::max(def.Date, other)};
  } else if (!def.HasDate2()) {
    const CivilDate date = CivilFromDayNumber(def.Date);
    prepared.shape = PreparedDefinition::Shape::YearlyDay;
    prepared.date = RecurringDay(date.month, date.day);
  } else {
    prepared.shape = PreparedDefinition::Shape::YearlyRange;
    prepared.range = YearlyRange(def);
  }
  return prepared;
}

void PreparedRules::Prepare(const CalendarRules& rules) {
  // Everything that allocates comes first, so that a failure leaves the rules
  // as they were: a style's prepared days are kept across calls only under the
  // Override they were prepared under, and an Override recorded before its
  // days were prepared again would let the next call keep days prepared under
  // the old one. The styles the list needs beyond those held are made apart
  // and join only once every vector has the room it will take.
  std::size_t used = 0;
  for (const std::int32_t index : rules.style_list)
    if (index >= 0 && static_cast<std::size_t>(index) < rules.styles.size()) ++used;
  styles.reserve(used);
  std::vector<Style> added;
  added.reserve(used > styles.size() ? used - styles.size() : 0);
  std::size_t at = 0;
  for (const std::int32_t index : rules.style_list) {
    if (index < 0 || static_cast<std::size_t>(index) >= rules.styles.size()) continue;
    Style& style = at < styles.size() ? styles[at] : added.emplace_back();
    ++at;
    const std::size_t count = rules.styles[static_cast<std::size_t>(index)].days.size();
    style.sources.reserve(count);
    style.days.reserve(count);
  }

  // From here on nothing throws: the vectors only take what they have room for.
  for (Style& style : added) styles.push_back(std::move(style));
  week_rests = rules.week_rests;
  every_week = EveryWeekWords(EveryWeekFlags(rules.week_rests));
  some_weeks = HasRulesForSomeWeeks(rules.week_rests);
  at = 0;
  for (const std::int32_t index : rules.style_list) {
    if (index < 0 || static_cast<std::size_t>(index) >= rules.styles.size()) continue;
    Style& style = styles[at++];
    const HolidayStyleRules& source = rules.styles[static_cast<std::size_t>(index)];
    // What was prepared here before counts only under the same Override.
    const std::size_t kept = style.override_next_day == source.override_next_day ? style.sources.size() : 0;
    style.style_number = index + 1;
    style.sources.resize(source.days.size());
    style.days.resize(source.days.size());
    for (std::size_t k = 0; k < source.days.size(); ++k) {
      if (k < kept && style.sources[k] == source.days[k]) continue;
      style.sources[k] = source.days[k];
      style.days[k] = PrepareDefinition(source.days[k], source.override_next_day);
    }
    style.override_next_day = source.override_next_day;
  }
  // The styles beyond keep their memory for the next rules.
  styles.erase(styles.begin() + static_cast<std::ptrdiff_t>(used), styles.end());
}

std::uint16_t ClassifyDay(const CalendarRules& rules, DayNumber d) {
  if (d == std::numeric_limits<DayNumber>::min()) return 0;  // no day before it to classify
  DayCell cells[2];
  ClassifyRange(CellRun{d - 1, cells}, rules);
  return cells[1].flags;
}

}  // namespace dovrel::engine
