// Small pieces the four definition objects share: their string fields, the
// key comparison, dates from automation values, today's date, the change
// notification target and where their errors come from.
#pragma once

#include <cstring>
#include <optional>

#include "dovrel60.h"
#include "engine/day_number.h"
#include "frame/ole_string.h"

namespace dovrel {

// The text of a BSTR with its exact length (embedded nulls included); a null
// BSTR reads as empty.
inline OleStringView ViewOf(BSTR text) { return text ? OleStringView(text, SysStringLen(text)) : OleStringView(); }

// A string field of an object: a BSTR that may be null, freed with the
// object. Out of memory while copying leaves the field null, as the objects
// promise, so the setters cannot fail.
class BstrField {
 public:
  BstrField() = default;
  BstrField(const BstrField&) = delete;
  BstrField& operator=(const BstrField&) = delete;
  ~BstrField() { SysFreeString(text_); }

  BSTR Get() const { return text_; }
  OleStringView View() const { return ViewOf(text_); }
  bool IsEmpty() const { return SysStringLen(text_) == 0; }

  // An exact copy: length and embedded nulls kept, null stays null.
  void SetExact(BSTR text) { Replace(text ? SysAllocStringLen(text, SysStringLen(text)) : nullptr); }
  void SetExact(OleStringView text) { Replace(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))); }
  // The text up to its first null character, as a property put takes it.
  void SetUpToFirstNull(BSTR text) { Replace(text ? SysAllocString(text) : nullptr); }
  void SetNull() { Replace(nullptr); }
  // Takes ownership of text.
  void Adopt(BSTR text) { Replace(text); }
  // An exact copy that either succeeds or changes nothing.
  bool TrySetExact(OleStringView text) {
    BSTR copy = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!copy) return false;
    Replace(copy);
    return true;
  }

  // A caller's copy of the field (exact; null stays null).
  HRESULT CopyTo(BSTR* out) const {
    if (!out) return E_POINTER;
    *out = text_ ? SysAllocStringLen(text_, SysStringLen(text_)) : nullptr;
    return S_OK;
  }

 private:
  void Replace(BSTR text) {
    SysFreeString(text_);
    text_ = text;
  }
  BSTR text_ = nullptr;
};

// Keys compare without regard to the case of the ASCII letters A-Z only:
// every other character, full-width letters included, compares by its UTF-16
// code unit. <0, 0 or >0 as for strcmp; the key index is ordered by it.
int CompareKeys(OleStringView a, OleStringView b);
inline bool KeysEqual(OleStringView a, OleStringView b) { return a.size() == b.size() && CompareKeys(a, b) == 0; }

// The key as it comes back from the system's ANSI code page (932):
// characters the code page cannot represent come back replaced. Nothing when
// out of memory.
std::optional<OleString> ThroughAnsiCodePage(OleStringView key);

// An optional argument the caller left out arrives as VT_ERROR with
// DISP_E_PARAMNOTFOUND.
inline bool IsMissing(const VARIANT& v) { return v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND; }

// The value itself, or the VARIANT a VT_BYREF | VT_VARIANT points at.
inline const VARIANT& Referred(const VARIANT& v) {
  return (v.vt == (VT_BYREF | VT_VARIANT) && v.pvarVal) ? *v.pvarVal : v;
}

// The automation date of a value by the platform's standard coercion (flags
// 0, on a copy): Empty is 1899-12-30, Null and non-dates give nothing.
std::optional<DATE> CoerceToDate(const VARIANT& v);

// The day number of an automation date (time of day dropped), or nothing
// when the date lies outside 0100-01-01 .. 9999-12-31.
std::optional<engine::DayNumber> ValidDayNumberOf(DATE date);

// A date VARIANT for a day number, or Null when it is not a valid date.
void DateVariantOf(engine::DayNumber day, VARIANT* out);

// Today's date on the local clock.
engine::DayNumber Today();

// Where an object announces its changes: a window and a message number,
// none at first. The message goes synchronously, with both parameters 0,
// and only to a window that still exists.
class ChangeNotification {
 public:
  void Set(HWND window, UINT message) {
    window_ = window;
    message_ = message;
  }
  HWND Window() const { return window_; }
  UINT Message() const { return message_; }
  void Send() const {
    if (window_ && IsWindow(window_)) SendMessageW(window_, message_, 0, 0);
  }

 private:
  HWND window_ = nullptr;
  UINT message_ = 0;
};

// Enumeration arguments and results travel as the 32-bit values hosts pass,
// which may lie outside the enumeration (a host may pass 3 or -1 for a
// dvDayTypeConst). They are read and written as integers, never loaded as the
// enumeration type, whose range such values exceed.
template <class Enum>
LONG EnumArgument(const Enum& value) {
  static_assert(sizeof(Enum) == sizeof(LONG), "automation enumerations are 32-bit");
  LONG raw;
  std::memcpy(&raw, &value, sizeof raw);
  return raw;
}
template <class Enum>
void StoreEnumResult(Enum* out, LONG raw) {
  static_assert(sizeof(Enum) == sizeof(LONG), "automation enumerations are 32-bit");
  std::memcpy(out, &raw, sizeof raw);
}

// The class and interface an object's errors name: the source of the error
// information is the program identifier registered for the class.
struct ErrorSource {
  const CLSID& clsid;
  const IID& iid;
  HRESULT Raise(UINT stringNumber, HRESULT code) const;
};

}  // namespace dovrel
