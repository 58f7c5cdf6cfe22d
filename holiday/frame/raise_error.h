// Raising an error with error information, the way every dovrel60 object
// reports the failures that carry a text.
#pragma once

#include "automation/com.h"
#include "frame/errors.h"

namespace dovrel {

// Makes a new error information object the calling thread's current one:
// description = string stringNumber of this library's string table ("Unknown
// Error" when there is none), source = the program identifier the registry
// maps clsid to (empty when the class is not registered), interface = iid,
// no help file or context. Returns hr, or 0x80040000 + stringNumber when hr
// is 0. A member calls it just before it fails and returns what it returns.
// If the error information cannot be made, the thread's previous one stays.
HRESULT RaiseError(REFCLSID clsid, UINT stringNumber, REFIID iid, HRESULT hr);

}  // namespace dovrel
