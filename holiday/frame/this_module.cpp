#include "frame/this_module.h"

namespace dovrel {
namespace {

// Any object of this library: its address tells which module we are, the
// same on Windows (the DLL) and here (libdovrel60.so or a test program).
const int moduleAnchor = 0;

}  // namespace

HMODULE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&moduleAnchor), &module);
  return module;
}

// Read as UTF-16 directly: the path goes into the registry and back to the
// loader, and a detour through the ANSI code page would turn every character
// that code page lacks into a question mark.
OleString ThisModulePath() {
  OleString path(260, OLECHAR(0));
  while (true) {
    DWORD n = GetModuleFileNameW(ThisModule(), path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size() - 1) {
      path.resize(n);
      return path;
    }
    if (path.size() > 32768) return {};
    path.resize(path.size() * 2);
  }
}

}  // namespace dovrel
