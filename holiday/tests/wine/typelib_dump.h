// dvDovrel6Lib as a client reads it, written out as text: what the type
// library says about every type, member, parameter, default, flag, help
// string and help context. Compiled on both platforms: here over the tables
// idlgen made (the dispatch of libdovrel60.so), on Windows over the type
// library widl made (what VB, VBA and the script hosts read). The same
// text from both proves that the two compilers of the one IDL agree.
//
// Left out, as they are not part of the description but of the platform
// that reads it: IDispatch's own seven members in the dispatch view of a
// dual interface (the platform lists them, this platform does not),
// identifiers the reader makes up (enumeration constants' member ids,
// reference handles), sizes and the "has a disk image" library flag.
#pragma once

#include <cstdio>
#include <string>

#include "automation/com.h"
#include "tests/support/text.h"

namespace typelib_dump {

using testsupport::Utf8;

// A BSTR as quoted UTF-8, freed; (null) for none.
inline std::string Take(BSTR text) {
  if (!text) return "(null)";
  std::string out(1, '"');
  out += Utf8(text, SysStringLen(text));
  out += '"';
  SysFreeString(text);
  return out;
}

inline std::string Hex(unsigned long value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%lX", value);
  return buffer;
}

inline std::string Guid(const GUID& g) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned long>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3],
                g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  return buffer;
}

inline std::string NameOf(ITypeInfo* info, MEMBERID memid) {
  BSTR name = nullptr;
  if (FAILED(info->GetDocumentation(memid, &name, nullptr, nullptr, nullptr))) return "(unnamed)";
  return Take(name);
}

inline std::string TypeText(ITypeInfo* info, const TYPEDESC& t) {
  switch (t.vt) {
    case VT_PTR:
      return "ptr(" + TypeText(info, *t.lptdesc) + ")";
    case VT_SAFEARRAY:
      return "safearray(" + TypeText(info, *t.lptdesc) + ")";
    case VT_USERDEFINED: {
      ITypeInfo* referred = nullptr;
      if (FAILED(info->GetRefTypeInfo(t.hreftype, &referred))) return "(unresolved)";
      std::string name = NameOf(referred, MEMBERID_NIL);
      referred->Release();
      return name;
    }
    default:
      return "vt" + std::to_string(t.vt);
  }
}

inline std::string DefaultText(const PARAMDESC& p) {
  if (!(p.wParamFlags & PARAMFLAG_FHASDEFAULT) || !p.pparamdescex) return "";
  VARIANT text;
  VariantInit(&text);
  std::string out = " default=";
  if (SUCCEEDED(VariantChangeType(&text, &p.pparamdescex->varDefaultValue, 0, VT_BSTR)))
    out += Take(text.bstrVal);
  else
    out += "(vt" + std::to_string(p.pparamdescex->varDefaultValue.vt) + ")";
  return out;
}

inline std::string Documentation(ITypeInfo* info, MEMBERID memid) {
  BSTR help = nullptr;
  DWORD context = 0;
  if (FAILED(info->GetDocumentation(memid, nullptr, &help, &context, nullptr))) return " (no documentation)";
  return " help=" + Take(help) + " context=" + std::to_string(context);
}

// IUnknown's and IDispatch's members, which the platform lists in the
// dispatch view of every dual interface.
inline bool IsDispatchOwnMember(MEMBERID memid) {
  return (memid >= 0x60000000 && memid <= 0x60000002) || (memid >= 0x60010000 && memid <= 0x60010003);
}

inline std::string Functions(ITypeInfo* info, const TYPEATTR& attr, bool vtableView) {
  std::string out;
  for (UINT i = 0; i < attr.cFuncs; ++i) {
    FUNCDESC* f = nullptr;
    if (FAILED(info->GetFuncDesc(i, &f))) {
      out += "    (function " + std::to_string(i) + " unreadable)\n";
      continue;
    }
    if (!IsDispatchOwnMember(f->memid)) {
      out += "    member " + std::to_string(f->memid) + " " + NameOf(info, f->memid) +
             " invoke=" + std::to_string(f->invkind) + " flags=" + Hex(f->wFuncFlags) +
             " returns=" + TypeText(info, f->elemdescFunc.tdesc) + " optional=" + std::to_string(f->cParamsOpt);
      if (vtableView) out += " slot=" + std::to_string(f->oVft / static_cast<int>(sizeof(void*)));
      out += Documentation(info, f->memid) + "\n";
      BSTR names[32] = {};
      UINT count = 0;
      info->GetNames(f->memid, names, 32, &count);
      for (SHORT p = 0; p < f->cParams; ++p) {
        const ELEMDESC& e = f->lprgelemdescParam[p];
        std::string name = static_cast<UINT>(p + 1) < count ? Take(names[p + 1]) : "(unnamed)";
        if (static_cast<UINT>(p + 1) < count) names[p + 1] = nullptr;
        out += "      parameter " + name + " " + TypeText(info, e.tdesc) + " flags=" + Hex(e.paramdesc.wParamFlags) +
               DefaultText(e.paramdesc) + "\n";
      }
      for (UINT n = 0; n < count; ++n) SysFreeString(names[n]);
    }
    info->ReleaseFuncDesc(f);
  }
  return out;
}

