#pragma once
// AttachedWindow: a window of this program whose messages go to a member of
// the object that made it, from the window's first message to its last.
// The object rides along in CreateWindowExW's creation parameter and is
// attached at WM_NCCREATE, so that what the system sends while it creates
// the window (WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, ...) reaches
// it too; it is detached at WM_NCDESTROY, after which hwnd() is null.

#include <windows.h>

namespace pellora::win32 {

// A window class of this program, registered the first time a window of it
// is made. The arrow is its cursor.
struct WindowClass {
  const wchar_t* name;
  UINT style = 0;
  HBRUSH background = nullptr;
  HICON icon = nullptr;
};

class AttachedWindow {
 public:
  AttachedWindow(const AttachedWindow&) = delete;
  AttachedWindow& operator=(const AttachedWindow&) = delete;

  HWND hwnd() const { return hwnd_; }

 protected:
  AttachedWindow() = default;
  // A window still there is detached before it is destroyed: the object is
  // half gone by then, so what the window is sent while it goes gets the
  // system's default handling.
  virtual ~AttachedWindow();

  // Makes the window of this object. Called from the constructor of the
  // class that handles the messages: its handler takes them from the start.
  // Its place as CreateWindowExW takes it: CW_USEDEFAULT lets the system
  // choose.
  HWND Create(const WindowClass& windowClass, DWORD exStyle, const wchar_t* title, DWORD style, POINT place, SIZE size,
              HWND parent, HMENU menu = nullptr);

  // Each message of the window; hwnd() is set already at WM_NCCREATE.
  virtual LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  HWND hwnd_ = nullptr;
};

}  // namespace pellora::win32
