// dovrel60-registration-keys: the registry keys dovrel60's own registration
// writes, as the Windows installers' Registry table holds them.
//
//   dovrel60-registration-keys <libdovrel60.so>
//
// It registers the library with its DllRegisterServer in a registry of its
// own (a fresh DOVREL_REGISTRY file), so the keys come from the same
// registration scripts and type library the DLL registers with regsvr32,
// and prints every value under HKEY_CLASSES_ROOT, a line each:
//
//   key TAB value name (empty for the default value) TAB text
//
// and a key that holds neither values nor subkeys as the key alone. The
// library's path is printed as [MODULE] and its folder as [FOLDER], for the
// installer to put in the installed DLL's own. One value differs from this
// platform's registration: Windows reads the type library from the DLL
// file, so its flags carry LIBFLAG_FHASDISKIMAGE, which RegisterTypeLib
// writes into FLAGS as regsvr32 runs it; the keys are printed as Windows
// writes them. Exit status 1 when the
// library cannot be loaded or registered, or writes a value that is not a
// string.
#include <dlfcn.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "dovrel60.h"

namespace {

DovrelAutomationServices api;
std::string modulePath, moduleFolder;

std::string Utf8(const OLECHAR* text, int length) {
  if (length <= 0) return {};
  const int size = api.WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  api.WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), size, nullptr, nullptr);
  return out;
}

std::string AsWindowsWritesIt(const std::string& key, std::string text) {
  if (text == modulePath) return "[MODULE]";
  if (text == moduleFolder) return "[FOLDER]";
  if (key.starts_with("TypeLib\\") && key.ends_with("\\FLAGS"))
    return std::to_string(std::strtoul(text.c_str(), nullptr, 10) | LIBFLAG_FHASDISKIMAGE);
  return text;
}

bool PrintKey(HKEY parent, const std::string& path, const OLECHAR* name) {
  HKEY key;
  if (api.RegOpenKeyExW(parent, name, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  DWORD subkeys = 0, values = 0;
  api.RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                       nullptr, nullptr);
  if (!subkeys && !values) std::printf("%s\n", path.c_str());
  bool ok = true;
  for (DWORD i = 0; i < values && ok; ++i) {
    OLECHAR valueName[256];
    DWORD nameLength = 256, type = 0, bytes = 0;
    BYTE data[2048];
    bytes = sizeof data;
    if (api.RegEnumValueW(key, i, valueName, &nameLength, nullptr, &type, data, &bytes) != ERROR_SUCCESS ||
        type != REG_SZ) {
      std::fprintf(stderr, "dovrel60-registration-keys: %s holds a value that is no string\n", path.c_str());
      ok = false;
      break;
    }
    const auto* text = reinterpret_cast<const OLECHAR*>(data);
    const int length = api.lstrlenW(text);
    std::printf("%s\t%s\t%s\n", path.c_str(), Utf8(valueName, static_cast<int>(nameLength)).c_str(),
                AsWindowsWritesIt(path, Utf8(text, length)).c_str());
  }
  for (DWORD i = 0; i < subkeys && ok; ++i) {
    OLECHAR subkey[256];
    DWORD length = 256;
    if (api.RegEnumKeyExW(key, i, subkey, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    ok = PrintKey(key, path + "\\" + Utf8(subkey, static_cast<int>(length)), subkey);
  }
  api.RegCloseKey(key);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: dovrel60-registration-keys <libdovrel60.so>\n");
    return 2;
  }
  std::error_code ec;
  const std::filesystem::path library = std::filesystem::absolute(argv[1], ec);
  // A registry of its own, in a fresh folder that goes when the program ends.
  std::string folder = (std::filesystem::temp_directory_path() / "dovrel60-keys-XXXXXX").string();
  if (!mkdtemp(folder.data())) return 1;
  setenv("DOVREL_REGISTRY", (folder + "/registry.reg").c_str(), 1);

  void* module = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
  bool ok = module && DovrelBindAutomationServices(module, &api);
  if (ok) {
    // The registration names the library by its real path, links resolved.
    modulePath = std::filesystem::canonical(library, ec).string();
    moduleFolder = std::filesystem::path(modulePath).parent_path().string();
    const auto registerServer = reinterpret_cast<DOVREL_PFN_DLLREGISTERSERVER>(dlsym(module, "DllRegisterServer"));
    ok = registerServer && SUCCEEDED(registerServer());
  }
  if (!ok) std::fprintf(stderr, "dovrel60-registration-keys: %s did not load and register\n", argv[1]);
  // Every root key under HKEY_CLASSES_ROOT the registration created.
  for (DWORD i = 0; ok; ++i) {
    OLECHAR name[256];
    DWORD length = 256;
    if (api.RegEnumKeyExW(HKEY_CLASSES_ROOT, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    ok = PrintKey(HKEY_CLASSES_ROOT, Utf8(name, static_cast<int>(length)), name);
  }
  std::filesystem::remove_all(folder, ec);
  return ok ? 0 : 1;
}
