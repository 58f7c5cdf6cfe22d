#pragma once
// frmCheck on screen: a modal Win32 window over the main window, built from
// its design, its findings and amounts drawn by GridWindow, its buttons and
// keys handed to the headless window's routines. A heading's click sorts
// the findings; a double click or Enter on a finding selects its person's
// row in the display behind; Ctrl+C and Ctrl+A copy and select as on the
// display; Esc, the close button and the frame's close box close it.

#include <windows.h>

#include <array>
#include <functional>
#include <memory>

#include "shell/frmCheck.h"
#include "win32/attached_window.h"
#include "win32/grid_window.h"

namespace pellora::win32 {

class CheckWindow : public AttachedWindow {
 public:
  static constexpr const wchar_t* kClassName = L"PelloraCheck";

  // Made over `owner`, at its dots per inch, centred on it; `afterChoosing`
  // brings the owner up to date once a finding has moved its selection.
  CheckWindow(frmCheck& check, HWND owner, std::function<void()> afterChoosing);
  ~CheckWindow() override;

  // Shows it and waits, the owner disabled, until it is closed.
  void RunModal();

  HWND control(CheckControl control) const { return controls_[static_cast<std::size_t>(control)]; }
  GridWindow* grid(CheckControl control) const;

 private:
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override;
  // The keys of the window's own, before the control with the focus sees
  // them: true when one was taken.
  bool TakeKey(const MSG& message);
  void Choose();
  void Close();

  frmCheck& check_;
  HWND owner_;
  std::function<void()> afterChoosing_;
  int dpi_;
  std::array<HWND, kCheckControlCount> controls_{};
  std::unique_ptr<GridWindow> findings_;
  std::unique_ptr<GridWindow> amounts_;
  bool closed_ = false;
};

}  // namespace pellora::win32
