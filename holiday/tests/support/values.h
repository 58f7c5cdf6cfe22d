// Owned automation values for the tests: a VARIANT and a BSTR that free
// themselves, with factories for the kinds of argument the objects take.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "automation/com.h"

namespace testsupport {

// An owned VARIANT; pass .v to a method (passed by value and borrowed).
struct Var {
  VARIANT v;
  Var() { VariantInit(&v); }
  ~Var() { VariantClear(&v); }
  Var(const Var& other);
  Var& operator=(const Var&) = delete;

  static Var I2(SHORT value);
  static Var I4(LONG value);
  static Var R8(double value);
  static Var Date(double value);
  // A date argument for a day number (see civil_calendar.h).
  static Var Day(std::int64_t jdn);
  static Var Str(std::u16string_view text);
  static Var NullStr();  // VT_BSTR with a null BSTR, which hosts may pass
  static Var Null();
  static Var Empty() { return Var(); }
  static Var Missing();  // an omitted optional argument
  // VT_DISPATCH holding the object's IDispatch (null when it has none).
  static Var Object(IUnknown* object);
  static Var NullObject();
};

// A VARIANT that refers to another by reference (VT_BYREF | VT_VARIANT);
// the referred one must outlive it.
VARIANT RefTo(VARIANT& target);

// An owned BSTR; null unless given a text.
struct Bstr {
  BSTR b = nullptr;
  Bstr() = default;
  explicit Bstr(std::u16string_view text);
  ~Bstr() { SysFreeString(b); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  // Frees what it holds and hands out the slot for an [out] BSTR.
  BSTR* Receive();
  std::u16string Text() const { return b ? std::u16string(b, SysStringLen(b)) : std::u16string(); }
};

// Enumeration arguments as hosts pass them: any 32-bit value, 3 or -1 for a
// dvDayTypeConst included, which is exactly what the tests pass. Converted
// and handed on, never stored and loaded as the enumeration: the sanitizers
// stop a load of a value outside its range.
template <class Enum>
Enum AsEnum(LONG value) {
  static_assert(sizeof(Enum) == sizeof(LONG));
  return static_cast<Enum>(value);
}
// An enumeration result as the 32-bit value it is: read as an integer, never
// loaded as the enumeration, whose range it may exceed (WeekRests 0x2345).
template <class Enum>
LONG Raw(const Enum& e) {
  static_assert(sizeof(Enum) == sizeof(LONG));
  LONG value;
  std::memcpy(&value, &e, sizeof value);
  return value;
}

}  // namespace testsupport
