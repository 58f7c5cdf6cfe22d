#include "definitions/index_argument.h"

namespace dovrel {

namespace {

bool IsObject(VARTYPE vt) { return vt == VT_DISPATCH || vt == VT_UNKNOWN; }

bool IsHolidayStyle(IUnknown* object) {
  IHLDYStyle* style = nullptr;
  if (FAILED(object->QueryInterface(IID_IHLDYStyle, reinterpret_cast<void**>(&style))) || !style) return false;
  style->Release();
  return true;
}

// Coerces value in place to vt; a failing coercion leaves it as it was.
void CoerceInPlace(VARIANT& value, VARTYPE vt) {
  VARIANT coerced;
  VariantInit(&coerced);
  if (SUCCEEDED(VariantChangeType(&coerced, &value, 0, vt))) {
    VariantClear(&value);
    value = coerced;
  }
}

void MarkUnusable(VARIANT& value) {
  VariantClear(&value);
  value.vt = VT_ERROR;
  value.scode = DISP_E_TYPEMISMATCH;
}

}  // namespace

IndexArgument::IndexArgument(const VARIANT& index) {
  VariantInit(&value_);
  VARIANT source = index;  // read only; copied below
  if (source.vt == (VT_BYREF | VT_VARIANT) && source.pvarVal) source = *source.pvarVal;
  // By-reference values other than a VARIANT are copied as references and
  // read through by the coercion of step 5.
  if (FAILED(VariantCopy(&value_, &source))) {
    MarkUnusable(value_);
    return;
  }
  if (IsObject(value_.vt)) {
    if (value_.punkVal && !IsHolidayStyle(value_.punkVal)) CoerceInPlace(value_, VT_BSTR);
    return;
  }
  if (value_.vt == VT_BSTR) return;
  CoerceInPlace(value_, VT_I4);
  // A by-reference value that did not coerce still points into the caller's
  // memory; a style keeps its Parent value long after the call, so it keeps
  // a value of the same (unusable) kind that points nowhere.
  if (value_.vt & VT_BYREF) MarkUnusable(value_);
}

IndexKind KindOfIndex(const VARIANT& value) {
  switch (value.vt) {
    case VT_I2:
    case VT_I4: return IndexKind::Position;
    case VT_BSTR: return IndexKind::Key;
    case VT_DISPATCH:
    case VT_UNKNOWN: return value.punkVal ? IndexKind::Object : IndexKind::NullObject;
    case VT_NULL: return IndexKind::Null;
    default: return IndexKind::Other;
  }
}

}  // namespace dovrel
