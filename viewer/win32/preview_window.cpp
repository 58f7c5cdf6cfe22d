#include "win32/preview_window.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>

#include "win32/look.h"
#include "win32/page_painter.h"

namespace pellora::win32 {
namespace {

// The parts' captions, in the order of their control ids.
constexpr std::array<const wchar_t*, 8> kButtonCaptions{L"前のページ", L"次のページ", L"ページ全体", L"100%",
                                                        L"縮小",       L"拡大",       L"印刷...",   L"閉じる"};
constexpr std::array<PreviewAction, 6> kButtonActions{PreviewAction::kPreviousPage, PreviewAction::kNextPage,
                                                      PreviewAction::kWholePage,    PreviewAction::kActualSize,
                                                      PreviewAction::kZoomOut,      PreviewAction::kZoomIn};
// The widest texts the two labels show, which they are sized for.
constexpr const wchar_t* kWidestPageText = L"8888 / 8888 ページ";
constexpr const wchar_t* kWidestZoomText = L"ページ全体 (888%)";

// Lengths of the window at 96 dots per inch, scaled to the screen's.
constexpr int kGap = 6;            // between the parts, and round the page
constexpr int kButtonHeight = 25;
constexpr int kButtonPadding = 20;  // a button's width beyond its caption's
constexpr int kScrollStep = 40;     // an arrow key's or a wheel notch's scroll
constexpr int kShadow = 4;

const COLORREF kShadowColour = RGB(64, 64, 64);

int TextWidthOf(HWND window, const wchar_t* text) {
  HDC dc = ::GetDC(window);
  HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0)));
  SIZE extent{};
  ::GetTextExtentPoint32W(dc, text, lstrlenW(text), &extent);
  ::SelectObject(dc, old);
  ::ReleaseDC(window, dc);
  return extent.cx;
}

}  // namespace

// ---- The page ----

