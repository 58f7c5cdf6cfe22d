// How the main object's members read their automation arguments and write
// their answers: dates in VARIANTs, the answer VARIANT, the array of dates.
//
// Every query takes its date the same way and answers the same way, so the
// rules live here once and dv_dovrel.cpp only strings them together.
#pragma once

#include <cstddef>
#include <optional>
#include <span>

#include "automation/com.h"
#include "engine/day_number.h"
#include "engine/queries.h"

namespace dovrel {

// The leading date of a query: an omitted argument (VT_ERROR) means the
// object's Value, VT_NULL the null day number, VT_DATE is taken as it is and
// anything else is coerced to a date on a copy (flags 0). Nothing when the
// coercion fails (the member then returns 0x800A0005). A date outside the
// supported range is no failure: it is a day number that is not valid, and
// the query answers Null, -1 or FALSE for it.
std::optional<engine::DayNumber> QueryDate(const VARIANT& argument, engine::DayNumber value);
// Date2 of the range queries, which has no default: the same rules, except
// that an omitted argument is coerced like any other value, and fails.
std::optional<engine::DayNumber> RequiredQueryDate(const VARIANT& argument);

// Value put: VT_NULL is the null day number, VT_DATE is taken as it is, and
// anything else is coerced (Empty gives 1899-12-30). Nothing when the
// coercion fails or the date lies outside 0100-01-01 ... 9999-12-31.
std::optional<engine::DayNumber> ValueDate(const VARIANT& argument);
// The same, with a date taken on the spot; false when Value is refused.
inline bool ReadValueDate(const VARIANT& argument, engine::DayNumber* day) {
  if (argument.vt == VT_DATE) [[likely]] return engine::ValidDayNumberFromAutomationDate(argument.date, day);
  const std::optional<engine::DayNumber> read = ValueDate(argument);
  if (read) *day = *read;
  return read.has_value();
}

// A date answer: VT_DATE, or VT_NULL when there is none. The result is
// written over whatever the caller's VARIANT held, without clearing it: it is
// an out argument, whose old content the caller owns. Every day the engine
// answers lies in the supported range (queries.h), so it is not checked again.
inline void WriteDateAnswer(engine::DayAnswer answer, VARIANT* result) {
  if (answer) [[likely]] {
    result->vt = VT_DATE;
    result->date = engine::AutomationDateFromDayNumber(*answer);
  } else {
    result->vt = VT_NULL;
  }
}

// DatesInRange's Array: a new one-dimensional array of VT_DATE VARIANTs,
// lower bound 0, written into *array without releasing what it held (an out
// argument, as above). E_OUTOFMEMORY, with *array untouched, when the array
// cannot be made.
HRESULT WriteDateArray(std::span<const engine::DayNumber> days, VARIANT* array);

// The 16-bit count DatesInRange returns. A range may hold up to 366001
// matching days; beyond 32767 the count stays at 32767, the largest it can
// say, rather than wrapping to a negative number that a host would read as
// "no days" or as the -1 of an invalid end. The array holds every day.
SHORT ListedDatesCount(std::size_t days);

}  // namespace dovrel
