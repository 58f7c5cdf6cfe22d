// Registrations of the two word sizes side by side on 64-bit Windows.
#include "server/registrar.h"

namespace dovrel {
namespace {

// The registry view of the other word size, if this process has one: a
// 64-bit process looks at the 32-bit view; a 32-bit process only when it
// runs on 64-bit Windows (on 32-bit Windows there is one view, and asking
// for the 64-bit one would only find our own keys again).
bool OtherView(REGSAM* view) {
#ifdef _WIN64
  *view = KEY_WOW64_32KEY;
  return true;
#else
  BOOL wow64 = FALSE;
  if (!IsWow64Process(GetCurrentProcess(), &wow64) || !wow64) return false;
  *view = KEY_WOW64_64KEY;
  return true;
#endif
}

// The default value of a key, empty when there is none.
OleString DefaultValue(HKEY key) {
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(key, nullptr, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ) return {};
  OleString text(size / sizeof(OLECHAR) + 1, L'\0');
  DWORD bytes = static_cast<DWORD>(text.size() * sizeof(OLECHAR));
  if (RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &bytes) != ERROR_SUCCESS)
    return {};
  return OleString(text.c_str());
}

}  // namespace

// Registered there means an in-process server of another file: a view that
// shows our own file is not another registration.
bool OtherWordSizeRegistered(REFCLSID clsid, const OleString& modulePath) {
  REGSAM view;
  if (!OtherView(&view)) return false;
  OLECHAR guid[40];
  if (!StringFromGUID2(clsid, guid, 40)) return false;
  OleString path = OleString(L"CLSID\\") + guid + L"\\InprocServer32";
  HKEY key;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS) return false;
  OleString server = DefaultValue(key);
  RegCloseKey(key);
  return !server.empty() && lstrcmpiW(server.c_str(), modulePath.c_str()) != 0;
}

}  // namespace dovrel
