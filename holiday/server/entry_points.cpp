// The four entry points of the library and its process attach and detach.
#include "dovrel60.h"
#include "frame/module_lock.h"
#include "resources/resource.h"
#include "server/class_table.h"
#include "server/registrar.h"
#include "server/type_library_registration.h"

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) { return dovrel::GetClassObject(rclsid, riid, ppv); }

STDAPI DllCanUnloadNow() { return dovrel::ModuleLockCount() == 0 ? S_OK : S_FALSE; }

// The classes in table order, the first failure ends it (a partial
// registration is not undone), then the type library.
STDAPI DllRegisterServer() {
  dovrel::OleString path = dovrel::ThisModulePath();
  if (path.empty()) return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
  for (const dovrel::ClassEntry& entry : dovrel::ClassTable()) {
    HRESULT hr = dovrel::RunRegistrarResource(dovrel::ThisModule(), entry.registrationScript, path, true);
    if (FAILED(hr)) return hr;
  }
  return dovrel::RegisterModuleTypeLibrary(path);
}

// Removes whatever can be removed and never fails. A class that the other
// word size's build still has registered keeps the keys both share.
STDAPI DllUnregisterServer() {
  dovrel::OleString path = dovrel::ThisModulePath();
  for (const dovrel::ClassEntry& entry : dovrel::ClassTable()) {
    dovrel::Removal removal = dovrel::OtherWordSizeRegistered(*entry.clsid, path) ? dovrel::Removal::kKeepShared
                                                                                  : dovrel::Removal::kEverything;
    dovrel::RunRegistrarResource(dovrel::ThisModule(), entry.registrationScript, path, false, removal);
  }
  dovrel::UnregisterModuleTypeLibrary(path);
  return S_OK;
}
