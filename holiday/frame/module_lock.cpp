#include "frame/module_lock.h"

#include <atomic>

namespace dovrel {
namespace {
std::atomic<LONG> g_lockCount{0};
}

void LockModule() { g_lockCount.fetch_add(1, std::memory_order_relaxed); }
void UnlockModule() { g_lockCount.fetch_sub(1, std::memory_order_relaxed); }
LONG ModuleLockCount() { return g_lockCount.load(std::memory_order_relaxed); }

}  // namespace dovrel
