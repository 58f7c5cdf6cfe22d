// A window's object handed its messages from WM_NCCREATE to WM_NCDESTROY:
// the windows of the front end keep their state in such objects, and a
// message handed before the object knows its window, or after it let go of
// it, would be lost or reach an object that is gone.

#include <algorithm>
#include <vector>

#include "tests/windows/driver/driver.h"
#include "win32/attached_window.h"

namespace ui_driver {

namespace {

// A window that writes down each message its object is handed (0 for one
// handed before the object knew its window).
class RecordingWindow : public AttachedWindow {
 public:
  explicit RecordingWindow(std::vector<UINT>& seen) : seen_(seen) {
    Create({L"PelloraDriverRecording"}, 0, L"", WS_POPUP, POINT{0, 0}, SIZE{120, 80}, nullptr);
  }

 private:
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override {
    seen_.push_back(hwnd() ? message : 0);
    return AttachedWindow::Handle(message, wParam, lParam);
  }
  std::vector<UINT>& seen_;
};

}  // namespace

void AttachedWindows() {
  Section("a window's object handed its messages from WM_NCCREATE to WM_NCDESTROY");
  std::vector<UINT> seen;
  RecordingWindow window(seen);
  const auto handed = [&](UINT message) { return std::find(seen.begin(), seen.end(), message) != seen.end(); };
  Check(!seen.empty() && seen.front() == WM_NCCREATE && !handed(0), "WM_NCCREATE first, the window known");
  Check(handed(WM_NCCALCSIZE) && handed(WM_CREATE) && handed(WM_SIZE), "the creation's messages reach it");
  DestroyWindow(window.hwnd());
  Check(seen.back() == WM_NCDESTROY && window.hwnd() == nullptr, "WM_NCDESTROY last, then the window let go");
}

}  // namespace ui_driver
