// Notification targets: IsWindow and SendMessageW over handles that hosts
// create with CreateNotificationTarget.
#include <map>
#include <mutex>

#include "automation/notify_target.h"
#include "automation/portable/internal.h"

namespace {

struct Target {
  NOTIFICATIONPROC proc;
  void* context;
};

// Never destroyed, so that a host's static destructors may still use them.
std::mutex& TargetsMutex() {
  static auto* mutex = new std::mutex;
  return *mutex;
}
std::map<ULONG_PTR, Target>& Targets() {
  static auto* targets = new std::map<ULONG_PTR, Target>;
  return *targets;
}
// Handle values count up from here in steps of 4, like window handles, and
// never come back.
ULONG_PTR nextHandle = 0x10000;

}  // namespace

EXTERN_C HWND CreateNotificationTarget(NOTIFICATIONPROC proc, void* context) {
  if (!proc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::lock_guard guard(TargetsMutex());
  ULONG_PTR handle = nextHandle;
  nextHandle += 4;
  Targets().emplace(handle, Target{proc, context});
  return reinterpret_cast<HWND>(handle);
}

EXTERN_C BOOL DestroyNotificationTarget(HWND hWnd) {
  std::lock_guard guard(TargetsMutex());
  if (Targets().erase(reinterpret_cast<ULONG_PTR>(hWnd))) return TRUE;
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return FALSE;
}

STDAPI_(BOOL) IsWindow(HWND hWnd) {
  std::lock_guard guard(TargetsMutex());
  return Targets().count(reinterpret_cast<ULONG_PTR>(hWnd)) ? TRUE : FALSE;
}

// The callback runs without the table's lock held, so it may itself send
// messages or destroy targets (its own included).
STDAPI_(LRESULT) SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  Target target;
  {
    std::lock_guard guard(TargetsMutex());
    auto it = Targets().find(reinterpret_cast<ULONG_PTR>(hWnd));
    if (it == Targets().end()) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return 0;
    }
    target = it->second;
  }
  return target.proc(hWnd, Msg, wParam, lParam, target.context);
}
