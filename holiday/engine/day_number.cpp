#include "engine/day_number.h"

namespace dovrel::engine::detail {

constinit const std::array<DayNumber, kLastTabledYear - kFirstTabledYear + 1> kYearStartDays = [] {
  std::array<DayNumber, kLastTabledYear - kFirstTabledYear + 1> starts{};
  for (std::size_t k = 0; k < starts.size(); ++k) {
    starts[k] = DayNumberFromCivil(kFirstTabledYear + static_cast<std::int64_t>(k), 1, 1).day;
  }
  return starts;
}();

}  // namespace dovrel::engine::detail