// The page at the state's zoom, in the middle of the view while it fits,
// scrolled where it does not. What a page draws is asked of the layout
// only when the page changes, and painted on every WM_PAINT into a bitmap
// the size of the view.
class PreviewWindow::PageView : public AttachedWindow {
 public:
  PageView(PreviewWindow& preview, HWND parent) : preview_(preview) {
    Create({kPageClassName, CS_HREDRAW | CS_VREDRAW, nullptr, nullptr}, WS_EX_CLIENTEDGE, L"",
           WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_HSCROLL | WS_VSCROLL, POINT{0, 0}, SIZE{10, 10}, parent,
           reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPageId)));
  }

  // A new page or zoom (or new pages altogether, `relaidOut`): the part of
  // the page in the middle of the view stays there as the zoom changes.
  void ShowPage(bool relaidOut) {
    const PreviewState& state = preview_.state_;
    if (relaidOut || state.page() != drawnPage_) {
      drawing_ = preview_.pages_.Draw(state.page());
      if (state.page() != drawnPage_) scroll_ = {0, 0};
      drawnPage_ = state.page();
    }
    const SIZE before = shown_;
    const SIZE now = PageSize();
    const SIZE view = ViewSize();
    const auto kept = [](LONG position, LONG seen, LONG was, LONG is) {
      if (was <= 0) return LONG{0};
      return static_cast<LONG>(std::lround((position + seen / 2.0) * is / was - seen / 2.0));
    };
    scroll_ = {kept(scroll_.x, view.cx, before.cx, now.cx), kept(scroll_.y, view.cy, before.cy, now.cy)};
    shown_ = now;
    UpdateScrollBars();
    ::InvalidateRect(hwnd(), nullptr, FALSE);
  }

  // The zoom at which the whole page fits the view, in percent of its size
  // on this screen: the view measured as without scroll bars.
  double WholePagePercent() const {
    const print::Sheet& sheet = preview_.pages_.sheet();
    if (sheet.width <= 0 || sheet.height <= 0) return 100;
    SIZE room = WholeViewSize();
    room.cx -= 2 * Scaled(kGap) + Scaled(kShadow);
    room.cy -= 2 * Scaled(kGap) + Scaled(kShadow);
    const double perPoint = std::min(room.cx / sheet.width, room.cy / sheet.height);
    return std::max(1.0, perPoint / ScreenPerPoint() * 100);
  }

  // Scrolls by so many pixels, as far as the page goes; false when it did
  // not move.
  bool ScrollBy(int dx, int dy) {
    const POINT before = scroll_;
    scroll_.x += dx;
    scroll_.y += dy;
    UpdateScrollBars();
    if (scroll_.x == before.x && scroll_.y == before.y) return false;
    ::InvalidateRect(hwnd(), nullptr, FALSE);
    return true;
  }

 private:
  int Scaled(int pixelsAt96) const { return ::MulDiv(pixelsAt96, preview_.dpi_, 96); }
  double ScreenPerPoint() const { return preview_.dpi_ / print::kPointsPerInch; }
  double PixelsPerPoint() const {
    return preview_.state_.Percent(preview_.WholePagePercent()) / 100 * ScreenPerPoint();
  }
  // The page's size in pixels at the zoom, with the room round it.
  SIZE PageSize() const {
    const print::Sheet& sheet = preview_.pages_.sheet();
    const double scale = PixelsPerPoint();
    return {static_cast<LONG>(std::lround(sheet.width * scale)) + 2 * Scaled(kGap) + Scaled(kShadow),
            static_cast<LONG>(std::lround(sheet.height * scale)) + 2 * Scaled(kGap) + Scaled(kShadow)};
  }
  SIZE ViewSize() const {
    RECT client;
    ::GetClientRect(hwnd(), &client);
    return {client.right, client.bottom};
  }
  SIZE WholeViewSize() const {
    SIZE size = ViewSize();
    const LONG style = ::GetWindowLongW(hwnd(), GWL_STYLE);
    if (style & WS_VSCROLL) size.cx += ::GetSystemMetrics(SM_CXVSCROLL);
    if (style & WS_HSCROLL) size.cy += ::GetSystemMetrics(SM_CYHSCROLL);
    return size;
  }

  // The bars as the page and view are now, the scroll kept within them.
  // Showing or hiding a bar resizes the view, which comes back here: the
  // second round settles it.
  void UpdateScrollBars() {
    if (updatingBars_) return;
    updatingBars_ = true;
    for (int round = 0; round < 2; ++round) {
      const SIZE page = PageSize();
      const SIZE view = ViewSize();
      scroll_.x = std::clamp<LONG>(scroll_.x, 0, std::max<LONG>(0, page.cx - view.cx));
      scroll_.y = std::clamp<LONG>(scroll_.y, 0, std::max<LONG>(0, page.cy - view.cy));
      SCROLLINFO across{sizeof across, SIF_RANGE | SIF_PAGE | SIF_POS, 0, page.cx - 1, static_cast<UINT>(view.cx),
                        scroll_.x, 0};
      SCROLLINFO down{sizeof down, SIF_RANGE | SIF_PAGE | SIF_POS, 0, page.cy - 1, static_cast<UINT>(view.cy),
                      scroll_.y, 0};
      ::SetScrollInfo(hwnd(), SB_HORZ, &across, TRUE);
      ::SetScrollInfo(hwnd(), SB_VERT, &down, TRUE);
    }
    updatingBars_ = false;
  }

  void OnScroll(int bar, int request) {
    SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
    ::GetScrollInfo(hwnd(), bar, &info);
    int position = info.nPos;
    switch (request) {
      case SB_LINEUP: position -= Scaled(kScrollStep); break;
      case SB_LINEDOWN: position += Scaled(kScrollStep); break;
      case SB_PAGEUP: position -= static_cast<int>(info.nPage); break;
      case SB_PAGEDOWN: position += static_cast<int>(info.nPage); break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION: position = info.nTrackPos; break;
      case SB_TOP: position = 0; break;
      case SB_BOTTOM: position = info.nMax; break;
      default: return;
    }
    if (bar == SB_HORZ) ScrollBy(position - scroll_.x, 0);
    else ScrollBy(0, position - scroll_.y);
  }

  // Into a bitmap first, then onto the screen in one copy.
  void Paint() {
    PAINTSTRUCT paint;
    HDC screen = ::BeginPaint(hwnd(), &paint);
    const SIZE view = ViewSize();
    HDC buffer = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, std::max<LONG>(1, view.cx), std::max<LONG>(1, view.cy));
    HGDIOBJ oldBitmap = ::SelectObject(buffer, bitmap);
    const RECT whole{0, 0, view.cx, view.cy};
    ::FillRect(buffer, &whole, ::GetSysColorBrush(COLOR_APPWORKSPACE));

    const print::Sheet& sheet = preview_.pages_.sheet();
    const double scale = PixelsPerPoint();
    const SIZE room = PageSize();
    const LONG width = room.cx - 2 * Scaled(kGap) - Scaled(kShadow);
    const LONG height = room.cy - 2 * Scaled(kGap) - Scaled(kShadow);
    // Centred while it fits, else from its scrolled corner.
    const LONG left = room.cx <= view.cx ? (view.cx - room.cx) / 2 + Scaled(kGap) : Scaled(kGap) - scroll_.x;
    const LONG top = room.cy <= view.cy ? (view.cy - room.cy) / 2 + Scaled(kGap) : Scaled(kGap) - scroll_.y;
    const RECT shadow{left + Scaled(kShadow), top + Scaled(kShadow), left + width + Scaled(kShadow),
                      top + height + Scaled(kShadow)};
    ::FillRect(buffer, &shadow, BrushOf(kShadowColour));
    const RECT paper{left, top, left + width, top + height};
    ::FillRect(buffer, &paper, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    if (sheet.width > 0)
      PaintPage(buffer, drawing_, {scale, scale, static_cast<double>(left), static_cast<double>(top)});
    ::FrameRect(buffer, &paper, BrushOf(kShadowColour));

    ::BitBlt(screen, 0, 0, view.cx, view.cy, buffer, 0, 0, SRCCOPY);
    ::SelectObject(buffer, oldBitmap);
    ::DeleteObject(bitmap);
    ::DeleteDC(buffer);
    ::EndPaint(hwnd(), &paint);
  }

  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_ERASEBKGND: return 1;  // the paint covers every pixel
      case WM_PAINT: Paint(); return 0;
      case WM_SIZE:
        // At the whole page the zoom follows the view's size.
        UpdateScrollBars();
        if (preview_.view_.get() != this) return 0;  // still being made
        if (preview_.state_.wholePage()) ShowPage(false);
        preview_.ShowState();
        return 0;
      case WM_HSCROLL: OnScroll(SB_HORZ, LOWORD(wParam)); return 0;
      case WM_VSCROLL: OnScroll(SB_VERT, LOWORD(wParam)); return 0;
      case WM_LBUTTONDOWN: ::SetFocus(hwnd()); return 0;
      case WM_GETDLGCODE: return DLGC_WANTARROWS;
      default: break;
    }
    return AttachedWindow::Handle(message, wParam, lParam);
  }

  PreviewWindow& preview_;
  print::PageDrawing drawing_;
  int drawnPage_ = -1;
  POINT scroll_{0, 0};
  SIZE shown_{0, 0};
  bool updatingBars_ = false;
};

