#pragma once
// frmPellora on screen: a fixed-size Win32 window whose child windows draw
// the headless main window's controls and pass the user's gestures to its
// routines. After each routine (and before each dialog a routine opens) the
// child windows are brought up to date from the controls; the grids follow
// their models by themselves.

#include <windows.h>

#include <array>
#include <functional>
#include <memory>

#include "shell/frmPellora.h"
#include "win32/dialogs.h"
#include "win32/grid_window.h"

namespace pellora::win32 {

class PelloraWindow {
 public:
  static constexpr const wchar_t* kClassName = L"PelloraMainWindow";
  // The control id of each control: this plus its place in MainControl.
  static constexpr int kFirstControlId = 1000;

  // The window for `form`, whose message boxes are `boxes`: it supplies the
  // form's dialogs and learns when the form closes. Made hidden.
  PelloraWindow(frmPellora& form, Win32MessageBoxes& boxes);
  ~PelloraWindow();
  PelloraWindow(const PelloraWindow&) = delete;
  PelloraWindow& operator=(const PelloraWindow&) = delete;

  // Start-up: the form's own, then the window shows unless it closed.
  void Start();
  // Draws the controls as the form's routines have left them.
  void Sync();
  // Passes a message of the program's loop to the window first: Tab, the
  // access keys, Enter and Esc. True when the window took it.
  bool PreTranslate(MSG& message);

  // Told when the window has gone: the program's loop ends then.
  std::function<void()> onDestroyed;

  HWND hwnd() const { return hwnd_; }
  frmPellora& form() { return form_; }
  HWND control(MainControl control) const { return controls_[static_cast<std::size_t>(control)]; }
  GridWindow* grid(MainControl control) const;
  // The background a label or text box is drawn on now.
  COLORREF BackColorOf(MainControl control) const;
  int dpi() const { return dpi_; }

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  // Runs one of the form's routines started by the user, then draws.
  template <typename Routine>
  void Run(Routine routine);
  void CreateControls();
  void AddToolTip(HWND control, std::u16string_view text);

  frmPellora& form_;
  Win32MessageBoxes& boxes_;
  Win32OpenFileDialog openFileDialog_;
  Win32ModalDialogs modalDialogs_;
  int dpi_;
  HWND hwnd_ = nullptr;
  HWND toolTips_ = nullptr;
  std::array<HWND, kMainControlCount> controls_{};
  std::array<std::unique_ptr<GridWindow>, kMainControlCount> grids_{};
};

}  // namespace pellora::win32
