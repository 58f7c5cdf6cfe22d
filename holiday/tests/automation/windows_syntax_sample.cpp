// Host-side and object-side COM code that must compile unchanged against
// the platform's own headers (holiday/automation/check-windows-syntax) and
// against the automation layer (it is part of test_automation).
#include "dovrel60.h"
#include "frame/errors.h"
#include "japan/official_holidays.h"
#include "tests/automation/ordinary_com.h"

namespace sample {

// A host filling a style from the rules and from the official list's file
// with the platform's own string and code page functions.
HRESULT NationalHolidays(IHLDYStyle* style, std::string_view officialListFile) {
  HRESULT hr = dovrel60::japan::AddJapaneseHolidays(style, 2024, 2026);
  if (FAILED(hr)) return hr;
  return dovrel60::japan::AddOfficialHolidays(style, dovrel60::japan::ReadOfficialHolidayList(officialListFile));
}

// A host asking the main object a question through its vtable, and reading
// the thread's error information when it fails.
HRESULT NextHolidayAfter(IDovrel* dovrel, DATE from, DATE* next, BSTR* error) {
  *error = nullptr;
  VARIANT date, result;
  VariantInit(&date);
  VariantInit(&result);
  V_VT(&date) = VT_DATE;
  V_DATE(&date) = from;
  HRESULT hr = dovrel->NextDay(date, dvNavHoliday, &result);
  if (FAILED(hr)) {
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) == S_OK) {
      info->GetDescription(error);
      info->Release();
    }
    return hr;
  }
  VARIANT converted;
  VariantInit(&converted);
  hr = VariantChangeType(&converted, &result, 0, VT_DATE);
  VariantClear(&result);
  if (SUCCEEDED(hr)) *next = V_DATE(&converted);
  return hr == DISP_E_TYPEMISMATCH ? S_FALSE : hr;  // Null: no holiday
}

// A host counting the members of a collection through IEnumVARIANT.
LONG CountByEnumeration(IHLDYStyles* styles) {
  IUnknown* unknown = nullptr;
  if (FAILED(styles->get__NewEnum(&unknown))) return -1;
  IEnumVARIANT* members = nullptr;
  HRESULT hr = unknown->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(&members));
  unknown->Release();
  if (FAILED(hr)) return -1;
  LONG count = 0;
  VARIANT item;
  VariantInit(&item);
  ULONG fetched = 0;
  while (members->Next(1, &item, &fetched) == S_OK && fetched == 1) {
    ++count;
    VariantClear(&item);
  }
  members->Release();
  return count;
}

// A host saving a collection into memory and reading the registry.
HRESULT SaveToMemory(IPersistStream* persist, HGLOBAL* block) {
  IStream* stream = nullptr;
  HRESULT hr = CreateStreamOnHGlobal(nullptr, FALSE, &stream);
  if (FAILED(hr)) return hr;
  hr = persist->Save(stream, TRUE);
  if (SUCCEEDED(hr)) hr = GetHGlobalFromStream(stream, block);
  stream->Release();
  return hr;
}

bool IsRegistered(REFCLSID clsid) {
  LPOLESTR progId = nullptr;
  if (FAILED(ProgIDFromCLSID(clsid, &progId))) return false;
  HKEY key = nullptr;
  LSTATUS status = RegOpenKeyExW(HKEY_CLASSES_ROOT, progId, 0, KEY_READ, &key);
  CoTaskMemFree(progId);
  if (status != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// A host that loaded the library at run time asks it for a class object.
HRESULT CreateMainObject(DOVREL_PFN_DLLGETCLASSOBJECT getClassObject, IDovrel** dovrel) {
  IClassFactory* factory = nullptr;
  HRESULT hr = getClassObject(CLSID_dvDovrel, IID_IClassFactory, reinterpret_cast<void**>(&factory));
  if (FAILED(hr)) return hr;
  hr = factory->CreateInstance(nullptr, IID_IDovrel, reinterpret_cast<void**>(dovrel));
  factory->Release();
  return hr == dovrel::DVERR_OUT_OF_MEMORY ? E_OUTOFMEMORY : hr;
}

}  // namespace sample
