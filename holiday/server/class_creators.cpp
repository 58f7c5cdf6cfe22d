// The creation routine of each class, in the order of the class table. This
// is the one place where the objects plug into the class objects: each entry
// names the class's Create<Class>(outer, riid, ppv).
//
// A class without a routine here would answer CLASS_E_CLASSNOTAVAILABLE from
// CreateInstance: its class object would exist (DllGetClassObject and
// registration treat all five classes alike), but could make no instances.
#include "definitions/day.h"
#include "definitions/days.h"
#include "definitions/holiday_style.h"
#include "definitions/holiday_styles.h"
#include "dovrel/dv_dovrel.h"
#include "server/class_table.h"

namespace dovrel {
namespace {

HRESULT NotAvailable(IUnknown*, REFIID, void** ppv) {
  if (ppv) *ppv = nullptr;
  return CLASS_E_CLASSNOTAVAILABLE;
}

constexpr CreateInstanceFunction kCreators[] = {
    CreateDay,
    CreateDays,
    CreateHolidayStyle,
    CreateHolidayStyles,
    CreatedvDovrel,
};

}  // namespace

CreateInstanceFunction CreatorOf(UINT index) {
  return index < sizeof kCreators / sizeof kCreators[0] ? kCreators[index] : NotAvailable;
}

}  // namespace dovrel
