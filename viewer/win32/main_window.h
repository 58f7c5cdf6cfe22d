#pragma once
// frmPellora on screen: a Win32 window whose child windows draw the
// headless main window's controls where its layout puts them (the design's
// size the smallest, the grids taking what the window gains, maximised
// too) and pass the user's gestures to its routines. It opens centred on
// the monitor of the mouse. After each routine (and before each dialog a routine opens) the
// child windows are brought up to date from the controls; the grids follow
// their models by themselves.
//
// The clerk's keys are the window's, as the command table of
// shell/clerk_keys.h binds them (Ctrl+A and Ctrl+C on a focused grid,
// Ctrl+F, F3 and Shift+F3 anywhere, Enter and Esc in the find box), and the
// menu key and Shift+F10 open a grid's context menu. They are taken before
// the dialog manager sees them (which would make Enter and Esc buttons'
// keys). Dropped files go to the form. Ctrl+P and the menu's 印刷... open the
// system's print dialog, 印刷プレビュー... the preview window, both over the
// same pages (win32/print_session.h, win32/preview_window.h).

#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "shell/clerk_keys.h"
#include "shell/frmPellora.h"
#include "win32/attached_window.h"
#include "win32/dialogs.h"
#include "win32/find_box.h"
#include "win32/grid_window.h"
#include "win32/print_session.h"

namespace pellora::win32 {

class PelloraWindow : public AttachedWindow, private ClerkView {
 public:
  static constexpr const wchar_t* kClassName = L"PelloraMainWindow";
  // The control id of each control: this plus its place in MainControl.
  static constexpr int kFirstControlId = 1000;

  // The window for `form`, whose message boxes are `boxes`: it supplies the
  // form's dialogs and learns when the form closes. Made hidden.
  PelloraWindow(frmPellora& form, Win32MessageBoxes& boxes);
  ~PelloraWindow() override;

  // Start-up: the form's own, then the window shows unless it closed. What
  // is wrong with a claim file shown on the way opens its box once the
  // window has been painted, as after every routine that shows one.
  void Start();
  // Draws the controls as the form's routines have left them.
  void Sync();
  // Passes a message of the program's loop to the window first: Tab, the
  // access keys, Enter and Esc. True when the window took it.
  bool PreTranslate(MSG& message);

  // Told when the window has gone: the program's loop ends then.
  std::function<void()> onDestroyed;

  frmPellora& form() { return form_; }
  HWND control(MainControl control) const { return controls_[static_cast<std::size_t>(control)]; }
  GridWindow* grid(MainControl control) const;
  // The background a label or text box is drawn on now.
  COLORREF BackColorOf(MainControl control) const;
  int dpi() const { return dpi_; }
  const FindBox& findBox() const { return *findBox_; }

 private:
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override;
  // Runs one of the form's routines started by the user, then draws.
  template <typename Routine>
  void Run(Routine routine);
  // Sync, then the window painted before a dialog opens over it.
  void SyncAndPaint();
  void CreateControls();
  // The window's outer size in pixels at `dpi` round a client area of
  // `client` twips (by default the smallest, the form's layout's), in this
  // desktop's frame.
  SIZE OuterPixelSize(int dpi, std::optional<TwipsSize> client = std::nullopt) const;
  SIZE FrameAt(int dpi) const;
  // The window resized so that its client area is `client` twips.
  void ResizeToHold(TwipsSize client);
  // The client area now, in twips at the window's dots per inch.
  TwipsSize ClientTwips() const;
  // The work area of the monitor the mouse is on.
  static RECT WorkAreaUnderTheMouse();
  void CentreOnTheMouseMonitor();
  // Every control where the form's layout puts it in today's client area,
  // and the find box over the display grid's lower right.
  void LayOut();
  // Everything laid out again at the window's dots per inch after it
  // changed: the fonts, every control's place, the grids, the find box.
  void LayOutAtDpi();
  // Where the find box's lower right corner goes: over the lower right of
  // the display grid's rows, inside its scroll bars.
  POINT FindBoxCorner() const;
  // A control's tool tip, or (update) its new text.
  void AddToolTip(HWND control, std::u16string_view text, bool update = false);
  // The clerk's keys (see above); true when one was taken.
  bool TakeKey(const MSG& message);
  // The grid (display or totals) a window is, if it is one.
  std::optional<MainControl> ClerkGridOf(HWND window) const;
  // The context menu of a grid at a point of the screen; from the keyboard
  // (a point of -1, -1) at the grid's current cell. The chosen command runs
  // on that grid before it returns.
  void ShowContextMenu(MainControl grid, POINT screen);
  void DropFiles(HDROP drop);

  // What the clerk's commands use of this window.
  void PutOnClipboard(const std::u16string& text, const std::u16string& html) override;
  bool FindBoxOpen() const override;
  std::u16string FindText() const override;
  void OpenFindBox() override;
  void CloseFindBox() override;
  void ShowNoMatch(bool noMatch) override;
  void PrintDisplay(frmPellora& form) override;
  void PreviewDisplay(frmPellora& form) override;

  frmPellora& form_;
  Win32MessageBoxes& boxes_;
  Win32FileDialogs fileDialogs_;
  Win32ModalDialogs modalDialogs_;
  // The printer chosen last, for the rest of the session.
  PrintSession printing_;
  int dpi_;
  HWND toolTips_ = nullptr;
  std::array<HWND, kMainControlCount> controls_{};
  std::array<std::unique_ptr<GridWindow>, kMainControlCount> grids_{};
  std::unique_ptr<FindBox> findBox_;
  HWND lastFocus_ = nullptr;
  TwipsSize laidOutMinimum_;
  std::u16string statusToolTip_;
};

}  // namespace pellora::win32
