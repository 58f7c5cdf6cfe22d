// The about box (AboutBox of the main object).
#pragma once

#include <optional>

#include "frame/this_module.h"

namespace dovrel {

// "dv" + string 100 of the string table + " ActiveX Control -  (Build:" +
// version + ")": for this release dvDovrel ActiveX Control -  (Build:6.0.2.3).
OleString AboutBuildLine(const OleString& version);

// The system information tool the machine names under
// HKEY_LOCAL_MACHINE\Software\Microsoft\Shared Tools\MSINFO, value "Path";
// nullopt when there is none.
std::optional<OleString> SystemInformationTool();

// Starts that tool, when there is one; otherwise does nothing.
void StartSystemInformation();

// Shows dialog 7000 modally with the build line of `version`, centred on the
// screen, and returns when the user closes it (OK or Escape). Where no
// dialog can be shown it returns at once. Always S_OK. Each platform has its
// own: here about_box_toolkit.cpp, on Windows holiday/windows/about_box_win32.cpp.
HRESULT ShowAboutBox(const OLECHAR* version);

}  // namespace dovrel
