// VariantChangeType: the automation coercions the objects rely on, with the
// platform's results and failures. Numbers go through one exact-or-double
// form, so that every pair of numeric types follows the same rules: doubles
// round half to even (2.5 -> 2, 3.5 -> 4), values that do not fit fail with
// DISP_E_OVERFLOW, text that is not a number fails with DISP_E_TYPEMISMATCH.
#include <cfenv>
#include <charconv>
#include <cmath>
#include <limits>

#include "automation/portable/internal.h"

namespace automation {
HRESULT ValueView(const VARIANT* src, VARIANT* view);
bool IsValidVariantTypeForLayer(VARTYPE vt);
}  // namespace automation

using namespace automation;

namespace {

// A number on its way between two types: exact while it is an integer that
// fits 64 bits, a double otherwise.
struct Number {
  bool exact = true;
  long long integer = 0;
  double real = 0;
  double AsDouble() const { return exact ? static_cast<double>(integer) : real; }
};

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == 0x3000; }

std::u16string_view Trim(std::u16string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

// Decimal number text: optional sign, digits with an optional fraction, an
// optional exponent; surrounding blanks are ignored. Parsed without any
// locale, so a host's setlocale cannot change the result.
std::optional<Number> ParseNumberText(std::u16string_view text) {
  text = Trim(text);
  if (text.empty() || text.size() > 400) return std::nullopt;
  std::string ascii;
  for (char16_t c : text) {
    if (c > 0x7F) return std::nullopt;
    ascii += static_cast<char>(c);
  }
  std::size_t start = (ascii[0] == '+') ? 1 : 0;
  std::string_view body(ascii.data() + start, ascii.size() - start);
  if (body.empty() || body[0] == '+' || (body[0] == '-' && start == 1)) return std::nullopt;
  bool integerForm = body.find_first_not_of("-0123456789") == std::string_view::npos;
  if (integerForm) {
    long long value = 0;
    auto [end, ec] = std::from_chars(body.data(), body.data() + body.size(), value);
    if (ec == std::errc() && end == body.data() + body.size()) return Number{true, value, 0};
  }
  // Only the forms of a decimal number: no "inf", "nan" or hexadecimal.
  if (body.find_first_not_of("-+0123456789.eE") != std::string_view::npos) return std::nullopt;
  double value = 0;
  auto [end, ec] = std::from_chars(body.data(), body.data() + body.size(), value, std::chars_format::general);
  if (end != body.data() + body.size()) return std::nullopt;
  if (ec == std::errc::result_out_of_range) {
    // Too small for a double reads as zero, too large as infinity (which
    // every target then refuses as an overflow).
    bool tiny = body.find("e-") != std::string_view::npos || body.find("E-") != std::string_view::npos;
    bool negative = body[0] == '-';
    double magnitude = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    return Number{false, 0, negative ? -magnitude : magnitude};
  }
  if (ec != std::errc()) return std::nullopt;
  return Number{false, 0, value};
}

bool EqualsAsciiIgnoringCase(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && CompareIgnoringCase(a, b) == 0;
}

// Round half to even, the rounding of the platform's conversions.
double RoundHalfEven(double value) {
  int saved = std::fegetround();
  std::fesetround(FE_TONEAREST);
  double rounded = std::nearbyint(value);
  std::fesetround(saved);
  return rounded;
}

std::optional<Number> NumberOf(const VARIANT& v, HRESULT& failure) {
  failure = DISP_E_TYPEMISMATCH;
  switch (v.vt) {
    case VT_EMPTY: return Number{true, 0, 0};
    case VT_I1: return Number{true, v.cVal, 0};
    case VT_UI1: return Number{true, v.bVal, 0};
    case VT_I2: return Number{true, v.iVal, 0};
    case VT_UI2: return Number{true, v.uiVal, 0};
    case VT_I4: return Number{true, v.lVal, 0};
    case VT_UI4: return Number{true, v.ulVal, 0};
    case VT_INT: return Number{true, v.intVal, 0};
    case VT_UINT: return Number{true, v.uintVal, 0};
    case VT_I8: return Number{true, v.llVal, 0};
    case VT_UI8:
      if (v.ullVal > static_cast<ULONGLONG>(std::numeric_limits<long long>::max()))
        return Number{false, 0, static_cast<double>(v.ullVal)};
      return Number{true, static_cast<long long>(v.ullVal), 0};
    case VT_BOOL: return Number{true, v.boolVal ? -1 : 0, 0};
    case VT_R4: return Number{false, 0, v.fltVal};
    case VT_R8: return Number{false, 0, v.dblVal};
    case VT_DATE: return Number{false, 0, v.date};
    case VT_CY:
      if (v.cyVal.int64 % 10000 == 0) return Number{true, v.cyVal.int64 / 10000, 0};
      return Number{false, 0, static_cast<double>(v.cyVal.int64) / 10000.0};
    case VT_DECIMAL: {
      double magnitude = static_cast<double>(v.decVal.Hi32) * 18446744073709551616.0 +
                         static_cast<double>(v.decVal.Lo64);
      magnitude /= std::pow(10.0, v.decVal.scale);
      return Number{false, 0, (v.decVal.sign & 0x80) ? -magnitude : magnitude};
    }
    case VT_BSTR: {
      std::u16string_view text(v.bstrVal ? v.bstrVal : u"", SysStringLen(v.bstrVal));
      if (auto n = ParseNumberText(text)) return n;
      return std::nullopt;
    }
    default: return std::nullopt;
  }
}

// An integer of the target type's range, from an exact integer or a double.
std::optional<long long> ToInteger(const Number& n, long long lo, long long hi) {
  if (n.exact) {
    if (n.integer < lo || n.integer > hi) return std::nullopt;
    return n.integer;
  }
  if (std::isnan(n.real)) return std::nullopt;
  double r = RoundHalfEven(n.real);
  if (r < static_cast<double>(lo) || r > static_cast<double>(hi)) return std::nullopt;
  if (r >= 9223372036854775807.0) return std::nullopt;  // 2^63 is not a long long
  return static_cast<long long>(r);
}

HRESULT ToUnsigned64(const Number& n, ULONGLONG& out) {
  if (n.exact) {
    if (n.integer < 0) return DISP_E_OVERFLOW;
    out = static_cast<ULONGLONG>(n.integer);
    return S_OK;
  }
  if (std::isnan(n.real)) return DISP_E_OVERFLOW;
  double r = RoundHalfEven(n.real);
  if (r < 0 || r >= 18446744073709551616.0) return DISP_E_OVERFLOW;
  out = static_cast<ULONGLONG>(r);
  return S_OK;
}

std::u16string Ascii(std::string_view text) { return std::u16string(text.begin(), text.end()); }

// Number text as a Japanese Windows writes it: up to 15 significant digits
// for doubles (7 for singles), an exponent as E+20 / E-05 when needed.
std::u16string FormatReal(double value, int precision) {
  if (value == 0) return u"0";
  char buffer[64];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, precision);
  if (ec != std::errc()) return u"0";
  std::string text(buffer, end);
  auto e = text.find('e');
  if (e != std::string::npos) {
    std::string mantissa = text.substr(0, e);
    std::string exponent = text.substr(e + 1);
    char sign = exponent[0];
    std::string digits = exponent.substr(1);
    while (digits.size() < 2) digits.insert(digits.begin(), '0');
    text = mantissa + "E" + sign + digits;
  }
  return Ascii(text);
}

