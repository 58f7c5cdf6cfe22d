// Type libraries of this platform: ITypeLib and ITypeInfo over the tables
// that tools/idlgen compiles from the IDL (type_library.h), the dispatch of
// automation calls through them (ITypeInfo::Invoke), and their registration
// in the registry in the platform's layout.
//
// A dual interface appears as the platform shows it: GetTypeInfoOfGuid gives
// its dispatch view (TKIND_DISPATCH, the retval of every member lifted into
// the result), and GetRefTypeOfImplType(-1) its vtable view
// (TKIND_INTERFACE, every member returning HRESULT). Both views list the
// interface's own members only; the seven of IUnknown and IDispatch are not
// described here.
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "automation/portable/internal.h"
#include "automation/type_library.h"

using namespace automation;

namespace {

// --- Registered tables -------------------------------------------------------

struct RegisteredLibrary {
  HMODULE module;
  const AutomationTypeLibrary* library;
};

// Never destroyed: tables unregister from static destructors that may run
// after any destructor of ours would have.
std::mutex& LibrariesMutex() {
  static auto* mutex = new std::mutex;
  return *mutex;
}
std::vector<RegisteredLibrary>& Libraries() {
  static auto* libraries = new std::vector<RegisteredLibrary>;
  return *libraries;
}

// --- The few types of the standard library that descriptions refer to --------

constexpr GUID kLibidStdole = {0x00020430, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr GUID kGuidOleColor = {0x66504301, 0xBE0F, 0x101A, {0x8B, 0xBB, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB}};

const AutomationType kStdoleTypes[] = {
    {TKIND_INTERFACE, u"IDispatch", IID_IDispatch, TYPEFLAG_FDISPATCHABLE, nullptr, 0, nullptr, 0, nullptr, 0,
     nullptr, nullptr, 0},
    {TKIND_ALIAS, u"OLE_COLOR", kGuidOleColor, 0, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, nullptr, 0},
};
const AutomationTypeLibrary kStdole = {kLibidStdole, 2, 0, 0, 0, u"stdole", u"OLE Automation", 0, kStdoleTypes, 2};

// Reference types. A type of the same library is its index; the vtable view
// of a dual interface and the standard library's types carry a mark.
constexpr HREFTYPE kVtableView = 0x40000000;
constexpr HREFTYPE kStdoleType = 0x20000000;
constexpr HREFTYPE kIndexMask = 0x0000FFFF;

HREFTYPE HrefOf(SHORT type) {
  return type >= 0 ? static_cast<HREFTYPE>(type) : (kStdoleType | static_cast<HREFTYPE>(-1 - type));
}

// The memid of an enumeration's constant, as the IDL compilers number them.
constexpr MEMBERID kConstantBase = 0x40000000;

constexpr USHORT kPointerSize = sizeof(void*);
constexpr int kDispatchSlots = 7;  // IUnknown's three and IDispatch's four

bool IsDual(const AutomationType& t) { return t.kind == TKIND_DISPATCH && (t.flags & TYPEFLAG_FDUAL); }

bool HasRetval(const AutomationFunction& f) {
  return f.paramCount > 0 && (f.params[f.paramCount - 1].flags & PARAMFLAG_FRETVAL);
}

SHORT InputCount(const AutomationFunction& f) { return static_cast<SHORT>(f.paramCount - (HasRetval(f) ? 1 : 0)); }

// --- How a parameter travels ---------------------------------------------------

enum class Shape { kValue, kInterface, kPointer, kInterfacePointer, kUnsupported };

struct ParamShape {
  Shape shape = Shape::kUnsupported;
  VARTYPE vt = VT_EMPTY;  // the automation type of the value (VT_I4 for an enumeration)
  GUID iid{};             // for interface pointers
  VARTYPE resultVt = VT_EMPTY;  // VT_DISPATCH or VT_UNKNOWN for an interface handed back
};

const AutomationType* ResolveType(const AutomationTypeLibrary* library, SHORT type) {
  if (type >= 0) return static_cast<UINT>(type) < library->typeCount ? &library->types[type] : nullptr;
  SHORT index = static_cast<SHORT>(-1 - type);
  return index < 2 ? &kStdoleTypes[index] : nullptr;
}

ParamShape ShapeOf(const AutomationTypeLibrary* library, const AutomationTypeRef& ref) {
  ParamShape s;
  int pointers = ref.pointers;
  bool isInterface = false;
  if (ref.vt == VT_USERDEFINED) {
    const AutomationType* t = ResolveType(library, ref.type);
    if (!t) return s;
    if (t->kind == TKIND_ENUM) {
      s.vt = VT_I4;
    } else if (t->kind == TKIND_ALIAS) {
      s.vt = VT_UI4;  // OLE_COLOR, the only alias described
    } else if (t->kind == TKIND_DISPATCH || t->kind == TKIND_INTERFACE) {
      if (pointers < 1) return s;
      --pointers;
      isInterface = true;
      s.iid = t->guid;
      s.resultVt = (t->kind == TKIND_DISPATCH || (t->flags & TYPEFLAG_FDISPATCHABLE)) ? VT_DISPATCH : VT_UNKNOWN;
    } else {
      return s;
    }
  } else if (ref.vt == VT_UNKNOWN || ref.vt == VT_DISPATCH) {
    isInterface = true;
    s.iid = ref.vt == VT_UNKNOWN ? IID_IUnknown : IID_IDispatch;
    s.resultVt = ref.vt;
  } else {
    s.vt = ref.vt;
  }
  if (pointers == 0) s.shape = isInterface ? Shape::kInterface : Shape::kValue;
  if (pointers == 1) s.shape = isInterface ? Shape::kInterfacePointer : Shape::kPointer;
  return s;
}

// --- Descriptions handed out -----------------------------------------------------

// A FUNCDESC with everything it points at, freed as one by ReleaseFuncDesc.
struct FuncDescStorage {
  std::vector<ELEMDESC> params;
  std::deque<TYPEDESC> typedescs;  // the VT_PTR chains; a deque keeps addresses stable
  std::deque<PARAMDESCEX> defaults;
};
struct FuncDescBlock {
  FUNCDESC desc;
  FuncDescStorage* storage;
};
static_assert(std::is_standard_layout_v<FuncDescBlock>);

struct VarDescBlock {
  VARDESC desc;
  VARIANT value;
};
static_assert(std::is_standard_layout_v<VarDescBlock>);

TYPEDESC MakeTypeDesc(const AutomationTypeRef& ref, int dropPointers, std::deque<TYPEDESC>& chain) {
  TYPEDESC inner{};
  inner.vt = ref.vt;
  if (ref.vt == VT_USERDEFINED) inner.hreftype = HrefOf(ref.type);
  for (int i = 0; i < ref.pointers - dropPointers; ++i) {
    chain.push_back(inner);
    TYPEDESC outer{};
    outer.vt = VT_PTR;
    outer.lptdesc = &chain.back();
    inner = outer;
  }
  return inner;
}

class TypeInfo;

// --- ITypeLib ----------------------------------------------------------------------

class TypeLib final : public ITypeLib, public RefCounted {
 public:
  explicit TypeLib(const AutomationTypeLibrary* library) : library_(library) {}

  const AutomationTypeLibrary* Library() const { return library_; }

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    return QueryFace(static_cast<ITypeLib*>(this), riid, {&IID_ITypeLib}, ppv);
  }
  STDMETHODIMP_(ULONG) AddRef() override { return AddRefImpl(); }
  STDMETHODIMP_(ULONG) Release() override { return ReleaseImpl(); }

  STDMETHODIMP_(UINT) GetTypeInfoCount() override { return library_->typeCount; }
  STDMETHODIMP GetTypeInfo(UINT index, ITypeInfo** ppTInfo) override;
  STDMETHODIMP GetTypeInfoType(UINT index, TYPEKIND* pTKind) override {
    if (!pTKind) return E_INVALIDARG;
    if (index >= library_->typeCount) return TYPE_E_ELEMENTNOTFOUND;
    *pTKind = library_->types[index].kind;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** ppTinfo) override;
  STDMETHODIMP GetLibAttr(TLIBATTR** ppTLibAttr) override {
    if (!ppTLibAttr) return E_INVALIDARG;
    auto* attr = new (std::nothrow) TLIBATTR{};
    if (!attr) return E_OUTOFMEMORY;
    attr->guid = library_->libid;
    attr->lcid = library_->lcid;
    attr->syskind = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;
    attr->wMajorVerNum = library_->majorVersion;
    attr->wMinorVerNum = library_->minorVersion;
    attr->wLibFlags = library_->flags;
    *ppTLibAttr = attr;
    return S_OK;
  }
  STDMETHODIMP GetTypeComp(ITypeComp** ppTComp) override {
    if (ppTComp) *ppTComp = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetDocumentation(INT index, BSTR* pBstrName, BSTR* pBstrDocString, DWORD* pdwHelpContext,
                                BSTR* pBstrHelpFile) override {
    const OLECHAR* name;
    const OLECHAR* doc;
    DWORD context;
    if (index == -1) {
      name = library_->name;
      doc = library_->helpString;
      context = library_->helpContext;
    } else if (index >= 0 && static_cast<UINT>(index) < library_->typeCount) {
      name = library_->types[index].name;
      doc = library_->types[index].helpString;
      context = library_->types[index].helpContext;
    } else {
      return TYPE_E_ELEMENTNOTFOUND;
    }
    if (pBstrName) *pBstrName = name ? SysAllocString(name) : nullptr;
    if (pBstrDocString) *pBstrDocString = doc ? SysAllocString(doc) : nullptr;
    if (pdwHelpContext) *pdwHelpContext = context;
    if (pBstrHelpFile) *pBstrHelpFile = nullptr;
    return S_OK;
  }
  // A name of a type or of a member, in any case; the buffer receives the
  // spelling of the library, as on the platform.
  STDMETHODIMP IsName(LPOLESTR szNameBuf, ULONG, BOOL* pfName) override {
    if (!szNameBuf || !pfName) return E_INVALIDARG;
    *pfName = FALSE;
    if (const OLECHAR* found = FindSpelling(szNameBuf)) {
      std::memcpy(szNameBuf, found, Length(found) * sizeof(OLECHAR));
      *pfName = TRUE;
    }
    return S_OK;
  }
  STDMETHODIMP FindName(LPOLESTR szNameBuf, ULONG, ITypeInfo** ppTInfo, MEMBERID* rgMemId,
                        USHORT* pcFound) override;
  STDMETHODIMP_(void) ReleaseTLibAttr(TLIBATTR* pTLibAttr) override { delete pTLibAttr; }

 private:
  const OLECHAR* FindSpelling(const OLECHAR* name) const {
    for (UINT i = 0; i < library_->typeCount; ++i) {
      const AutomationType& t = library_->types[i];
      if (EqualsIgnoringCase(t.name, name)) return t.name;
      for (WORD f = 0; f < t.functionCount; ++f)
        if (EqualsIgnoringCase(t.functions[f].name, name)) return t.functions[f].name;
      for (WORD c = 0; c < t.constantCount; ++c)
        if (EqualsIgnoringCase(t.constants[c].name, name)) return t.constants[c].name;
    }
    return nullptr;
  }

  const AutomationTypeLibrary* library_;
};

// --- ITypeInfo ---------------------------------------------------------------------

class TypeInfo final : public ITypeInfo, public RefCounted {
 public:
  // The vtable view is the TKIND_INTERFACE face of a dual interface.
  TypeInfo(TypeLib* lib, UINT index, bool vtableView) : lib_(lib), index_(index), vtableView_(vtableView) {
    lib_->AddRef();
  }

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    return QueryFace(static_cast<ITypeInfo*>(this), riid, {&IID_ITypeInfo}, ppv);
  }
  STDMETHODIMP_(ULONG) AddRef() override { return AddRefImpl(); }
  STDMETHODIMP_(ULONG) Release() override { return ReleaseImpl(); }

  STDMETHODIMP GetTypeAttr(TYPEATTR** ppTypeAttr) override {
    if (!ppTypeAttr) return E_INVALIDARG;
    auto* attr = new (std::nothrow) TYPEATTR{};
    if (!attr) return E_OUTOFMEMORY;
    const AutomationType& t = Type();
    attr->guid = t.guid;
    attr->lcid = lib_->Library()->lcid;
    attr->memidConstructor = MEMBERID_NIL;
    attr->memidDestructor = MEMBERID_NIL;
    attr->typekind = Kind();
    attr->wTypeFlags = t.flags;
    switch (t.kind) {
      case TKIND_ENUM:
        attr->cbSizeInstance = 4;
        attr->cbAlignment = 4;
        attr->cVars = t.constantCount;
        break;
      case TKIND_ALIAS:
        attr->cbSizeInstance = 4;
        attr->cbAlignment = 4;
        attr->tdescAlias.vt = VT_UI4;
        break;
      case TKIND_COCLASS:
        attr->cbSizeInstance = kPointerSize;
        attr->cbAlignment = kPointerSize;
        attr->cImplTypes = t.implementedCount;
        break;
      default:
        attr->cbSizeInstance = kPointerSize;
        attr->cbAlignment = kPointerSize;
        attr->cFuncs = t.functionCount;
        attr->cImplTypes = t.kind == TKIND_DISPATCH || t.functionCount ? 1 : 0;
        if (vtableView_ || t.kind == TKIND_INTERFACE) {
          attr->cbSizeVft = static_cast<WORD>((kDispatchSlots + t.functionCount) * kPointerSize);
        } else {
          // The dispatch view: IDispatch's vtable, and no claim to be
          // callable through the vtable, as the platform reports it.
          attr->cbSizeVft = static_cast<WORD>(kDispatchSlots * kPointerSize);
          attr->wTypeFlags = static_cast<WORD>(t.flags & ~TYPEFLAG_FOLEAUTOMATION);
        }
        break;
    }
    *ppTypeAttr = attr;
    return S_OK;
  }

  STDMETHODIMP GetTypeComp(ITypeComp** ppTComp) override {
    if (ppTComp) *ppTComp = nullptr;
    return E_NOTIMPL;
  }

  STDMETHODIMP GetFuncDesc(UINT index, FUNCDESC** ppFuncDesc) override {
    if (!ppFuncDesc) return E_INVALIDARG;
    *ppFuncDesc = nullptr;
    const AutomationType& t = Type();
    if (index >= t.functionCount) return TYPE_E_ELEMENTNOTFOUND;
    const AutomationFunction& f = t.functions[index];
    bool dispatch = Kind() == TKIND_DISPATCH;
    auto storage = std::unique_ptr<FuncDescStorage>(new (std::nothrow) FuncDescStorage);
    auto* block = new (std::nothrow) FuncDescBlock{};
    if (!storage || !block) {
      delete block;
      return E_OUTOFMEMORY;
    }
    SHORT shown = dispatch ? InputCount(f) : f.paramCount;
    try {
      storage->params.resize(static_cast<std::size_t>(shown));
      for (SHORT i = 0; i < shown; ++i) {
        const AutomationParam& p = f.params[i];
        ELEMDESC& e = storage->params[static_cast<std::size_t>(i)];
        e.tdesc = MakeTypeDesc(p.type, 0, storage->typedescs);
        e.paramdesc.wParamFlags = p.flags;
        if (p.flags & PARAMFLAG_FHASDEFAULT) {
          PARAMDESCEX ex{};
          ex.cBytes = sizeof(PARAMDESCEX);
          ex.varDefaultValue.vt = VT_I4;
          ex.varDefaultValue.lVal = p.defaultValue;
          storage->defaults.push_back(ex);
          e.paramdesc.pparamdescex = &storage->defaults.back();
        }
      }
      FUNCDESC& d = block->desc;
      d.memid = f.memid;
      d.funckind = dispatch ? FUNC_DISPATCH : FUNC_PUREVIRTUAL;
      d.invkind = f.invkind;
      d.callconv = CC_STDCALL;
      d.cParams = shown;
      d.cParamsOpt = 0;
      for (SHORT i = 0; i < shown; ++i)
        if ((f.params[i].flags & PARAMFLAG_FOPT) && !(f.params[i].flags & PARAMFLAG_FHASDEFAULT)) ++d.cParamsOpt;
      d.oVft = static_cast<SHORT>(f.vtableIndex * kPointerSize);
      d.wFuncFlags = f.flags;
      if (dispatch) {
        if (HasRetval(f))
          d.elemdescFunc.tdesc = MakeTypeDesc(f.params[f.paramCount - 1].type, 1, storage->typedescs);
        else
          d.elemdescFunc.tdesc.vt = VT_VOID;
      } else {
        d.elemdescFunc.tdesc.vt = VT_HRESULT;
      }
      d.lprgelemdescParam = shown ? storage->params.data() : nullptr;
    } catch (const std::bad_alloc&) {
      delete block;
      return E_OUTOFMEMORY;
    }
    block->storage = storage.release();
    *ppFuncDesc = &block->desc;
    return S_OK;
  }

  STDMETHODIMP GetVarDesc(UINT index, VARDESC** ppVarDesc) override {
    if (!ppVarDesc) return E_INVALIDARG;
    *ppVarDesc = nullptr;
    const AutomationType& t = Type();
    if (index >= t.constantCount) return TYPE_E_ELEMENTNOTFOUND;
    auto* block = new (std::nothrow) VarDescBlock{};
    if (!block) return E_OUTOFMEMORY;
    block->value.vt = VT_I4;
    block->value.lVal = t.constants[index].value;
    block->desc.memid = kConstantBase + static_cast<MEMBERID>(index);
    block->desc.lpvarValue = &block->value;
    block->desc.elemdescVar.tdesc.vt = VT_I4;
    block->desc.varkind = VAR_CONST;
    *ppVarDesc = &block->desc;
    return S_OK;
  }

  // The member's name, then its parameters' (the retval is not a name a
  // caller of the dispatch view can use).
  STDMETHODIMP GetNames(MEMBERID memid, BSTR* rgBstrNames, UINT cMaxNames, UINT* pcNames) override {
    if (!rgBstrNames || !pcNames) return E_INVALIDARG;
    *pcNames = 0;
    const AutomationType& t = Type();
    if (const AutomationFunction* f = FirstFunction(memid)) {
      SHORT names = Kind() == TKIND_DISPATCH ? InputCount(*f) : f->paramCount;
      if (cMaxNames > 0) rgBstrNames[(*pcNames)++] = SysAllocString(f->name);
      for (SHORT i = 0; i < names && *pcNames < cMaxNames; ++i)
        rgBstrNames[(*pcNames)++] = SysAllocString(f->params[i].name);
      return S_OK;
    }
    MEMBERID c = memid - kConstantBase;
    if (c >= 0 && c < t.constantCount) {
      if (cMaxNames > 0) rgBstrNames[(*pcNames)++] = SysAllocString(t.constants[c].name);
      return S_OK;
    }
    return TYPE_E_ELEMENTNOTFOUND;
  }

  STDMETHODIMP GetRefTypeOfImplType(UINT index, HREFTYPE* pRefType) override {
    if (!pRefType) return E_INVALIDARG;
    const AutomationType& t = Type();
    if (t.kind == TKIND_COCLASS) {
      if (index >= t.implementedCount) return TYPE_E_ELEMENTNOTFOUND;
      *pRefType = HrefOf(t.implemented[index]);
      return S_OK;
    }
    if (t.kind == TKIND_DISPATCH) {
      if (index == static_cast<UINT>(-1) && IsDual(t) && !vtableView_) {
        *pRefType = kVtableView | index_;
        return S_OK;
      }
      if (index == 0) {
        *pRefType = HrefOf(AUTOMATION_STDOLE_IDISPATCH);
        return S_OK;
      }
    }
    return TYPE_E_ELEMENTNOTFOUND;
  }

  STDMETHODIMP GetImplTypeFlags(UINT index, INT* pImplTypeFlags) override {
    if (!pImplTypeFlags) return E_INVALIDARG;
    const AutomationType& t = Type();
    if (t.kind == TKIND_COCLASS) {
      if (index >= t.implementedCount) return TYPE_E_ELEMENTNOTFOUND;
      *pImplTypeFlags = t.implementedFlags ? t.implementedFlags[index] : 0;
      return S_OK;
    }
    if (t.kind == TKIND_DISPATCH && index == 0) {
      *pImplTypeFlags = 0;
      return S_OK;
    }
    return TYPE_E_ELEMENTNOTFOUND;
  }

  // The member's name first, then names of its parameters, all compared
  // without regard to case. A parameter's identifier is its position.
  STDMETHODIMP GetIDsOfNames(LPOLESTR* rgszNames, UINT cNames, MEMBERID* pMemId) override {
    if (!rgszNames || !pMemId) return E_INVALIDARG;
    if (cNames == 0) return E_INVALIDARG;
    for (UINT i = 0; i < cNames; ++i) pMemId[i] = MEMBERID_NIL;
    const AutomationType& t = Type();
    const AutomationFunction* member = nullptr;
    for (WORD f = 0; f < t.functionCount && !member; ++f)
      if (rgszNames[0] && EqualsIgnoringCase(t.functions[f].name, rgszNames[0])) member = &t.functions[f];
    if (!member) {
      for (WORD c = 0; c < t.constantCount; ++c)
        if (rgszNames[0] && EqualsIgnoringCase(t.constants[c].name, rgszNames[0])) {
          pMemId[0] = kConstantBase + c;
          return cNames == 1 ? S_OK : DISP_E_UNKNOWNNAME;
        }
      return DISP_E_UNKNOWNNAME;
    }
    pMemId[0] = member->memid;
    HRESULT hr = S_OK;
    for (UINT n = 1; n < cNames; ++n) {
      MEMBERID found = MEMBERID_NIL;
      for (WORD f = 0; f < t.functionCount && found == MEMBERID_NIL; ++f) {
        const AutomationFunction& candidate = t.functions[f];
        if (candidate.memid != member->memid) continue;
        for (SHORT p = 0; p < InputCount(candidate); ++p)
          if (rgszNames[n] && EqualsIgnoringCase(candidate.params[p].name, rgszNames[n])) {
            found = p;
            break;
          }
      }
      pMemId[n] = found;
      if (found == MEMBERID_NIL) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
  }

  STDMETHODIMP Invoke(PVOID pvInstance, MEMBERID memid, WORD wFlags, DISPPARAMS* pDispParams, VARIANT* pVarResult,
                      EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

  STDMETHODIMP GetDocumentation(MEMBERID memid, BSTR* pBstrName, BSTR* pBstrDocString, DWORD* pdwHelpContext,
                                BSTR* pBstrHelpFile) override {
    const AutomationType& t = Type();
    const OLECHAR* name = nullptr;
    const OLECHAR* doc = nullptr;
    DWORD context = 0;
    if (memid == MEMBERID_NIL) {
      name = t.name;
      doc = t.helpString;
      context = t.helpContext;
    } else if (const AutomationFunction* f = FirstFunction(memid)) {
      name = f->name;
      doc = f->helpString;
      context = f->helpContext;
    } else if (memid - kConstantBase >= 0 && memid - kConstantBase < t.constantCount) {
      const AutomationConstant& c = t.constants[memid - kConstantBase];
      name = c.name;
      doc = c.helpString;
      context = c.helpContext;
    } else {
      return TYPE_E_ELEMENTNOTFOUND;
    }
    if (pBstrName) *pBstrName = name ? SysAllocString(name) : nullptr;
    if (pBstrDocString) *pBstrDocString = doc ? SysAllocString(doc) : nullptr;
    if (pdwHelpContext) *pdwHelpContext = context;
    if (pBstrHelpFile) *pBstrHelpFile = nullptr;
    return S_OK;
  }

  STDMETHODIMP GetDllEntry(MEMBERID, INVOKEKIND, BSTR* pBstrDllName, BSTR* pBstrName, WORD* pwOrdinal) override {
    if (pBstrDllName) *pBstrDllName = nullptr;
    if (pBstrName) *pBstrName = nullptr;
    if (pwOrdinal) *pwOrdinal = 0;
    return TYPE_E_ELEMENTNOTFOUND;
  }

  STDMETHODIMP GetRefTypeInfo(HREFTYPE hRefType, ITypeInfo** ppTInfo) override {
    if (!ppTInfo) return E_INVALIDARG;
    *ppTInfo = nullptr;
    TypeLib* lib = lib_;
    bool release = false;
    if (hRefType & kStdoleType) {
      lib = new (std::nothrow) TypeLib(&kStdole);
      if (!lib) return E_OUTOFMEMORY;
      release = true;
    }
    UINT index = hRefType & kIndexMask;
    HRESULT hr = TYPE_E_ELEMENTNOTFOUND;
    if (index < lib->Library()->typeCount) {
      bool vtable = (hRefType & kVtableView) && IsDual(lib->Library()->types[index]);
      auto* info = new (std::nothrow) TypeInfo(lib, index, vtable);
      hr = info ? S_OK : E_OUTOFMEMORY;
      *ppTInfo = info;
    }
    if (release) lib->Release();
    return hr;
  }

  STDMETHODIMP AddressOfMember(MEMBERID, INVOKEKIND, PVOID* ppv) override {
    if (ppv) *ppv = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP CreateInstance(IUnknown*, REFIID, PVOID* ppvObj) override {
    if (ppvObj) *ppvObj = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetMops(MEMBERID, BSTR* pBstrMops) override {
    if (pBstrMops) *pBstrMops = nullptr;
    return S_OK;
  }
  STDMETHODIMP GetContainingTypeLib(ITypeLib** ppTLib, UINT* pIndex) override {
    if (ppTLib) {
      *ppTLib = lib_;
      lib_->AddRef();
    }
    if (pIndex) *pIndex = index_;
    return S_OK;
  }
  STDMETHODIMP_(void) ReleaseTypeAttr(TYPEATTR* pTypeAttr) override { delete pTypeAttr; }
  STDMETHODIMP_(void) ReleaseFuncDesc(FUNCDESC* pFuncDesc) override {
    if (!pFuncDesc) return;
    auto* block = reinterpret_cast<FuncDescBlock*>(pFuncDesc);
    delete block->storage;
    delete block;
  }
  STDMETHODIMP_(void) ReleaseVarDesc(VARDESC* pVarDesc) override {
    if (pVarDesc) delete reinterpret_cast<VarDescBlock*>(pVarDesc);
  }

 private:
  ~TypeInfo() override { lib_->Release(); }

  const AutomationType& Type() const { return lib_->Library()->types[index_]; }
  TYPEKIND Kind() const { return vtableView_ ? TKIND_INTERFACE : Type().kind; }

  const AutomationFunction* FirstFunction(MEMBERID memid) const {
    const AutomationType& t = Type();
    for (WORD f = 0; f < t.functionCount; ++f)
      if (t.functions[f].memid == memid) return &t.functions[f];
    return nullptr;
  }

  // The member a call reaches: the first whose kind is among the call's
  // flags (a method call may read a property, as script hosts ask with
  // DISPATCH_METHOD | DISPATCH_PROPERTYGET); a putref where the member only
  // has a put is taken by the put.
  const AutomationFunction* Select(MEMBERID memid, WORD flags) const {
    const AutomationType& t = Type();
    for (WORD f = 0; f < t.functionCount; ++f)
      if (t.functions[f].memid == memid && (t.functions[f].invkind & flags)) return &t.functions[f];
    if (flags & DISPATCH_PROPERTYPUTREF)
      for (WORD f = 0; f < t.functionCount; ++f)
        if (t.functions[f].memid == memid && t.functions[f].invkind == INVOKE_PROPERTYPUT) return &t.functions[f];
    return nullptr;
  }

  TypeLib* lib_;
  UINT index_;
  bool vtableView_;
};

STDMETHODIMP TypeLib::GetTypeInfo(UINT index, ITypeInfo** ppTInfo) {
  if (!ppTInfo) return E_INVALIDARG;
  *ppTInfo = nullptr;
  if (index >= library_->typeCount) return TYPE_E_ELEMENTNOTFOUND;
  auto* info = new (std::nothrow) TypeInfo(this, index, false);
  if (!info) return E_OUTOFMEMORY;
  *ppTInfo = info;
  return S_OK;
}

STDMETHODIMP TypeLib::GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** ppTinfo) {
  if (!ppTinfo) return E_INVALIDARG;
  *ppTinfo = nullptr;
  for (UINT i = 0; i < library_->typeCount; ++i)
    if (library_->types[i].guid == guid && !(guid == GUID_NULL)) return GetTypeInfo(i, ppTinfo);
  return TYPE_E_ELEMENTNOTFOUND;
}

STDMETHODIMP TypeLib::FindName(LPOLESTR szNameBuf, ULONG, ITypeInfo** ppTInfo, MEMBERID* rgMemId, USHORT* pcFound) {
  if (!szNameBuf || !ppTInfo || !rgMemId || !pcFound) return E_INVALIDARG;
  USHORT wanted = *pcFound, found = 0;
  for (UINT i = 0; i < library_->typeCount && found < wanted; ++i) {
    const AutomationType& t = library_->types[i];
    MEMBERID memid = MEMBERID_NIL;
    bool match = EqualsIgnoringCase(t.name, szNameBuf);
    for (WORD f = 0; !match && f < t.functionCount; ++f)
      if (EqualsIgnoringCase(t.functions[f].name, szNameBuf)) {
        match = true;
        memid = t.functions[f].memid;
      }
    for (WORD c = 0; !match && c < t.constantCount; ++c)
      if (EqualsIgnoringCase(t.constants[c].name, szNameBuf)) {
        match = true;
        memid = kConstantBase + c;
      }
    if (!match) continue;
    if (FAILED(GetTypeInfo(i, &ppTInfo[found]))) break;
    rgMemId[found++] = memid;
  }
  *pcFound = found;
  return S_OK;
}

// --- Invoke --------------------------------------------------------------------------

// One parameter on its way to the thunk: the converted value, and what must
// happen to it after the call.
struct PreparedArgument {
  VARIANT value;          // what the thunk receives
  VARIANT owned;          // a converted copy to clear afterwards
  IUnknown* interface = nullptr;  // a reference taken by QueryInterface, to release
  VARIANT* writeBack = nullptr;   // a by-reference VARIANT of the caller to receive the result
  VARIANT scratch;        // storage of a pointer parameter passed through a VARIANT
  void* slot = nullptr;   // storage of an interface pointer parameter
  IUnknown* slotInitial = nullptr;
  ParamShape shape;
  bool isIn = false;

  PreparedArgument() {
    VariantInit(&value);
    VariantInit(&owned);
    VariantInit(&scratch);
  }
};

// The arguments of one call: inside this object for the few parameters
// members have (no member of ours has more than six), in a vector beyond, so
// that a call by DISPID allocates nothing. Only the n elements asked for are
// made, as copies of `initial`.
template <class T>
class CallArguments {
 public:
  explicit CallArguments(std::size_t n, const T& initial = T()) : n_(n) {
    if (n > kInline) {
      heap_.assign(n, initial);
      data_ = heap_.data();
    } else {
      for (std::size_t i = 0; i < n; ++i) new (inline_ + i * sizeof(T)) T(initial);
      if (n > 0) data_ = std::launder(reinterpret_cast<T*>(inline_));
    }
  }
  ~CallArguments() {
    if (n_ <= kInline) std::destroy_n(data_, n_);
  }
  CallArguments(const CallArguments&) = delete;
  CallArguments& operator=(const CallArguments&) = delete;

  T& operator[](std::size_t i) { return data_[i]; }
  T* data() { return data_; }

 private:
  static constexpr std::size_t kInline = 16;
  alignas(T) unsigned char inline_[kInline * sizeof(T)];
  std::size_t n_;
  T* data_ = nullptr;
  std::vector<T> heap_;
};

bool IsOmitted(const VARIANT* v) { return v->vt == VT_ERROR && v->scode == DISP_E_PARAMNOTFOUND; }

// The object a VARIANT holds, directly or by reference; nullopt when it does
// not hold one.
std::optional<IUnknown*> ObjectIn(const VARIANT* v) {
  VARIANT view;
  if (FAILED(ValueView(v, &view))) return std::nullopt;
  if (view.vt == VT_UNKNOWN || view.vt == VT_DISPATCH) return view.punkVal;
  return std::nullopt;
}

HRESULT Prepare(const ParamShape& shape, VARIANT* source, PreparedArgument& a) {
  a.shape = shape;
  switch (shape.shape) {
    case Shape::kValue: {
      if (shape.vt == VT_VARIANT) {
        a.value = *source;  // as it came: by-reference VARIANTs included
        return S_OK;
      }
      if (source->vt == shape.vt) {
        a.value = *source;
        return S_OK;
      }
      if (source->vt == (VT_BYREF | shape.vt)) {
        VARIANT view;
        HRESULT hr = ValueView(source, &view);
        if (FAILED(hr)) return DISP_E_TYPEMISMATCH;
        a.value = view;
        return S_OK;
      }
      HRESULT hr = VariantChangeType(&a.owned, source, 0, shape.vt);
      if (FAILED(hr)) return hr == DISP_E_OVERFLOW ? hr : DISP_E_TYPEMISMATCH;
      a.value = a.owned;
      return S_OK;
    }
    case Shape::kInterface: {
      auto object = ObjectIn(source);
      if (!object) return DISP_E_TYPEMISMATCH;
      if (*object) {
        void* p = nullptr;
        if (FAILED((*object)->QueryInterface(shape.iid, &p))) return DISP_E_TYPEMISMATCH;
        a.interface = static_cast<IUnknown*>(p);
      }
      a.value.vt = VT_UNKNOWN;
      a.value.punkVal = a.interface;
      return S_OK;
    }
    case Shape::kPointer: {
      if (source->vt == (VT_BYREF | shape.vt)) {
        a.value = *source;
        return S_OK;
      }
      if (source->vt != (VT_BYREF | VT_VARIANT) || !source->pvarVal) return DISP_E_TYPEMISMATCH;
      // A script's variable: the member works on a value of its own type,
      // which goes back into the variable afterwards.
      a.writeBack = source->pvarVal;
      if (a.isIn && !(a.writeBack->vt == VT_EMPTY)) {
        HRESULT hr = VariantChangeType(&a.scratch, a.writeBack, 0, shape.vt);
        if (FAILED(hr)) return hr == DISP_E_OVERFLOW ? hr : DISP_E_TYPEMISMATCH;
      } else {
        a.scratch.vt = shape.vt;
        a.scratch.llVal = 0;
      }
      a.value.vt = static_cast<VARTYPE>(VT_BYREF | shape.vt);
      a.value.byref = &a.scratch.llVal;
      return S_OK;
    }
    case Shape::kInterfacePointer: {
      if (source->vt == (VT_BYREF | VT_DISPATCH) || source->vt == (VT_BYREF | VT_UNKNOWN)) {
        a.value.vt = static_cast<VARTYPE>(VT_BYREF | VT_UNKNOWN);
        a.value.byref = source->byref;
        return S_OK;
      }
      if (source->vt != (VT_BYREF | VT_VARIANT) || !source->pvarVal) return DISP_E_TYPEMISMATCH;
      a.writeBack = source->pvarVal;
      if (a.isIn) {
        auto object = ObjectIn(a.writeBack);
        if (object && *object) {
          void* p = nullptr;
          if (FAILED((*object)->QueryInterface(shape.iid, &p))) return DISP_E_TYPEMISMATCH;
          a.slot = p;
          a.slotInitial = static_cast<IUnknown*>(p);
        } else if (!object && a.writeBack->vt != VT_EMPTY) {
          return DISP_E_TYPEMISMATCH;
        }
      }
      a.value.vt = static_cast<VARTYPE>(VT_BYREF | VT_UNKNOWN);
      a.value.byref = &a.slot;
      return S_OK;
    }
    case Shape::kUnsupported:
      break;
  }
  return DISP_E_BADVARTYPE;
}

// After the call: conversions released, by-reference results stored in the
// caller's variables.
void Finish(PreparedArgument& a, bool succeeded) {
  VariantClear(&a.owned);
  if (a.interface) a.interface->Release();
  if (a.shape.shape == Shape::kPointer && a.writeBack) {
    if (succeeded) {
      VariantClear(a.writeBack);
      *a.writeBack = a.scratch;  // the variable takes over what the member stored
    } else {
      VariantClear(&a.scratch);  // a failed call leaves the variable as it was
    }
  }
  if (a.shape.shape == Shape::kInterfacePointer && a.writeBack) {
    auto* now = static_cast<IUnknown*>(a.slot);
    if (now != a.slotInitial) {
      // The member replaced the object (and released the one it was given).
      VariantClear(a.writeBack);
      a.writeBack->vt = a.shape.resultVt;
      a.writeBack->punkVal = now;
    } else if (now) {
      now->Release();  // our reference from QueryInterface; the variable keeps its own
    }
  }
}

// The member's failure in the caller's EXCEPINFO: the result code, and the
// object's error information when it promises it for this interface.
void FillExcepInfo(EXCEPINFO* info, HRESULT hr, void* instance, REFIID iid) {
  std::memset(info, 0, sizeof *info);
  info->scode = hr;
  auto* object = static_cast<IUnknown*>(instance);
  ISupportErrorInfo* support = nullptr;
  if (FAILED(object->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&support)))) return;
  bool promised = support->InterfaceSupportsErrorInfo(iid) == S_OK;
  support->Release();
  IErrorInfo* error = nullptr;
  if (!promised || GetErrorInfo(0, &error) != S_OK || !error) return;
  error->GetSource(&info->bstrSource);
  error->GetDescription(&info->bstrDescription);
  error->GetHelpFile(&info->bstrHelpFile);
  error->GetHelpContext(&info->dwHelpContext);
  error->Release();
}

STDMETHODIMP TypeInfo::Invoke(PVOID pvInstance, MEMBERID memid, WORD wFlags, DISPPARAMS* pDispParams,
                              VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) {
  if (!pvInstance || !pDispParams) return E_INVALIDARG;
  if (pDispParams->cArgs && !pDispParams->rgvarg) return E_INVALIDARG;
  if (pDispParams->cNamedArgs > pDispParams->cArgs ||
      (pDispParams->cNamedArgs && !pDispParams->rgdispidNamedArgs))
    return E_INVALIDARG;
  const AutomationType& t = Type();
  if (t.kind != TKIND_DISPATCH) return TYPE_E_INVALIDSTATE;
  const AutomationFunction* f = Select(memid, wFlags);
  if (!f) return DISP_E_MEMBERNOTFOUND;
  const AutomationTypeLibrary* library = lib_->Library();
  auto reportArgument = [&](UINT argument) {
    if (puArgErr) *puArgErr = argument;
  };

  // Which argument goes to which parameter: the positional ones (the last
  // of rgvarg is the first) fill the parameters from the left; each named
  // one goes to the parameter it names, DISPID_PROPERTYPUT to the value of
  // a property put.
  SHORT inputs = InputCount(*f);
  UINT named = pDispParams->cNamedArgs;
  UINT positional = pDispParams->cArgs - named;
  if (positional > static_cast<UINT>(inputs)) return DISP_E_BADPARAMCOUNT;
  CallArguments<int> argumentOf(static_cast<std::size_t>(inputs), -1);
  for (UINT j = 0; j < positional; ++j) argumentOf[j] = static_cast<int>(pDispParams->cArgs - 1 - j);
  bool isPut = f->invkind == INVOKE_PROPERTYPUT || f->invkind == INVOKE_PROPERTYPUTREF;
  for (UINT k = 0; k < named; ++k) {
    DISPID id = pDispParams->rgdispidNamedArgs[k];
    if (id == DISPID_PROPERTYPUT && isPut) id = inputs - 1;
    if (id < 0 || id >= inputs || argumentOf[static_cast<std::size_t>(id)] >= 0) {
      reportArgument(k);
      return DISP_E_PARAMNOTFOUND;
    }
    argumentOf[static_cast<std::size_t>(id)] = static_cast<int>(k);
  }

  CallArguments<PreparedArgument> args(static_cast<std::size_t>(f->paramCount));
  CallArguments<VARIANT> values(static_cast<std::size_t>(f->paramCount));
  SHORT prepared = 0;
  auto finishAll = [&](bool succeeded) {
    for (SHORT i = 0; i < prepared; ++i) Finish(args[static_cast<std::size_t>(i)], succeeded);
  };
  HRESULT hr = S_OK;
  for (SHORT i = 0; i < inputs; ++i, prepared = i) {
    const AutomationParam& p = f->params[i];
    PreparedArgument& a = args[static_cast<std::size_t>(i)];
    a.isIn = (p.flags & PARAMFLAG_FIN) != 0;
    ParamShape shape = ShapeOf(library, p.type);
    int argument = argumentOf[static_cast<std::size_t>(i)];
    VARIANT* source = argument >= 0 ? &pDispParams->rgvarg[argument] : nullptr;
    bool optional = (p.flags & (PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT)) != 0;
    if (source && optional && IsOmitted(source)) source = nullptr;
    VARIANT missing;
    VariantInit(&missing);
    if (!source) {
      if (p.flags & PARAMFLAG_FHASDEFAULT) {
        missing.vt = VT_I4;
        missing.lVal = p.defaultValue;
      } else if ((p.flags & PARAMFLAG_FOPT) && shape.shape == Shape::kValue && shape.vt == VT_VARIANT) {
        missing.vt = VT_ERROR;
        missing.scode = DISP_E_PARAMNOTFOUND;
      } else {
        hr = optional || named ? DISP_E_PARAMNOTOPTIONAL : DISP_E_BADPARAMCOUNT;
        break;
      }
      source = &missing;
    }
    hr = Prepare(shape, source, a);
    if (FAILED(hr)) {
      if (argument >= 0) reportArgument(static_cast<UINT>(argument));
      prepared = static_cast<SHORT>(i + 1);
      break;
    }
  }
  if (FAILED(hr)) {
    finishAll(false);
    return hr;
  }

  // The retval: storage of its own type, handed back in pVarResult.
  VARIANT result;
  VariantInit(&result);
  void* resultSlot = nullptr;
  ParamShape resultShape;
  if (HasRetval(*f)) {
    resultShape = ShapeOf(library, f->params[f->paramCount - 1].type);
    PreparedArgument& a = args[static_cast<std::size_t>(f->paramCount - 1)];
    a.shape = resultShape;
    if (resultShape.shape == Shape::kPointer) {
      if (resultShape.vt != VT_VARIANT) result.vt = resultShape.vt;
      a.value.vt = static_cast<VARTYPE>(VT_BYREF | resultShape.vt);
      a.value.byref = resultShape.vt == VT_VARIANT ? static_cast<void*>(&result) : static_cast<void*>(&result.llVal);
    } else if (resultShape.shape == Shape::kInterfacePointer) {
      a.value.vt = static_cast<VARTYPE>(VT_BYREF | VT_UNKNOWN);
      a.value.byref = &resultSlot;
    } else {
      finishAll(false);
      return DISP_E_BADVARTYPE;
    }
  }
  for (SHORT i = 0; i < f->paramCount; ++i) values[static_cast<std::size_t>(i)] = args[static_cast<std::size_t>(i)].value;

  hr = f->invoke(pvInstance, values.data());
  finishAll(SUCCEEDED(hr));

  if (resultShape.shape == Shape::kInterfacePointer) {
    result.vt = resultShape.resultVt;
    result.punkVal = static_cast<IUnknown*>(resultSlot);
  }
  if (FAILED(hr)) {
    VariantClear(&result);
    if (!pExcepInfo) return hr;
    FillExcepInfo(pExcepInfo, hr, pvInstance, t.guid);
    return DISP_E_EXCEPTION;
  }
  if (pVarResult)
    *pVarResult = result;
  else
    VariantClear(&result);
  return S_OK;
}

// --- Finding a library -------------------------------------------------------------------

std::optional<std::string> RealPath(LPCOLESTR file) {
  char resolved[PATH_MAX];
  if (!realpath(common::Utf16ToUtf8Lossy(file).c_str(), resolved)) return std::nullopt;
  return std::string(resolved);
}

const AutomationTypeLibrary* LibraryOfFile(LPCOLESTR file) {
  auto wanted = RealPath(file);
  if (!wanted) return nullptr;
  std::vector<RegisteredLibrary> libraries;
  {
    std::lock_guard guard(LibrariesMutex());
    libraries = Libraries();
  }
  for (const auto& r : libraries)
    if (ModulePath(r.module) == wanted) return r.library;
  return nullptr;
}

// --- Registry helpers ------------------------------------------------------------------

std::u16string GuidText(REFGUID guid) {
  OLECHAR text[39];
  StringFromGUID2(guid, text, 39);
  return std::u16string(text, 38);
}

std::u16string Hex(unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text, "%x", value);
  return common::Utf8ToUtf16(text);
}

std::u16string VersionKey(WORD major, WORD minor) { return Hex(major) + u"." + Hex(minor); }

const char16_t* SyskindName(SYSKIND syskind) {
  switch (syskind) {
    case SYS_WIN16:
      return u"win16";
    case SYS_WIN32:
      return u"win32";
    case SYS_WIN64:
      return u"win64";
    default:
      return u"mac";
  }
}

bool SetDefault(HKEY root, const std::u16string& path, const std::u16string* text, const OLECHAR* valueName = nullptr) {
  HKEY key;
  if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return false;
  bool ok = true;
  if (text)
    ok = RegSetValueExW(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text->c_str()),
                        static_cast<DWORD>((text->size() + 1) * sizeof(OLECHAR))) == ERROR_SUCCESS;
  RegCloseKey(key);
  return ok;
}

