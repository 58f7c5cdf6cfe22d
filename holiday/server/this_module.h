// The module this code is linked into (libdovrel60.so, dovrel60.dll, or a
// test program) and the path of its file.
#pragma once

#include <string>

#include "automation/com.h"

namespace dovrel {

// Text in the platform's UTF-16 characters (char16_t here, wchar_t on
// Windows).
using OleString = std::basic_string<OLECHAR>;

HMODULE ThisModule();
// The full path of the module's file, as the registry records it; empty when
// it cannot be found.
OleString ThisModulePath();

}  // namespace dovrel
