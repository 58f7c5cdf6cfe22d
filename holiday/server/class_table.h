// The five classes of dovrel60 and their class objects.
#pragma once

#include <span>

#include "automation/com.h"

namespace dovrel {

// How a class makes an instance: the class's own creation routine, which
// applies the aggregation rules (outer unknown only with IID_IUnknown) and
// asks the new object for riid.
using CreateInstanceFunction = HRESULT (*)(IUnknown* outer, REFIID riid, void** ppv);

// One class of the library: what registration, the class-object search and
// the class object's CreateInstance need to know of it, in one row.
struct ClassEntry {
  const CLSID* clsid;
  UINT registrationScript;  // the REGISTRY resource of the class
  CreateInstanceFunction create;
};

// The class table in the order of registration and of the class-object
// search: Day, Days, HolidayStyle, HolidayStyles, dvDovrel.
std::span<const ClassEntry> ClassTable();

// Makes the cache of class objects and its critical section; the module
// does it when it is loaded, so that no first request has to.
void PrepareClassObjects();

// The cached class object of a class, created on the first request; the
// cache holds one reference. nullptr when the class is not in the table
// (CLASS_E_CLASSNOTAVAILABLE) or cannot be made (E_OUTOFMEMORY).
HRESULT GetClassObject(REFCLSID clsid, REFIID riid, void** ppv);

// Drops every cached class object (when the module is unloaded).
void ReleaseClassObjects();

}  // namespace dovrel
