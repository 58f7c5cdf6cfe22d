// The engine's copies of the interface's enumeration values, held against
// include/dovrel60.h. The engine names the values itself so that it needs
// no COM type, and the objects hand its numbers to hosts as they are (a
// Day's Type, ValueType's flags, WeekRests) and its numbers from hosts to it
// (the enumeration arguments of the queries). This file sees both, so a
// value changed on one side only stops the build here. It holds nothing
// else.
#include "dovrel60.h"
#include "engine/classification.h"
#include "engine/day_cell.h"
#include "engine/day_definition.h"
#include "engine/day_number.h"
#include "engine/queries.h"

namespace dovrel::engine {

// dvWeekdayConst: the engine's weekday numbering, which WeekRests is indexed
// by and StartOfWeek is read in.
static_assert(kSunday == dvSunday && kMonday == dvMonday && kSaturday == dvSaturday);

// dvDayTypeConst: a Day keeps its Type as the interface numbers it, and the
// engine decides which types there are.
static_assert(kTypeHoliday == dvTypeHoliday && kTypeForcedHoliday == dvTypeForcedHoliday &&
              kTypeForcedWorkday == dvTypeForcedWorkday);

// dvValueTypeConst: ValueType is a day cell's flags under kValueType.
static_assert(cell_flag::kHolidayOrWorkday == dvValueHolidayOrWorkday &&
              cell_flag::kForceHoliday == dvValueForceHoliday && cell_flag::kForceWorkday == dvValueForceWorkday &&
              cell_flag::kOverriddenHoliday == dvValueOverriddenHoliday && cell_flag::kWeekend == dvValueWeekend);
static_assert(cell_flag::kValueType == (dvValueHolidayOrWorkday | dvValueForceHoliday | dvValueForceWorkday |
                                        dvValueOverriddenHoliday | dvValueWeekend),
              "ValueType reports every flag of dvValueTypeConst and nothing else");

// dvWeekRestsConst: WeekRests are stored and read as the host passes them.
static_assert(week_rest::kNoWeeks == dvNoWeeks && week_rest::k1stWeek == dv1stWeek &&
              week_rest::k2ndWeek == dv2ndWeek && week_rest::k3rdWeek == dv3rdWeek &&
              week_rest::k4thWeek == dv4thWeek && week_rest::k5thWeek == dv5thWeek &&
              week_rest::kLastWeek == dvLastWeek && week_rest::kOverrideWeekday == dvOverrideWeekday &&
              week_rest::kAllWeeks == dvAllWeeks);

// The query arguments, which the engine reads as its categories and
// directions.
static_assert(CategoryFromDayNav(dvNavHoliday) == DayCategory::Holiday &&
              CategoryFromDayNav(dvNavWorkday) == DayCategory::Workday &&
              CategoryFromDayNav(dvNavWeekend) == DayCategory::Weekend &&
              CategoryFromDayNav(dvNavNormal) == DayCategory::AnyDay);
static_assert(CategoryFromDateType(dvHoliday) == DayCategory::Holiday &&
              CategoryFromDateType(dvWorkday) == DayCategory::Workday &&
              CategoryFromDateType(dvWeekend) == DayCategory::Weekend);
static_assert(CategoryFromDateTypeEx(dvHolidays) == DayCategory::Holiday &&
              CategoryFromDateTypeEx(dvWorkdays) == DayCategory::Workday &&
              CategoryFromDateTypeEx(dvWeekendsHolidays) == DayCategory::WeekendOrHoliday);
static_assert(AdjustDirectionFrom(dvPrevWorkday) == AdjustDirection::PrevWorkday &&
              AdjustDirectionFrom(dvNextWorkday) == AdjustDirection::NextWorkday);

}  // namespace dovrel::engine
