// The registration of type libraries in the registry, in the platform's
// layout: TypeLib\{libid}\<version> with its locale, word size, FLAGS and
// HELPDIR keys, and Interface\{iid} for each automation interface, so that
// the platform's marshaller and LoadRegTypeLib find the description. The C
// functions over it are typelib_entry_points.cpp's.
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "automation/portable/typelib.h"

namespace automation {
namespace {

std::u16string GuidText(REFGUID guid) {
  OLECHAR text[39];
  StringFromGUID2(guid, text, 39);
  return std::u16string(text, 38);
}

std::u16string Hex(unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text, "%x", value);
  return common::Utf8ToUtf16(text);
}

std::u16string VersionKey(WORD major, WORD minor) { return Hex(major) + u"." + Hex(minor); }

const char16_t* SyskindName(SYSKIND syskind) {
  switch (syskind) {
    case SYS_WIN16:
      return u"win16";
    case SYS_WIN32:
      return u"win32";
    case SYS_WIN64:
      return u"win64";
    default:
      return u"mac";
  }
}

bool SetDefault(HKEY root, const std::u16string& path, const std::u16string* text, const OLECHAR* valueName = nullptr) {
  HKEY key;
  if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return false;
  bool ok = true;
  if (text)
    ok = RegSetValueExW(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text->c_str()),
                        static_cast<DWORD>((text->size() + 1) * sizeof(OLECHAR))) == ERROR_SUCCESS;
  RegCloseKey(key);
  return ok;
}

std::optional<std::u16string> ReadText(HKEY root, const std::u16string& path, const OLECHAR* valueName = nullptr) {
  HKEY key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return std::nullopt;
  std::optional<std::u16string> result;
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(key, valueName, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_SZ) {
    std::u16string text(size / sizeof(OLECHAR) + 1, u'\0');
    DWORD bytes = static_cast<DWORD>(text.size() * sizeof(OLECHAR));
    if (RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<LPBYTE>(text.data()), &bytes) ==
        ERROR_SUCCESS) {
      text.resize(Length(text.c_str()));
      result = text;
    }
  }
  RegCloseKey(key);
  return result;
}

std::vector<std::u16string> SubkeysOf(HKEY root, const std::u16string& path) {
  std::vector<std::u16string> names;
  HKEY key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
  for (DWORD i = 0;; ++i) {
    OLECHAR name[256];
    DWORD length = 256;
    if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  RegCloseKey(key);
  return names;
}

// The interfaces a registration enters under Interface\{iid}: those that
// automation can marshal (dual interfaces and automation-compatible ones).
std::vector<std::pair<GUID, std::u16string>> AutomationInterfacesOf(ITypeLib* lib) {
  std::vector<std::pair<GUID, std::u16string>> found;
  UINT count = lib->GetTypeInfoCount();
  for (UINT i = 0; i < count; ++i) {
    ITypeInfo* info = nullptr;
    if (FAILED(lib->GetTypeInfo(i, &info))) continue;
    TYPEATTR* attr = nullptr;
    if (SUCCEEDED(info->GetTypeAttr(&attr))) {
      bool automation = attr->typekind == TKIND_DISPATCH ||
                        (attr->typekind == TKIND_INTERFACE && (attr->wTypeFlags & TYPEFLAG_FOLEAUTOMATION));
      if (automation) {
        BSTR name = nullptr;
        info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
        found.emplace_back(attr->guid, name ? std::u16string(name, SysStringLen(name)) : std::u16string());
        SysFreeString(name);
      }
      info->ReleaseTypeAttr(attr);
    }
    info->Release();
  }
  return found;
}
}  // namespace

// The path registered for a library, by the platform's search: the exact
// version or the highest minor version of the same major; the exact locale,
// its primary language, the neutral locale, then any registered one; this
// platform's word size first, then the other.
std::optional<std::u16string> RegisteredPath(REFGUID guid, USHORT major, USHORT minor, LCID lcid) {
  std::u16string base = u"TypeLib\\" + GuidText(guid);
  std::u16string version;
  int bestMinor = -1;
  for (const auto& name : SubkeysOf(HKEY_CLASSES_ROOT, base)) {
    std::string text = common::Utf16ToUtf8Lossy(name);
    unsigned maj = 0, min = 0;
    char extra = 0;
    if (std::sscanf(text.c_str(), "%x.%x%c", &maj, &min, &extra) != 2) continue;
    if (maj != major || min < minor) continue;
    if (static_cast<int>(min) > bestMinor) {
      bestMinor = static_cast<int>(min);
      version = name;
    }
  }
  if (bestMinor < 0) return std::nullopt;
  std::u16string versionPath = base + u"\\" + version;
  std::vector<std::u16string> locales = {Hex(lcid), Hex(lcid & 0x3FF), u"0"};
  for (const auto& name : SubkeysOf(HKEY_CLASSES_ROOT, versionPath))
    if (!EqualsIgnoringCase(name, u"FLAGS") && !EqualsIgnoringCase(name, u"HELPDIR")) locales.push_back(name);
  const char16_t* platforms[] = {SyskindName(sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32),
                                 SyskindName(sizeof(void*) == 8 ? SYS_WIN32 : SYS_WIN64)};
  for (const auto& locale : locales)
    for (const char16_t* platform : platforms)
      if (auto path = ReadText(HKEY_CLASSES_ROOT, versionPath + u"\\" + locale + u"\\" + platform)) return path;
  return std::nullopt;
}

