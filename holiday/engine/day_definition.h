// One holiday definition (the fields of a Day object that the calendar
// reads) and the geometry of the days it covers.
//
// The Day automation object keeps its Type, Date and Date2 in a
// DayDefinition, so the match rule, the marking of day cells and the
// persisted form all read the same three fields.
#pragma once

#include <cstdint>

#include "engine/day_number.h"

namespace dovrel::engine {

// dvDayTypeConst
inline constexpr std::int16_t kTypeHoliday = 0;         // dvTypeHoliday: recurs every year
inline constexpr std::int16_t kTypeForcedHoliday = 1;   // dvTypeForcedHoliday: one-off
inline constexpr std::int16_t kTypeForcedWorkday = 2;   // dvTypeForcedWorkday: one-off

struct DayDefinition {
  std::int16_t Type = kTypeHoliday;
  DayNumber Date = kNullDayNumber;   // the date, or the start of a range
  DayNumber Date2 = kNullDayNumber;  // the end of a range; any invalid value means "not set"

  bool HasDate2() const { return IsValidDayNumber(Date2); }
  friend bool operator==(const DayDefinition&, const DayDefinition&) = default;
};

// Only the three types of dvDayTypeConst mean anything, and only a valid
// Date: a definition of any other type or without a valid Date covers no day
// (the Day object refuses both, so only damaged data can carry them). The
// type is read at the width hosts pass it, so that a 32-bit value is never
// cut to one of the three on its way in.
constexpr bool IsKnownDayType(std::int32_t type) {
  return type == kTypeHoliday || type == kTypeForcedHoliday || type == kTypeForcedWorkday;
}
inline bool CoversAnyDay(const DayDefinition& def) {
  return IsKnownDayType(def.Type) && IsValidDayNumber(def.Date);
}

struct DayInterval {
  DayNumber lo;
  DayNumber hi;
};

// A yearly holiday with a range end recurs as one occurrence per year: the
// month and day of Date in some year s through the month and day of Date2 in
// year s + span, where span = year(Date2) - year(Date) keeps how many year
// ends the range crosses. Each end is clamped to its month (a range ending
// on 29 February ends on the 28th in common years), and the two ends are
// put in order, so a span of 0 with Date2's month/day before Date's gives the
// days between them, and a negative span mirrors a positive one.
//
// Occurrences are indexed by s, and both their first and last days grow
// strictly with s: that order is what makes the marking of several
// occurrences come out the same whatever their overlaps.
class YearlyRange {
 public:
  YearlyRange() = default;  // 1 January to 1 January of the same year
  explicit YearlyRange(const DayDefinition& def);

  int span() const { return span_; }
  DayInterval Occurrence(int s) const;

 private:
  RecurringDay from_, to_;
  int span_ = 0;
};

// Whether the definition covers day d, read from the definition alone.
//  - One-off types: Date, or every day from the earlier to the later end.
//  - Yearly without range end: the same month and day as Date in any year,
//    without clamping (29 February matches only in leap years).
//  - Yearly ranges: an occurrence of the year of d, or of the year that ends
//    in d's year. A range that crosses two or more year ends has an
//    occurrence around every whole year, so it covers every day; it is the
//    same set of days the marking of day cells produces, so a day a style
//    marks is also a day the style's lookup finds.
bool Matches(const DayDefinition& def, DayNumber d);

}  // namespace dovrel::engine
