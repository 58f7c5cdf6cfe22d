// A host program that links dovrel60: the one a host programmer starts from.
// With the development package installed it builds with one command, in the
// compiler's default standard (any from C++17 on),
//
//   g++ host.cpp $(pkg-config --cflags --libs dovrel60)
//
// and runs as ./a.out. It registers the library for this user (the registry
// file DOVREL_REGISTRY names, else ~/.local/share/dovrel60/registry.reg),
// makes a dvDovrel with the national holidays of 2025 as one holiday style
// and Saturdays and Sundays as rest days, and asks it two questions: the
// working day after Friday 2 May 2025, in Golden Week, and the number of
// working days in 2025. It prints both and exits 0 when they are right
// (2025/05/07 and 246).
//
// A host that loads the library at run time instead (dlopen) is
// dovrel60_host.cpp beside this file.
#include <cstdint>
#include <cstdio>

#include "common/civil_date.h"
#include "dovrel60.h"
#include "japan/holiday_style.h"

namespace {

VARIANT Date(int year, int month, int day) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_DATE;
  v.date = dovrel60::japan::AutomationDate(year, month, day);
  return v;
}

void Print(const char* what, const VARIANT& date) {
  const common::CivilDate c = common::CivilFromDays(static_cast<std::int64_t>(date.date) + common::kAutomationEpoch);
  std::printf("%-40s %04lld/%02d/%02d\n", what, static_cast<long long>(c.year), c.month, c.day);
}

int Fail(const char* what, HRESULT hr) {
  std::fprintf(stderr, "host: %s failed with 0x%08X\n", what, static_cast<unsigned>(hr));
  return 1;
}

}  // namespace

int main() {
  // Once for each user; the type information that IDispatch callers need
  // comes from this registration.
  HRESULT hr = DllRegisterServer();
  if (FAILED(hr)) return Fail("DllRegisterServer", hr);

  IClassFactory* factory = nullptr;
  hr = DllGetClassObject(CLSID_dvDovrel, IID_IClassFactory, reinterpret_cast<void**>(&factory));
  if (FAILED(hr)) return Fail("DllGetClassObject", hr);
  IDovrel* dovrel = nullptr;
  hr = factory->CreateInstance(nullptr, IID_IDovrel, reinterpret_cast<void**>(&dovrel));
  factory->Release();
  if (FAILED(hr)) return Fail("creating dvDovrel", hr);

  // The national holidays as the style JP, the only one in use.
  IHLDYStyles* styles = nullptr;
  IHLDYStyle* style = nullptr;
  VARIANT omitted;
  VariantInit(&omitted);
  omitted.vt = VT_ERROR;
  omitted.scode = DISP_E_PARAMNOTFOUND;
  BSTR key = SysAllocString(OLESTR("JP"));
  hr = dovrel->get_HolidayStyles(&styles);
  if (SUCCEEDED(hr)) hr = styles->Add(omitted, key, omitted, &style);
  if (SUCCEEDED(hr)) hr = dovrel60::japan::AddJapaneseHolidays(style, 2025, 2025);
  if (SUCCEEDED(hr)) hr = dovrel->put_UseStyles(key);
  if (style) style->Release();
  if (styles) styles->Release();
  SysFreeString(key);
  if (FAILED(hr)) return Fail("entering the national holidays", hr);
  dovrel->put_WeekRests(dvSaturday, dvAllWeeks);
  dovrel->put_WeekRests(dvSunday, dvAllWeeks);

  VARIANT next;
  VariantInit(&next);
  hr = dovrel->NextDay(Date(2025, 5, 2), dvNavWorkday, &next);
  if (FAILED(hr) || next.vt != VT_DATE) return Fail("NextDay", hr);
  Print("the working day after 2025/05/02", next);
  LONG workdays = 0;
  hr = dovrel->DaysInRange(Date(2025, 1, 1), Date(2025, 12, 31), dvWorkday, &workdays);
  if (FAILED(hr)) return Fail("DaysInRange", hr);
  std::printf("%-40s %ld\n", "working days in 2025", static_cast<long>(workdays));
  dovrel->Release();

  return next.date == dovrel60::japan::AutomationDate(2025, 5, 7) && workdays == 246 ? 0 : 1;
}
