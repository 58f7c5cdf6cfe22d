// SAFEARRAY: a descriptor with its bounds, the element type stored just
// before the descriptor (FADF_HAVEVARTYPE, as the platform does), and a
// block of elements in which the first index varies fastest.
#include <cstdlib>
#include <cstring>
#include <limits>

#include "automation/portable/internal.h"

namespace {

constexpr std::size_t kPrefix = 16;  // room for the element type, keeps the descriptor aligned

std::size_t ElementSize(VARTYPE vt) {
  switch (vt) {
    case VT_I1: case VT_UI1: return 1;
    case VT_I2: case VT_UI2: case VT_BOOL: return 2;
    case VT_I4: case VT_UI4: case VT_INT: case VT_UINT: case VT_R4: case VT_ERROR: return 4;
    case VT_I8: case VT_UI8: case VT_R8: case VT_DATE: case VT_CY: return 8;
    case VT_BSTR: case VT_DISPATCH: case VT_UNKNOWN: return sizeof(void*);
    case VT_DECIMAL: return sizeof(DECIMAL);
    case VT_VARIANT: return sizeof(VARIANT);
    default: return 0;
  }
}

USHORT FeaturesOf(VARTYPE vt) {
  USHORT flags = FADF_HAVEVARTYPE;
  if (vt == VT_VARIANT) flags |= FADF_VARIANT;
  if (vt == VT_BSTR) flags |= FADF_BSTR;
  if (vt == VT_UNKNOWN) flags |= FADF_UNKNOWN;
  if (vt == VT_DISPATCH) flags |= FADF_DISPATCH;
  return flags;
}

VARTYPE StoredType(SAFEARRAY* psa) {
  DWORD vt;
  std::memcpy(&vt, reinterpret_cast<unsigned char*>(psa) - sizeof(DWORD), sizeof vt);
  return static_cast<VARTYPE>(vt);
}

std::size_t ElementCount(SAFEARRAY* psa) {
  std::size_t count = 1;
  for (USHORT i = 0; i < psa->cDims; ++i) count *= psa->rgsabound[i].cElements;
  return psa->cDims ? count : 0;
}

SAFEARRAY* AllocateDescriptor(VARTYPE vt, UINT cDims) {
  std::size_t size = kPrefix + sizeof(SAFEARRAY) + (cDims - 1) * sizeof(SAFEARRAYBOUND);
  auto* block = static_cast<unsigned char*>(std::calloc(1, size));
  if (!block) return nullptr;
  DWORD stored = vt;
  std::memcpy(block + kPrefix - sizeof(DWORD), &stored, sizeof stored);
  auto* psa = reinterpret_cast<SAFEARRAY*>(block + kPrefix);
  psa->cDims = static_cast<USHORT>(cDims);
  psa->fFeatures = FeaturesOf(vt);
  psa->cbElements = static_cast<ULONG>(ElementSize(vt));
  return psa;
}

void FreeDescriptor(SAFEARRAY* psa) { std::free(reinterpret_cast<unsigned char*>(psa) - kPrefix); }

// Releases what the elements own (strings, references, nested values).
void ClearElements(SAFEARRAY* psa) {
  if (!psa->pvData) return;
  std::size_t count = ElementCount(psa);
  auto* data = static_cast<unsigned char*>(psa->pvData);
  for (std::size_t i = 0; i < count; ++i) {
    void* element = data + i * psa->cbElements;
    if (psa->fFeatures & FADF_VARIANT) {
      VariantClear(static_cast<VARIANT*>(element));
    } else if (psa->fFeatures & FADF_BSTR) {
      BSTR text;
      std::memcpy(&text, element, sizeof text);
      SysFreeString(text);
    } else if (psa->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
      IUnknown* object;
      std::memcpy(&object, element, sizeof object);
      if (object) object->Release();
    }
  }
  std::memset(psa->pvData, 0, count * psa->cbElements);
}

HRESULT CellOf(SAFEARRAY* psa, LONG* rgIndices, void** cell) {
  if (!psa || !rgIndices) return E_INVALIDARG;
  std::size_t offset = 0, multiplier = 1;
  for (USHORT k = 0; k < psa->cDims; ++k) {
    const SAFEARRAYBOUND& bound = psa->rgsabound[psa->cDims - 1 - k];
    long long index = static_cast<long long>(rgIndices[k]) - bound.lLbound;
    if (index < 0 || index >= static_cast<long long>(bound.cElements)) return DISP_E_BADINDEX;
    offset += static_cast<std::size_t>(index) * multiplier;
    multiplier *= bound.cElements;
  }
  *cell = static_cast<unsigned char*>(psa->pvData) + offset * psa->cbElements;
  return S_OK;
}

// Copies one element value into an empty slot of the same type.
HRESULT CopyElement(SAFEARRAY* psa, void* slot, const void* value) {
  if (psa->fFeatures & FADF_VARIANT) {
    auto* target = static_cast<VARIANT*>(slot);
    VariantInit(target);
    return VariantCopy(target, const_cast<VARIANT*>(static_cast<const VARIANT*>(value)));
  }
  if (psa->fFeatures & FADF_BSTR) {
    BSTR text;
    std::memcpy(&text, value, sizeof text);
    BSTR copy = nullptr;
    if (text) {
      copy = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(text), SysStringByteLen(text));
      if (!copy) return E_OUTOFMEMORY;
    }
    std::memcpy(slot, &copy, sizeof copy);
    return S_OK;
  }
  if (psa->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
    IUnknown* object;
    std::memcpy(&object, value, sizeof object);
    if (object) object->AddRef();
    std::memcpy(slot, &object, sizeof object);
    return S_OK;
  }
  std::memcpy(slot, value, psa->cbElements);
  return S_OK;
}

}  // namespace

