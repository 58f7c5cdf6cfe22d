// Error information objects and the current one of each thread.
#include <new>

#include "automation/portable/internal.h"

using namespace automation;

namespace {

class ErrorInfo final : public ICreateErrorInfo, public IErrorInfo, public RefCounted {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_ICreateErrorInfo) {
      *ppv = static_cast<ICreateErrorInfo*>(this);
    } else if (riid == IID_IErrorInfo) {
      *ppv = static_cast<IErrorInfo*>(this);
    } else {
      *ppv = nullptr;
      return E_NOINTERFACE;
    }
    AddRefImpl();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return AddRefImpl(); }
  STDMETHODIMP_(ULONG) Release() override { return ReleaseImpl(); }

  STDMETHODIMP SetGUID(REFGUID rguid) override {
    guid_ = rguid;
    return S_OK;
  }
  STDMETHODIMP SetSource(LPOLESTR text) override { return Replace(source_, text); }
  STDMETHODIMP SetDescription(LPOLESTR text) override { return Replace(description_, text); }
  STDMETHODIMP SetHelpFile(LPOLESTR text) override { return Replace(helpFile_, text); }
  STDMETHODIMP SetHelpContext(DWORD context) override {
    helpContext_ = context;
    return S_OK;
  }

  STDMETHODIMP GetGUID(GUID* guid) override {
    if (!guid) return E_INVALIDARG;
    *guid = guid_;
    return S_OK;
  }
  STDMETHODIMP GetSource(BSTR* out) override { return Copy(source_, out); }
  STDMETHODIMP GetDescription(BSTR* out) override { return Copy(description_, out); }
  STDMETHODIMP GetHelpFile(BSTR* out) override { return Copy(helpFile_, out); }
  STDMETHODIMP GetHelpContext(DWORD* out) override {
    if (!out) return E_INVALIDARG;
    *out = helpContext_;
    return S_OK;
  }

 private:
  ~ErrorInfo() override {
    SysFreeString(source_);
    SysFreeString(description_);
    SysFreeString(helpFile_);
  }

  static HRESULT Replace(BSTR& field, LPOLESTR text) {
    BSTR copy = nullptr;
    if (text && !(copy = SysAllocString(text))) return E_OUTOFMEMORY;
    SysFreeString(field);
    field = copy;
    return S_OK;
  }
  static HRESULT Copy(BSTR field, BSTR* out) {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    if (field && !(*out = SysAllocStringLen(field, SysStringLen(field)))) return E_OUTOFMEMORY;
    return S_OK;
  }

  GUID guid_{};
  BSTR source_ = nullptr;
  BSTR description_ = nullptr;
  BSTR helpFile_ = nullptr;
  DWORD helpContext_ = 0;
};

// The thread's current error information. It is released when the thread
// ends, like the platform drops it with the thread's apartment.
struct CurrentError {
  IErrorInfo* info = nullptr;
  ~CurrentError() {
    if (info) info->Release();
  }
};
thread_local CurrentError current;

}  // namespace

STDAPI CreateErrorInfo(ICreateErrorInfo** pperrinfo) {
  if (!pperrinfo) return E_INVALIDARG;
  *pperrinfo = new (std::nothrow) ErrorInfo;
  return *pperrinfo ? S_OK : E_OUTOFMEMORY;
}

STDAPI SetErrorInfo(ULONG, IErrorInfo* perrinfo) {
  if (perrinfo) perrinfo->AddRef();
  IErrorInfo* previous = current.info;
  current.info = perrinfo;
  if (previous) previous->Release();
  return S_OK;
}

// Hands the current error information to the caller and clears it; S_FALSE
// when there is none.
STDAPI GetErrorInfo(ULONG, IErrorInfo** pperrinfo) {
  if (!pperrinfo) return E_INVALIDARG;
  *pperrinfo = current.info;
  current.info = nullptr;
  return *pperrinfo ? S_OK : S_FALSE;
}
