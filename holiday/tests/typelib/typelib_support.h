// Helpers for the tests of the type library, the dispatch and the frame:
// readable text, owned values, a registry file of the test's own, and the
// type library of the test program.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "dovrel60.h"

namespace typelib_testing {

inline std::string Utf8(std::u16string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size()) c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

inline std::string Utf8(BSTR text) { return text ? Utf8(std::u16string_view(text, SysStringLen(text))) : "(null)"; }

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

inline VARIANT I4(LONG value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = value;
  return v;
}

inline VARIANT Omitted() {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_ERROR;
  v.scode = DISP_E_PARAMNOTFOUND;
  return v;
}

// The full path of the test program, which carries the type library.
inline std::u16string ProgramPath() {
  OLECHAR path[4096];
  DWORD n = GetModuleFileNameW(nullptr, path, 4096);
  return std::u16string(path, n);
}

// A registry file of the test's own, removed afterwards.
class TempRegistry {
 public:
  TempRegistry() {
    char pattern[] = "/tmp/dovrel-frame-XXXXXX";
    if (!mkdtemp(pattern)) std::abort();
    dir_ = pattern;
    file_ = dir_ + "/registry.reg";
    setenv("DOVREL_REGISTRY", file_.c_str(), 1);
  }
  ~TempRegistry() {
    unsetenv("DOVREL_REGISTRY");
    std::string command = "rm -rf '" + dir_ + "'";
    if (std::system(command.c_str()) != 0) ADD_FAILURE() << "could not remove " << dir_;
  }
  TempRegistry(const TempRegistry&) = delete;
  TempRegistry& operator=(const TempRegistry&) = delete;

  const std::string& Dir() const { return dir_; }
  const std::string& File() const { return file_; }

 private:
  std::string dir_, file_;
};

// The default value (or a named value) of a key below a root, as text;
// "(missing)" when the key or value does not exist.
inline std::string RegistryText(HKEY root, std::u16string path, const char16_t* value = nullptr) {
  HKEY key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return "(missing)";
  OLECHAR text[2048] = {};
  DWORD size = sizeof text - sizeof(OLECHAR), type = 0;
  LSTATUS status = RegQueryValueExW(key, value, nullptr, &type, reinterpret_cast<LPBYTE>(text), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return "(missing)";
  if (type == REG_DWORD) {
    DWORD number;
    std::memcpy(&number, text, sizeof number);
    return "dword:" + std::to_string(number);
  }
  return Utf8(std::u16string_view(text));
}

inline bool KeyExists(HKEY root, std::u16string path) {
  HKEY key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

inline std::u16string GuidText(REFGUID guid) {
  OLECHAR text[39];
  StringFromGUID2(guid, text, 39);
  return std::u16string(text, 38);
}

}  // namespace typelib_testing