std::optional<std::u16string> ReadText(HKEY root, const std::u16string& path, const OLECHAR* valueName = nullptr) {
  HKEY key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return std::nullopt;
  std::optional<std::u16string> result;
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(key, valueName, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_SZ) {
    std::u16string text(size / sizeof(OLECHAR) + 1, u'\0');
    DWORD bytes = static_cast<DWORD>(text.size() * sizeof(OLECHAR));
    if (RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<LPBYTE>(text.data()), &bytes) ==
        ERROR_SUCCESS) {
      text.resize(Length(text.c_str()));
      result = text;
    }
  }
  RegCloseKey(key);
  return result;
}

std::vector<std::u16string> SubkeysOf(HKEY root, const std::u16string& path) {
  std::vector<std::u16string> names;
  HKEY key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
  for (DWORD i = 0;; ++i) {
    OLECHAR name[256];
    DWORD length = 256;
    if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  RegCloseKey(key);
  return names;
}

// The interfaces a registration enters under Interface\{iid}: those that
// automation can marshal (dual interfaces and automation-compatible ones).
std::vector<std::pair<GUID, std::u16string>> AutomationInterfacesOf(ITypeLib* lib) {
  std::vector<std::pair<GUID, std::u16string>> found;
  UINT count = lib->GetTypeInfoCount();
  for (UINT i = 0; i < count; ++i) {
    ITypeInfo* info = nullptr;
    if (FAILED(lib->GetTypeInfo(i, &info))) continue;
    TYPEATTR* attr = nullptr;
    if (SUCCEEDED(info->GetTypeAttr(&attr))) {
      bool automation = attr->typekind == TKIND_DISPATCH ||
                        (attr->typekind == TKIND_INTERFACE && (attr->wTypeFlags & TYPEFLAG_FOLEAUTOMATION));
      if (automation) {
        BSTR name = nullptr;
        info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
        found.emplace_back(attr->guid, name ? std::u16string(name, SysStringLen(name)) : std::u16string());
        SysFreeString(name);
      }
      info->ReleaseTypeAttr(attr);
    }
    info->Release();
  }
  return found;
}

// The path registered for a library, by the platform's search: the exact
// version or the highest minor version of the same major; the exact locale,
// its primary language, the neutral locale, then any registered one; this
// platform's word size first, then the other.
std::optional<std::u16string> RegisteredPath(REFGUID guid, USHORT major, USHORT minor, LCID lcid) {
  std::u16string base = u"TypeLib\\" + GuidText(guid);
  std::u16string version;
  int bestMinor = -1;
  for (const auto& name : SubkeysOf(HKEY_CLASSES_ROOT, base)) {
    std::string text = common::Utf16ToUtf8Lossy(name);
    unsigned maj = 0, min = 0;
    char extra = 0;
    if (std::sscanf(text.c_str(), "%x.%x%c", &maj, &min, &extra) != 2) continue;
    if (maj != major || min < minor) continue;
    if (static_cast<int>(min) > bestMinor) {
      bestMinor = static_cast<int>(min);
      version = name;
    }
  }
  if (bestMinor < 0) return std::nullopt;
  std::u16string versionPath = base + u"\\" + version;
  std::vector<std::u16string> locales = {Hex(lcid), Hex(lcid & 0x3FF), u"0"};
  for (const auto& name : SubkeysOf(HKEY_CLASSES_ROOT, versionPath))
    if (!EqualsIgnoringCase(name, u"FLAGS") && !EqualsIgnoringCase(name, u"HELPDIR")) locales.push_back(name);
  const char16_t* platforms[] = {SyskindName(sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32),
                                 SyskindName(sizeof(void*) == 8 ? SYS_WIN32 : SYS_WIN64)};
  for (const auto& locale : locales)
    for (const char16_t* platform : platforms)
      if (auto path = ReadText(HKEY_CLASSES_ROOT, versionPath + u"\\" + locale + u"\\" + platform)) return path;
  return std::nullopt;
}

}  // namespace

