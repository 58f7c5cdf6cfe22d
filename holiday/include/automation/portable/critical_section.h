// Critical sections under the platform's names: CRITICAL_SECTION and the
// four calls that make, enter, leave and delete one, over a std::mutex.
//
// Whole in this header, not functions of the library: a critical section is
// its owner's alone, so unlike the error information or the registry there
// is no state that a process must hold once, and nothing for
// exported_services.h to list.
#pragma once

#include <mutex>

struct CRITICAL_SECTION {
  std::mutex mutex;
};
typedef CRITICAL_SECTION* LPCRITICAL_SECTION;

inline void InitializeCriticalSection(LPCRITICAL_SECTION) {}
inline void DeleteCriticalSection(LPCRITICAL_SECTION) {}
inline void EnterCriticalSection(LPCRITICAL_SECTION section) { section->mutex.lock(); }
inline void LeaveCriticalSection(LPCRITICAL_SECTION section) { section->mutex.unlock(); }
