// libFuzzer target for the calendar engine: arbitrary UseStyles texts, and
// arbitrary rest rules, definitions (any type, any dates, any order) and
// query arguments, asked of one kept classification in turns with changes
// of the rules. Besides crashes and undefined behaviour it checks what must
// hold whatever the input: list entries inside the collection, only the six
// kinds of day in a cell, and every answer against a fresh classification
// of day cells (the kind of a day, the days a walk skipped, counts and lists
// of ranges, the first and last days of weeks, months and years), so that
// whatever the kept classification keeps from before a change, or from
// another query, is seen to differ.
//
// Dates reach the ends of 32 bits, so every bound is worked out in 64 bits.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "engine/queries.h"
#include "engine/use_styles.h"

namespace {

using namespace dovrel::engine;

void Check(bool condition) {
  if (!condition) std::abort();
}

class FuzzKeys final : public StyleDirectory<char16_t> {
 public:
  explicit FuzzKeys(std::vector<std::u16string> keys) : keys_(std::move(keys)) {}
  std::int32_t StyleCount() const override { return static_cast<std::int32_t>(keys_.size()); }
  std::optional<std::int32_t> FindStyleKey(std::u16string_view key) const override {
    for (std::size_t i = 0; i < keys_.size(); ++i) {
      if (keys_[i] == key) return static_cast<std::int32_t>(i);
    }
    return std::nullopt;
  }

 private:
  std::vector<std::u16string> keys_;
};

std::u16string Text(FuzzedDataProvider& in, std::size_t max) {
  std::u16string text;
  const std::size_t length = in.ConsumeIntegralInRange<std::size_t>(0, max);
  for (std::size_t i = 0; i < length && in.remaining_bytes() > 0; ++i) {
    // Mostly the characters the reading cares about.
    static constexpr char16_t kCommon[] = u",{} 0123ABab";
    text.push_back(in.ConsumeBool() ? kCommon[in.ConsumeIntegralInRange<std::size_t>(0, 11)]
                                    : in.ConsumeIntegral<char16_t>());
  }
  return text;
}

void FuzzUseStyles(FuzzedDataProvider& in, CalendarRules& rules) {
  std::vector<std::u16string> keys;
  for (std::size_t i = 0; i < rules.styles.size(); ++i) keys.push_back(Text(in, 3));
  const FuzzKeys styles(keys);
  const std::u16string text = Text(in, 40);
  StyleList list = rules.style_list;
  const UseStylesOutcome outcome = AssignUseStyles<char16_t>(text, styles, list);
  if (outcome == UseStylesOutcome::Accepted) {
    for (std::int32_t index : list) Check(index >= 0 && index < styles.StyleCount());
    for (std::size_t i = 1; i < list.size(); ++i) Check(list[i] != list[i - 1]);
  }
  ResolveUseStyles<char16_t>(text, styles, list);
  for (std::int32_t index : list) Check(index >= 0 && index < styles.StyleCount());
  rules.style_list = list;
}

DayNumber AnyDay(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange<int>(0, 3)) {
    case 0: return in.ConsumeIntegral<DayNumber>();
    case 1: return in.ConsumeIntegralInRange<DayNumber>(kFirstValidDay - 3, kFirstValidDay + 800);
    case 2: return in.ConsumeIntegralInRange<DayNumber>(kLastValidDay - 800, kNullDayNumber + 2);
    default: return in.ConsumeIntegralInRange<DayNumber>(2415021, 2524593);  // 1900-2199
  }
}

DayDefinition AnyDefinition(FuzzedDataProvider& in) {
  return {in.ConsumeIntegralInRange<std::int16_t>(-1, 3), AnyDay(in), AnyDay(in)};
}

bool IsKnownKind(std::uint16_t f) {
  switch (f & cell_flag::kKind) {
    case 0: case 1: case 3: case 4: case 9: case 11: return true;
    default: return false;
  }
}

