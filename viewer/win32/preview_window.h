#pragma once
// The print preview: a modal window of its own over the main window, which
// is disabled while it shows, with a row of buttons (前のページ, 次のページ,
// ページ全体, 100%, 縮小, 拡大, 印刷..., 閉じる), the page it shows of how
// many ("2 / 5 ページ") and its zoom, and below them the page as it will
// print, drawn by the page painter into a back buffer and copied to the
// screen in one piece, so that nothing flickers.
//
// Its keys: PageUp and PageDown the previous and next page, Home and End
// the first and last, + and - (or Ctrl and the wheel) the zoom, the arrows
// and the wheel scroll a page larger than the window (the wheel pages on
// when there is nothing to scroll), Ctrl+P the print dialog, Esc closes.
// What each does to the page and zoom is PreviewState's.

#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "print/pages.h"
#include "win32/attached_window.h"
#include "win32/preview_state.h"

namespace pellora::win32 {

class PreviewWindow : public AttachedWindow {
 public:
  static constexpr const wchar_t* kClassName = L"PelloraPrintPreview";
  static constexpr const wchar_t* kPageClassName = L"PelloraPrintPreviewPage";
  // The control ids of its parts.
  enum ControlId : int {
    kPreviousId = 100,
    kNextId,
    kWholePageId,
    kActualSizeId,
    kZoomOutId,
    kZoomInId,
    kPrintId,
    kCloseId,
    kPageTextId,
    kZoomTextId,
    kPageId,
  };

  // Where the pages come from: laid out on the sheet the print would use,
  // and the print dialog over the preview, after which the pages are laid
  // out again (the printer or its paper may have changed).
  struct Source {
    std::function<print::Pages()> layOut;
    std::function<void(HWND owner)> print;
  };

  // Shows the preview over `owner` and returns when it has closed.
  static void ShowModal(HWND owner, const std::u16string& title, Source source);

  ~PreviewWindow() override;

 private:
  class PageView;
  PreviewWindow(HWND owner, const std::u16string& title, Source source);

  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override;
  void RunModal();
  // A key or the wheel for the preview, from whichever of its windows has
  // the focus; true when it was taken.
  bool TakeMessage(const MSG& message);
  void Do(PreviewAction action);
  void PrintFromHere();
  // The buttons and texts placed and sized; the page view below them.
  void Layout();
  // The texts and the buttons' states after the page or zoom changed.
  void ShowState();
  double WholePagePercent() const;

  HWND owner_;
  Source source_;
  print::Pages pages_;
  PreviewState state_;
  int dpi_;
  bool closed_ = false;
  std::array<HWND, kPageId - kPreviousId> parts_{};
  std::unique_ptr<PageView> view_;
};

}  // namespace pellora::win32
