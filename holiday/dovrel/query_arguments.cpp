#include "dovrel/query_arguments.h"

#include <algorithm>
#include <limits>

#include "definitions/values.h"

namespace dovrel {

namespace {

// The date rule shared by every form: VT_NULL and VT_DATE as they are,
// anything else through the standard coercion.
std::optional<engine::DayNumber> DateOf(const VARIANT& value) {
  if (value.vt == VT_NULL) return engine::kNullDayNumber;
  if (value.vt == VT_DATE) return engine::DayNumberFromAutomationDate(value.date);
  const std::optional<DATE> date = CoerceToDate(value);
  if (!date) return std::nullopt;
  return engine::DayNumberFromAutomationDate(*date);
}

}  // namespace

std::optional<engine::DayNumber> QueryDate(const VARIANT& argument, engine::DayNumber value) {
  // A script passes its variables by reference; an omitted argument may come
  // as VT_ERROR inside one.
  const VARIANT& given = Referred(argument);
  if (given.vt == VT_ERROR) return value;
  return DateOf(given);
}

std::optional<engine::DayNumber> RequiredQueryDate(const VARIANT& argument) { return DateOf(Referred(argument)); }

std::optional<engine::DayNumber> ValueDate(const VARIANT& argument) {
  const VARIANT& given = Referred(argument);
  if (given.vt == VT_NULL) return engine::kNullDayNumber;
  const std::optional<engine::DayNumber> day = DateOf(given);
  if (!day || !engine::IsValidDayNumber(*day)) return std::nullopt;
  return day;
}

HRESULT WriteDateArray(std::span<const engine::DayNumber> days, VARIANT* array) {
  if (days.size() > std::numeric_limits<ULONG>::max()) return E_OUTOFMEMORY;
  SAFEARRAY* made = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(days.size()));
  if (!made) return E_OUTOFMEMORY;
  VARIANT* elements = nullptr;
  if (FAILED(SafeArrayAccessData(made, reinterpret_cast<void**>(&elements)))) {
    SafeArrayDestroy(made);
    return E_OUTOFMEMORY;
  }
  for (std::size_t i = 0; i < days.size(); ++i) {
    elements[i].vt = VT_DATE;
    elements[i].date = engine::AutomationDateFromDayNumber(days[i]);
  }
  SafeArrayUnaccessData(made);
  array->vt = VT_ARRAY | VT_VARIANT;
  array->parray = made;
  return S_OK;
}

SHORT ListedDatesCount(std::size_t days) {
  return static_cast<SHORT>(std::min<std::size_t>(days, std::numeric_limits<SHORT>::max()));
}

}  // namespace dovrel