// One change of the rules, of any kind the objects can make.
void ChangeRules(FuzzedDataProvider& in, CalendarRules& rules) {
  switch (in.ConsumeIntegralInRange<int>(0, 5)) {
    case 0: rules.week_rests[in.ConsumeIntegralInRange<std::size_t>(0, 6)] = in.ConsumeIntegral<std::int16_t>(); break;
    case 1: {
      if (rules.styles.empty()) break;
      auto& style = rules.styles[in.ConsumeIntegralInRange<std::size_t>(0, rules.styles.size() - 1)];
      if (style.days.empty() || in.ConsumeBool()) {
        style.days.push_back(AnyDefinition(in));
      } else {
        style.days[in.ConsumeIntegralInRange<std::size_t>(0, style.days.size() - 1)] = AnyDefinition(in);
      }
      break;
    }
    case 2:
      if (!rules.styles.empty()) {
        bool& moves = rules.styles[in.ConsumeIntegralInRange<std::size_t>(0, rules.styles.size() - 1)].override_next_day;
        moves = !moves;
      }
      break;
    case 3:
      if (!rules.styles.empty()) {
        auto& days = rules.styles[in.ConsumeIntegralInRange<std::size_t>(0, rules.styles.size() - 1)].days;
        if (!days.empty()) days.erase(days.begin() + static_cast<std::ptrdiff_t>(in.ConsumeIntegralInRange<std::size_t>(0, days.size() - 1)));
      }
      break;
    case 4: FuzzUseStyles(in, rules); break;
    default: rules.style_list.push_back(in.ConsumeIntegralInRange<int>(-1, 4));
  }
}

// A fresh classification of lo ... hi (valid, at most a few thousand days),
// with the day before: the reference every answer is checked against.
class Fresh {
 public:
  Fresh(const CalendarRules& rules, std::int64_t lo, std::int64_t hi)
      : lo_(lo), cells_(static_cast<std::size_t>(hi - lo + 2)) {
    ClassifyRange(CellRun{static_cast<DayNumber>(lo - 1), cells_}, rules);
  }
  bool Is(std::int64_t d, DayCategory c) const { return IsInCategory(Flags(d), c); }
  std::uint16_t Flags(std::int64_t d) const { return cells_[static_cast<std::size_t>(d - lo_ + 1)].flags; }

  // The first (step +1) or last (step -1) day of the category in lo ... hi.
  DayAnswer Find(std::int64_t lo, std::int64_t hi, DayCategory c, int step) const {
    for (std::int64_t d = step > 0 ? lo : hi; d >= lo && d <= hi; d += step) {
      if (Is(d, c)) return static_cast<DayNumber>(d);
    }
    return std::nullopt;
  }

 private:
  std::int64_t lo_;
  std::vector<DayCell> cells_;
};

constexpr std::int64_t kChecked = 1500;  // days around a date that are checked against a fresh classification

std::int64_t Clamp(std::int64_t d) { return std::clamp<std::int64_t>(d, kFirstValidDay, kLastValidDay); }

// A walk's answer from `from` (the first day examined) in the direction of
// step: inside the range and of the category, and the days it passed over
// hold exactly n - 1 of the category; with no answer, fewer than n days of
// the category lie between `from` and the end it walked to (checked as far
// as kChecked days).
void CheckWalk(const CalendarRules& rules, const DayAnswer& answer, std::int64_t from, int step, DayCategory c,
               std::int64_t n) {
  if (from < kFirstValidDay || from > kLastValidDay) {
    Check(!answer);
    return;
  }
  if (answer) {
    Check(IsValidDayNumber(*answer));
    Check((*answer - from) * step >= 0);
  }
  const std::int64_t reach = answer ? *answer : Clamp(from + step * kChecked);
  if ((reach - from) * step > kChecked) return;
  const std::int64_t lo = std::min(from, reach), hi = std::max(from, reach);
  const Fresh fresh(rules, lo, hi);
  std::int64_t found = 0;
  for (std::int64_t d = lo; d <= hi; ++d) found += fresh.Is(d, c) ? 1 : 0;
  if (answer) {
    Check(fresh.Is(*answer, c));
    Check(found == n);
  } else {
    Check(found < n);
  }
}

void CheckRange(const CalendarRules& rules, const KeptClassification& calendar, std::int64_t date,
                std::int64_t other, DayCategory c) {
  const RangeCount count = DaysInRange(calendar, static_cast<DayNumber>(date), static_cast<DayNumber>(other), c);
  const RangeDates dates = DatesInRange(calendar, static_cast<DayNumber>(other), static_cast<DayNumber>(date), c);
  Check(count.status == dates.status);
  const std::int64_t lo = std::min(date, other), hi = std::max(date, other);
  if (lo < kFirstValidDay || hi > kLastValidDay) {
    Check(count.status == RangeStatus::InvalidEnd && count.count == -1 && dates.days.empty());
    return;
  }
  Check(count.status == RangeStatus::Answered);
  Check(count.count == static_cast<std::int32_t>(dates.days.size()));
  const Fresh fresh(rules, lo, hi);
  std::vector<DayNumber> expected;
  for (std::int64_t d = lo; d <= hi; ++d) {
    if (fresh.Is(d, c)) expected.push_back(static_cast<DayNumber>(d));
  }
  Check(dates.days == expected);
}

