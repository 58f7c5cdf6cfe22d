// ITypeInfo::Invoke of this platform's type libraries (typeinfo.cpp): a
// call by dispatch identifier through a member's description, which the
// tables of tools/idlgen hold with an invoke thunk per member. The caller's
// arguments are matched to the parameters, coerced, passed by reference
// where the member writes, and the results and failures handed back as the
// platform's IDispatch::Invoke hands them back.
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <vector>

#include "automation/portable/typelib.h"

using namespace automation;

namespace {

// --- How a parameter travels ---------------------------------------------------

enum class Shape { kValue, kInterface, kPointer, kInterfacePointer, kUnsupported };

struct ParamShape {
  Shape shape = Shape::kUnsupported;
  VARTYPE vt = VT_EMPTY;  // the automation type of the value (VT_I4 for an enumeration)
  GUID iid{};             // for interface pointers
  VARTYPE resultVt = VT_EMPTY;  // VT_DISPATCH or VT_UNKNOWN for an interface handed back
};

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

// --- The call ------------------------------------------------------------------------

// The member a call reaches: the first whose kind is among the call's
// flags (a method call may read a property, as script hosts ask with
// DISPATCH_METHOD | DISPATCH_PROPERTYGET); a putref where the member only
// has a put is taken by the put.
const AutomationFunction* Select(const AutomationType& t, MEMBERID memid, WORD flags) {
  for (WORD f = 0; f < t.functionCount; ++f)
    if (t.functions[f].memid == memid && (t.functions[f].invkind & flags)) return &t.functions[f];
  if (flags & DISPATCH_PROPERTYPUTREF)
    for (WORD f = 0; f < t.functionCount; ++f)
      if (t.functions[f].memid == memid && t.functions[f].invkind == INVOKE_PROPERTYPUT) return &t.functions[f];
  return nullptr;
}

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

}  // namespace

HRESULT automation::InvokeMember(const AutomationTypeLibrary* library, const AutomationType& t, PVOID pvInstance,
                                 MEMBERID memid, WORD wFlags, DISPPARAMS* pDispParams, VARIANT* pVarResult,
                                 EXCEPINFO* pExcepInfo, UINT* puArgErr) {
  if (!pvInstance || !pDispParams) return E_INVALIDARG;
  if (pDispParams->cArgs && !pDispParams->rgvarg) return E_INVALIDARG;
  if (pDispParams->cNamedArgs > pDispParams->cArgs ||
      (pDispParams->cNamedArgs && !pDispParams->rgdispidNamedArgs))
    return E_INVALIDARG;
  if (t.kind != TKIND_DISPATCH) return TYPE_E_INVALIDSTATE;
  const AutomationFunction* f = Select(t, memid, wFlags);
  if (!f) return DISP_E_MEMBERNOTFOUND;
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
