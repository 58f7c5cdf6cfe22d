#pragma once
// The find box: a small child window over the lower right of the display
// grid, with its caption ("検索") and a box for the text to find on one
// line, and after a find that matched nothing the word for it
// ("見つかりません") beside them. It only shows and reads; the window's keys
// (Enter, F3, Esc) and the find itself belong to the main window.

#include <windows.h>

#include <string>
#include <string_view>

#include "win32/attached_window.h"

namespace pellora::win32 {

class FindBox : public AttachedWindow {
 public:
  static constexpr const wchar_t* kClassName = L"PelloraFindBox";

  // Made hidden, as a child of `parent`; `noMatch` is said after a find
  // that matched nothing.
  FindBox(HWND parent, int dpi, std::u16string_view caption, std::u16string_view noMatch);

  // Shows the box with its lower right corner at `corner` (the parent's
  // client coordinates), above its siblings, and puts the cursor in it
  // with its text selected.
  void Open(POINT corner);
  void Close();
  // Lays the box out at another dots per inch, its lower right corner at
  // `corner` (in the parent's new pixels).
  void SetDpi(int dpi, POINT corner);
  bool IsOpen() const { return ::IsWindowVisible(hwnd()) != 0; }

  std::u16string Text() const;
  // Says that the last find matched nothing, or takes it back.
  void ShowNoMatch(bool noMatch);
  // What the box says beside the text: "" or the words for no match.
  std::u16string Status() const;

  HWND edit() const { return edit_; }
  // Whether a window is the box or one of its parts.
  bool Holds(HWND window) const { return window == hwnd() || ::IsChild(hwnd(), window); }

 private:
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override;
  // Places the parts, and the box by its lower right corner.
  void Layout();

  int dpi_;
  std::wstring noMatchText_;
  bool noMatch_ = false;
  POINT corner_{};
  HWND caption_ = nullptr;
  HWND edit_ = nullptr;
  HWND status_ = nullptr;
};

}  // namespace pellora::win32
