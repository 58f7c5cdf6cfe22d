#include "about/about_box.h"

#include <utility>
#include <vector>

#include "about/dialog_template.h"
#include "resources/resource.h"

#ifndef _WIN32
#include "about/about_dialog.h"
#endif

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

#ifndef _WIN32

namespace {

void StartSystemInformationFromDialog(void*) { StartSystemInformation(); }

std::optional<std::pair<const BYTE*, DWORD>> Resource(HMODULE module, UINT id, LPCWSTR type) {
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
  if (!found) return std::nullopt;
  HGLOBAL loaded = LoadResource(module, found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) return std::nullopt;
  return std::make_pair(static_cast<const BYTE*>(data), SizeofResource(module, found));
}

}  // namespace

HRESULT ShowAboutBoxWith(const OLECHAR* version, const OleString& pluginPath) {
  HMODULE module = ThisModule();
  auto dialogBytes = Resource(module, IDD_ABOUTBOX, RT_DIALOG);
  if (!dialogBytes) return S_OK;
  auto dialog = ReadDialogTemplate(dialogBytes->first, dialogBytes->second);
  if (!dialog) return S_OK;
  auto bitmap = Resource(module, IDB_ABOUTBOX, RT_BITMAP);
  OleString buildLine = AboutBuildLine(version ? OleString(version) : OleString());

  std::vector<DovrelDialogControl> controls;
  for (const auto& c : dialog->controls) {
    DovrelDialogControl d{};
    d.id = c.id;
    d.style = c.style;
    d.exStyle = c.exStyle;
    d.x = c.x;
    d.y = c.y;
    d.cx = c.cx;
    d.cy = c.cy;
    d.classOrdinal = c.windowClass.ordinal;
    d.className = c.windowClass.text.c_str();
    d.text = c.text.text.c_str();
    d.textOrdinal = c.text.ordinal;
    controls.push_back(d);
  }
  DovrelAboutDialog request{};
  request.size = sizeof request;
  request.caption = dialog->caption.c_str();
  request.fontName = dialog->fontName.c_str();
  request.pointSize = dialog->pointSize;
  request.weight = dialog->weight;
  request.italic = dialog->italic;
  request.style = dialog->style;
  request.cx = dialog->cx;
  request.cy = dialog->cy;
  request.controls = controls.data();
  request.controlCount = static_cast<unsigned>(controls.size());
  request.bitmap = bitmap ? bitmap->first : nullptr;
  request.bitmapSize = bitmap ? bitmap->second : 0;
  request.bitmapId = IDB_ABOUTBOX;
  request.buildLineControl = IDC_ABOUT_BUILD;
  request.buildLine = buildLine.c_str();
  request.systemInfoControl = IDC_ABOUT_SYSINFO;
  request.startSystemInformation = StartSystemInformationFromDialog;

  // The toolkit stays loaded once it is: GUI toolkits do not take being
  // unloaded from under the windows and threads they made.
  HMODULE plugin = LoadLibraryW(pluginPath.c_str());
  if (!plugin) return S_OK;
  FARPROC entry = GetProcAddress(plugin, DOVREL_SHOW_ABOUT_DIALOG);
  if (entry) {
    auto show = reinterpret_cast<DovrelShowAboutDialogFunction>(reinterpret_cast<void (*)()>(entry));
    show(&request);
  }
  return S_OK;
}

HRESULT ShowAboutBox(const OLECHAR* version) {
  OleString path = ThisModulePath();
  std::size_t slash = path.find_last_of(OLECHAR('/'));
  if (slash == OleString::npos) return S_OK;
  return ShowAboutBoxWith(version, path.substr(0, slash + 1) + OLESTR("dovrel60/libdovrel60-about.so"));
}

#endif

}  // namespace dovrel
