// Ordinary COM code, written as for Windows: an automation object whose
// default member is its key, with a reference count the tests can watch,
// and a few helpers of the kind dovrel60's objects contain. The tests run it
// on the automation layer; check-windows-syntax compiles the same file
// against the platform's real headers.
#pragma once

#include <cstdio>

#include "automation/com.h"

namespace sample {

// An object that answers IUnknown and IDispatch; reading its default member
// (DISPID_VALUE) gives its key, as a Day or a style gives its Key.
class KeyedObject : public IDispatch {
 public:
  explicit KeyedObject(const OLECHAR* key) : refs_(1), key_(SysAllocString(key)) {}

  ULONG References() const { return refs_; }

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
      *ppv = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override {
    if (!pctinfo) return E_POINTER;
    *pctinfo = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) override {
    if (ppTInfo) *ppTInfo = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
  STDMETHODIMP Invoke(DISPID dispIdMember, REFIID, LCID, WORD wFlags, DISPPARAMS*, VARIANT* pVarResult,
                      EXCEPINFO*, UINT*) override {
    if (dispIdMember != DISPID_VALUE || !(wFlags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
    if (!pVarResult) return E_POINTER;
    VariantInit(pVarResult);
    V_VT(pVarResult) = VT_BSTR;
    V_BSTR(pVarResult) = SysAllocStringLen(key_, SysStringLen(key_));
    return S_OK;
  }

 private:
  virtual ~KeyedObject() { SysFreeString(key_); }

  ULONG refs_;
  BSTR key_;
};

// An index argument turned into a key: objects give their default member.
inline HRESULT KeyOfIndex(VARIANT index, BSTR* key) {
  if (!key) return E_POINTER;
  *key = nullptr;
  VARIANT text;
  VariantInit(&text);
  HRESULT hr = VariantChangeType(&text, &index, 0, VT_BSTR);
  if (FAILED(hr)) return hr;
  *key = V_BSTR(&text);
  return S_OK;
}

// A list of dates handed to the caller as VT_ARRAY | VT_VARIANT.
inline HRESULT DatesAsArray(const DATE* dates, ULONG count, VARIANT* result) {
  if (!result) return E_POINTER;
  SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, count);
  if (!array) return E_OUTOFMEMORY;
  for (LONG i = 0; i < static_cast<LONG>(count); ++i) {
    VARIANT element;
    VariantInit(&element);
    V_VT(&element) = VT_DATE;
    V_DATE(&element) = dates[i];
    HRESULT hr = SafeArrayPutElement(array, &i, &element);
    if (FAILED(hr)) {
      SafeArrayDestroy(array);
      return hr;
    }
  }
  V_VT(result) = VT_ARRAY | VT_VARIANT;
  V_ARRAY(result) = array;
  return S_OK;
}

// Announces a change to a window that may be gone by now.
inline void Notify(HWND window, UINT message) {
  if (window && IsWindow(window)) SendMessageW(window, message, 0, 0);
}

// The user's first day of the week as 1 (Sunday) to 7 (Saturday).
inline int FirstWeekday() {
  OLECHAR digit[4] = {0};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IFIRSTDAYOFWEEK, digit, 4) < 2) return 1;
  return (digit[0] - OLESTR('0') + 1) % 7 + 1;
}

// The file version of a module's version resource as "a.b.c.d", or an
// empty text when it has none.
inline HRESULT ModuleVersion(HMODULE module, BSTR* version) {
  if (!version) return E_POINTER;
  *version = SysAllocString(OLESTR(""));
  OLECHAR path[1024];
  if (!GetModuleFileNameW(module, path, 1024)) return S_OK;
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeW(path, &handle);
  if (!size) return S_OK;
  BYTE* block = new BYTE[size];
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (GetFileVersionInfoW(path, handle, size, block) &&
      VerQueryValueW(block, OLESTR("\\"), reinterpret_cast<LPVOID*>(&info), &length) && info) {
    char text[64];
    int n = snprintf(text, sizeof text, "%u.%u.%u.%u", static_cast<unsigned>(HIWORD(info->dwFileVersionMS)),
                     static_cast<unsigned>(LOWORD(info->dwFileVersionMS)),
                     static_cast<unsigned>(HIWORD(info->dwFileVersionLS)),
                     static_cast<unsigned>(LOWORD(info->dwFileVersionLS)));
    OLECHAR wide[64];
    for (int i = 0; i <= n; ++i) wide[i] = static_cast<OLECHAR>(text[i]);
    SysReAllocString(version, wide);
  }
  delete[] block;
  return S_OK;
}

}  // namespace sample
