// A critical section: module state that threads share is guarded by one of
// these. It sits on the platform's CRITICAL_SECTION, which the automation
// layer provides here (over std::mutex) and Windows itself there (where
// MinGW's win32 thread model has no std::mutex).
#pragma once

#include "automation/com.h"

namespace dovrel {

class CriticalSection {
 public:
  CriticalSection() { InitializeCriticalSection(&section_); }
  ~CriticalSection() { DeleteCriticalSection(&section_); }
  void lock() { EnterCriticalSection(&section_); }
  void unlock() { LeaveCriticalSection(&section_); }
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;

 private:
  CRITICAL_SECTION section_;
};

// Held for a scope.
class Entered {
 public:
  explicit Entered(CriticalSection& section) : section_(section) { section_.lock(); }
  ~Entered() { section_.unlock(); }
  Entered(const Entered&) = delete;
  Entered& operator=(const Entered&) = delete;

 private:
  CriticalSection& section_;
};

}  // namespace dovrel
