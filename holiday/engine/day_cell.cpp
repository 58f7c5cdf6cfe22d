#include "day_cell.h"

namespace dovrel::engine {

namespace {

template <class Test>
std::int64_t CountWith(std::span<const DayCell> cells, Test test) {
  std::int64_t n = 0;
  for (const DayCell& cell : cells) n += test(cell.flags) ? 1 : 0;
  return n;
}

}  // namespace

std::int64_t CountInCategory(std::span<const DayCell> cells, DayCategory category) {
  switch (category) {
    case DayCategory::Holiday: return CountWith(cells, IsHoliday);
    case DayCategory::Workday: return CountWith(cells, IsWorkday);
    case DayCategory::Weekend: return CountWith(cells, IsRestDay);
    case DayCategory::WeekendOrHoliday: return CountWith(cells, IsRestDayOrHoliday);
    case DayCategory::AnyDay: return static_cast<std::int64_t>(cells.size());
  }
  return 0;
}

}  // namespace dovrel::engine
