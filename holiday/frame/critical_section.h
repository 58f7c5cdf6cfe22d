// A critical section: the platform's own on Windows (where MinGW's win32
// thread model has no std::mutex), std::mutex elsewhere. Module state that
// threads share is guarded by one of these.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <mutex>
#endif

namespace dovrel {

class CriticalSection {
 public:
#ifdef _WIN32
  CriticalSection() { InitializeCriticalSection(&section_); }
  ~CriticalSection() { DeleteCriticalSection(&section_); }
  void lock() { EnterCriticalSection(&section_); }
  void unlock() { LeaveCriticalSection(&section_); }
#else
  CriticalSection() = default;
  void lock() { mutex_.lock(); }
  void unlock() { mutex_.unlock(); }
#endif
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;

 private:
#ifdef _WIN32
  CRITICAL_SECTION section_;
#else
  std::mutex mutex_;
#endif
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