STDAPI_(SAFEARRAY*) SafeArrayCreate(VARTYPE vt, UINT cDims, SAFEARRAYBOUND* rgsabound) {
  if (cDims == 0 || cDims > 0xFFFF || !rgsabound || ElementSize(vt) == 0) return nullptr;
  std::size_t count = 1;
  for (UINT i = 0; i < cDims; ++i) {
    if (rgsabound[i].cElements && count > std::numeric_limits<std::size_t>::max() / 64 / rgsabound[i].cElements)
      return nullptr;
    count *= rgsabound[i].cElements;
  }
  SAFEARRAY* psa = AllocateDescriptor(vt, cDims);
  if (!psa) return nullptr;
  // The descriptor lists the bounds in reverse order of the arguments.
  for (UINT i = 0; i < cDims; ++i) psa->rgsabound[cDims - 1 - i] = rgsabound[i];
  if (count) {
    psa->pvData = std::calloc(count, psa->cbElements);
    if (!psa->pvData) {
      FreeDescriptor(psa);
      return nullptr;
    }
  }
  return psa;
}

STDAPI_(SAFEARRAY*) SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements) {
  SAFEARRAYBOUND bound{cElements, lLbound};
  return SafeArrayCreate(vt, 1, &bound);
}

STDAPI SafeArrayDestroy(SAFEARRAY* psa) {
  if (!psa) return S_OK;
  if (psa->cLocks) return DISP_E_ARRAYISLOCKED;
  ClearElements(psa);
  std::free(psa->pvData);
  FreeDescriptor(psa);
  return S_OK;
}

STDAPI SafeArrayCopy(SAFEARRAY* psa, SAFEARRAY** ppsaOut) {
  if (!ppsaOut) return E_INVALIDARG;
  *ppsaOut = nullptr;
  if (!psa) return S_OK;
  SAFEARRAYBOUND bounds[16];
  if (psa->cDims > 16) return E_INVALIDARG;
  for (USHORT i = 0; i < psa->cDims; ++i) bounds[i] = psa->rgsabound[psa->cDims - 1 - i];
  SAFEARRAY* copy = SafeArrayCreate(StoredType(psa), psa->cDims, bounds);
  if (!copy) return E_OUTOFMEMORY;
  std::size_t count = ElementCount(psa);
  for (std::size_t i = 0; i < count; ++i) {
    HRESULT hr = CopyElement(copy, static_cast<unsigned char*>(copy->pvData) + i * copy->cbElements,
                             static_cast<unsigned char*>(psa->pvData) + i * psa->cbElements);
    if (FAILED(hr)) {
      SafeArrayDestroy(copy);
      return hr;
    }
  }
  *ppsaOut = copy;
  return S_OK;
}

STDAPI_(UINT) SafeArrayGetDim(SAFEARRAY* psa) { return psa ? psa->cDims : 0; }

