#include "engine/day_number.h"

#include <cmath>
#include <limits>

namespace dovrel::engine {

DayNumber DayNumberFromAutomationDate(double date) {
  // Only doubles whose truncation fits comfortably in 64 bits are converted;
  // the comparison is false for NaN as well.
  constexpr double kLimit = 4.0e9;
  if (!(date > -kLimit && date < kLimit)) return kNullDayNumber;
  const auto n = static_cast<std::int64_t>(std::trunc(date)) + kAutomationEpochDay;
  if (n < std::numeric_limits<DayNumber>::min() || n > std::numeric_limits<DayNumber>::max()) {
    return kNullDayNumber;
  }
  return static_cast<DayNumber>(n);
}

}  // namespace dovrel::engine
