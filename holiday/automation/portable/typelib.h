// What the layer's sources of type libraries share; never included by
// objects or hosts.
//
//   typeinfo.cpp              ITypeLib and ITypeInfo over the tables of
//                             tools/idlgen (automation/type_library.h)
//   invoke.cpp                ITypeInfo::Invoke: a call through a member's
//                             description
//   typelib_registration.cpp  the registry keys of a registered library
//   typelib_entry_points.cpp  the C functions (LoadTypeLib, RegisterTypeLib,
//                             ...), which check their arguments and call
//                             the three above
#pragma once

#include <optional>
#include <string>

#include "automation/portable/internal.h"
#include "automation/type_library.h"

namespace automation {

// A member's retval, when it has one, is its last parameter; the dispatch
// view lifts it into the result, so callers pass only the ones before it.
inline bool HasRetval(const AutomationFunction& f) {
  return f.paramCount > 0 && (f.params[f.paramCount - 1].flags & PARAMFLAG_FRETVAL);
}
inline SHORT InputCount(const AutomationFunction& f) {
  return static_cast<SHORT>(f.paramCount - (HasRetval(f) ? 1 : 0));
}

// typeinfo.cpp. A new ITypeLib over a module's tables with one reference,
// nullptr when memory ran out; and the type a parameter's type reference
// names (the library's own from 0 up, the standard library's below 0),
// nullptr when there is none.
ITypeLib* NewTypeLib(const AutomationTypeLibrary* library);
const AutomationType* ResolveType(const AutomationTypeLibrary* library, SHORT type);

// invoke.cpp. ITypeInfo::Invoke of type t of the library, with its
// arguments and results.
HRESULT InvokeMember(const AutomationTypeLibrary* library, const AutomationType& t, PVOID pvInstance,
                     MEMBERID memid, WORD wFlags, DISPPARAMS* pDispParams, VARIANT* pVarResult,
                     EXCEPINFO* pExcepInfo, UINT* puArgErr);

// typelib_registration.cpp. What RegisterTypeLib and UnRegisterTypeLib do
// once their arguments are checked, and the module's path a registration
// names for a library, found as the platform finds it.
HRESULT WriteRegistration(ITypeLib* ptlib, LPCOLESTR szFullPath, LPCOLESTR szHelpDir);
HRESULT RemoveRegistration(REFGUID libID, WORD wVerMajor, WORD wVerMinor, LCID lcid, SYSKIND syskind);
std::optional<std::u16string> RegisteredPath(REFGUID guid, USHORT major, USHORT minor, LCID lcid);

}  // namespace automation
