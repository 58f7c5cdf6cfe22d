// Day cells: the one "what is this day" primitive every query reads.
//
// A classification fills one cell per day of a run of consecutive days. The
// low five flag bits are exactly the values of dvValueTypeConst, so ValueType
// is the flags with bit 32 masked off. The low four bits form the day's kind
// (0 none, 1 holiday, 3 forced holiday, 4 forced working day, 9 moved
// holiday, 11 moved forced holiday); bits 16 and 32 come only from the
// weekly rest rules and no style ever changes them.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "engine/day_number.h"

namespace dovrel::engine {

namespace cell_flag {
inline constexpr std::uint16_t kHolidayOrWorkday = 1;  // dvValueHolidayOrWorkday
inline constexpr std::uint16_t kForceHoliday = 2;      // dvValueForceHoliday
inline constexpr std::uint16_t kForceWorkday = 4;      // dvValueForceWorkday
inline constexpr std::uint16_t kOverriddenHoliday = 8; // dvValueOverriddenHoliday
inline constexpr std::uint16_t kWeekend = 16;          // dvValueWeekend
// A weekly rest day whose rule includes dvOverrideWeekday: a holiday that a
// style with dvOverrideNextDay puts here moves to the next day.
inline constexpr std::uint16_t kMovesToNextDay = 32;

inline constexpr std::uint16_t kKind = 15;             // the four kind bits
inline constexpr std::uint16_t kValueType = 31;        // what ValueType reports
}  // namespace cell_flag

// Trivially constructible on purpose: buffers of hundreds of thousands of
// cells are zeroed once, by the classification, not again on allocation.
// DayCell{} is a zeroed cell.
struct DayCell {
  std::uint16_t flags;
  // 1-based position in HolidayStyles of the style that last marked the day,
  // 0 when none did. The queries read only the flags; callers that draw a
  // calendar look up the style's colours through it.
  std::int32_t style;
};
static_assert(sizeof(DayCell) == 8, "a day cell is eight bytes: ranges of 366002 days are built at once");

// A run of cells for the consecutive days first, first + 1, ...
struct CellRun {
  DayNumber first = 0;
  std::span<DayCell> cells;

  DayNumber last() const { return first + static_cast<DayNumber>(cells.size()) - 1; }
  bool contains(DayNumber d) const {
    return d >= first && static_cast<std::int64_t>(d) - first < static_cast<std::int64_t>(cells.size());
  }
  DayCell& operator[](DayNumber d) const { return cells[static_cast<std::size_t>(d - first)]; }
};

// The kinds of day the queries ask about. The four category tests below are
// the only place where flags are read as kinds of day.
enum class DayCategory : std::uint8_t {
  Holiday,           // dvNavHoliday, dvHoliday, dvHolidays
  Workday,           // dvNavWorkday, dvWorkday, dvWorkdays
  Weekend,           // dvNavWeekend, dvWeekend (a weekly rest day)
  WeekendOrHoliday,  // dvWeekendsHolidays
  AnyDay,            // dvNavNormal
};

// A day a style marked as a holiday: plain, forced or moved.
constexpr bool IsHoliday(std::uint16_t f) { return (f & cell_flag::kHolidayOrWorkday) != 0; }

// Neither a holiday nor a weekly rest day, or forced to be a working day. A
// forced working day is a working day even on a rest day; since a marking
// replaces the whole kind, bits 1 and 4 never occur together and a holiday
// is never a working day.
constexpr bool IsWorkday(std::uint16_t f) {
  return (f & (cell_flag::kHolidayOrWorkday | cell_flag::kWeekend)) == 0 ||
         (f & cell_flag::kForceWorkday) != 0;
}

// A weekly rest day, also when a style forced it to be a working day.
constexpr bool IsRestDay(std::uint16_t f) { return (f & cell_flag::kWeekend) != 0; }

constexpr bool IsRestDayOrHoliday(std::uint16_t f) {
  return (f & (cell_flag::kHolidayOrWorkday | cell_flag::kWeekend)) != 0;
}

constexpr bool IsInCategory(std::uint16_t f, DayCategory category) {
  switch (category) {
    case DayCategory::Holiday: return IsHoliday(f);
    case DayCategory::Workday: return IsWorkday(f);
    case DayCategory::Weekend: return IsRestDay(f);
    case DayCategory::WeekendOrHoliday: return IsRestDayOrHoliday(f);
    case DayCategory::AnyDay: return true;
  }
  return false;
}

// The interface's enumerations, checked and read as categories in one place.
// Each gives nothing for a value outside its enumeration, which the methods
// refuse before doing anything else.
constexpr std::optional<DayCategory> CategoryFromDayNav(std::int32_t dvDayNavConst) {
  // The first three name the first three categories, in their order: one
  // comparison for the values hosts pass.
  if (dvDayNavConst >= 0 && dvDayNavConst <= 2) return static_cast<DayCategory>(dvDayNavConst);
  if (dvDayNavConst == 3) return DayCategory::AnyDay;
  return std::nullopt;
}
constexpr std::optional<DayCategory> CategoryFromDateType(std::int32_t dvDateTypeConst) {
  switch (dvDateTypeConst) {
    case 0: return DayCategory::Holiday;
    case 1: return DayCategory::Workday;
    case 2: return DayCategory::Weekend;
    default: return std::nullopt;
  }
}
constexpr std::optional<DayCategory> CategoryFromDateTypeEx(std::int32_t dvDateTypeExConst) {
  switch (dvDateTypeExConst) {
    case 0: return DayCategory::Holiday;
    case 1: return DayCategory::Workday;
    case 2: return DayCategory::WeekendOrHoliday;
    default: return std::nullopt;
  }
}

// Counts the cells of a category. The category is chosen once, outside the
// loop, so the per-day test is a couple of bit operations the compiler can
// vectorise.
std::int64_t CountInCategory(std::span<const DayCell> cells, DayCategory category);

}  // namespace dovrel::engine