HRESULT ToText(const VARIANT& v, USHORT flags, std::u16string& out) {
  switch (v.vt) {
    case VT_EMPTY: out.clear(); return S_OK;
    case VT_BOOL:
      if (flags & (VARIANT_ALPHABOOL | VARIANT_LOCALBOOL))
        out = v.boolVal ? u"True" : u"False";
      else
        out = v.boolVal ? u"-1" : u"0";
      return S_OK;
    case VT_R4: out = FormatReal(v.fltVal, 7); return S_OK;
    case VT_R8: out = FormatReal(v.dblVal, 15); return S_OK;
    case VT_DATE: {
      auto text = FormatDateText(v.date);
      if (!text) return E_INVALIDARG;
      out = *text;
      return S_OK;
    }
    case VT_CY: out = FormatReal(static_cast<double>(v.cyVal.int64) / 10000.0, 19); return S_OK;
    case VT_DECIMAL: {
      HRESULT failure;
      out = FormatReal(NumberOf(v, failure)->real, 15);
      return S_OK;
    }
    case VT_UI8: out = Ascii(std::to_string(v.ullVal)); return S_OK;
    default: {
      HRESULT failure;
      auto n = NumberOf(v, failure);
      if (!n || !n->exact) return DISP_E_TYPEMISMATCH;
      out = Ascii(std::to_string(n->integer));
      return S_OK;
    }
  }
}