// ---- The window ----

void PreviewWindow::ShowModal(HWND owner, const std::u16string& title, Source source) {
  PreviewWindow preview(owner, title, std::move(source));
  preview.RunModal();
}

// Nine tenths of the screen's work area, in its middle, at the dots per
// inch of the window it previews for (the owner's monitor's).
PreviewWindow::PreviewWindow(HWND owner, const std::u16string& title, Source source)
    : owner_(owner),
      source_(std::move(source)),
      pages_(source_.layOut()),
      state_(pages_.Count()),
      dpi_(owner ? DpiOf(owner) : ScreenDpi()) {
  RECT work{0, 0, 1024, 768};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const SIZE size{(work.right - work.left) * 9 / 10, (work.bottom - work.top) * 9 / 10};
  const POINT place{work.left + (work.right - work.left - size.cx) / 2,
                    work.top + (work.bottom - work.top - size.cy) / 2};
  const std::wstring caption = Wide(title);
  Create({kClassName, 0, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr}, WS_EX_CONTROLPARENT, caption.c_str(),
         WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, place, size, owner);

  HFONT font = WindowFont(dpi_);
  for (int id = kPreviousId; id < kPageId; ++id) {
    const bool button = id <= kCloseId;
    const wchar_t* text = button ? kButtonCaptions[static_cast<std::size_t>(id - kPreviousId)] : L"";
    HWND part = ::CreateWindowExW(0, button ? L"BUTTON" : L"STATIC", text,
                                  WS_CHILD | WS_VISIBLE |
                                      (button ? WS_TABSTOP | BS_PUSHBUTTON : SS_CENTERIMAGE | SS_CENTER | SS_NOPREFIX),
                                  0, 0, 10, 10, hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                  ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(part, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    parts_[static_cast<std::size_t>(id - kPreviousId)] = part;
  }
  view_ = std::make_unique<PageView>(*this, hwnd());
  Layout();
  view_->ShowPage(true);
  ShowState();
}

PreviewWindow::~PreviewWindow() {
  // The page view goes before the window it lies in.
  view_.reset();
}

double PreviewWindow::WholePagePercent() const { return view_ ? view_->WholePagePercent() : 100; }

// The owner is disabled while the preview shows, and enabled again before
// the preview goes, so that the system hands the activation back to it.
void PreviewWindow::RunModal() {
  ::EnableWindow(owner_, FALSE);
  ::ShowWindow(hwnd(), SW_SHOWNORMAL);
  ::UpdateWindow(hwnd());
  ::SetFocus(view_->hwnd());
  MSG message;
  while (!closed_) {
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      // The program is ending: its own loop must see the quit as well.
      ::PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (got < 0) break;
    if (TakeMessage(message) || ::IsDialogMessageW(hwnd(), &message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  ::EnableWindow(owner_, TRUE);
  ::ShowWindow(hwnd(), SW_HIDE);
}

bool PreviewWindow::TakeMessage(const MSG& message) {
  if (message.hwnd != hwnd() && !::IsChild(hwnd(), message.hwnd)) return false;
  if (message.message == WM_MOUSEWHEEL) {
    const int delta = GET_WHEEL_DELTA_WPARAM(message.wParam);
    if (GET_KEYSTATE_WPARAM(message.wParam) & MK_CONTROL)
      Do(delta > 0 ? PreviewAction::kZoomIn : PreviewAction::kZoomOut);
    else if (!view_->ScrollBy(0, -::MulDiv(delta, ::MulDiv(kScrollStep, dpi_, 96), WHEEL_DELTA)))
      Do(delta > 0 ? PreviewAction::kPreviousPage : PreviewAction::kNextPage);
    return true;
  }
  if (message.message != WM_KEYDOWN) return false;
  const int step = ::MulDiv(kScrollStep, dpi_, 96);
  switch (message.wParam) {
    case VK_PRIOR: Do(PreviewAction::kPreviousPage); return true;
    case VK_NEXT: Do(PreviewAction::kNextPage); return true;
    case VK_HOME: Do(PreviewAction::kFirstPage); return true;
    case VK_END: Do(PreviewAction::kLastPage); return true;
    case VK_ADD:
    case VK_OEM_PLUS: Do(PreviewAction::kZoomIn); return true;
    case VK_SUBTRACT:
    case VK_OEM_MINUS: Do(PreviewAction::kZoomOut); return true;
    case VK_LEFT: view_->ScrollBy(-step, 0); return true;
    case VK_RIGHT: view_->ScrollBy(step, 0); return true;
    case VK_UP: view_->ScrollBy(0, -step); return true;
    case VK_DOWN: view_->ScrollBy(0, step); return true;
    case VK_ESCAPE: closed_ = true; return true;
    case 'P':
      if (::GetKeyState(VK_CONTROL) < 0) {
        PrintFromHere();
        return true;
      }
      break;
    default: break;
  }
  return false;
}

void PreviewWindow::Do(PreviewAction action) {
  if (!state_.Apply(action, WholePagePercent())) return;
  view_->ShowPage(false);
  ShowState();
}

// The dialog may change the printer or its paper: the pages are laid out
// again for the one now chosen.
void PreviewWindow::PrintFromHere() {
  source_.print(hwnd());
  pages_ = source_.layOut();
  state_.SetCount(pages_.Count());
  view_->ShowPage(true);
  ShowState();
}

// One row: the page buttons and the page's number, the zoom buttons and
// the zoom, then 印刷... and 閉じる; the page view below it.
void PreviewWindow::Layout() {
  if (!parts_.front()) return;  // while the window is being made
  static constexpr std::array<int, kPageId - kPreviousId> kOrder{
      kPreviousId, kNextId,     kPageTextId, kWholePageId, kActualSizeId,
      kZoomOutId,  kZoomInId,   kZoomTextId, kPrintId,     kCloseId};
  RECT client;
  ::GetClientRect(hwnd(), &client);
  const int gap = ::MulDiv(kGap, dpi_, 96);
  const int height = ::MulDiv(kButtonHeight, dpi_, 96);
  int x = gap;
  for (const int id : kOrder) {
    HWND part = parts_[static_cast<std::size_t>(id - kPreviousId)];
    const bool label = id == kPageTextId || id == kZoomTextId;
    const int width = label ? TextWidthOf(part, id == kPageTextId ? kWidestPageText : kWidestZoomText) + 2 * gap
                            : TextWidthOf(part, kButtonCaptions[static_cast<std::size_t>(id - kPreviousId)]) +
                                  ::MulDiv(kButtonPadding, dpi_, 96);
    ::SetWindowPos(part, nullptr, x, gap, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    x += width + (label ? 2 * gap : gap / 2);
  }
  const int top = height + 2 * gap;
  if (view_)
    ::SetWindowPos(view_->hwnd(), nullptr, 0, top, client.right, std::max<LONG>(0, client.bottom - top),
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void PreviewWindow::ShowState() {
  const double whole = WholePagePercent();
  const std::wstring page = Wide(state_.PageText());
  const std::wstring zoom = Wide(state_.ZoomText(whole));
  ::SetWindowTextW(parts_[kPageTextId - kPreviousId], page.c_str());
  ::SetWindowTextW(parts_[kZoomTextId - kPreviousId], zoom.c_str());
  for (std::size_t i = 0; i < kButtonActions.size(); ++i) {
    HWND button = parts_[i];
    const bool enabled = state_.CanApply(kButtonActions[i], whole);
    // A button that greys with the focus would take the keys with it.
    if (!enabled && ::GetFocus() == button) ::SetFocus(view_->hwnd());
    ::EnableWindow(button, enabled ? TRUE : FALSE);
  }
}

LRESULT PreviewWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (id == IDCANCEL || id == kCloseId) {
        closed_ = true;
        return 0;
      }
      if (HIWORD(wParam) != BN_CLICKED) break;
      if (id == kPrintId) {
        PrintFromHere();
        return 0;
      }
      if (id >= kPreviousId && id < kPreviousId + static_cast<int>(kButtonActions.size())) {
        Do(kButtonActions[static_cast<std::size_t>(id - kPreviousId)]);
        return 0;
      }
      break;
    }
    case WM_SIZE: Layout(); return 0;
    case WM_GETMINMAXINFO: {
      auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
      limits->ptMinTrackSize = {::MulDiv(480, dpi_, 96), ::MulDiv(320, dpi_, 96)};
      return 0;
    }
    case WM_CLOSE: closed_ = true; return 0;
    default: break;
  }
  return AttachedWindow::Handle(message, wParam, lParam);
}

}  // namespace pellora::win32
