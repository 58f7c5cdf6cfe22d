#include "engine/queries.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

namespace dovrel::engine {

namespace {

DayAnswer Found(const FindNthResult& r) { return r.missing == 0 ? DayAnswer(r.day) : std::nullopt; }

DayAnswer FindFirst(const KeptClassification& calendar, DayNumber lo, DayNumber hi, DayCategory category) {
  return Found(FindNth(calendar, lo, hi, category, +1, 1));
}

DayAnswer FindLast(const KeptClassification& calendar, DayNumber lo, DayNumber hi, DayCategory category) {
  return Found(FindNth(calendar, lo, hi, category, -1, 1));
}

// The n-th day of the category from `from` on, up to 9999-12-31 or down to
// 0100-01-01: from the date itself, for the walks of NextDay, PrevDay,
// AdjustDate and DaysFromNow.
DayAnswer WalkForward(const KeptClassification& calendar, DayNumber from, DayCategory category, std::int32_t n) {
  return Found(FindNth(calendar, from, kLastValidDay, category, +1, n));
}
DayAnswer WalkBackward(const KeptClassification& calendar, DayNumber from, DayCategory category, std::int32_t n) {
  return Found(FindNth(calendar, kFirstValidDay, from, category, -1, n));
}

// The days of a year before the end of each month, in a common and a leap year.
constexpr std::array<std::array<std::int16_t, 12>, 2> kMonthEnds{{
    {31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365},
    {31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366},
}};

// The month and year queries find their period with a look-up or two
// instead of a conversion of every date, which would cost them as much as
// the bit scan that answers them.
DayInterval YearOf(DayNumber date) {
  const YearStarts starts = YearStartsOfValidDay(date);
  return {starts.first, starts.next - 1};
}

DayInterval MonthOf(DayNumber date) {
  const DayInterval year = YearOf(date);
  const auto& ends = kMonthEnds[year.hi - year.lo == 365 ? 1 : 0];
  const std::int32_t day_of_year = date - year.lo;
  std::size_t m = static_cast<std::size_t>(day_of_year / 32);  // at most one month early
  if (day_of_year >= ends[m]) ++m;
  return {year.lo + (m > 0 ? ends[m - 1] : 0), year.lo + ends[m] - 1};
}

struct OrderedRange {
  RangeStatus status;
  DayNumber lo;
  DayNumber hi;
};

// The checks DaysInRange and DatesInRange share, in their order: the ends in
// ascending order, an invalid end, then the length.
OrderedRange CheckRange(DayNumber date1, DayNumber date2) {
  const DayNumber lo = std::min(date1, date2);
  const DayNumber hi = std::max(date1, date2);
  if (!IsValidDayNumber(lo) || !IsValidDayNumber(hi)) return {RangeStatus::InvalidEnd, lo, hi};
  if (hi - lo > kLongestRange) return {RangeStatus::TooLong, lo, hi};
  return {RangeStatus::Answered, lo, hi};
}

}  // namespace

FindNthResult FindNth(const KeptClassification& calendar, DayNumber lo, DayNumber hi, DayCategory category,
                      int direction, std::int32_t n) {
  lo = std::max(lo, kFirstValidDay);
  hi = std::min(hi, kLastValidDay);
  if (lo > hi || n <= 0 || calendar.CanNeverMatch(category)) return {n, kNullDayNumber};
  return calendar.FindNth(lo, hi, category, direction, n);
}

DayAnswer NextDay(const KeptClassification& calendar, DayNumber date, DayCategory category) {
  const std::int64_t start = std::int64_t(date) + 1;
  if (start < kFirstValidDay || start > kLastValidDay) return std::nullopt;
  if (category == DayCategory::AnyDay) return static_cast<DayNumber>(start);
  return WalkForward(calendar, static_cast<DayNumber>(start), category, 1);
}

DayAnswer PrevDay(const KeptClassification& calendar, DayNumber date, DayCategory category) {
  const std::int64_t start = std::int64_t(date) - 1;
  if (start < kFirstValidDay || start > kLastValidDay) return std::nullopt;
  if (category == DayCategory::AnyDay) return static_cast<DayNumber>(start);
  return WalkBackward(calendar, static_cast<DayNumber>(start), category, 1);
}

DayAnswer AdjustDate(const KeptClassification& calendar, DayNumber date, AdjustDirection direction) {
  if (!IsValidDayNumber(date)) return std::nullopt;
  return direction == AdjustDirection::NextWorkday ? WalkForward(calendar, date, DayCategory::Workday, 1)
                                                   : WalkBackward(calendar, date, DayCategory::Workday, 1);
}

DayAnswer DaysFromNow(const KeptClassification& calendar, DayNumber date, std::int16_t days, DayCategory category) {
  if (!IsValidDayNumber(date)) return std::nullopt;
  if (days == 0) return date;
  const std::int32_t count = days > 0 ? std::int32_t(days) : -std::int32_t(days);  // -32768 counts 32768
  return days > 0 ? WalkForward(calendar, date, category, count) : WalkBackward(calendar, date, category, count);
}

RangeCount DaysInRange(const KeptClassification& calendar, DayNumber date1, DayNumber date2, DayCategory category) {
  const OrderedRange range = CheckRange(date1, date2);
  if (range.status == RangeStatus::InvalidEnd) return {range.status, -1};
  if (range.status == RangeStatus::TooLong) return {range.status, 0};
  if (calendar.CanNeverMatch(category)) return {RangeStatus::Answered, 0};
  return {RangeStatus::Answered, static_cast<std::int32_t>(calendar.Count(range.lo, range.hi, category))};
}

RangeDates DatesInRange(const KeptClassification& calendar, DayNumber date1, DayNumber date2, DayCategory category) {
  const OrderedRange range = CheckRange(date1, date2);
  if (range.status != RangeStatus::Answered || calendar.CanNeverMatch(category)) return {range.status, {}};
  RangeDates result{RangeStatus::Answered, {}};
  calendar.AppendDays(range.lo, range.hi, category, result.days);
  return result;
}

DayAnswer FirstInMonth(const KeptClassification& calendar, DayNumber date, DayCategory category) {
  if (!IsValidDayNumber(date)) return std::nullopt;
  const DayInterval month = MonthOf(date);
  return FindFirst(calendar, month.lo, month.hi, category);
}

DayAnswer LastInMonth(const KeptClassification& calendar, DayNumber date, DayCategory category) {
  if (!IsValidDayNumber(date)) return std::nullopt;
  const DayInterval month = MonthOf(date);
  return FindLast(calendar, month.lo, month.hi, category);
}

DayAnswer FirstInYear(const KeptClassification& calendar, DayNumber date, DayCategory category) {
  if (!IsValidDayNumber(date)) return std::nullopt;
  const DayInterval year = YearOf(date);
  return FindFirst(calendar, year.lo, year.hi, category);
}

DayAnswer LastInYear(const KeptClassification& calendar, DayNumber date, DayCategory category) {
  if (!IsValidDayNumber(date)) return std::nullopt;
  const DayInterval year = YearOf(date);
  return FindLast(calendar, year.lo, year.hi, category);
}

DayNumber WeekStart(DayNumber date, int start_of_week) {
  return date - static_cast<DayNumber>(common::FloorMod(Weekday(date) - start_of_week, 7));
}

namespace {
// The week of a valid date, cut to the supported range.
DayInterval WeekOf(DayNumber date, int start_of_week) {
  const DayNumber start = WeekStart(date, start_of_week);
  return {std::max(start, kFirstValidDay), std::min(start + 6, kLastValidDay)};
}
}  // namespace

DayAnswer FirstInWeek(const KeptClassification& calendar, DayNumber date, DayCategory category, int start_of_week) {
  if (!IsValidDayNumber(date)) return std::nullopt;
  const DayInterval week = WeekOf(date, start_of_week);
  return FindFirst(calendar, week.lo, week.hi, category);
}

DayAnswer LastInWeek(const KeptClassification& calendar, DayNumber date, DayCategory category, int start_of_week) {
  if (!IsValidDayNumber(date)) return std::nullopt;
  const DayInterval week = WeekOf(date, start_of_week);
  return FindLast(calendar, week.lo, week.hi, category);
}

}  // namespace dovrel::engine
