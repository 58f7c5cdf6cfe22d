// Registration of the type library dvDovrel6Lib that the module carries.
#pragma once

#include "frame/this_module.h"

namespace dovrel {

// Where the type library is looked for when the module itself has none: the
// module's path with the extension of its file name replaced by ".tlb", or
// ".tlb" appended when the file name has no dot (a dot in a folder name does
// not count).
OleString TypeLibraryFallbackPath(const OleString& modulePath);

// The folder of a file: the path up to its last "\", "/" or ":", without it.
OleString HelpDirectoryOf(const OleString& path);

// Loads the type library from the module file (else from the fallback path)
// and registers it with the module's folder as the help directory. Returns
// the failure of either load or of the registration.
HRESULT RegisterModuleTypeLibrary(const OleString& modulePath);

// Removes the registration. The locale and word size are those the library
// itself reports, so that what registration wrote is what goes.
HRESULT UnregisterModuleTypeLibrary(const OleString& modulePath);

}  // namespace dovrel