HRESULT WriteRegistration(ITypeLib* ptlib, LPCOLESTR szFullPath, LPCOLESTR szHelpDir) {
  TLIBATTR* attr = nullptr;
  HRESULT hr = ptlib->GetLibAttr(&attr);
  if (FAILED(hr)) return hr;
  TLIBATTR a = *attr;
  ptlib->ReleaseTLibAttr(attr);

  BSTR name = nullptr, doc = nullptr;
  ptlib->GetDocumentation(-1, &name, &doc, nullptr, nullptr);
  std::u16string title = doc ? std::u16string(doc, SysStringLen(doc)) : name ? std::u16string(name, SysStringLen(name)) : u"";
  SysFreeString(name);
  SysFreeString(doc);

  std::u16string libid = GuidText(a.guid);
  std::u16string version = u"TypeLib\\" + libid + u"\\" + VersionKey(a.wMajorVerNum, a.wMinorVerNum);
  std::u16string path(szFullPath);
  char flags[16];
  std::snprintf(flags, sizeof flags, "%u", a.wLibFlags);
  std::u16string flagsText = common::Utf8ToUtf16(flags);
  bool ok = SetDefault(HKEY_CLASSES_ROOT, version, &title) &&
            SetDefault(HKEY_CLASSES_ROOT, version + u"\\" + Hex(a.lcid) + u"\\" + SyskindName(a.syskind), &path) &&
            SetDefault(HKEY_CLASSES_ROOT, version + u"\\FLAGS", &flagsText);
  if (ok && szHelpDir) {
    std::u16string helpDir(szHelpDir);
    ok = SetDefault(HKEY_CLASSES_ROOT, version + u"\\HELPDIR", &helpDir);
  }
  // Every automation interface is marshalled by the platform's type library
  // marshaller, which finds the description through these keys.
  static const std::u16string marshaller = u"{00020424-0000-0000-C000-000000000046}";
  std::u16string versionText = common::Utf8ToUtf16(std::to_string(a.wMajorVerNum) + "." + std::to_string(a.wMinorVerNum));
  for (const auto& [iid, interfaceName] : ok ? AutomationInterfacesOf(ptlib) : decltype(AutomationInterfacesOf(ptlib)){}) {
    std::u16string key = u"Interface\\" + GuidText(iid);
    ok = ok && SetDefault(HKEY_CLASSES_ROOT, key, &interfaceName) &&
         SetDefault(HKEY_CLASSES_ROOT, key + u"\\ProxyStubClsid", &marshaller) &&
         SetDefault(HKEY_CLASSES_ROOT, key + u"\\ProxyStubClsid32", &marshaller) &&
         SetDefault(HKEY_CLASSES_ROOT, key + u"\\TypeLib", &libid) &&
         SetDefault(HKEY_CLASSES_ROOT, key + u"\\TypeLib", &versionText, u"Version");
  }
  return ok ? S_OK : TYPE_E_REGISTRYACCESS;
}

HRESULT RemoveRegistration(REFGUID libID, WORD wVerMajor, WORD wVerMinor, LCID lcid, SYSKIND syskind) {
  std::u16string libid = GuidText(libID);
  std::u16string base = u"TypeLib\\" + libid;
  std::u16string version = base + u"\\" + VersionKey(wVerMajor, wVerMinor);
  std::u16string locale = version + u"\\" + Hex(lcid);
  std::u16string platform = locale + u"\\" + SyskindName(syskind);
  auto path = ReadText(HKEY_CLASSES_ROOT, platform);
  if (!path) return TYPE_E_REGISTRYACCESS;

  // The interface keys that point at this library, found through its
  // description when it can be loaded.
  ITypeLib* lib = nullptr;
  if (SUCCEEDED(LoadTypeLib(path->c_str(), &lib))) {
    for (const auto& entry : AutomationInterfacesOf(lib)) {
      std::u16string key = u"Interface\\" + GuidText(entry.first);
      auto owner = ReadText(HKEY_CLASSES_ROOT, key + u"\\TypeLib");
      if (owner && EqualsIgnoringCase(*owner, libid)) RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    }
    lib->Release();
  }

  RegDeleteTreeW(HKEY_CLASSES_ROOT, platform.c_str());
  if (SubkeysOf(HKEY_CLASSES_ROOT, locale).empty()) RegDeleteTreeW(HKEY_CLASSES_ROOT, locale.c_str());
  bool localesLeft = false;
  for (const auto& name : SubkeysOf(HKEY_CLASSES_ROOT, version))
    if (!EqualsIgnoringCase(name, u"FLAGS") && !EqualsIgnoringCase(name, u"HELPDIR")) localesLeft = true;
  if (!localesLeft) RegDeleteTreeW(HKEY_CLASSES_ROOT, version.c_str());
  if (SubkeysOf(HKEY_CLASSES_ROOT, base).empty()) RegDeleteTreeW(HKEY_CLASSES_ROOT, base.c_str());
  return S_OK;
}

}  // namespace automation
