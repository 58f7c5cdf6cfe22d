// The about box of this platform: dialog 7000 of the module's resources,
// handed to the toolkit plugin (about/qt) that draws it. Windows' dialog
// manager shows the same dialog itself (holiday/windows/about_box_win32.cpp),
// so the build compiles this file only here.
#include "about/about_box_toolkit.h"

#include <optional>
#include <utility>
#include <vector>

#include "about/about_dialog.h"
#include "about/dialog_template.h"
#include "resources/resource.h"

namespace dovrel {
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

}  // namespace dovrel
