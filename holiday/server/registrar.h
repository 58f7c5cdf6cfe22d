// The registrar: registration scripts in the platform registrar's syntax,
// run against the registry in creation or removal mode.
//
//   HKCR
//   {
//     NoRemove CLSID
//     {
//       ForceRemove {GUID} = s 'Description'
//       {
//         InprocServer32 = s '%MODULE%'
//         {
//           val ThreadingModel = s 'Apartment'
//         }
//       }
//     }
//   }
//
// Keys are named by words or 'quoted texts' ('' is a quote inside one), a
// key may have a default value (= s 'text' or = d number) and a body in
// braces with subkeys and named values (val Name = s 'text'). %NAME% is
// replaced from the replacement table (%% is a percent sign).
//
// Creation: every key is created (a ForceRemove key is deleted with its
// whole tree first), its default value and named values set. Removal: a
// ForceRemove key goes with its whole tree; a NoRemove key stays and only
// what its body names is removed; any other key loses what its body names
// and then goes when no subkey is left. Delete removes the key's tree in
// creation mode.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "frame/this_module.h"

namespace dovrel {

// What removal takes away. On 64-bit Windows a 32-bit and a 64-bit build of
// the library each register their classes in a registry view of their own
// (HKEY_CLASSES_ROOT\CLSID is redirected), but both views share the rest of
// HKEY_CLASSES_ROOT: the program identifiers above all. While the other word
// size is still registered, removal keeps those shared keys, or the other
// build's classes would be left without the names hosts create them by.
enum class Removal { kEverything, kKeepShared };

// Runs a script. A script that cannot be read is refused before anything is
// written (DISP_E_EXCEPTION, as the platform's registrar reports syntax
// errors). Creation stops at the first registry failure and returns it;
// removal goes on past failures and returns S_OK.
HRESULT RunRegistrarScript(std::string_view script, const std::map<OleString, OleString>& replacements,
                           bool registering, Removal removal = Removal::kEverything);

// The REGISTRY resource `id` of a module, run with %MODULE% replaced by the
// module's full path (its quotes doubled, as the scripts put it in quotes).
// A missing resource is HRESULT_FROM_WIN32(the loader's error).
HRESULT RunRegistrarResource(HMODULE module, UINT id, const OleString& modulePath, bool registering,
                             Removal removal = Removal::kEverything);

// Whether another build of the library, of the other word size, has the
// class registered in the other registry view (a 32-bit dovrel60.dll beside
// the 64-bit one on 64-bit Windows). Never where there is one view.
bool OtherWordSizeRegistered(REFCLSID clsid, const OleString& modulePath);

}  // namespace dovrel
