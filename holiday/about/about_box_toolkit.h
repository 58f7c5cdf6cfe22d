// The about box through the toolkit plugin, this platform's way of showing
// it (about_box_toolkit.cpp; the build leaves it out on Windows).
#pragma once

#include "about/about_box.h"

namespace dovrel {

// ShowAboutBox with the toolkit plugin at a given path (the library uses the
// plugin beside its own file).
HRESULT ShowAboutBoxWith(const OLECHAR* version, const OleString& pluginPath);

}  // namespace dovrel
