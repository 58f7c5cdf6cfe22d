#include "engine/day_cell.h"

#include <algorithm>

namespace dovrel::engine {

namespace {

// Counted in blocks with a 32-bit counter: a 64-bit one makes the
// vectorised loop widen every lane, which costs more than the test itself.
template <class Test>
std::int64_t CountWith(std::span<const DayCell> cells, Test test) {
  constexpr std::size_t kBlock = std::size_t(1) << 30;
  std::int64_t total = 0;
  for (std::size_t from = 0; from < cells.size(); from += kBlock) {
    const std::span<const DayCell> block = cells.subspan(from, std::min(kBlock, cells.size() - from));
    std::uint32_t n = 0;
    for (const DayCell& cell : block) n += test(cell.flags) ? 1u : 0u;
    total += n;
  }
  return total;
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
