#include "engine/queries.h"

#include <algorithm>
#include <limits>
#include <memory>

namespace dovrel::engine {

namespace {

// One buffer for all the chunks of a walk. Cells are not zeroed here: the
// classification writes every one of them.
class CellBuffer {
 public:
  std::span<DayCell> Take(std::size_t count) {
    if (count > capacity_) {
      cells_ = std::make_unique_for_overwrite<DayCell[]>(count);
      capacity_ = count;
    }
    return {cells_.get(), count};
  }

 private:
  std::unique_ptr<DayCell[]> cells_;
  std::size_t capacity_ = 0;
};

// lo ... hi classified together with lo - 1, the day a holiday can be moved
// from onto lo. Callers keep lo - 1 ... hi inside 32 bits.
CellRun ClassifyWithDayBefore(const DayClassifier& classifier, DayNumber lo, DayNumber hi, CellBuffer& buffer) {
  const CellRun run{lo - 1, buffer.Take(static_cast<std::size_t>(hi - lo) + 2)};
  classifier.ClassifyRange(run);
  return run;
}

// Holidays need a style in use and rest days a rest rule; without them no
// day can be of the category, and nothing needs classifying.
bool CanNeverMatch(const DayClassifier& classifier, DayCategory category) {
  return (category == DayCategory::Holiday && classifier.StyleListEmpty()) ||
         (category == DayCategory::Weekend && classifier.NoWeekRests());
}

// Calls body with the category's test as a plain function, so the per-day
// loops do not switch on the category for every day.
template <class Body>
decltype(auto) WithCategoryTest(DayCategory category, Body&& body) {
  switch (category) {
    case DayCategory::Holiday: return body(IsHoliday);
    case DayCategory::Workday: return body(IsWorkday);
    case DayCategory::Weekend: return body(IsRestDay);
    case DayCategory::WeekendOrHoliday: return body(IsRestDayOrHoliday);
    case DayCategory::AnyDay: break;
  }
  return body([](std::uint16_t) { return true; });
}

FindNthResult FindNthIn(const DayClassifier& classifier, DayNumber lo, DayNumber hi, DayCategory category,
                        int direction, std::int32_t n, CellBuffer& buffer) {
  if (lo > hi || n <= 0 || CanNeverMatch(classifier, category)) return {n, kNullDayNumber};
  const CellRun run = ClassifyWithDayBefore(classifier, lo, hi, buffer);
  return WithCategoryTest(category, [&](auto in_category) -> FindNthResult {
    if (direction > 0) {
      for (DayNumber d = lo;; ++d) {
        if (in_category(run[d].flags) && --n == 0) return {0, d};
        if (d == hi) break;
      }
    } else {
      for (DayNumber d = hi;; --d) {
        if (in_category(run[d].flags) && --n == 0) return {0, d};
        if (d == lo) break;
      }
    }
    return {n, kNullDayNumber};
  });
}

DayAnswer FindFirst(const DayClassifier& classifier, DayNumber lo, DayNumber hi, DayCategory category) {
  CellBuffer buffer;
  const FindNthResult r = FindNthIn(classifier, lo, hi, category, +1, 1, buffer);
  return r.missing == 0 ? DayAnswer(r.day) : std::nullopt;
}

DayAnswer FindLast(const DayClassifier& classifier, DayNumber lo, DayNumber hi, DayCategory category) {
  CellBuffer buffer;
  const FindNthResult r = FindNthIn(classifier, lo, hi, category, -1, 1, buffer);
  return r.missing == 0 ? DayAnswer(r.day) : std::nullopt;
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

std::uint16_t ClassifyDay(const DayClassifier& classifier, DayNumber d) {
  if (d == std::numeric_limits<DayNumber>::min()) return 0;  // no day before it to classify
  DayCell cells[2];
  classifier.ClassifyRange(CellRun{d - 1, cells});
  return cells[1].flags;
}

FindNthResult FindNth(const DayClassifier& classifier, DayNumber lo, DayNumber hi, DayCategory category,
                      int direction, std::int32_t n) {
  CellBuffer buffer;
  return FindNthIn(classifier, std::max(lo, kFirstValidDay), std::min(hi, kLastValidDay), category, direction, n,
                   buffer);
}

namespace detail {

DayAnswer WalkForward(const DayClassifier& classifier, DayNumber from, DayCategory category, std::int32_t n,
                      std::int32_t chunk_days) {
  if (!IsValidDayNumber(from) || chunk_days < 1) return std::nullopt;
  CellBuffer buffer;
  for (DayNumber lo = from;;) {
    const DayNumber hi = static_cast<DayNumber>(std::min<std::int64_t>(std::int64_t(lo) + chunk_days - 1, kLastValidDay));
    const FindNthResult r = FindNthIn(classifier, lo, hi, category, +1, n, buffer);
    if (r.missing == 0) return r.day;
    n = r.missing;
    if (hi == kLastValidDay) return std::nullopt;
    lo = hi + 1;
  }
}

DayAnswer WalkBackward(const DayClassifier& classifier, DayNumber from, DayCategory category, std::int32_t n,
                       std::int32_t chunk_days) {
  if (!IsValidDayNumber(from) || chunk_days < 1) return std::nullopt;
  CellBuffer buffer;
  for (DayNumber hi = from;;) {
    const DayNumber lo = static_cast<DayNumber>(std::max<std::int64_t>(std::int64_t(hi) - chunk_days + 1, kFirstValidDay));
    const FindNthResult r = FindNthIn(classifier, lo, hi, category, -1, n, buffer);
    if (r.missing == 0) return r.day;
    n = r.missing;
    if (lo == kFirstValidDay) return std::nullopt;
    hi = lo - 1;
  }
}

}  // namespace detail

DayAnswer NextDay(const DayClassifier& classifier, DayNumber date, DayCategory category) {
  const std::int64_t start = std::int64_t(date) + 1;
  if (start < kFirstValidDay || start > kLastValidDay) return std::nullopt;
  if (category == DayCategory::AnyDay) return static_cast<DayNumber>(start);
  return detail::WalkForward(classifier, static_cast<DayNumber>(start), category, 1, kWalkChunkDays);
}

DayAnswer PrevDay(const DayClassifier& classifier, DayNumber date, DayCategory category) {
  const std::int64_t start = std::int64_t(date) - 1;
  if (start < kFirstValidDay || start > kLastValidDay) return std::nullopt;
  if (category == DayCategory::AnyDay) return static_cast<DayNumber>(start);
  return detail::WalkBackward(classifier, static_cast<DayNumber>(start), category, 1, kWalkChunkDays);
}

DayAnswer AdjustDate(const DayClassifier& classifier, DayNumber date, AdjustDirection direction) {
  if (!IsValidDayNumber(date)) return std::nullopt;
  // Most dates already are working days; two cells answer that.
  if (IsWorkday(ClassifyDay(classifier, date))) return date;
  return direction == AdjustDirection::NextWorkday
             ? detail::WalkForward(classifier, date, DayCategory::Workday, 1, kWalkChunkDays)
             : detail::WalkBackward(classifier, date, DayCategory::Workday, 1, kWalkChunkDays);
}

DayAnswer DaysFromNow(const DayClassifier& classifier, DayNumber date, std::int16_t days, DayCategory category) {
  if (!IsValidDayNumber(date)) return std::nullopt;
  if (days == 0) return date;
  const std::int32_t count = days > 0 ? std::int32_t(days) : -std::int32_t(days);  // -32768 counts 32768
  return days > 0 ? detail::WalkForward(classifier, date, category, count, kWalkChunkDays)
                  : detail::WalkBackward(classifier, date, category, count, kWalkChunkDays);
}

RangeCount DaysInRange(const DayClassifier& classifier, DayNumber date1, DayNumber date2, DayCategory category) {
  const OrderedRange range = CheckRange(date1, date2);
  if (range.status == RangeStatus::InvalidEnd) return {range.status, -1};
  if (range.status == RangeStatus::TooLong) return {range.status, 0};
  if (CanNeverMatch(classifier, category)) return {RangeStatus::Answered, 0};
  CellBuffer buffer;
  const CellRun run = ClassifyWithDayBefore(classifier, range.lo, range.hi, buffer);
  const auto count = CountInCategory(run.cells.subspan(1), category);
  return {RangeStatus::Answered, static_cast<std::int32_t>(count)};
}

RangeDates DatesInRange(const DayClassifier& classifier, DayNumber date1, DayNumber date2, DayCategory category) {
  const OrderedRange range = CheckRange(date1, date2);
  if (range.status != RangeStatus::Answered || CanNeverMatch(classifier, category)) return {range.status, {}};
  CellBuffer buffer;
  const CellRun run = ClassifyWithDayBefore(classifier, range.lo, range.hi, buffer);
  RangeDates result{RangeStatus::Answered, {}};
  WithCategoryTest(category, [&](auto in_category) {
    for (DayNumber d = range.lo;; ++d) {
      if (in_category(run[d].flags)) result.days.push_back(d);
      if (d == range.hi) break;
    }
  });
  return result;
}

DayAnswer FirstInMonth(const DayClassifier& classifier, DayNumber date, DayCategory category) {
  if (!IsValidDayNumber(date)) return std::nullopt;
  return FindFirst(classifier, FirstDayOfMonth(date), LastDayOfMonth(date), category);
}

DayAnswer LastInMonth(const DayClassifier& classifier, DayNumber date, DayCategory category) {
  if (!IsValidDayNumber(date)) return std::nullopt;
  return FindLast(classifier, FirstDayOfMonth(date), LastDayOfMonth(date), category);
}

DayAnswer FirstInYear(const DayClassifier& classifier, DayNumber date, DayCategory category) {
  if (!IsValidDayNumber(date)) return std::nullopt;
  return FindFirst(classifier, FirstDayOfYear(date), LastDayOfYear(date), category);
}

DayAnswer LastInYear(const DayClassifier& classifier, DayNumber date, DayCategory category) {
  if (!IsValidDayNumber(date)) return std::nullopt;
  return FindLast(classifier, FirstDayOfYear(date), LastDayOfYear(date), category);
}

DayNumber WeekStart(DayNumber date, int start_of_week) {
  return date - static_cast<DayNumber>(detail::FloorMod(Weekday(date) - start_of_week, 7));
}

namespace {
// The week of a valid date, cut to the supported range.
DayInterval WeekOf(DayNumber date, int start_of_week) {
  const DayNumber start = WeekStart(date, start_of_week);
  return {std::max(start, kFirstValidDay), std::min(start + 6, kLastValidDay)};
}
}  // namespace

DayAnswer FirstInWeek(const DayClassifier& classifier, DayNumber date, DayCategory category, int start_of_week) {
  if (!IsValidDayNumber(date)) return std::nullopt;
  const DayInterval week = WeekOf(date, start_of_week);
  return FindFirst(classifier, week.lo, week.hi, category);
}

DayAnswer LastInWeek(const DayClassifier& classifier, DayNumber date, DayCategory category, int start_of_week) {
  if (!IsValidDayNumber(date)) return std::nullopt;
  const DayInterval week = WeekOf(date, start_of_week);
  return FindLast(classifier, week.lo, week.hi, category);
}

void CalendarClassifier::ClassifyRange(CellRun run) const {
  engine::ClassifyRange(run, rules_.week_rests, rules_.style_list, [this](CellRun cells, std::int32_t index) {
    // An index the collection no longer has is skipped; the list follows the
    // collection only through ResolveUseStyles.
    if (index < 0 || static_cast<std::size_t>(index) >= rules_.styles.size()) return;
    const HolidayStyleRules& style = rules_.styles[static_cast<std::size_t>(index)];
    ApplyToRange(cells, style.days, style.override_next_day, index + 1);
  });
}

}  // namespace dovrel::engine
