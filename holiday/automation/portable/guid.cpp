// Identifiers of the platform's interfaces, GUID texts, program identifiers
// and task memory.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "automation/portable/internal.h"

using namespace automation;

namespace {

thread_local int initialisations = 0;

int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}, hexadecimal digits in either case.
bool ParseGuid(LPCOLESTR text, GUID& guid) {
  if (!text || Length(text) != 38 || text[0] != u'{' || text[37] != u'}') return false;
  static constexpr int dashes[] = {9, 14, 19, 24};
  for (int d : dashes)
    if (text[d] != u'-') return false;
  auto hex = [&](int pos, int digits, unsigned long long& value) {
    value = 0;
    for (int i = 0; i < digits; ++i) {
      int v = HexValue(text[pos + i]);
      if (v < 0) return false;
      value = value * 16 + static_cast<unsigned>(v);
    }
    return true;
  };
  unsigned long long v;
  if (!hex(1, 8, v)) return false;
  guid.Data1 = static_cast<DWORD>(v);
  if (!hex(10, 4, v)) return false;
  guid.Data2 = static_cast<WORD>(v);
  if (!hex(15, 4, v)) return false;
  guid.Data3 = static_cast<WORD>(v);
  static constexpr int bytePositions[] = {20, 22, 25, 27, 29, 31, 33, 35};
  for (int i = 0; i < 8; ++i) {
    if (!hex(bytePositions[i], 2, v)) return false;
    guid.Data4[i] = static_cast<BYTE>(v);
  }
  return true;
}

LPOLESTR TaskString(std::u16string_view text) {
  auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(OLECHAR)));
  if (!copy) return nullptr;
  std::memcpy(copy, text.data(), text.size() * sizeof(OLECHAR));
  copy[text.size()] = 0;
  return copy;
}

// The default value of a key below HKEY_CLASSES_ROOT, as text.
std::optional<std::u16string> ClassesRootText(std::u16string path) {
  HKEY key;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return std::nullopt;
  DWORD type = 0, size = 0;
  std::optional<std::u16string> result;
  if (RegQueryValueExW(key, nullptr, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_SZ) {
    std::u16string text(size / sizeof(OLECHAR) + 1, u'\0');
    DWORD bytes = static_cast<DWORD>(text.size() * sizeof(OLECHAR));
    if (RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<LPBYTE>(text.data()), &bytes) ==
        ERROR_SUCCESS) {
      text.resize(Length(text.c_str()));
      result = text;
    }
  }
  RegCloseKey(key);
  return result;
}

}  // namespace

STDAPI_(LPVOID) CoTaskMemAlloc(SIZE_T cb) { return std::malloc(cb ? cb : 1); }

STDAPI_(LPVOID) CoTaskMemRealloc(LPVOID pv, SIZE_T cb) { return std::realloc(pv, cb ? cb : 1); }

STDAPI_(void) CoTaskMemFree(LPVOID pv) { std::free(pv); }

STDAPI CoInitialize(LPVOID pvReserved) { return CoInitializeEx(pvReserved, COINIT_APARTMENTTHREADED); }

STDAPI CoInitializeEx(LPVOID, DWORD) { return initialisations++ == 0 ? S_OK : S_FALSE; }

STDAPI_(void) CoUninitialize() {
  if (initialisations > 0) --initialisations;
}

STDAPI_(int) StringFromGUID2(REFGUID rguid, LPOLESTR lpsz, int cchMax) {
  char text[40];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", rguid.Data1, rguid.Data2,
                rguid.Data3, rguid.Data4[0], rguid.Data4[1], rguid.Data4[2], rguid.Data4[3], rguid.Data4[4],
                rguid.Data4[5], rguid.Data4[6], rguid.Data4[7]);
  if (!lpsz || cchMax < 39) return 0;
  for (int i = 0; i < 39; ++i) lpsz[i] = static_cast<OLECHAR>(text[i]);
  return 39;
}

STDAPI StringFromCLSID(REFCLSID rclsid, LPOLESTR* lplpsz) {
  if (!lplpsz) return E_INVALIDARG;
  OLECHAR text[39];
  StringFromGUID2(rclsid, text, 39);
  *lplpsz = TaskString(std::u16string_view(text, 38));
  return *lplpsz ? S_OK : E_OUTOFMEMORY;
}

STDAPI StringFromIID(REFIID rclsid, LPOLESTR* lplpsz) { return StringFromCLSID(rclsid, lplpsz); }

STDAPI IIDFromString(LPCOLESTR lpsz, LPIID lpiid) {
  if (!lpiid) return E_INVALIDARG;
  if (!lpsz) {
    *lpiid = GUID_NULL;
    return S_OK;
  }
  return ParseGuid(lpsz, *lpiid) ? S_OK : E_INVALIDARG;
}

// A text in braces is read as a GUID; anything else is taken for a program
// identifier, as the platform does.
STDAPI CLSIDFromString(LPCOLESTR lpsz, LPCLSID pclsid) {
  if (!pclsid) return E_INVALIDARG;
  if (!lpsz) {
    *pclsid = GUID_NULL;
    return S_OK;
  }
  if (lpsz[0] == u'{') return ParseGuid(lpsz, *pclsid) ? S_OK : CO_E_CLASSSTRING;
  return CLSIDFromProgID(lpsz, pclsid);
}

STDAPI ProgIDFromCLSID(REFCLSID clsid, LPOLESTR* lplpszProgID) {
  if (!lplpszProgID) return E_INVALIDARG;
  *lplpszProgID = nullptr;
  OLECHAR text[39];
  StringFromGUID2(clsid, text, 39);
  auto progId = ClassesRootText(u"CLSID\\" + std::u16string(text, 38) + u"\\ProgID");
  if (!progId) return REGDB_E_CLASSNOTREG;
  *lplpszProgID = TaskString(*progId);
  return *lplpszProgID ? S_OK : E_OUTOFMEMORY;
}

STDAPI CLSIDFromProgID(LPCOLESTR lpszProgID, LPCLSID lpclsid) {
  if (!lpszProgID || !lpclsid) return E_INVALIDARG;
  auto text = ClassesRootText(std::u16string(lpszProgID) + u"\\CLSID");
  if (!text || !ParseGuid(text->c_str(), *lpclsid)) return CO_E_CLASSSTRING;
  return S_OK;
}
