// Arguments as a client builds them for a call: plain VARIANTs by value,
// nothing to free. Header-only and platform-neutral, so that the Windows
// driver builds its calls the same way as the Linux tests.
#pragma once

#include "automation/com.h"

namespace testsupport {

// A VARIANT of the type, its value still to be set.
inline VARIANT Typed(VARTYPE type) {
  VARIANT v;
  VariantInit(&v);
  v.vt = type;
  return v;
}

// An optional argument left out: what a client passes in its place.
inline VARIANT Omitted() {
  VARIANT v = Typed(VT_ERROR);
  v.scode = DISP_E_PARAMNOTFOUND;
  return v;
}

inline VARIANT Null() { return Typed(VT_NULL); }

inline VARIANT I2(SHORT value) {
  VARIANT v = Typed(VT_I2);
  v.iVal = value;
  return v;
}

inline VARIANT I4(LONG value) {
  VARIANT v = Typed(VT_I4);
  v.lVal = value;
  return v;
}

inline VARIANT R8(double value) {
  VARIANT v = Typed(VT_R8);
  v.dblVal = value;
  return v;
}

inline VARIANT DateValue(double date) {
  VARIANT v = Typed(VT_DATE);
  v.date = date;
  return v;
}

}  // namespace testsupport