// --- The C functions ------------------------------------------------------------------------

EXTERN_C void AutomationRegisterTypeLibrary(const AutomationTypeLibrary* library) {
  if (!library) return;
  HMODULE module = ModuleOfAddress(library);
  std::lock_guard guard(LibrariesMutex());
  Libraries().push_back({module, library});
}

EXTERN_C void AutomationUnregisterTypeLibrary(const AutomationTypeLibrary* library) {
  std::lock_guard guard(LibrariesMutex());
  auto& libraries = Libraries();
  for (auto it = libraries.begin(); it != libraries.end();) it = it->library == library ? libraries.erase(it) : it + 1;
}

STDAPI LoadTypeLibEx(LPCOLESTR szFile, REGKIND regkind, ITypeLib** pptlib) {
  if (!szFile || !pptlib) return E_INVALIDARG;
  *pptlib = nullptr;
  const AutomationTypeLibrary* library = LibraryOfFile(szFile);
  if (!library) return TYPE_E_CANTLOADLIBRARY;
  auto* lib = new (std::nothrow) TypeLib(library);
  if (!lib) return E_OUTOFMEMORY;
  if (regkind == REGKIND_REGISTER) {
    auto path = RealPath(szFile);
    std::u16string full = path ? common::Utf8ToUtf16(*path) : std::u16string(szFile);
    std::u16string dir = full.substr(0, full.find_last_of(u'/'));
    HRESULT hr = RegisterTypeLib(lib, full.c_str(), dir.c_str());
    if (FAILED(hr)) {
      lib->Release();
      return hr;
    }
  }
  *pptlib = lib;
  return S_OK;
}