HRESULT ToDate(const VARIANT& v, DATE& out) {
  if (v.vt == VT_BSTR) {
    std::u16string_view text(v.bstrVal ? v.bstrVal : u"", SysStringLen(v.bstrVal));
    auto date = ParseDateText(text);
    if (!date) return DISP_E_TYPEMISMATCH;
    out = *date;
    return S_OK;
  }
  HRESULT failure;
  auto n = NumberOf(v, failure);
  if (!n) return failure;
  double d = n->AsDouble();
  // The platform's dates run from 0100-01-01 through 9999-12-31 (and the
  // times of that last day).
  if (std::isnan(d) || d <= kMinDate - 1.0 || d >= kMaxDate + 1.0) return DISP_E_OVERFLOW;
  out = d;
  return S_OK;
}

HRESULT ToBool(const VARIANT& v, VARIANT_BOOL& out) {
  if (v.vt == VT_BSTR) {
    std::u16string_view text = Trim(std::u16string_view(v.bstrVal ? v.bstrVal : u"", SysStringLen(v.bstrVal)));
    if (EqualsAsciiIgnoringCase(text, u"True")) {
      out = VARIANT_TRUE;
      return S_OK;
    }
    if (EqualsAsciiIgnoringCase(text, u"False")) {
      out = VARIANT_FALSE;
      return S_OK;
    }
  }
  HRESULT failure;
  auto n = NumberOf(v, failure);
  if (!n) return failure;
  out = (n->exact ? n->integer != 0 : n->real != 0) ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT ToNumber(const VARIANT& v, VARTYPE vt, VARIANT& out) {
  HRESULT failure;
  auto n = NumberOf(v, failure);
  if (!n) return failure;
  out.vt = vt;
  auto integer = [&](long long lo, long long hi) -> std::optional<long long> { return ToInteger(*n, lo, hi); };
  std::optional<long long> i;
  switch (vt) {
    case VT_I1: if (!(i = integer(-128, 127))) return DISP_E_OVERFLOW; out.cVal = static_cast<CHAR>(*i); return S_OK;
    case VT_UI1: if (!(i = integer(0, 255))) return DISP_E_OVERFLOW; out.bVal = static_cast<BYTE>(*i); return S_OK;
    case VT_I2: if (!(i = integer(-32768, 32767))) return DISP_E_OVERFLOW; out.iVal = static_cast<SHORT>(*i); return S_OK;
    case VT_UI2: if (!(i = integer(0, 65535))) return DISP_E_OVERFLOW; out.uiVal = static_cast<USHORT>(*i); return S_OK;
    case VT_I4:
    case VT_INT:
      if (!(i = integer(-2147483648LL, 2147483647LL))) return DISP_E_OVERFLOW;
      out.lVal = static_cast<LONG>(*i);
      return S_OK;
    case VT_UI4:
    case VT_UINT:
      if (!(i = integer(0, 4294967295LL))) return DISP_E_OVERFLOW;
      out.ulVal = static_cast<ULONG>(*i);
      return S_OK;
    case VT_I8:
      if (!(i = integer(std::numeric_limits<long long>::min(), std::numeric_limits<long long>::max())))
        return DISP_E_OVERFLOW;
      out.llVal = *i;
      return S_OK;
    case VT_UI8: return ToUnsigned64(*n, out.ullVal);
    case VT_R4: {
      double d = n->AsDouble();
      if (std::isinf(d) || (std::isfinite(d) && std::fabs(d) > std::numeric_limits<float>::max()))
        return DISP_E_OVERFLOW;
      out.fltVal = static_cast<float>(d);
      return S_OK;
    }
    case VT_R8:
      if (std::isinf(n->AsDouble())) return DISP_E_OVERFLOW;
      out.dblVal = n->AsDouble();
      return S_OK;
    case VT_CY: {
      double scaled = RoundHalfEven(n->AsDouble() * 10000.0);
      if (!(scaled > -9223372036854775808.0 && scaled < 9223372036854775807.0)) return DISP_E_OVERFLOW;
      out.cyVal.int64 = static_cast<long long>(scaled);
      return S_OK;
    }
    default: return DISP_E_TYPEMISMATCH;
  }
}

HRESULT Coerce(const VARIANT* src, USHORT flags, VARTYPE vt, VARIANT* out, int depth);

// An object's value is its default member (DISPID_VALUE), read as a property.
HRESULT CoerceObject(const VARIANT& v, USHORT flags, VARTYPE vt, VARIANT* out, int depth) {
  if ((flags & VARIANT_NOVALUEPROP) || depth > 4) return DISP_E_TYPEMISMATCH;
  IDispatch* dispatch = nullptr;
  if (v.vt == VT_DISPATCH) {
    dispatch = v.pdispVal;
    if (dispatch) dispatch->AddRef();
  } else if (v.punkVal) {
    if (FAILED(v.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)))) dispatch = nullptr;
  }
  if (!dispatch) return DISP_E_TYPEMISMATCH;
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  VARIANT value;
  VariantInit(&value);
  HRESULT hr = dispatch->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &value,
                                nullptr, nullptr);
  dispatch->Release();
  if (FAILED(hr)) return hr;
  hr = Coerce(&value, flags, vt, out, depth + 1);
  VariantClear(&value);
  return hr;
}

