#include "engine/day_definition.h"

#include <algorithm>
#include <cstdlib>

namespace dovrel::engine {

YearlyRange::YearlyRange(const DayDefinition& def) {
  const CivilDate from = CivilFromDayNumber(def.Date);
  const CivilDate to = CivilFromDayNumber(def.Date2);
  from_ = RecurringDay(from.month, from.day);
  to_ = RecurringDay(to.month, to.day);
  span_ = static_cast<int>(to.year - from.year);
}

DayInterval YearlyRange::Occurrence(int s) const {
  const DayNumber a = from_.In(s).day;
  const DayNumber b = to_.In(std::int64_t{s} + span_).day;
  return {std::min(a, b), std::max(a, b)};
}

namespace {

bool Within(DayInterval i, DayNumber d) { return i.lo <= d && d <= i.hi; }

bool MatchesYearly(const DayDefinition& def, DayNumber d) {
  const CivilDate day = CivilFromDayNumber(d);
  if (!def.HasDate2()) {
    const CivilDate date = CivilFromDayNumber(def.Date);
    return day.month == date.month && day.day == date.day;
  }
  const YearlyRange range(def);
  // The occurrence that starts from Date's month/day in d's year, and the
  // one that ends at Date2's month/day in d's year (the same one when the
  // range stays inside a year). Any occurrence between those two starts
  // before d's year and ends after it.
  const int y = static_cast<int>(day.year);
  return Within(range.Occurrence(y), d) || Within(range.Occurrence(y - range.span()), d) ||
         std::abs(range.span()) >= 2;
}

}  // namespace

bool Matches(const DayDefinition& def, DayNumber d) {
  if (!CoversAnyDay(def)) return false;
  if (def.Type == kTypeHoliday) return MatchesYearly(def, d);
  if (!def.HasDate2()) return d == def.Date;
  return std::min(def.Date, def.Date2) <= d && d <= std::max(def.Date, def.Date2);
}

}  // namespace dovrel::engine