STDAPI LoadTypeLib(LPCOLESTR szFile, ITypeLib** pptlib) { return LoadTypeLibEx(szFile, REGKIND_NONE, pptlib); }

STDAPI QueryPathOfRegTypeLib(REFGUID guid, USHORT wMaj, USHORT wMin, LCID lcid, LPBSTR lpbstrPathName) {
  if (!lpbstrPathName) return E_INVALIDARG;
  *lpbstrPathName = nullptr;
  auto path = RegisteredPath(guid, wMaj, wMin, lcid);
  if (!path) return TYPE_E_LIBNOTREGISTERED;
  *lpbstrPathName = MakeBstr(*path);
  return *lpbstrPathName ? S_OK : E_OUTOFMEMORY;
}

STDAPI LoadRegTypeLib(REFGUID rguid, WORD wVerMajor, WORD wVerMinor, LCID lcid, ITypeLib** pptlib) {
  if (!pptlib) return E_INVALIDARG;
  *pptlib = nullptr;
  BSTR path = nullptr;
  HRESULT hr = QueryPathOfRegTypeLib(rguid, wVerMajor, wVerMinor, lcid, &path);
  if (FAILED(hr)) return hr;
  hr = LoadTypeLib(path, pptlib);
  SysFreeString(path);
  return hr;
}

