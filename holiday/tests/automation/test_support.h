// Helpers for the layer's tests: owned VARIANTs and BSTRs, and UTF-16 text.
#pragma once

#include <cctype>
#include <string>

#include "com.h"

namespace testing_support {

struct Variant {
  VARIANT v;
  Variant() { VariantInit(&v); }
  ~Variant() { VariantClear(&v); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
};

struct Bstr {
  BSTR b = nullptr;
  Bstr() = default;
  explicit Bstr(std::u16string_view text) : b(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  ~Bstr() { SysFreeString(b); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  std::u16string Text() const { return b ? std::u16string(b, SysStringLen(b)) : std::u16string(); }
};

inline std::string Narrow(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

// A test name from a case's description, for parameterised tables.
inline std::string CaseName(const char* what) {
  std::string name;
  for (const char* p = what; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
  return name;
}

}  // namespace testing_support
