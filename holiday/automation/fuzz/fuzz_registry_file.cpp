// A registry file of any content: the layer reports it damaged or reads it,
// and never reads outside what it holds.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>

#include "automation/com.h"

namespace {

void Walk(HKEY key, int depth) {
  OLECHAR name[300];
  BYTE data[512];
  for (DWORD i = 0; i < 64; ++i) {
    DWORD cch = 300, size = sizeof data, type = 0;
    if (RegEnumValueW(key, i, name, &cch, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
  }
  if (depth > 8) return;
  for (DWORD i = 0; i < 64; ++i) {
    DWORD cch = 300;
    if (RegEnumKeyExW(key, i, name, &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    HKEY child;
    if (RegOpenKeyExW(key, name, 0, KEY_READ, &child) == ERROR_SUCCESS) {
      Walk(child, depth + 1);
      RegCloseKey(child);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string file = [] {
    std::string path = "/tmp/fuzz-registry-" + std::to_string(getpid()) + ".reg";
    setenv("DOVREL_REGISTRY", path.c_str(), 1);
    return path;
  }();
  FILE* out = std::fopen(file.c_str(), "wb");
  if (!out) return 0;
  std::fwrite(data, 1, size, out);
  std::fclose(out);
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, HKEY_CLASSES_ROOT}) Walk(root, 0);
  return 0;
}