STDAPI RegisterTypeLib(ITypeLib* ptlib, LPCOLESTR szFullPath, LPCOLESTR szHelpDir) {
  if (!ptlib || !szFullPath) return E_INVALIDARG;
  TLIBATTR* attr = nullptr;
  HRESULT hr = ptlib->GetLibAttr(&attr);
  if (FAILED(hr)) return hr;
  TLIBATTR a = *attr;
  ptlib->ReleaseTLibAttr(attr);

  BSTR name = nullptr, doc = nullptr;
  ptlib->GetDocumentation(-1, &name, &doc, nullptr, nullptr);
  std::u16string title = doc ? std::u16string(doc, SysStringLen(doc)) : name ? std::u16string(name, SysStringLen(name)) : u"";
  SysFreeString(name);
  SysFreeString(doc);

  std::u16string libid = GuidText(a.guid);
  std::u16string version = u"TypeLib\\" + libid + u"\\" + VersionKey(a.wMajorVerNum, a.wMinorVerNum);
  std::u16string path(szFullPath);
  char flags[16];
  std::snprintf(flags, sizeof flags, "%u", a.wLibFlags);
  std::u16string flagsText = common::Utf8ToUtf16(flags);
  bool ok = SetDefault(HKEY_CLASSES_ROOT, version, &title) &&
            SetDefault(HKEY_CLASSES_ROOT, version + u"\\" + Hex(a.lcid) + u"\\" + SyskindName(a.syskind), &path) &&
            SetDefault(HKEY_CLASSES_ROOT, version + u"\\FLAGS", &flagsText);
  if (ok && szHelpDir) {
    std::u16string helpDir(szHelpDir);
    ok = SetDefault(HKEY_CLASSES_ROOT, version + u"\\HELPDIR", &helpDir);
  }
  // Every automation interface is marshalled by the platform's type library
  // marshaller, which finds the description through these keys.
  static const std::u16string marshaller = u"{00020424-0000-0000-C000-000000000046}";
  std::u16string versionText = common::Utf8ToUtf16(std::to_string(a.wMajorVerNum) + "." + std::to_string(a.wMinorVerNum));
  for (const auto& [iid, interfaceName] : ok ? AutomationInterfacesOf(ptlib) : decltype(AutomationInterfacesOf(ptlib)){}) {
    std::u16string key = u"Interface\\" + GuidText(iid);
    ok = ok && SetDefault(HKEY_CLASSES_ROOT, key, &interfaceName) &&
         SetDefault(HKEY_CLASSES_ROOT, key + u"\\ProxyStubClsid", &marshaller) &&
         SetDefault(HKEY_CLASSES_ROOT, key + u"\\ProxyStubClsid32", &marshaller) &&
         SetDefault(HKEY_CLASSES_ROOT, key + u"\\TypeLib", &libid) &&
         SetDefault(HKEY_CLASSES_ROOT, key + u"\\TypeLib", &versionText, u"Version");
  }
  return ok ? S_OK : TYPE_E_REGISTRYACCESS;
}

