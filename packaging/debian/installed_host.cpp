// A host built as a user builds one against the installed package, with
// nothing but `pkg-config --cflags --libs dovrel60`: it registers the
// library, creates dvDovrel and asks for the working day after Friday
// 3 January 2025 with Saturdays and Sundays as rest days. Prints the answer
// as an automation date (45663, Monday 6 January) and exits 0 when it is
// right.
#include <cstdio>

#include "dovrel60.h"

int main() {
  if (FAILED(DllRegisterServer())) return std::puts("DllRegisterServer failed"), 1;
  IClassFactory* factory = nullptr;
  if (FAILED(DllGetClassObject(CLSID_dvDovrel, IID_IClassFactory, reinterpret_cast<void**>(&factory))))
    return std::puts("no class object for dvDovrel"), 1;
  IDovrel* dovrel = nullptr;
  const HRESULT created = factory->CreateInstance(nullptr, IID_IDovrel, reinterpret_cast<void**>(&dovrel));
  factory->Release();
  if (FAILED(created)) return std::puts("dvDovrel was not created"), 1;
  dovrel->put_WeekRests(dvSunday, dvAllWeeks);
  dovrel->put_WeekRests(dvSaturday, dvAllWeeks);
  VARIANT friday{}, answer{};
  friday.vt = VT_DATE;
  friday.date = 45660;
  const HRESULT asked = dovrel->NextDay(friday, dvNavWorkday, &answer);
  dovrel->Release();
  if (FAILED(asked) || answer.vt != VT_DATE) return std::puts("NextDay failed"), 1;
  std::printf("next working day %.0f\n", answer.date);
  return answer.date == 45663 ? 0 : 1;
}
