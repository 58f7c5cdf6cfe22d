// Layer extension (this platform only): type libraries compiled into a
// module.
//
// On Windows a type library is a binary resource (TYPELIB 1) that oleaut32
// reads, and ITypeInfo::Invoke calls a member through the vtable offset it
// finds there. Here tools/idlgen compiles the same IDL into the tables below
// plus one invoke thunk per member, a small function that calls the member
// of the public interface with its exact C++ types (so that a description
// that disagrees with the header does not compile). The generated source
// registers its table when the module is loaded; LoadTypeLib with the
// module's path then finds it, as the platform finds the TYPELIB resource in
// the DLL. Objects never include this header.
#pragma once

#include "automation/com.h"

#ifndef _WIN32

// A type as a parameter, a result or a member sees it: a base type with
// `pointers` levels of indirection. VT_USERDEFINED names a type of the same
// library by its index, or one of the standard library's types below.
struct AutomationTypeRef {
  VARTYPE vt;
  BYTE pointers;
  SHORT type;
};

// Types of the standard OLE Automation library (stdole2) that descriptions
// refer to. IUnknown and IDispatch pointers are VT_UNKNOWN and VT_DISPATCH,
// as the IDL compilers write them.
#define AUTOMATION_STDOLE_IDISPATCH (-1)
#define AUTOMATION_STDOLE_OLE_COLOR (-2)

struct AutomationParam {
  const OLECHAR* name;
  AutomationTypeRef type;
  USHORT flags;       // PARAMFLAG_*
  LONG defaultValue;  // with PARAMFLAG_FHASDEFAULT: a VT_I4 value
};

// Calls one member. args[i] is the i-th parameter in declaration order, the
// retval included, already converted to the parameter's type: a by-value
// parameter holds its value (VT_I2, VT_I4, VT_BOOL, VT_UI4, VT_BSTR, ...; a
// VARIANT parameter is the VARIANT itself; an interface pointer sits in
// punkVal, already the pointer for the parameter's interface); a pointer
// parameter holds VT_BYREF | base with byref at storage of the parameter's
// C++ type (an interface pointer slot for IFoo**, a LONG for an enum).
typedef HRESULT (*AutomationInvokeThunk)(void* instance, VARIANTARG* args);

struct AutomationFunction {
  MEMBERID memid;
  INVOKEKIND invkind;
  WORD flags;         // FUNCFLAG_*
  SHORT vtableIndex;  // slot in the vtable, IUnknown's three and IDispatch's four included
  const OLECHAR* name;
  const OLECHAR* helpString;
  DWORD helpContext;
  const AutomationParam* params;
  SHORT paramCount;
  AutomationInvokeThunk invoke;
};

struct AutomationConstant {
  const OLECHAR* name;
  LONG value;
  const OLECHAR* helpString;
  DWORD helpContext;
};

// A type of the library: an enumeration (constants), a dual interface
// derived from IDispatch (TKIND_DISPATCH with TYPEFLAG_FDUAL; functions), or
// a coclass (the interfaces it implements, by index).
struct AutomationType {
  TYPEKIND kind;
  const OLECHAR* name;
  GUID guid;
  WORD flags;  // TYPEFLAG_*
  const OLECHAR* helpString;
  DWORD helpContext;
  const AutomationFunction* functions;
  WORD functionCount;
  const AutomationConstant* constants;
  WORD constantCount;
  const SHORT* implemented;
  const INT* implementedFlags;  // IMPLTYPEFLAG_*
  WORD implementedCount;
};

struct AutomationTypeLibrary {
  GUID libid;
  WORD majorVersion;
  WORD minorVersion;
  LCID lcid;
  WORD flags;  // LIBFLAG_*
  const OLECHAR* name;
  const OLECHAR* helpString;
  DWORD helpContext;
  const AutomationType* types;
  UINT typeCount;
};

// The module a table belongs to is the one whose image holds the table.
EXTERN_C AUTOMATION_EXPORT void AutomationRegisterTypeLibrary(const AutomationTypeLibrary* library);
EXTERN_C AUTOMATION_EXPORT void AutomationUnregisterTypeLibrary(const AutomationTypeLibrary* library);

#endif