STDAPI UnRegisterTypeLib(REFGUID libID, WORD wVerMajor, WORD wVerMinor, LCID lcid, SYSKIND syskind) {
  std::u16string libid = GuidText(libID);
  std::u16string base = u"TypeLib\\" + libid;
  std::u16string version = base + u"\\" + VersionKey(wVerMajor, wVerMinor);
  std::u16string locale = version + u"\\" + Hex(lcid);
  std::u16string platform = locale + u"\\" + SyskindName(syskind);
  auto path = ReadText(HKEY_CLASSES_ROOT, platform);
  if (!path) return TYPE_E_REGISTRYACCESS;

  // The interface keys that point at this library, found through its
  // description when it can be loaded.
  ITypeLib* lib = nullptr;
  if (SUCCEEDED(LoadTypeLib(path->c_str(), &lib))) {
    for (const auto& entry : AutomationInterfacesOf(lib)) {
      std::u16string key = u"Interface\\" + GuidText(entry.first);
      auto owner = ReadText(HKEY_CLASSES_ROOT, key + u"\\TypeLib");
      if (owner && EqualsIgnoringCase(*owner, libid)) RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    }
    lib->Release();
  }

  RegDeleteTreeW(HKEY_CLASSES_ROOT, platform.c_str());
  if (SubkeysOf(HKEY_CLASSES_ROOT, locale).empty()) RegDeleteTreeW(HKEY_CLASSES_ROOT, locale.c_str());
  bool localesLeft = false;
  for (const auto& name : SubkeysOf(HKEY_CLASSES_ROOT, version))
    if (!EqualsIgnoringCase(name, u"FLAGS") && !EqualsIgnoringCase(name, u"HELPDIR")) localesLeft = true;
  if (!localesLeft) RegDeleteTreeW(HKEY_CLASSES_ROOT, version.c_str());
  if (SubkeysOf(HKEY_CLASSES_ROOT, base).empty()) RegDeleteTreeW(HKEY_CLASSES_ROOT, base.c_str());
  return S_OK;
}
