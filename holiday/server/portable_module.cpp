// What the module is here where Windows has DllMain and two registry views
// (holiday/windows/dll_main.cpp, shared_registration_win32.cpp): the build
// compiles this file only for libdovrel60.so.
#include "server/class_table.h"
#include "server/registrar.h"

namespace dovrel {

// One word size, one registry view here.
bool OtherWordSizeRegistered(REFCLSID, const OleString&) { return false; }

}  // namespace dovrel

namespace {

// Process attach and detach. The module's handle and the other critical
// sections come into being with their first use, the cache of class objects
// when the module is loaded; detaching drops the cached class objects.
struct ModuleLifetime {
  ModuleLifetime() { dovrel::PrepareClassObjects(); }
  ~ModuleLifetime() { dovrel::ReleaseClassObjects(); }
} moduleLifetime;

}  // namespace
