// The creation routine of each class, in the order of the class table. This
// is the one place where the objects plug into the class objects: each entry
// names the class's Create<Class>(outer, riid, ppv).
//
// A class whose object is not part of the build yet answers
// CLASS_E_CLASSNOTAVAILABLE from CreateInstance: its class object exists
// (DllGetClassObject and registration treat all five classes alike), but it
// cannot make instances.
#include "class_table.h"
#include "day.h"
#include "days.h"
#include "holiday_style.h"
#include "holiday_styles.h"

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
    NotAvailable,  // dvDovrel: CreatedvDovrel of holiday/engine, when the main object exists
};

}  // namespace

CreateInstanceFunction CreatorOf(UINT index) {
  return index < sizeof kCreators / sizeof kCreators[0] ? kCreators[index] : NotAvailable;
}

}  // namespace dovrel