// The first and last days of the category in the week, month and year of
// a valid date.
void CheckPeriods(const CalendarRules& rules, const KeptClassification& calendar, DayNumber date, DayCategory c,
                  int start_of_week) {
  const std::int64_t week_start = WeekStart(date, start_of_week);
  const struct {
    std::int64_t lo, hi;
    DayAnswer first, last;
  } periods[] = {
      {Clamp(week_start), Clamp(week_start + 6), FirstInWeek(calendar, date, c, start_of_week),
       LastInWeek(calendar, date, c, start_of_week)},
      {FirstDayOfMonth(date), LastDayOfMonth(date), FirstInMonth(calendar, date, c), LastInMonth(calendar, date, c)},
      {FirstDayOfYear(date), LastDayOfYear(date), FirstInYear(calendar, date, c), LastInYear(calendar, date, c)},
  };
  Check(periods[0].lo <= date && date <= periods[0].hi && periods[0].hi - periods[0].lo <= 6);
  for (const auto& p : periods) {
    const Fresh fresh(rules, p.lo, p.hi);
    Check(p.first == fresh.Find(p.lo, p.hi, c, +1));
    Check(p.last == fresh.Find(p.lo, p.hi, c, -1));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  CalendarRules rules;
  for (auto& rule : rules.week_rests) rule = in.ConsumeIntegral<std::int16_t>();
  const int styles = in.ConsumeIntegralInRange<int>(0, 3);
  for (int s = 0; s < styles; ++s) {
    HolidayStyleRules style{in.ConsumeBool(), {}};
    const int days = in.ConsumeIntegralInRange<int>(0, 5);
    for (int k = 0; k < days; ++k) style.days.push_back(AnyDefinition(in));
    rules.styles.push_back(style);
  }
  for (int k = in.ConsumeIntegralInRange<int>(0, 4); k > 0; --k) rules.style_list.push_back(in.ConsumeIntegralInRange<int>(-1, 4));
  if (in.ConsumeBool()) FuzzUseStyles(in, rules);

  KeptClassification calendar(rules);
  for (int turn = 0; turn < 8 && in.remaining_bytes() > 0; ++turn) {
    if (turn > 0 && in.ConsumeBool()) {
      ChangeRules(in, rules);
      calendar.Reset(rules);
    }
    const DayNumber date = AnyDay(in);
    const std::int64_t wide = date;
    if (IsValidDayNumber(date)) {
      const std::uint16_t fresh = ClassifyDay(rules, date);
      Check(IsKnownKind(fresh));
      Check(ValueType(calendar, date) == (fresh & cell_flag::kValueType));
    } else {
      Check(!ValueType(calendar, date));
    }
    for (const auto& style : rules.styles) {
      for (const DayDefinition& def : style.days) (void)Matches(def, date);
    }

    const auto category = static_cast<DayCategory>(in.ConsumeIntegralInRange<int>(0, 4));
    const DayCategory date_type = *CategoryFromDateType(in.ConsumeIntegralInRange<int>(0, 2));
    switch (in.ConsumeIntegralInRange<int>(0, 4)) {
      case 0:
        CheckWalk(rules, NextDay(calendar, date, category), wide + 1, +1, category, 1);
        CheckWalk(rules, PrevDay(calendar, date, category), wide - 1, -1, category, 1);
        break;
      case 1:
        CheckWalk(rules, AdjustDate(calendar, date, AdjustDirection::NextWorkday), wide, +1, DayCategory::Workday, 1);
        CheckWalk(rules, AdjustDate(calendar, date, AdjustDirection::PrevWorkday), wide, -1, DayCategory::Workday, 1);
        break;
      case 2: {
        const auto days = in.ConsumeIntegral<std::int16_t>();
        const DayCategory c = *CategoryFromDateTypeEx(in.ConsumeIntegralInRange<int>(0, 2));
        const DayAnswer answer = DaysFromNow(calendar, date, days, c);
        if (days == 0) {
          Check(answer == (IsValidDayNumber(date) ? DayAnswer(date) : std::nullopt));
        } else {
          CheckWalk(rules, answer, wide, days > 0 ? +1 : -1, c, days > 0 ? days : -std::int64_t{days});
        }
        break;
      }
      case 3: {
        const std::int64_t other = std::clamp<std::int64_t>(wide + in.ConsumeIntegralInRange<int>(-3000, 3000),
                                                            std::numeric_limits<DayNumber>::min(),
                                                            std::numeric_limits<DayNumber>::max());
        CheckRange(rules, calendar, wide, other, date_type);
        break;
      }
      default:
        if (IsValidDayNumber(date)) CheckPeriods(rules, calendar, date, date_type, in.ConsumeIntegralInRange<int>(1, 7));
        break;
    }
  }
  return 0;
}
