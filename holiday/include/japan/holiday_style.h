// AddJapaneseHolidays: the national holidays of Japan
// (japan/national_holidays.h) entered into a holiday style of dovrel60,
// for C++ hosts. The VBA/VBScript module JapaneseHolidays.bas does the same
// for scripts, and japanese_holidays.dvs is a style filled with every year
// of them, saved, for a host to load through IPersistStream.
//
//   IHLDYStyle* style;  // styles->Add(missing, key, name, &style)
//   AddJapaneseHolidays(style, 2024, 2026, api);  // api: the host's services
//   dovrel->put_UseStyles(key);
//
// Each holiday becomes one Day: a forced holiday (dvTypeForcedHoliday) of
// its own date, which holds for that year only, keyed "JP-yyyy-mm-dd" and
// named as the law names it. Substitute holidays and citizens' holidays are
// Days of their own, so the style's Override is set to dvOverrideNone: no
// holiday needs moving, whatever the weekly rest days (a style that moves a
// holiday moves it by one day only). A key the style already holds is left
// as it is, so that entering overlapping ranges of years adds nothing twice.
#pragma once

#include "dovrel60.h"
#include "japan/national_holidays.h"

namespace dovrel60::japan {

// The automation date of a day: days from 1899-12-30.
inline double AutomationDate(int year, int month, int day) {
  return static_cast<double>(common::DaysFromCivil(year, month, day) - common::kAutomationEpoch);
}

namespace holiday_detail {

// What every routine that enters holidays as Days of their own does first:
// the style's Override set to dvOverrideNone (nothing needs moving), and its
// Days handed out.
inline HRESULT DaysToEnter(IHLDYStyle* style, IDays** days) {
  HRESULT hr = style->put_Override(dvOverrideNone);
  return SUCCEEDED(hr) ? style->get_Days(days) : hr;
}

// One holiday: a forced holiday of its date, keyed `key`; a key the style
// already holds is left as it is, so that entering days twice adds nothing.
template <class Services>
HRESULT EnterHoliday(IDays* days, const Holiday& holiday, const std::u16string& name, const Services& api) {
  static_assert(sizeof(OLECHAR) == sizeof(char16_t), "OLECHAR holds UTF-16 code units");
  constexpr HRESULT kKeyAlreadyUsed = static_cast<HRESULT>(0x800A0201);
  const std::u16string key = KeyOf(holiday);
  VARIANT nameArg, date, omitted;
  nameArg.vt = VT_BSTR;
  date.vt = VT_DATE;
  date.date = AutomationDate(holiday.year, holiday.month, holiday.day);
  omitted.vt = VT_ERROR;
  omitted.scode = DISP_E_PARAMNOTFOUND;
  BSTR keyText = api.SysAllocString(reinterpret_cast<const OLECHAR*>(key.c_str()));
  nameArg.bstrVal = api.SysAllocString(reinterpret_cast<const OLECHAR*>(name.c_str()));
  HRESULT hr = keyText && nameArg.bstrVal ? days->Add(keyText, nameArg, date, omitted, dvTypeForcedHoliday, nullptr)
                                          : E_OUTOFMEMORY;
  api.SysFreeString(keyText);
  api.SysFreeString(nameArg.bstrVal);
  return hr == kKeyAlreadyUsed ? S_OK : hr;
}

}  // namespace holiday_detail

// Returns E_INVALIDARG for years outside 1948..2099 or in the wrong order
// (nothing is added then), E_POINTER without a style, and otherwise the
// first failure of the style's members, or S_OK. `api` provides
// SysAllocString and SysFreeString: a host that loads the library with
// dlopen passes its DovrelAutomationServices; the overload below calls the
// platform's own.
template <class Services>
HRESULT AddJapaneseHolidays(IHLDYStyle* style, int firstYear, int lastYear, const Services& api) {
  if (!style) return E_POINTER;
  if (firstYear < kFirstYear || lastYear > kLastYear || firstYear > lastYear) return E_INVALIDARG;
  IDays* days = nullptr;
  HRESULT hr = holiday_detail::DaysToEnter(style, &days);
  if (FAILED(hr)) return hr;
  for (const Holiday& holiday : NationalHolidays(firstYear, lastYear)) {
    hr = holiday_detail::EnterHoliday(days, holiday, std::u16string(holiday.name), api);
    if (FAILED(hr)) break;
  }
  days->Release();
  return hr;
}

// The same with the platform's SysAllocString and SysFreeString: on Windows,
// or in a program that links dovrel60's automation layer.
inline HRESULT AddJapaneseHolidays(IHLDYStyle* style, int firstYear, int lastYear) {
  struct PlatformStrings {
    static BSTR SysAllocString(const OLECHAR* text) { return ::SysAllocString(text); }
    static void SysFreeString(BSTR text) { ::SysFreeString(text); }
  };
  return AddJapaneseHolidays(style, firstYear, lastYear, PlatformStrings{});
}

}  // namespace dovrel60::japan
