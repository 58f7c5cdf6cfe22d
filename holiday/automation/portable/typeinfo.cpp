// Type libraries of this platform: ITypeLib and ITypeInfo over the tables
// that tools/idlgen compiles from the IDL (type_library.h), describing a
// library and its types as the platform describes them. The dispatch of
// automation calls through them (ITypeInfo::Invoke) is invoke.cpp's, their
// registration in the registry typelib_registration.cpp's, and the C
// functions that load and register them typelib_entry_points.cpp's.
//
// A dual interface appears as the platform shows it: GetTypeInfoOfGuid gives
// its dispatch view (TKIND_DISPATCH, the retval of every member lifted into
// the result), and GetRefTypeOfImplType(-1) its vtable view
// (TKIND_INTERFACE, every member returning HRESULT). Both views list the
// interface's own members only; the seven of IUnknown and IDispatch are not
// described here.
#include <cstring>
#include <deque>
#include <memory>
#include <new>
#include <type_traits>
#include <vector>

#include "automation/portable/typelib.h"

using namespace automation;

namespace {

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

  // The call itself is invoke.cpp's; the vtable view of a dual interface
  // dispatches too, since its type is the dispatch interface.
  STDMETHODIMP Invoke(PVOID pvInstance, MEMBERID memid, WORD wFlags, DISPPARAMS* pDispParams, VARIANT* pVarResult,
                      EXCEPINFO* pExcepInfo, UINT* puArgErr) override {
    return InvokeMember(lib_->Library(), Type(), pvInstance, memid, wFlags, pDispParams, pVarResult, pExcepInfo,
                        puArgErr);
  }

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

}  // namespace

ITypeLib* automation::NewTypeLib(const AutomationTypeLibrary* library) {
  return new (std::nothrow) TypeLib(library);
}

const AutomationType* automation::ResolveType(const AutomationTypeLibrary* library, SHORT type) {
  if (type >= 0) return static_cast<UINT>(type) < library->typeCount ? &library->types[type] : nullptr;
  SHORT index = static_cast<SHORT>(-1 - type);
  return index < 2 ? &kStdoleTypes[index] : nullptr;
}
