#include "about/about_box.h"

#include <vector>

#include "resources/resource.h"

namespace dovrel {

OleString AboutBuildLine(const OleString& version) {
  OLECHAR product[256] = {};
  LoadStringW(ThisModule(), IDS_PRODUCT_NAME, product, 256);
  return OleString(OLESTR("dv")) + product + OLESTR(" ActiveX Control -  (Build:") + version + OLESTR(")");
}

// Read with the right to read only: a machine-wide key refuses more to an
// ordinary user, and the button would then do nothing for everyone but
// administrators. The path may be of any length.
std::optional<OleString> SystemInformationTool() {
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, OLESTR("Software\\Microsoft\\Shared Tools\\MSINFO"), 0, KEY_QUERY_VALUE,
                    &key) != ERROR_SUCCESS)
    return std::nullopt;
  std::optional<OleString> path;
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(key, OLESTR("Path"), nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_SZ) {
    std::vector<OLECHAR> text(size / sizeof(OLECHAR) + 1, OLECHAR(0));
    DWORD bytes = static_cast<DWORD>(text.size() * sizeof(OLECHAR));
    if (RegQueryValueExW(key, OLESTR("Path"), nullptr, &type, reinterpret_cast<LPBYTE>(text.data()), &bytes) ==
        ERROR_SUCCESS) {
      OleString value(text.data());  // up to the first null: the stored value need not end with one
      if (!value.empty()) path = value;
    }
  }
  RegCloseKey(key);
  return path;
}

void StartSystemInformation() {
  if (auto tool = SystemInformationTool())
    ShellExecuteW(nullptr, OLESTR("open"), tool->c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace dovrel