inline std::string Constants(ITypeInfo* info, const TYPEATTR& attr) {
  std::string out;
  for (UINT i = 0; i < attr.cVars; ++i) {
    VARDESC* v = nullptr;
    if (FAILED(info->GetVarDesc(i, &v))) {
      out += "    (constant " + std::to_string(i) + " unreadable)\n";
      continue;
    }
    VARIANT value;
    VariantInit(&value);
    std::string text = "(no value)";
    if (v->varkind == VAR_CONST && v->lpvarValue && SUCCEEDED(VariantChangeType(&value, v->lpvarValue, 0, VT_I4)))
      text = std::to_string(static_cast<long>(value.lVal));
    out += "    constant " + NameOf(info, v->memid) + " = " + text + "\n";
    info->ReleaseVarDesc(v);
  }
  return out;
}

inline std::string Implemented(ITypeInfo* info, const TYPEATTR& attr) {
  std::string out;
  for (UINT i = 0; i < attr.cImplTypes; ++i) {
    HREFTYPE ref = 0;
    INT flags = 0;
    ITypeInfo* implemented = nullptr;
    if (FAILED(info->GetRefTypeOfImplType(i, &ref)) || FAILED(info->GetRefTypeInfo(ref, &implemented))) {
      out += "    (implemented type " + std::to_string(i) + " unreadable)\n";
      continue;
    }
    info->GetImplTypeFlags(i, &flags);
    out += "    implements " + NameOf(implemented, MEMBERID_NIL) + " flags=" + Hex(static_cast<unsigned long>(flags)) + "\n";
    implemented->Release();
  }
  return out;
}

// A dual interface's vtable view: the members in slot order as a C++ host
// calls them.
inline std::string VtableView(ITypeInfo* info) {
  HREFTYPE ref = 0;
  ITypeInfo* vtable = nullptr;
  if (FAILED(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref)) || FAILED(info->GetRefTypeInfo(ref, &vtable)))
    return "";
  std::string out;
  TYPEATTR* attr = nullptr;
  if (SUCCEEDED(vtable->GetTypeAttr(&attr))) {
    out += "  vtable view kind=" + std::to_string(attr->typekind) + " flags=" + Hex(attr->wTypeFlags) + "\n";
    out += Functions(vtable, *attr, true);
    vtable->ReleaseTypeAttr(attr);
  }
  vtable->Release();
  return out;
}

inline std::string Describe(ITypeLib* library) {
  std::string out;
  TLIBATTR* lib = nullptr;
  if (FAILED(library->GetLibAttr(&lib))) return "(library attributes unreadable)\n";
  BSTR name = nullptr, help = nullptr;
  DWORD context = 0;
  library->GetDocumentation(-1, &name, &help, &context, nullptr);
  out += "library " + Take(name) + " " + Guid(lib->guid) + " version=" + std::to_string(lib->wMajorVerNum) + "." +
         std::to_string(lib->wMinorVerNum) + " locale=" + Hex(lib->lcid) +
         " flags=" + Hex(lib->wLibFlags & ~LIBFLAG_FHASDISKIMAGE) + " help=" + Take(help) +
         " context=" + std::to_string(context) + "\n";
  library->ReleaseTLibAttr(lib);

  for (UINT i = 0; i < library->GetTypeInfoCount(); ++i) {
    ITypeInfo* info = nullptr;
    if (FAILED(library->GetTypeInfo(i, &info))) {
      out += "(type " + std::to_string(i) + " unreadable)\n";
      continue;
    }
    TYPEATTR* attr = nullptr;
    if (SUCCEEDED(info->GetTypeAttr(&attr))) {
      out += "type " + NameOf(info, MEMBERID_NIL) + " kind=" + std::to_string(attr->typekind) + " " + Guid(attr->guid) +
             " flags=" + Hex(attr->wTypeFlags) + " version=" + std::to_string(attr->wMajorVerNum) + "." +
             std::to_string(attr->wMinorVerNum) + Documentation(info, MEMBERID_NIL) + "\n";
      switch (attr->typekind) {
        case TKIND_ENUM:
          out += Constants(info, *attr);
          break;
        case TKIND_COCLASS:
          out += Implemented(info, *attr);
          break;
        case TKIND_DISPATCH:
          out += Functions(info, *attr, false);
          if (attr->wTypeFlags & TYPEFLAG_FDUAL) out += VtableView(info);
          break;
        default:
          out += Functions(info, *attr, true);
          break;
      }
      info->ReleaseTypeAttr(attr);
    }
    info->Release();
  }
  return out;
}

}  // namespace typelib_dump
