#include "server/type_library_registration.h"

#include "dovrel60.h"

namespace dovrel {
namespace {

bool IsSeparator(OLECHAR c) { return c == OLECHAR('\\') || c == OLECHAR('/') || c == OLECHAR(':'); }

std::size_t NameStart(const OleString& path) {
  for (std::size_t i = path.size(); i > 0; --i)
    if (IsSeparator(path[i - 1])) return i;
  return 0;
}

HRESULT LoadModuleTypeLibrary(const OleString& modulePath, ITypeLib** lib, OleString* loadedFrom) {
  HRESULT hr = LoadTypeLib(modulePath.c_str(), lib);
  if (SUCCEEDED(hr)) {
    *loadedFrom = modulePath;
    return hr;
  }
  OleString fallback = TypeLibraryFallbackPath(modulePath);
  hr = LoadTypeLib(fallback.c_str(), lib);
  if (SUCCEEDED(hr)) *loadedFrom = fallback;
  return hr;
}

}  // namespace

OleString TypeLibraryFallbackPath(const OleString& modulePath) {
  static const OLECHAR extension[] = {'.', 't', 'l', 'b', 0};
  std::size_t dot = modulePath.find_last_of(OLECHAR('.'));
  if (dot == OleString::npos || dot < NameStart(modulePath)) return modulePath + extension;
  return modulePath.substr(0, dot) + extension;
}

OleString HelpDirectoryOf(const OleString& path) {
  std::size_t start = NameStart(path);
  return start ? path.substr(0, start - 1) : OleString();
}

HRESULT RegisterModuleTypeLibrary(const OleString& modulePath) {
  ITypeLib* lib = nullptr;
  OleString loadedFrom;
  HRESULT hr = LoadModuleTypeLibrary(modulePath, &lib, &loadedFrom);
  if (FAILED(hr)) return hr;
  OleString helpDirectory = HelpDirectoryOf(modulePath);
  // Some platform headers declare the paths without const.
  hr = RegisterTypeLib(lib, const_cast<LPOLESTR>(loadedFrom.c_str()), const_cast<LPOLESTR>(helpDirectory.c_str()));
  lib->Release();
  return hr;
}

HRESULT UnregisterModuleTypeLibrary(const OleString& modulePath) {
  ITypeLib* lib = nullptr;
  OleString loadedFrom;
  // Without the library to ask: what this build registers, the locale of
  // the IDL and the word size of the module.
  if (FAILED(LoadModuleTypeLibrary(modulePath, &lib, &loadedFrom)))
    return UnRegisterTypeLib(LIBID_dvDovrel6Lib, 1, 0, 0x0409, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
  TLIBATTR* attr = nullptr;
  HRESULT hr = lib->GetLibAttr(&attr);
  if (SUCCEEDED(hr)) {
    hr = UnRegisterTypeLib(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum, attr->lcid, attr->syskind);
    lib->ReleaseTLibAttr(attr);
  }
  lib->Release();
  return hr;
}

}  // namespace dovrel
