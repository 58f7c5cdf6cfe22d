#include "tests/support/values.h"

#include "tests/support/civil_calendar.h"
#include "tests/support/variant_args.h"

namespace testsupport {
namespace {

// An owned VARIANT that takes over a plain one.
Var Holding(const VARIANT& value) {
  Var r;
  r.v = value;
  return r;
}

}  // namespace

Var::Var(const Var& other) : Var() { VariantCopy(&v, const_cast<VARIANT*>(&other.v)); }

Var Var::I2(SHORT value) { return Holding(testsupport::I2(value)); }
Var Var::I4(LONG value) { return Holding(testsupport::I4(value)); }
Var Var::R8(double value) { return Holding(testsupport::R8(value)); }
Var Var::Date(double value) { return Holding(DateValue(value)); }
Var Var::Day(std::int64_t jdn) { return Date(AutomationDate(jdn)); }
Var Var::Null() { return Holding(testsupport::Null()); }
Var Var::Missing() { return Holding(Omitted()); }

Var Var::Str(std::u16string_view text) {
  VARIANT v = Typed(VT_BSTR);
  v.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return Holding(v);
}

Var Var::NullStr() {
  VARIANT v = Typed(VT_BSTR);
  v.bstrVal = nullptr;
  return Holding(v);
}

Var Var::Object(IUnknown* object) {
  IDispatch* dispatch = nullptr;
  if (object) object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
  VARIANT v = Typed(VT_DISPATCH);
  v.pdispVal = dispatch;
  return Holding(v);
}

Var Var::NullObject() {
  VARIANT v = Typed(VT_DISPATCH);
  v.pdispVal = nullptr;
  return Holding(v);
}

VARIANT RefTo(VARIANT& target) {
  VARIANT r = Typed(VT_BYREF | VT_VARIANT);
  r.pvarVal = &target;
  return r;
}

Bstr::Bstr(std::u16string_view text) : b(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}

BSTR* Bstr::Receive() {
  SysFreeString(b);
  b = nullptr;
  return &b;
}

}  // namespace testsupport
