// Modal windows (the file, print and database dialogs, the message boxes,
// the print preview) hold this thread in their own message loop until they
// close, so a thread of the driver's own finds each one as it shows and
// answers it through the system's messages, as a user's keys and clicks
// would. One that does not close is cancelled, so that a run never hangs.

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tests/windows/driver/driver.h"

namespace ui_driver {

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
  if (ClassOf(window) == L"#32770" && IsWindowVisible(window)) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

namespace {

// The modal windows that open on `thread` one after the other, each
// answered by its act in turn; `sight` sees each as soon as it shows,
// before it settles.
struct Answerer {
  DWORD thread;
  std::vector<std::function<void(HWND)>> acts;
  std::function<void(HWND)> sight;
  std::size_t answered = 0;
  HANDLE handle = nullptr;
};

DWORD WINAPI Answer(void* parameter) {
  Answerer& answerer = *static_cast<Answerer*>(parameter);
  for (const auto& act : answerer.acts) {
    HWND found = nullptr;
    for (int i = 0; i < 400 && !found; ++i) {
      EnumThreadWindows(answerer.thread, FindDialog, reinterpret_cast<LPARAM>(&found));
      if (!found) Sleep(25);
    }
    if (!found) return 0;
    if (answerer.sight) answerer.sight(found);
    Sleep(200);  // let it settle
    act(found);
    ++answerer.answered;
    // Should it not close, it must not hang the run.
    for (int i = 0; i < 100 && IsWindow(found); ++i) Sleep(30);
    if (IsWindow(found)) PostMessageW(found, WM_COMMAND, IDCANCEL, 0);
  }
  return 0;
}

}  // namespace

// Runs `open`, which opens modal windows on this thread one after the
// other, while `acts` answer them. Returns whether they all appeared.
bool WithModals(const std::function<void()>& open, std::vector<std::function<void(HWND)>> acts,
                std::function<void(HWND)> sight) {
  Answerer answerer{GetCurrentThreadId(), std::move(acts), std::move(sight)};
  answerer.handle = CreateThread(nullptr, 0, Answer, &answerer, 0, nullptr);
  open();
  WaitForSingleObject(answerer.handle, 60000);
  CloseHandle(answerer.handle);
  Pump();
  return answerer.answered == answerer.acts.size();
}

// Runs `open`, which opens a modal window on this thread, while `act`
// answers it. Returns whether the window appeared.
bool WithModal(const std::function<void()>& open, std::function<void(HWND)> act) {
  return WithModals(open, {std::move(act)});
}

// Runs `open` and answers the message box it shows with OK; false when
// none showed.
bool SeeMessageBox(const std::function<void()>& open, BoxSeen& seen) {
  return WithModal(open, [&](HWND box) {
    seen.title = TextOf(box);
    seen.text = TextOf(GetDlgItem(box, 0xFFFF));
    seen.icon = reinterpret_cast<HICON>(SendMessageW(GetDlgItem(box, 0x440), STM_GETICON, 0, 0));
    PressButton(box, IDOK);
  });
}

namespace {

struct Driven {
  DWORD thread;
  const wchar_t* windowClass;
  std::function<void(HWND)> drive;
  bool shown = false;
};

struct Sought {
  const wchar_t* windowClass;
  HWND window = nullptr;
};
BOOL CALLBACK FindOfClass(HWND window, LPARAM parameter) {
  Sought& sought = *reinterpret_cast<Sought*>(parameter);
  if (ClassOf(window) != sought.windowClass || !IsWindowVisible(window)) return TRUE;
  sought.window = window;
  return FALSE;
}

DWORD WINAPI Drive(void* parameter) {
  Driven& driven = *static_cast<Driven*>(parameter);
  HWND window = WaitForWindow(driven.thread, driven.windowClass);
  if (!window) return 0;
  driven.shown = true;
  Sleep(300);
  driven.drive(window);
  for (int i = 0; i < 100 && IsWindow(window) && IsWindowVisible(window); ++i) Sleep(30);
  if (IsWindow(window) && IsWindowVisible(window)) PostMessageW(window, WM_CLOSE, 0, 0);
  return 0;
}

}  // namespace

// A visible window of a class on a thread, waited for up to ten seconds.
HWND WaitForWindow(DWORD thread, const wchar_t* windowClass) {
  Sought sought{windowClass};
  for (int i = 0; i < 400 && !sought.window; ++i, Sleep(25))
    EnumThreadWindows(thread, FindOfClass, reinterpret_cast<LPARAM>(&sought));
  return sought.window;
}

// A modal window of `windowClass` that `open` shows on this thread, worked
// by `drive` from a thread of the driver's own, which may answer the
// dialogs it opens on the way. Returns whether the window appeared.
bool WithWindow(const std::function<void()>& open, const wchar_t* windowClass, std::function<void(HWND)> drive) {
  Driven driven{GetCurrentThreadId(), windowClass, std::move(drive)};
  HANDLE thread = CreateThread(nullptr, 0, Drive, &driven, 0, nullptr);
  open();
  WaitForSingleObject(thread, 120000);
  CloseHandle(thread);
  Pump();
  return driven.shown;
}

}  // namespace ui_driver
