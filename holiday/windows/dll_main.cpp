// Process attach and detach of dovrel60.dll.
#include <windows.h>

#include "server/class_table.h"

// On attach the cache of class objects and its critical section come into
// being (the module's handle is found from any address of ours, so it needs
// no recording), and thread notifications are switched off: nothing of the
// library keeps state per thread that it would have to set up or free. On
// detach the cached class objects go. Always successful.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      DisableThreadLibraryCalls(instance);
      dovrel::PrepareClassObjects();
      break;
    case DLL_PROCESS_DETACH:
      dovrel::ReleaseClassObjects();
      break;
    default:
      break;
  }
  return TRUE;
}
