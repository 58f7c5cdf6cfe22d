// The C functions of the layer's type libraries: the registration of the
// tables a module carries (AutomationRegisterTypeLibrary, which the
// sources idlgen writes call while the module is loaded), LoadTypeLib(Ex),
// LoadRegTypeLib, QueryPathOfRegTypeLib, RegisterTypeLib and
// UnRegisterTypeLib. Each checks its arguments and leaves the rest to
// typeinfo.cpp (the descriptions) and typelib_registration.cpp (the
// registry).
#include <climits>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "automation/portable/typelib.h"

using namespace automation;

namespace {

// --- Registered tables -------------------------------------------------------

struct RegisteredLibrary {
  HMODULE module;
  const AutomationTypeLibrary* library;
};

// Never destroyed: tables unregister from static destructors that may run
// after any destructor of ours would have.
std::mutex& LibrariesMutex() {
  static auto* mutex = new std::mutex;
  return *mutex;
}
std::vector<RegisteredLibrary>& Libraries() {
  static auto* libraries = new std::vector<RegisteredLibrary>;
  return *libraries;
}

// --- Finding a library -------------------------------------------------------------------

std::optional<std::string> RealPath(LPCOLESTR file) {
  char resolved[PATH_MAX];
  if (!realpath(common::Utf16ToUtf8Lossy(file).c_str(), resolved)) return std::nullopt;
  return std::string(resolved);
}

const AutomationTypeLibrary* LibraryOfFile(LPCOLESTR file) {
  auto wanted = RealPath(file);
  if (!wanted) return nullptr;
  std::vector<RegisteredLibrary> libraries;
  {
    std::lock_guard guard(LibrariesMutex());
    libraries = Libraries();
  }
  for (const auto& r : libraries)
    if (ModulePath(r.module) == wanted) return r.library;
  return nullptr;
}

}  // namespace

EXTERN_C void AutomationRegisterTypeLibrary(const AutomationTypeLibrary* library) {
  if (!library) return;
  HMODULE module = ModuleOfAddress(library);
  std::lock_guard guard(LibrariesMutex());
  Libraries().push_back({module, library});
}

EXTERN_C void AutomationUnregisterTypeLibrary(const AutomationTypeLibrary* library) {
  std::lock_guard guard(LibrariesMutex());
  auto& libraries = Libraries();
  for (auto it = libraries.begin(); it != libraries.end();) it = it->library == library ? libraries.erase(it) : it + 1;
}

STDAPI LoadTypeLibEx(LPCOLESTR szFile, REGKIND regkind, ITypeLib** pptlib) {
  if (!szFile || !pptlib) return E_INVALIDARG;
  *pptlib = nullptr;
  const AutomationTypeLibrary* library = LibraryOfFile(szFile);
  if (!library) return TYPE_E_CANTLOADLIBRARY;
  ITypeLib* lib = NewTypeLib(library);
  if (!lib) return E_OUTOFMEMORY;
  if (regkind == REGKIND_REGISTER) {
    auto path = RealPath(szFile);
    std::u16string full = path ? common::Utf8ToUtf16(*path) : std::u16string(szFile);
    std::u16string dir = full.substr(0, full.find_last_of(u'/'));
    HRESULT hr = RegisterTypeLib(lib, full.c_str(), dir.c_str());
    if (FAILED(hr)) {
      lib->Release();
      return hr;
    }
  }
  *pptlib = lib;
  return S_OK;
}

STDAPI LoadTypeLib(LPCOLESTR szFile, ITypeLib** pptlib) { return LoadTypeLibEx(szFile, REGKIND_NONE, pptlib); }

STDAPI QueryPathOfRegTypeLib(REFGUID guid, USHORT wMaj, USHORT wMin, LCID lcid, LPBSTR lpbstrPathName) {
  if (!lpbstrPathName) return E_INVALIDARG;
  *lpbstrPathName = nullptr;
  auto path = RegisteredPath(guid, wMaj, wMin, lcid);
  if (!path) return TYPE_E_LIBNOTREGISTERED;
  *lpbstrPathName = MakeBstr(*path);
  return *lpbstrPathName ? S_OK : E_OUTOFMEMORY;
}

STDAPI LoadRegTypeLib(REFGUID rguid, WORD wVerMajor, WORD wVerMinor, LCID lcid, ITypeLib** pptlib) {
  if (!pptlib) return E_INVALIDARG;
  *pptlib = nullptr;
  BSTR path = nullptr;
  HRESULT hr = QueryPathOfRegTypeLib(rguid, wVerMajor, wVerMinor, lcid, &path);
  if (FAILED(hr)) return hr;
  hr = LoadTypeLib(path, pptlib);
  SysFreeString(path);
  return hr;
}

STDAPI RegisterTypeLib(ITypeLib* ptlib, LPCOLESTR szFullPath, LPCOLESTR szHelpDir) {
  if (!ptlib || !szFullPath) return E_INVALIDARG;
  return WriteRegistration(ptlib, szFullPath, szHelpDir);
}

STDAPI UnRegisterTypeLib(REFGUID libID, WORD wVerMajor, WORD wVerMinor, LCID lcid, SYSKIND syskind) {
  return RemoveRegistration(libID, wVerMajor, wVerMinor, lcid, syskind);
}
