// The IDispatch of every dovrel60 object: type information from the
// registered type library dvDovrel6Lib 1.0 (or, when it is not registered,
// the one the module carries), loaded on first use and kept for the life of
// the module; names and calls go through it.
#include "frame/dispatch.h"

#include <utility>
#include <vector>

#include "dovrel60.h"
#include "frame/critical_section.h"
#include "frame/this_module.h"

namespace dovrel {
namespace {

// The type information of each interface asked for so far. Objects live on
// the threads of their apartments, so the cache is shared and guarded.
class TypeInfoCache {
 public:
  ~TypeInfoCache() {
    for (auto& entry : infos_) entry.second->Release();
    if (library_) library_->Release();
  }

  // The cached type information of iid, without a reference of its own.
  HRESULT Find(REFIID iid, LCID lcid, ITypeInfo** info) {
    Entered guard(section_);
    for (auto& entry : infos_)
      if (entry.first == iid) {
        *info = entry.second;
        return S_OK;
      }
    if (!library_) {
      // The locale of the first call chooses among registered locales; later
      // calls share what it loaded. A library that is loaded but not
      // registered still answers with the description it carries itself:
      // the same IDL, so nothing can differ.
      HRESULT hr = LoadRegTypeLib(LIBID_dvDovrel6Lib, 1, 0, lcid, &library_);
      if (FAILED(hr)) {
        library_ = nullptr;
        if (FAILED(LoadTypeLib(ThisModulePath().c_str(), &library_))) {
          library_ = nullptr;
          return hr;
        }
      }
    }
    ITypeInfo* found = nullptr;
    HRESULT hr = library_->GetTypeInfoOfGuid(iid, &found);
    if (FAILED(hr) || !found) return FAILED(hr) ? hr : E_FAIL;
    try {
      infos_.emplace_back(iid, found);
    } catch (...) {
      found->Release();
      return E_OUTOFMEMORY;
    }
    *info = found;
    return S_OK;
  }

 private:
  CriticalSection section_;
  ITypeLib* library_ = nullptr;
  std::vector<std::pair<IID, ITypeInfo*>> infos_;
};

TypeInfoCache cache;

}  // namespace

HRESULT DispatchGetTypeInfoCount(UINT* pctinfo) {
  if (!pctinfo) return E_POINTER;
  *pctinfo = 1;
  return S_OK;
}

// The index is not checked: every object has exactly one type information.
HRESULT DispatchGetTypeInfo(REFIID iid, UINT, LCID lcid, ITypeInfo** ppTInfo) {
  if (!ppTInfo) return E_POINTER;
  *ppTInfo = nullptr;
  ITypeInfo* info = nullptr;
  HRESULT hr = cache.Find(iid, lcid, &info);
  if (FAILED(hr)) return hr;
  info->AddRef();
  *ppTInfo = info;
  return S_OK;
}

HRESULT DispatchGetIDsOfNames(REFIID iid, REFIID, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId) {
  ITypeInfo* info = nullptr;
  HRESULT hr = cache.Find(iid, lcid, &info);
  if (FAILED(hr)) return hr;
  return info->GetIDsOfNames(rgszNames, cNames, rgDispId);
}

HRESULT DispatchInvoke(REFIID iid, void* instance, DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                       DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) {
  // What the thread holds from an earlier failure must not be taken for
  // the error of this call.
  SetErrorInfo(0, nullptr);
  if (!IsEqualGUID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  ITypeInfo* info = nullptr;
  HRESULT hr = cache.Find(iid, lcid, &info);
  if (FAILED(hr)) return hr;
  return info->Invoke(instance, dispIdMember, wFlags, pDispParams, pVarResult, pExcepInfo, puArgErr);
}

}  // namespace dovrel