HRESULT Coerce(const VARIANT* src, USHORT flags, VARTYPE vt, VARIANT* out, int depth) {
  VARIANT v;
  HRESULT hr = ValueView(src, &v);
  if (FAILED(hr)) return hr;
  VariantInit(out);
  if (v.vt == vt) return VariantCopy(out, &v);
  if ((v.vt & VT_ARRAY) || (vt & VT_ARRAY)) return DISP_E_TYPEMISMATCH;
  bool objectSource = v.vt == VT_DISPATCH || v.vt == VT_UNKNOWN;
  switch (vt) {
    case VT_EMPTY: return S_OK;
    case VT_NULL: return v.vt == VT_EMPTY ? (out->vt = VT_NULL, S_OK) : DISP_E_TYPEMISMATCH;
    case VT_DISPATCH:
    case VT_UNKNOWN: {
      if (!objectSource) return DISP_E_TYPEMISMATCH;
      out->vt = vt;
      if (!v.punkVal) return S_OK;
      return v.punkVal->QueryInterface(vt == VT_DISPATCH ? IID_IDispatch : IID_IUnknown,
                                       reinterpret_cast<void**>(&out->punkVal)) == S_OK
                 ? S_OK
                 : (out->vt = VT_EMPTY, DISP_E_TYPEMISMATCH);
    }
    default: break;
  }
  if (objectSource) return CoerceObject(v, flags, vt, out, depth);
  if (v.vt == VT_NULL || v.vt == VT_ERROR) return DISP_E_TYPEMISMATCH;
  switch (vt) {
    case VT_BSTR: {
      std::u16string text;
      hr = ToText(v, flags, text);
      if (FAILED(hr)) return hr;
      BSTR result = MakeBstr(text);
      if (!result) return E_OUTOFMEMORY;
      out->vt = VT_BSTR;
      out->bstrVal = result;
      return S_OK;
    }
    case VT_DATE: {
      DATE d = 0;
      hr = ToDate(v, d);
      if (FAILED(hr)) return hr;
      out->vt = VT_DATE;
      out->date = d;
      return S_OK;
    }
    case VT_BOOL: {
      VARIANT_BOOL b = VARIANT_FALSE;
      hr = ToBool(v, b);
      if (FAILED(hr)) return hr;
      out->vt = VT_BOOL;
      out->boolVal = b;
      return S_OK;
    }
    case VT_ERROR:
    case VT_DECIMAL:
    case VT_RECORD: return DISP_E_TYPEMISMATCH;
    default: {
      VARIANT result;
      VariantInit(&result);
      hr = ToNumber(v, vt, result);
      if (FAILED(hr)) return hr;
      *out = result;
      return S_OK;
    }
  }
}

}  // namespace

STDAPI VariantChangeTypeEx(VARIANTARG* pvargDest, VARIANTARG* pvarSrc, LCID, USHORT wFlags, VARTYPE vt) {
  if (!pvargDest || !pvarSrc) return E_INVALIDARG;
  if ((vt & VT_BYREF) || (vt & VT_TYPEMASK) == VT_VARIANT || !IsValidVariantTypeForLayer(vt))
    return DISP_E_BADVARTYPE;
  VARIANT result;
  HRESULT hr = Coerce(pvarSrc, wFlags, vt, &result, 0);
  if (FAILED(hr)) return hr;
  // The destination changes only on success, and may be the source itself.
  hr = VariantClear(pvargDest);
  if (FAILED(hr)) {
    VariantClear(&result);
    return hr;
  }
  *pvargDest = result;
  return S_OK;
}

STDAPI VariantChangeType(VARIANTARG* pvargDest, VARIANTARG* pvarSrc, USHORT wFlags, VARTYPE vt) {
  return VariantChangeTypeEx(pvargDest, pvarSrc, LOCALE_USER_DEFAULT, wFlags, vt);
}
