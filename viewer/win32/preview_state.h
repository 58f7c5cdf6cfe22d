#pragma once
// What the print preview shows besides the drawing: the page in sight of
// how many, the zoom, and what each of its commands does to them. Free of
// the system's types: the preview window maps its keys, buttons and wheel
// onto these actions and draws what the state says, and the UI driver
// checks the state as it stands.

#include <array>
#include <string>

namespace pellora::win32 {

enum class PreviewAction {
  kPreviousPage,
  kNextPage,
  kFirstPage,
  kLastPage,
  kZoomIn,
  kZoomOut,
  kWholePage,
  kActualSize,
};

class PreviewState {
 public:
  // The zooms the buttons, the keys and the wheel step through, in percent
  // of the paper's own size on the screen.
  static constexpr std::array<int, 8> kZoomSteps{25, 50, 75, 100, 150, 200, 300, 400};

  // The first page of `count`, the whole page in sight.
  explicit PreviewState(int count);

  int page() const { return page_; }
  int count() const { return count_; }
  bool wholePage() const { return wholePage_; }
  // The zoom in percent, where the whole page in the window is
  // `wholePagePercent`.
  double Percent(double wholePagePercent) const;

  // Does `action`; true when what the window shows changed. A step beyond
  // the first or last page, or the zoom's ends, changes nothing. From the
  // whole page a zoom goes to the next step beyond its size.
  bool Apply(PreviewAction action, double wholePagePercent);
  // Whether `action` would change anything now: the window greys the
  // buttons that would not.
  bool CanApply(PreviewAction action, double wholePagePercent) const;
  // A new layout (another printer or paper): the same page where it still
  // is one, else the last.
  void SetCount(int count);

  // "2 / 5 ページ", as the pages' footers count.
  std::u16string PageText() const;
  // "ページ全体 (62%)" or "150%".
  std::u16string ZoomText(double wholePagePercent) const;

 private:
  int page_ = 0;
  int count_ = 1;
  bool wholePage_ = true;
  int zoom_ = 100;  // a step of kZoomSteps, when not the whole page
};

}  // namespace pellora::win32
