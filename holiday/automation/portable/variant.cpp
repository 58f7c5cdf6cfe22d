// VARIANT life cycle: initialise, clear (releasing what the value owns) and
// copy (duplicating strings and arrays, adding references to objects).
#include "automation/portable/internal.h"

namespace {

bool IsValidBaseType(VARTYPE base) {
  return base <= VT_DECIMAL || (base >= VT_I1 && base <= VT_UINT) || base == VT_RECORD;
}

// The types a VARIANT may carry. Arrays and references need a real element
// type; VT_VARIANT only appears by reference or as an array element.
bool IsValidVariantType(VARTYPE vt) {
  if (vt & ~(VT_TYPEMASK | VT_ARRAY | VT_BYREF)) return false;
  VARTYPE base = vt & VT_TYPEMASK;
  if (!IsValidBaseType(base)) return false;
  bool modified = vt & (VT_ARRAY | VT_BYREF);
  if (modified && (base == VT_EMPTY || base == VT_NULL)) return false;
  if (!modified && base == VT_VARIANT) return false;
  return true;
}

// Deep copy of a by-value VARIANT into an empty destination.
HRESULT CopyValue(VARIANT* dest, const VARIANT* src) {
  VARIANT result = *src;
  switch (src->vt) {
    case VT_BSTR:
      if (src->bstrVal) {
        result.bstrVal = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(src->bstrVal), SysStringByteLen(src->bstrVal));
        if (!result.bstrVal) return E_OUTOFMEMORY;
      }
      break;
    case VT_DISPATCH:
    case VT_UNKNOWN:
      if (src->punkVal) src->punkVal->AddRef();
      break;
    case VT_RECORD:
      return DISP_E_BADVARTYPE;  // records are not supported by this layer
    default:
      if (src->vt & VT_ARRAY) {
        HRESULT hr = SafeArrayCopy(src->parray, &result.parray);
        if (FAILED(hr)) return hr;
      }
      break;
  }
  *dest = result;
  return S_OK;
}

// Reads the value a by-reference VARIANT points at, without taking
// ownership of it.
HRESULT Dereference(const VARIANT* src, VARIANT* view) {
  VariantInit(view);
  VARTYPE base = src->vt & ~VT_BYREF;
  if (!src->byref) return E_INVALIDARG;
  if (base == VT_VARIANT) {
    const VARIANT* target = src->pvarVal;
    if (target->vt & VT_BYREF) return E_INVALIDARG;
    *view = *target;
    return S_OK;
  }
  view->vt = base;
  if (base & VT_ARRAY) {
    view->parray = *src->pparray;
    return S_OK;
  }
  switch (base) {
    case VT_I1: view->cVal = *src->pcVal; break;
    case VT_UI1: view->bVal = *src->pbVal; break;
    case VT_I2: view->iVal = *src->piVal; break;
    case VT_UI2: view->uiVal = *src->puiVal; break;
    case VT_I4: view->lVal = *src->plVal; break;
    case VT_UI4: view->ulVal = *src->pulVal; break;
    case VT_INT: view->intVal = *src->pintVal; break;
    case VT_UINT: view->uintVal = *src->puintVal; break;
    case VT_I8: view->llVal = *src->pllVal; break;
    case VT_UI8: view->ullVal = *src->pullVal; break;
    case VT_R4: view->fltVal = *src->pfltVal; break;
    case VT_R8: view->dblVal = *src->pdblVal; break;
    case VT_DATE: view->date = *src->pdate; break;
    case VT_CY: view->cyVal = *src->pcyVal; break;
    case VT_BOOL: view->boolVal = *src->pboolVal; break;
    case VT_ERROR: view->scode = *src->pscode; break;
    case VT_BSTR: view->bstrVal = *src->pbstrVal; break;
    case VT_DISPATCH: view->pdispVal = *src->ppdispVal; break;
    case VT_UNKNOWN: view->punkVal = *src->ppunkVal; break;
    case VT_DECIMAL: {
      VARIANT copy;
      copy.decVal = *src->pdecVal;
      copy.vt = VT_DECIMAL;
      *view = copy;
      break;
    }
    default: return DISP_E_BADVARTYPE;
  }
  return S_OK;
}

}  // namespace

namespace automation {
// Shared with the coercion: the value of a VARIANT with one level of
// reference removed (the view does not own anything).
HRESULT ValueView(const VARIANT* src, VARIANT* view) {
  if (!IsValidVariantType(src->vt)) return DISP_E_BADVARTYPE;
  if (src->vt & VT_BYREF) return Dereference(src, view);
  *view = *src;
  return S_OK;
}
bool IsValidVariantTypeForLayer(VARTYPE vt) { return IsValidVariantType(vt); }
}  // namespace automation

STDAPI_(void) VariantInit(VARIANTARG* pvarg) {
  if (!pvarg) return;
  pvarg->vt = VT_EMPTY;
  pvarg->wReserved1 = pvarg->wReserved2 = pvarg->wReserved3 = 0;
  pvarg->llVal = 0;
}

STDAPI VariantClear(VARIANTARG* pvarg) {
  if (!pvarg) return E_INVALIDARG;
  if (!IsValidVariantType(pvarg->vt)) return DISP_E_BADVARTYPE;
  if (!(pvarg->vt & VT_BYREF)) {
    if (pvarg->vt & VT_ARRAY) {
      HRESULT hr = SafeArrayDestroy(pvarg->parray);
      if (FAILED(hr)) return hr;
    } else if (pvarg->vt == VT_BSTR) {
      SysFreeString(pvarg->bstrVal);
    } else if (pvarg->vt == VT_DISPATCH || pvarg->vt == VT_UNKNOWN) {
      if (pvarg->punkVal) pvarg->punkVal->Release();
    }
  }
  pvarg->vt = VT_EMPTY;
  pvarg->llVal = 0;
  return S_OK;
}

STDAPI VariantCopy(VARIANTARG* pvargDest, VARIANTARG* pvargSrc) {
  if (!pvargDest || !pvargSrc) return E_INVALIDARG;
  if (pvargDest == pvargSrc) return S_OK;
  if (!IsValidVariantType(pvargSrc->vt)) return DISP_E_BADVARTYPE;
  VARIANT copy;
  VariantInit(&copy);
  if (pvargSrc->vt & VT_BYREF) {
    copy = *pvargSrc;  // a reference is copied as a reference
  } else {
    HRESULT hr = CopyValue(&copy, pvargSrc);
    if (FAILED(hr)) return hr;
  }
  HRESULT hr = VariantClear(pvargDest);
  if (FAILED(hr)) {
    VariantClear(&copy);
    return hr;
  }
  *pvargDest = copy;
  return S_OK;
}

STDAPI VariantCopyInd(VARIANT* pvarDest, VARIANTARG* pvargSrc) {
  if (!pvarDest || !pvargSrc) return E_INVALIDARG;
  if (!(pvargSrc->vt & VT_BYREF)) return VariantCopy(pvarDest, pvargSrc);
  VARIANT view;
  HRESULT hr = automation::ValueView(pvargSrc, &view);
  if (FAILED(hr)) return hr;
  VARIANT copy;
  VariantInit(&copy);
  hr = CopyValue(&copy, &view);
  if (FAILED(hr)) return hr;
  hr = VariantClear(pvarDest);
  if (FAILED(hr)) {
    VariantClear(&copy);
    return hr;
  }
  *pvarDest = copy;
  return S_OK;
}
