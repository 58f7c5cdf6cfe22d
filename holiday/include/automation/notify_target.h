// Layer extension (this platform only): notification targets that stand in
// for windows.
//
// dovrel60's objects announce changes by sending a message to a window
// handle that a host gave them (SetNotify), after checking IsWindow. A host
// on this platform has no windows; it creates a notification target instead,
// a handle bound to a callback, and passes that handle. SendMessageW calls the
// callback synchronously on the calling thread and returns its result; once
// the target is destroyed, IsWindow reports FALSE and messages to it are
// dropped. Handles are never reused, so a stale handle stays dead.
#pragma once

#include "automation/com.h"

#ifndef _WIN32

typedef LRESULT(CALLBACK* NOTIFICATIONPROC)(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam, void* context);

EXTERN_C AUTOMATION_EXPORT HWND CreateNotificationTarget(NOTIFICATIONPROC proc, void* context);
EXTERN_C AUTOMATION_EXPORT BOOL DestroyNotificationTarget(HWND hWnd);

#endif
