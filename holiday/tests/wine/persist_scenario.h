// The holiday collections that both builds save: the same calls through the
// public interfaces, compiled here against the automation layer and on
// Windows against the platform's COM, so that the bytes each build's
// IPersistStream writes can be compared. Every kind of value of the format
// is in it: Japanese and empty names, single days and ranges, the three day
// types, colours, both flags and Override, styles with and without days.
#pragma once

#include <string>

#include "dovrel60.h"
#include "tests/support/civil_calendar.h"
#include "tests/support/variant_args.h"

namespace persist_scenario {

using testsupport::Null;
using testsupport::Omitted;

// A new object from the class objects of the module linked into the
// program (server/), as a host gets it from the library; null when the
// class or the interface is not there.
template <typename T>
T* CreateFromModule(const CLSID& clsid, const IID& iid) {
  IClassFactory* factory = nullptr;
  if (FAILED(DllGetClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)))) return nullptr;
  T* object = nullptr;
  factory->CreateInstance(nullptr, iid, reinterpret_cast<void**>(&object));
  factory->Release();
  return object;
}

// An automation date of a calendar day, by the tests' own calendar rather
// than the platform's date services.
inline VARIANT Date(int year, int month, int day) {
  return testsupport::DateValue(testsupport::AutomationDateOf(year, month, day));
}

// A text argument; the caller clears it.
inline VARIANT Text(const OLECHAR* text) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocString(text);
  return v;
}

struct DayRow {
  const OLECHAR* key;
  const OLECHAR* name;  // nullptr: left out
  int year, month, day;
  int endYear, endMonth, endDay;  // 0: left out; -1: Null
  dvDayTypeConst type;
};

inline HRESULT AddDays(IDays* days, const DayRow* rows, int count) {
  for (int i = 0; i < count; ++i) {
    const DayRow& r = rows[i];
    BSTR key = SysAllocString(r.key);
    VARIANT name = r.name ? Text(r.name) : Omitted();
    VARIANT end = r.endYear == 0 ? Omitted() : r.endYear < 0 ? Null() : Date(r.endYear, r.endMonth, r.endDay);
    IDay* day = nullptr;
    HRESULT hr = days->Add(key, name, Date(r.year, r.month, r.day), end, r.type, &day);
    if (day) day->Release();
    SysFreeString(key);
    VariantClear(&name);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

inline const DayRow kCompanyDays[] = {
    {OLESTR("元日"), OLESTR("元日"), 2024, 1, 1, 0, 0, 0, dvTypeHoliday},
    {OLESTR("GW"), OLESTR("ゴールデンウィーク"), 2024, 5, 3, 2024, 5, 6, dvTypeForcedHoliday},
    {OLESTR("棚卸"), nullptr, 2024, 12, 28, -1, 0, 0, dvTypeForcedWorkday},
    {OLESTR("創立記念日"), OLESTR(""), 1999, 6, 1, 0, 0, 0, dvTypeHoliday},
};

// A Days collection of its own.
inline HRESULT BuildDays(IDays* days) { return AddDays(days, kCompanyDays, 4); }

// Three styles: one with every attribute set and days, one with a range
// only, one left as created.
inline HRESULT BuildStyles(IHLDYStyles* styles) {
  struct StyleRow {
    const OLECHAR* key;
    const OLECHAR* name;
    OLE_COLOR back, fore;
    bool bold, underline;
    dvOverrideConst override;
  };
  const StyleRow rows[] = {
      {OLESTR("祝日"), OLESTR("国民の祝日"), 0x00C0C0FF, 0x000000FF, true, false, dvOverrideNextDay},
      {OLESTR("Company"), nullptr, 0x00FFFFFF, 0x00800000, false, true, dvOverrideNone},
      {OLESTR("空"), OLESTR("日付のないスタイル"), 0, 0, false, false, dvOverrideNone},
  };
  const DayRow national[] = {
      {OLESTR("元日"), OLESTR("元日"), 2024, 1, 1, 0, 0, 0, dvTypeHoliday},
      {OLESTR("成人の日"), OLESTR("成人の日"), 2024, 1, 8, 0, 0, 0, dvTypeHoliday},
      {OLESTR("建国記念の日"), OLESTR("建国記念の日"), 2024, 2, 11, 0, 0, 0, dvTypeHoliday},
  };
  const DayRow company[] = {
      {OLESTR("夏季休暇"), OLESTR("夏季休暇"), 2024, 8, 13, 2024, 8, 16, dvTypeForcedHoliday},
  };
  for (int i = 0; i < 3; ++i) {
    const StyleRow& r = rows[i];
    BSTR key = SysAllocString(r.key);
    VARIANT name = r.name ? Text(r.name) : Omitted();
    IHLDYStyle* style = nullptr;
    HRESULT hr = styles->Add(Omitted(), key, name, &style);
    SysFreeString(key);
    VariantClear(&name);
    if (FAILED(hr)) return hr;
    if (i < 2) {
      style->put_BackColor(r.back);
      style->put_ForeColor(r.fore);
      style->put_Bold(r.bold ? VARIANT_TRUE : VARIANT_FALSE);
      style->put_Underline(r.underline ? VARIANT_TRUE : VARIANT_FALSE);
      style->put_Override(r.override);
      IDays* days = nullptr;
      hr = style->get_Days(&days);
      if (SUCCEEDED(hr)) hr = i == 0 ? AddDays(days, national, 3) : AddDays(days, company, 1);
      if (days) days->Release();
    }
    style->Release();
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

// What IPersistStream::Save of an object writes to a memory stream.
inline HRESULT SaveToBytes(IUnknown* object, std::string* bytes) {
  IPersistStream* persist = nullptr;
  HRESULT hr = object->QueryInterface(IID_IPersistStream, reinterpret_cast<void**>(&persist));
  if (FAILED(hr)) return hr;
  IStream* stream = nullptr;
  hr = CreateStreamOnHGlobal(nullptr, TRUE, &stream);
  if (SUCCEEDED(hr)) hr = persist->Save(stream, TRUE);
  if (SUCCEEDED(hr)) {
    LARGE_INTEGER zero{};
    ULARGE_INTEGER end{};
    hr = stream->Seek(zero, STREAM_SEEK_CUR, &end);
    if (SUCCEEDED(hr)) hr = stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    if (SUCCEEDED(hr)) {
      bytes->assign(static_cast<std::size_t>(end.QuadPart), '\0');
      ULONG read = 0;
      hr = stream->Read(bytes->data(), static_cast<ULONG>(bytes->size()), &read);
      if (SUCCEEDED(hr) && read != bytes->size()) hr = E_FAIL;
    }
  }
  if (stream) stream->Release();
  persist->Release();
  return hr;
}

// IPersistStream::Load of an object from bytes.
inline HRESULT LoadFromBytes(IUnknown* object, const std::string& bytes) {
  IPersistStream* persist = nullptr;
  HRESULT hr = object->QueryInterface(IID_IPersistStream, reinterpret_cast<void**>(&persist));
  if (FAILED(hr)) return hr;
  IStream* stream = nullptr;
  hr = CreateStreamOnHGlobal(nullptr, TRUE, &stream);
  if (SUCCEEDED(hr) && !bytes.empty()) hr = stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
  if (SUCCEEDED(hr)) {
    LARGE_INTEGER zero{};
    hr = stream->Seek(zero, STREAM_SEEK_SET, nullptr);
  }
  if (SUCCEEDED(hr)) hr = persist->Load(stream);
  if (stream) stream->Release();
  persist->Release();
  return hr;
}

}  // namespace persist_scenario
