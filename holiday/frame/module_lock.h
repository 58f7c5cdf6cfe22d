// The module lock count: how many objects, enumerators, locked servers and
// host-held class objects keep the library in use. DllCanUnloadNow reports
// S_OK only while it is zero. Objects live on their apartment's thread, but
// the count is shared by every thread of the process, so it only ever moves
// by atomic increments and decrements.
#pragma once

#include "automation/com.h"

namespace dovrel {

void LockModule();
void UnlockModule();
LONG ModuleLockCount();

// Holds one module lock for the lifetime of the object that embeds it:
// a member of every COM object class, so that construction and destruction
// cannot forget the count.
class ModuleLock {
 public:
  ModuleLock() { LockModule(); }
  ~ModuleLock() { UnlockModule(); }
  ModuleLock(const ModuleLock&) : ModuleLock() {}
  ModuleLock& operator=(const ModuleLock&) { return *this; }
};

}  // namespace dovrel
