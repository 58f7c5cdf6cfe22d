// Placeholder until the type-library machinery exists: objects answer
// IDispatch calls with E_NOTIMPL, but their vtable interfaces work.
#include "dispatch.h"

namespace dovrel {

HRESULT DispatchGetTypeInfoCount(UINT* pctinfo) {
  if (!pctinfo) return E_POINTER;
  *pctinfo = 0;
  return S_OK;
}

HRESULT DispatchGetTypeInfo(REFIID, UINT, LCID, ITypeInfo** ppTInfo) {
  if (!ppTInfo) return E_POINTER;
  *ppTInfo = nullptr;
  return E_NOTIMPL;
}

HRESULT DispatchGetIDsOfNames(REFIID, REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
  return E_NOTIMPL;
}

HRESULT DispatchInvoke(REFIID, void*, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                       EXCEPINFO*, UINT*) {
  return E_NOTIMPL;
}

}  // namespace dovrel