STDAPI_(UINT) SafeArrayGetElemsize(SAFEARRAY* psa) { return psa ? psa->cbElements : 0; }

STDAPI SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt) {
  if (!psa || !pvt) return E_INVALIDARG;
  *pvt = StoredType(psa);
  return S_OK;
}

STDAPI SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound) {
  if (!psa || !plLbound) return E_INVALIDARG;
  if (nDim < 1 || nDim > psa->cDims) return DISP_E_BADINDEX;
  *plLbound = psa->rgsabound[psa->cDims - nDim].lLbound;
  return S_OK;
}

STDAPI SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound) {
  if (!psa || !plUbound) return E_INVALIDARG;
  if (nDim < 1 || nDim > psa->cDims) return DISP_E_BADINDEX;
  const SAFEARRAYBOUND& bound = psa->rgsabound[psa->cDims - nDim];
  *plUbound = static_cast<LONG>(bound.lLbound + static_cast<long long>(bound.cElements) - 1);
  return S_OK;
}

STDAPI SafeArrayLock(SAFEARRAY* psa) {
  if (!psa) return E_INVALIDARG;
  if (psa->cLocks >= 0xFFFF) return E_UNEXPECTED;
  ++psa->cLocks;
  return S_OK;
}

STDAPI SafeArrayUnlock(SAFEARRAY* psa) {
  if (!psa) return E_INVALIDARG;
  if (psa->cLocks == 0) return E_UNEXPECTED;
  --psa->cLocks;
  return S_OK;
}

STDAPI SafeArrayAccessData(SAFEARRAY* psa, void** ppvData) {
  if (!psa || !ppvData) return E_INVALIDARG;
  HRESULT hr = SafeArrayLock(psa);
  if (FAILED(hr)) return hr;
  *ppvData = psa->pvData;
  return S_OK;
}

STDAPI SafeArrayUnaccessData(SAFEARRAY* psa) { return SafeArrayUnlock(psa); }

STDAPI SafeArrayPtrOfIndex(SAFEARRAY* psa, LONG* rgIndices, void** ppvData) {
  if (!ppvData) return E_INVALIDARG;
  return CellOf(psa, rgIndices, ppvData);
}

// pv receives a copy of the element (a new string, an added reference); what
// it held before is not released.
STDAPI SafeArrayGetElement(SAFEARRAY* psa, LONG* rgIndices, void* pv) {
  if (!pv) return E_INVALIDARG;
  void* cell;
  HRESULT hr = CellOf(psa, rgIndices, &cell);
  if (FAILED(hr)) return hr;
  SafeArrayLock(psa);
  hr = CopyElement(psa, pv, cell);
  SafeArrayUnlock(psa);
  return hr;
}

// For strings and objects pv is the BSTR or interface pointer itself, for
// every other type a pointer to the value; the array keeps a copy.
STDAPI SafeArrayPutElement(SAFEARRAY* psa, LONG* rgIndices, void* pv) {
  void* cell;
  HRESULT hr = CellOf(psa, rgIndices, &cell);
  if (FAILED(hr)) return hr;
  bool byPointer = psa->fFeatures & (FADF_BSTR | FADF_UNKNOWN | FADF_DISPATCH);
  if (!pv && !byPointer) return E_INVALIDARG;
  SafeArrayLock(psa);
  if (psa->fFeatures & FADF_VARIANT) {
    hr = VariantCopy(static_cast<VARIANT*>(cell), static_cast<VARIANT*>(pv));
  } else {
    // The new value is copied before the old one is let go, so that putting
    // an element onto itself is safe.
    unsigned char fresh[sizeof(DECIMAL)];
    const void* source = byPointer ? static_cast<const void*>(&pv) : pv;
    hr = CopyElement(psa, fresh, source);
    if (SUCCEEDED(hr)) {
      if (psa->fFeatures & FADF_BSTR) {
        BSTR old;
        std::memcpy(&old, cell, sizeof old);
        SysFreeString(old);
      } else if (psa->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
        IUnknown* old;
        std::memcpy(&old, cell, sizeof old);
        if (old) old->Release();
      }
      std::memcpy(cell, fresh, psa->cbElements);
    }
  }
  SafeArrayUnlock(psa);
  return hr;
}
