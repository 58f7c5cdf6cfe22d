// The questions the main object answers: the next or previous day of a kind,
// stepping over non-working days, counting days of a kind, listing them, and
// the first or last such day in a week, month or year, and what kind of day
// a date is.
//
// Every query reads the days it needs from a KeptClassification, which
// classifies the blocks a query touches the first time and keeps them, and
// reads them only through the category tests of day_cell.h; none of them
// marks or moves anything itself. Answers are day numbers, or nothing where
// the interface answers Null; turning them into VARIANTs, checking
// enumerations (CategoryFromDayNav ...) and raising errors is the automation
// layer's part.
//
// Memory for the kept classification that cannot be obtained throws
// std::bad_alloc, which the automation layer reports as E_OUTOFMEMORY.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "engine/classification.h"
#include "engine/day_cell.h"
#include "engine/day_number.h"
#include "engine/kept_classification.h"

namespace dovrel::engine {

// ValueType: the flags of a valid date without flag 32, nothing for a date
// outside the supported range (dvValueNull).
inline std::optional<std::uint16_t> ValueType(const KeptClassification& calendar, DayNumber date) {
  if (!IsValidDayNumber(date)) return std::nullopt;
  return calendar.ValueType(date);
}

// The longest range DaysInRange and DatesInRange accept: 366000 days between
// the two ends (366001 days including both).
inline constexpr std::int32_t kLongestRange = 366000;

// The n-th day of the category in lo ... hi, counted from lo upwards
// (direction +1) or from hi downwards (-1), as a classification of
// lo - 1 ... hi would find it (a holiday moved from lo - 1 onto lo is seen).
// Holidays with an empty style list, and rest days without any rest rule,
// cannot match: the count comes back untouched at once. Days outside the
// supported range are never examined (lo and hi are cut to it).
FindNthResult FindNth(const KeptClassification& calendar, DayNumber lo, DayNumber hi, DayCategory category,
                      int direction, std::int32_t n);

// A day of the supported range, or nothing (Null): no query answers a day
// outside the range, so the automation layer hands the day out unchecked.
// Read like a std::optional<DayNumber>; held as one day number, the null day
// number for nothing, so that it comes back from a query in one register
// (an optional comes back through memory, written as two pieces and read as
// one, which the processor cannot forward and makes wait).
class DayAnswer {
 public:
  constexpr DayAnswer() = default;
  constexpr DayAnswer(std::nullopt_t) {}
  constexpr DayAnswer(DayNumber day) : day_(day) {}  // a valid day

  constexpr bool has_value() const { return day_ != kNullDayNumber; }
  constexpr explicit operator bool() const { return has_value(); }
  constexpr DayNumber operator*() const { return day_; }
  constexpr DayNumber value_or(DayNumber none) const { return has_value() ? day_ : none; }
  friend constexpr bool operator==(DayAnswer, DayAnswer) = default;

 private:
  DayNumber day_ = kNullDayNumber;
};

// From the day after (before) date to 9999-12-31 (0100-01-01): the first day
// of the category. AnyDay is simply the next (previous) day. A start outside
// the supported range answers nothing.
DayAnswer NextDay(const KeptClassification& calendar, DayNumber date, DayCategory category);
DayAnswer PrevDay(const KeptClassification& calendar, DayNumber date, DayCategory category);

// dvAdjustDateConst
enum class AdjustDirection { PrevWorkday = 0, NextWorkday = 1 };
constexpr std::optional<AdjustDirection> AdjustDirectionFrom(std::int32_t dvAdjustDateConst) {
  if (dvAdjustDateConst == 0) return AdjustDirection::PrevWorkday;
  if (dvAdjustDateConst == 1) return AdjustDirection::NextWorkday;
  return std::nullopt;
}

// The date itself when it is a working day, else the nearest working day in
// the direction; nothing when the walk leaves the supported range.
DayAnswer AdjustDate(const KeptClassification& calendar, DayNumber date, AdjustDirection direction);

// Counting |days| days of the category from the date itself (the date is the
// first day examined), forward for days > 0 and backward for days < 0: the
// day on which the count is reached. |days| is read as an unsigned 16-bit
// number, so -32768 counts 32768 days back. days = 0 gives the date whatever
// its kind.
DayAnswer DaysFromNow(const KeptClassification& calendar, DayNumber date, std::int16_t days, DayCategory category);

enum class RangeStatus {
  Answered,
  InvalidEnd,  // an end is Null or outside the supported range: the answer is -1
  TooLong,     // the ends are more than kLongestRange days apart: error 518
};

struct RangeCount {
  RangeStatus status;
  std::int32_t count;  // -1 for InvalidEnd
};

// The days of the category from the earlier through the later end, both
// included; the ends may come in either order.
RangeCount DaysInRange(const KeptClassification& calendar, DayNumber date1, DayNumber date2, DayCategory category);

struct RangeDates {
  RangeStatus status;
  // All the matching days in ascending order; the interface's 16-bit count
  // is the automation layer's business. Empty for the early answers, for
  // InvalidEnd and TooLong.
  std::vector<DayNumber> days;
};
RangeDates DatesInRange(const KeptClassification& calendar, DayNumber date1, DayNumber date2, DayCategory category);

// The first or last day of the category in the date's calendar month or year.
DayAnswer FirstInMonth(const KeptClassification& calendar, DayNumber date, DayCategory category);
DayAnswer LastInMonth(const KeptClassification& calendar, DayNumber date, DayCategory category);
DayAnswer FirstInYear(const KeptClassification& calendar, DayNumber date, DayCategory category);
DayAnswer LastInYear(const KeptClassification& calendar, DayNumber date, DayCategory category);

// The week of the date is the seven days from the latest start_of_week
// weekday (1 = Sunday ... 7 = Saturday) on or before it. Near the ends of the
// supported range the week is cut to the range: 0100-01-01 is a Friday, so
// the week that holds it starts at most on it, and the answer is always a
// date the interface can hand out.
DayNumber WeekStart(DayNumber date, int start_of_week);  // of a valid date

// The initial StartOfWeek from the user's locale, whose first day of the week
// is a digit 0 = Monday ... 6 = Sunday.
constexpr int StartOfWeekFromLocaleDigit(int digit) { return (digit + 1) % 7 + 1; }
DayAnswer FirstInWeek(const KeptClassification& calendar, DayNumber date, DayCategory category, int start_of_week);
DayAnswer LastInWeek(const KeptClassification& calendar, DayNumber date, DayCategory category, int start_of_week);

}  // namespace dovrel::engine
