// The IDispatch shared by every dovrel60 object. Each object's dual
// interface forwards its four IDispatch methods here with the identifier of
// that interface and the interface pointer itself; type information comes
// from the registered type library dvDovrel6Lib, so the dispatch of every
// object is described in one place.
#pragma once

#include "automation/com.h"

namespace dovrel {

HRESULT DispatchGetTypeInfoCount(UINT* pctinfo);
HRESULT DispatchGetTypeInfo(REFIID iid, UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo);
HRESULT DispatchGetIDsOfNames(REFIID iid, REFIID riid, LPOLESTR* rgszNames, UINT cNames,
                              LCID lcid, DISPID* rgDispId);
// `instance` is the object's interface pointer for `iid` (the vtable the
// call is made through).
HRESULT DispatchInvoke(REFIID iid, void* instance, DISPID dispIdMember, REFIID riid, LCID lcid,
                       WORD wFlags, DISPPARAMS* pDispParams, VARIANT* pVarResult,
                       EXCEPINFO* pExcepInfo, UINT* puArgErr);

}  // namespace dovrel
