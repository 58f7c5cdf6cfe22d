// The module this code is linked into (libdovrel60.so, dovrel60.dll, or a
// test program) and the path of its file.
#pragma once

#include "automation/com.h"
#include "frame/ole_string.h"

namespace dovrel {

HMODULE ThisModule();
// The full path of the module's file, as the registry records it; empty when
// it cannot be found.
OleString ThisModulePath();

}  // namespace dovrel
