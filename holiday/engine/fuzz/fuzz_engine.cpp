// libFuzzer target for the calendar engine: arbitrary UseStyles texts, and
// arbitrary rest rules, definitions (any type, any dates, any order) and
// query arguments. Besides crashes and undefined behaviour it checks what
// must hold whatever the input: list entries inside the collection, only
// the six kinds of day in a cell, answers inside the supported range and on
// the right side of the date, counts that agree with the lists.
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

bool IsKnownKind(std::uint16_t f) {
  switch (f & cell_flag::kKind) {
    case 0: case 1: case 3: case 4: case 9: case 11: return true;
    default: return false;
  }
}

// The bound is wide: the fuzzer's dates reach the ends of 32 bits, where a
// day more or less than the date no longer fits a DayNumber.
void CheckAnswer(const DayAnswer& answer, std::int64_t bound, int side) {
  if (!answer) return;
  Check(IsValidDayNumber(*answer));
  if (side > 0) Check(*answer > bound);
  if (side < 0) Check(*answer < bound);
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
    for (int k = 0; k < days; ++k) {
      style.days.push_back({in.ConsumeIntegralInRange<std::int16_t>(-1, 3), AnyDay(in), AnyDay(in)});
    }
    rules.styles.push_back(style);
  }
  for (int k = in.ConsumeIntegralInRange<int>(0, 4); k > 0; --k) rules.style_list.push_back(in.ConsumeIntegralInRange<int>(-1, 4));
  if (in.ConsumeBool()) FuzzUseStyles(in, rules);

  const CalendarClassifier calendar(rules);
  const DayNumber date = AnyDay(in);
  const std::int64_t wide = date;
  if (IsValidDayNumber(date)) Check(IsKnownKind(ClassifyDay(calendar, date)));
  for (const auto& style : rules.styles) {
    for (const DayDefinition& def : style.days) (void)Matches(def, date);
  }

  const auto category = static_cast<DayCategory>(in.ConsumeIntegralInRange<int>(0, 4));
  const DayCategory date_type = *CategoryFromDateType(in.ConsumeIntegralInRange<int>(0, 2));
  switch (in.ConsumeIntegralInRange<int>(0, 5)) {
    case 0:
      CheckAnswer(NextDay(calendar, date, category), date, +1);
      CheckAnswer(PrevDay(calendar, date, category), date, -1);
      break;
    case 1:
      CheckAnswer(AdjustDate(calendar, date, AdjustDirection::NextWorkday), wide - 1, +1);
      CheckAnswer(AdjustDate(calendar, date, AdjustDirection::PrevWorkday), wide + 1, -1);
      break;
    case 2: {
      const auto days = in.ConsumeIntegral<std::int16_t>();
      CheckAnswer(DaysFromNow(calendar, date, days, *CategoryFromDateTypeEx(in.ConsumeIntegralInRange<int>(0, 2))),
                  days > 0 ? wide - 1 : wide + 1, days == 0 ? 0 : days > 0 ? +1 : -1);
      break;
    }
    case 3: {
      const DayNumber other = static_cast<DayNumber>(
          std::clamp<std::int64_t>(wide + in.ConsumeIntegralInRange<DayNumber>(-3000, 3000),
                                   std::numeric_limits<DayNumber>::min(), std::numeric_limits<DayNumber>::max()));
      const RangeCount count = DaysInRange(calendar, date, other, date_type);
      const RangeDates dates = DatesInRange(calendar, other, date, date_type);
      Check(count.status == dates.status);
      if (count.status == RangeStatus::Answered) Check(count.count == static_cast<std::int32_t>(dates.days.size()));
      for (std::size_t i = 1; i < dates.days.size(); ++i) Check(dates.days[i - 1] < dates.days[i]);
      break;
    }
    default: {
      const int start_of_week = in.ConsumeIntegralInRange<int>(1, 7);
      CheckAnswer(FirstInWeek(calendar, date, date_type, start_of_week), wide - 7, +1);
      CheckAnswer(LastInWeek(calendar, date, date_type, start_of_week), wide + 7, -1);
      CheckAnswer(FirstInMonth(calendar, date, date_type), wide - 31, +1);
      CheckAnswer(LastInYear(calendar, date, date_type), wide + 366, -1);
      break;
    }
  }
  return 0;
}
