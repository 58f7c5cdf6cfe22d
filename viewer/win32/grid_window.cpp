#include "win32/grid_window.h"

#include <windowsx.h>

#include <algorithm>
#include <string>

#include "shell/window_design.h"
#include "win32/look.h"

namespace pellora::win32 {
namespace {

constexpr UINT kCatchUpMessage = WM_APP + 1;
constexpr int kWheelRows = 3;
constexpr int kDesignDpi = 96;  // the dpi ColumnPixelWidths counts in
constexpr COLORREF kGridLineColor = RGB(192, 192, 192);

bool Contains(const GridSelection& s, int row, int col) {
  return row >= s.top && row <= s.bottom && col >= s.left && col <= s.right;
}

}  // namespace

GridWindow::GridWindow(FlexGrid& grid, HWND parent, int id, const RECT& rect, int dpi, std::vector<int> equalWidth)
    : grid_(grid), dpi_(dpi), equalWidth_(std::move(equalWidth)), rowHeight_(ToPixels(kGridRowPixels * kTwipsPerPixel, dpi)) {
  // A single line around it, as the grid control draws its border: a
  // three-dimensional edge would take two rows of pixels from the totals,
  // which have just the room for two months.
  Create({kClassName, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS}, 0, L"",
         WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | WS_VSCROLL | WS_HSCROLL | WS_CLIPSIBLINGS,
         POINT{rect.left, rect.top}, SIZE{rect.right - rect.left, rect.bottom - rect.top}, parent,
         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
  grid_.AddListener(this);
  CatchUp();
}

GridWindow::~GridWindow() {
  link_->window = nullptr;
  grid_.RemoveListener(this);
}

void GridWindow::TellCurrentCell(bool always) {
  const std::optional<std::pair<int, int>> current = Describe().Current();
  if (!current || (!always && current == toldCurrent_)) return;
  toldCurrent_ = current;
  const LONG child = CellChildId(current->first, current->second);
  if (::GetFocus() == hwnd()) ::NotifyWinEvent(EVENT_OBJECT_FOCUS, hwnd(), OBJID_CLIENT, child);
  ::NotifyWinEvent(EVENT_OBJECT_SELECTION, hwnd(), OBJID_CLIENT, child);
}

void GridWindow::SetDpi(int dpi) {
  dpi_ = dpi;
  rowHeight_ = ToPixels(kGridRowPixels * kTwipsPerPixel, dpi_);
  CatchUp();
}

void GridWindow::Changed() {
  if (catchUpPending_ || !hwnd()) return;
  catchUpPending_ = true;
  ::PostMessageW(hwnd(), kCatchUpMessage, 0, 0);
}

// Gone with its parent, the window has nothing left to draw: a null window
// would have every window of the desktop drawn again.
void GridWindow::SelectionChanged() {
  if (!hwnd()) return;
  ::InvalidateRect(hwnd(), nullptr, FALSE);
  TellCurrentCell(false);
  if (userSelecting_ || showCurrentPending_) return;
  showCurrentPending_ = true;
  Changed();
}

void GridWindow::CatchUp() {
  catchUpPending_ = false;
  if (!hwnd()) return;
  // A hidden grid (the debug window's, outside the debug mode) is laid out
  // once it shows: the widths and headings it would measure would make the
  // grid write a deferred display (grid/flex_grid.h Defer) nobody looks at.
  if ((::GetWindowLongPtrW(hwnd(), GWL_STYLE) & WS_VISIBLE) == 0) {
    laidOutWhileHidden_ = true;
    return;
  }
  HDC dc = ::GetDC(hwnd());
  HGDIOBJ old = ::SelectObject(dc, GridFont(dpi_));
  // Widths are reckoned at the design's 96 dots per inch and scaled to
  // this screen's.
  widths_ = ColumnPixelWidths(
      grid_,
      [&](std::u16string_view text) {
        const std::wstring wide = Wide(text);
        SIZE size{};
        ::GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
        return ::MulDiv(size.cx, kDesignDpi, dpi_);
      },
      equalWidth_);
  for (int& width : widths_) width = ::MulDiv(width, dpi_, kDesignDpi);
  ::SelectObject(dc, old);
  ::ReleaseDC(hwnd(), dc);
  UpdateScrollBars();
  // A current cell in the headings (a re-sort parks it there) is no place
  // to scroll to.
  if (showCurrentPending_ && grid_.Row() >= grid_.FixedRows() && grid_.Col() >= grid_.FixedCols())
    ShowCell(grid_.Row(), grid_.Col());
  showCurrentPending_ = false;
  ::InvalidateRect(hwnd(), nullptr, FALSE);
}

int GridWindow::FixedWidth() const {
  int width = 0;
  for (int col = 0; col < std::min(grid_.FixedCols(), static_cast<int>(widths_.size())); ++col)
    width += widths_[static_cast<std::size_t>(col)];
  return width;
}

int GridWindow::FixedHeight() const { return std::min(grid_.FixedRows(), grid_.Rows()) * rowHeight_; }

int GridWindow::ScrollableRows() const { return std::max(grid_.Rows() - grid_.FixedRows(), 0); }

int GridWindow::RowsInSight() const {
  RECT client;
  ::GetClientRect(hwnd(), &client);
  return std::max((static_cast<int>(client.bottom) - FixedHeight()) / rowHeight_, 1);
}

int GridWindow::ScrollableWidth() const {
  int width = 0;
  for (std::size_t col = static_cast<std::size_t>(std::max(grid_.FixedCols(), 0)); col < widths_.size(); ++col)
    width += widths_[col];
  return width;
}

int GridWindow::ColumnLeft(int col) const {
  int x = 0;
  const int fixedCols = grid_.FixedCols();
  for (int c = 0; c < col && c < static_cast<int>(widths_.size()); ++c) x += widths_[static_cast<std::size_t>(c)];
  return col < fixedCols ? x : x - leftPixel_;
}

int GridWindow::ColumnAt(int x) const {
  for (int col = 0; col < static_cast<int>(widths_.size()); ++col) {
    const int width = widths_[static_cast<std::size_t>(col)];
    if (width == 0) continue;
    const int left = ColumnLeft(col);
    // A scrolled column behind the fixed ones is not there to click.
    if (col >= grid_.FixedCols() && left + width <= FixedWidth()) continue;
    if (x >= std::max(left, col >= grid_.FixedCols() ? FixedWidth() : 0) && x < left + width) return col;
  }
  return -1;
}

int GridWindow::RowAt(int y) const {
  const int fixedRows = std::min(grid_.FixedRows(), grid_.Rows());
  const int row = y < FixedHeight() ? y / rowHeight_ : fixedRows + topRow_ + (y - FixedHeight()) / rowHeight_;
  return y >= 0 && row < grid_.Rows() ? row : -1;
}

RECT GridWindow::CellRect(int row, int col) const {
  const int fixedRows = grid_.FixedRows();
  if (col < 0 || col >= static_cast<int>(widths_.size()) || (row >= fixedRows && row - fixedRows < topRow_)) return {};
  const int x = ColumnLeft(col);
  const int y = row < fixedRows ? row * rowHeight_ : FixedHeight() + (row - fixedRows - topRow_) * rowHeight_;
  return {x, y, x + widths_[static_cast<std::size_t>(col)], y + rowHeight_};
}

void GridWindow::ShowCell(int row, int col) {
  const int index = row - grid_.FixedRows();
  if (index >= 0 && index < topRow_) ScrollRowsTo(index);
  if (index >= topRow_ + RowsInSight()) ScrollRowsTo(index - RowsInSight() + 1);
  if (col < grid_.FixedCols() || col >= static_cast<int>(widths_.size())) return;
  // The column's place among the scrolled ones, and the room they have.
  const int left = ColumnLeft(col) + leftPixel_ - FixedWidth();
  const int width = widths_[static_cast<std::size_t>(col)];
  RECT client;
  ::GetClientRect(hwnd(), &client);
  const int page = static_cast<int>(client.right) - FixedWidth();
  if (left < leftPixel_) {
    ScrollColumnsTo(left);
  } else if (left + width > leftPixel_ + page) {
    ScrollColumnsTo(std::min(left, left + width - page));
  }
}

void GridWindow::MouseDown(int x, int y, bool extend) {
  const int row = RowAt(y);
  const int col = ColumnAt(x);
  const int fixedRows = grid_.FixedRows();
  if (row < 0 || col < 0 || SelectableColumnsOf(grid_).first < 0) return;
  // Extending needs an anchor among the cells, not in the headings.
  extend = extend && grid_.Row() >= fixedRows && grid_.Col() >= grid_.FixedCols();
  if (row < fixedRows) {
    if (col < grid_.FixedCols()) return;
    if (onHeadingClick) {
      onHeadingClick(col);
    } else if (grid_.Rows() > fixedRows) {
      grid_.SetRow(fixedRows);
      grid_.SetCol(col);
      grid_.SetRowSel(grid_.Rows() - 1);
    }
    return;
  }
  if (col < grid_.FixedCols()) {
    SelectRows(grid_, extend ? grid_.Row() : row, row);
    drag_ = Drag::Rows;
  } else if (extend) {
    grid_.SetRowSel(row);
    grid_.SetColSel(col);
    drag_ = Drag::Cells;
  } else {
    grid_.SetRow(row);
    grid_.SetCol(col);
    drag_ = Drag::Cells;
  }
  ::SetCapture(hwnd());
}

void GridWindow::MouseDrag(int x, int y) {
  const int fixedRows = grid_.FixedRows();
  if (drag_ == Drag::None || grid_.Rows() <= fixedRows) return;
  // Past the edges, the row or column beyond comes into sight, so that a
  // drag can select more than a screenful.
  const int offset = y - FixedHeight();
  const int line = offset < 0 ? -1 : offset / rowHeight_;
  const int row = std::clamp(fixedRows + topRow_ + line, fixedRows, grid_.Rows() - 1);
  int col = grid_.ColSel();
  if (drag_ == Drag::Cells) {
    RECT client;
    ::GetClientRect(hwnd(), &client);
    const int at = ColumnAt(std::clamp(x, FixedWidth(), static_cast<int>(client.right) - 1));
    if (at >= grid_.FixedCols()) col = at;
    if (x < FixedWidth() && col > SelectableColumnsOf(grid_).first) --col;
    while (col > grid_.FixedCols() && grid_.ColWidth(col) == 0) --col;
  }
  if (row != grid_.RowSel()) grid_.SetRowSel(row);
  if (col != grid_.ColSel()) grid_.SetColSel(col);
  ShowCell(row, drag_ == Drag::Cells ? col : -1);
}

// The arrows, the page keys, Home and End move the current cell, or with
// Shift the selection's moving end; false when there is nothing to move in.
bool GridWindow::MoveByKey(WPARAM key, bool extend) {
  const int fixedRows = grid_.FixedRows();
  const auto [first, last] = SelectableColumnsOf(grid_);
  if (grid_.Rows() <= fixedRows || first < 0) return false;
  extend = extend && grid_.Row() >= fixedRows && grid_.Col() >= grid_.FixedCols();
  int row = std::max(extend ? grid_.RowSel() : grid_.Row(), fixedRows);
  int col = std::clamp(extend ? grid_.ColSel() : grid_.Col(), first, last);
  const bool started = grid_.Row() >= fixedRows;
  switch (key) {
    case VK_UP: row -= started ? 1 : 0; break;
    case VK_DOWN: row += started ? 1 : 0; break;
    case VK_PRIOR: row -= RowsInSight(); break;
    case VK_NEXT: row += RowsInSight(); break;
    case VK_HOME: row = fixedRows; break;
    case VK_END: row = grid_.Rows() - 1; break;
    case VK_LEFT:
      do --col;
      while (col >= first && grid_.ColWidth(col) == 0);
      break;
    case VK_RIGHT:
      do ++col;
      while (col <= last && grid_.ColWidth(col) == 0);
      break;
    default: return false;
  }
  row = std::clamp(row, fixedRows, grid_.Rows() - 1);
  col = std::clamp(col, first, last);
  if (extend) {
    grid_.SetRowSel(row);
    grid_.SetColSel(col);
  } else {
    grid_.SetRow(row);
    grid_.SetCol(col);
  }
  ShowCell(row, col);
  return true;
}

void GridWindow::UpdateScrollBars() {
  RECT client;
  ::GetClientRect(hwnd(), &client);
  topRow_ = std::clamp(topRow_, 0, std::max(ScrollableRows() - RowsInSight(), 0));
  const int page = std::max(static_cast<int>(client.right) - FixedWidth(), 1);
  leftPixel_ = std::clamp(leftPixel_, 0, std::max(ScrollableWidth() - page, 0));

  SCROLLINFO rows{sizeof rows, SIF_RANGE | SIF_PAGE | SIF_POS, 0, std::max(ScrollableRows() - 1, 0),
                  static_cast<UINT>(RowsInSight()), topRow_, 0};
  ::SetScrollInfo(hwnd(), SB_VERT, &rows, TRUE);
  SCROLLINFO columns{sizeof columns, SIF_RANGE | SIF_PAGE | SIF_POS, 0, std::max(ScrollableWidth() - 1, 0),
                     static_cast<UINT>(page), leftPixel_, 0};
  ::SetScrollInfo(hwnd(), SB_HORZ, &columns, TRUE);
}

void GridWindow::ScrollRowsTo(int top) {
  const int clamped = std::clamp(top, 0, std::max(ScrollableRows() - RowsInSight(), 0));
  if (clamped == topRow_) return;
  topRow_ = clamped;
  UpdateScrollBars();
  ::InvalidateRect(hwnd(), nullptr, FALSE);
}

void GridWindow::ScrollColumnsTo(int left) {
  leftPixel_ = left;
  UpdateScrollBars();
  ::InvalidateRect(hwnd(), nullptr, FALSE);
}

void GridWindow::PaintCell(HDC dc, int row, int col, const RECT& cell, const GridSelection* highlight) {
  const bool fixed = row < grid_.FixedRows() || col < grid_.FixedCols();
  const bool highlighted = highlight && !fixed && Contains(*highlight, row, col);
  const std::optional<GridColor> own = grid_.CellBackColor(row, col);
  const COLORREF back = highlighted ? ::GetSysColor(COLOR_HIGHLIGHT)
                        : own       ? ToColorRef(*own)
                                    : ::GetSysColor(fixed ? COLOR_BTNFACE : COLOR_WINDOW);
  ::FillRect(dc, &cell, BrushOf(back));
  // The lines between cells: the heading's shadow for the fixed ones.
  RECT right{cell.right - 1, cell.top, cell.right, cell.bottom};
  RECT bottom{cell.left, cell.bottom - 1, cell.right, cell.bottom};
  const HBRUSH line = fixed ? ::GetSysColorBrush(COLOR_BTNSHADOW) : BrushOf(kGridLineColor);
  ::FillRect(dc, &right, line);
  ::FillRect(dc, &bottom, line);

  const std::u16string text = grid_.TextMatrix(row, col);
  if (text.empty()) return;
  const std::wstring wide = Wide(text);
  const int margin = ::MulDiv(2, dpi_, kDesignDpi);
  RECT inside{cell.left + margin, cell.top, cell.right - 1 - margin, cell.bottom - 1};
  // Headings centred; the cells as their column aligns them.
  const UINT align = row < grid_.FixedRows()                                          ? DT_CENTER
                     : grid_.CellAlignment(row, col) == FlexGrid::Alignment::Right ? DT_RIGHT
                                                                                     : DT_LEFT;
  ::SetTextColor(dc, ::GetSysColor(highlighted ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  ::DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &inside,
              align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void GridWindow::Paint(HDC dc, const RECT& dirty) {
  RECT client;
  ::GetClientRect(hwnd(), &client);
  ::FillRect(dc, &dirty, ::GetSysColorBrush(COLOR_WINDOW));
  HGDIOBJ oldFont = ::SelectObject(dc, GridFont(dpi_));
  ::SetBkMode(dc, TRANSPARENT);

  const int fixedRows = std::min(grid_.FixedRows(), grid_.Rows());
  const int fixedCols = grid_.FixedCols();
  const int fixedWidth = FixedWidth();
  std::vector<int> rows;
  for (int row = 0; row < fixedRows; ++row) rows.push_back(row);
  const int firstScrolled = static_cast<int>(rows.size());
  for (int row = fixedRows + topRow_, y = FixedHeight(); row < grid_.Rows() && y < client.bottom;
       ++row, y += rowHeight_)
    rows.push_back(row);
  if (static_cast<int>(rows.size()) > firstScrolled) ++rowPaints_;
  // A selection of more than the current cell is highlighted, over the
  // cells' own colours, as a list view highlights its selected items.
  const GridSelection selection = SelectionOf(grid_);
  const bool severalCells = selection.top != selection.bottom || selection.left != selection.right;

  for (std::size_t i = 0; i < rows.size(); ++i) {
    const int y = static_cast<int>(i) * rowHeight_;
    if (y >= dirty.bottom || y + rowHeight_ <= dirty.top) continue;
    for (int col = 0; col < static_cast<int>(widths_.size()); ++col) {
      const int width = widths_[static_cast<std::size_t>(col)];
      if (width == 0) continue;
      const int x = ColumnLeft(col);
      if (x >= client.right || x + width <= (col < fixedCols ? 0 : fixedWidth)) continue;
      // Scrolled columns pass behind the fixed ones.
      const int save = ::SaveDC(dc);
      if (col >= fixedCols) ::IntersectClipRect(dc, fixedWidth, 0, client.right, client.bottom);
      PaintCell(dc, rows[i], col, RECT{x, y, x + width, y + rowHeight_}, severalCells ? &selection : nullptr);
      ::RestoreDC(dc, save);
    }
  }
  // The focus: on the current cell once there is one among the cells,
  // around the whole grid before.
  if (::GetFocus() == hwnd()) {
    RECT current = CellRect(grid_.Row(), grid_.Col());
    const bool inCells = grid_.Row() >= grid_.FixedRows() && grid_.Col() >= grid_.FixedCols() &&
                         current.bottom > current.top && current.right > current.left;
    if (inCells) {
      current.left = std::max<LONG>(current.left, fixedWidth);
      current.top = std::max<LONG>(current.top, FixedHeight());
      --current.right;
      --current.bottom;
    }
    ::DrawFocusRect(dc, inCells ? &current : &client);
  }
  ::SelectObject(dc, oldFont);
}

LRESULT GridWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  // What the user's own gestures select they bring into sight themselves.
  const auto byUser = [this](auto gesture) {
    userSelecting_ = true;
    const auto result = gesture();
    userSelecting_ = false;
    return result;
  };
  switch (message) {
    case kCatchUpMessage:
      if (catchUpPending_) CatchUp();
      return 0;
    case WM_SHOWWINDOW:
      if (wParam && laidOutWhileHidden_) {
        laidOutWhileHidden_ = false;
        catchUpPending_ = true;
        ::PostMessageW(hwnd(), kCatchUpMessage, 0, 0);  // once it is visible
      }
      break;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(hwnd(), &ps);
      // Drawn aside and copied at once, so that nothing flickers.
      RECT client;
      ::GetClientRect(hwnd(), &client);
      HDC memory = ::CreateCompatibleDC(dc);
      HBITMAP bitmap = ::CreateCompatibleBitmap(dc, std::max<int>(client.right, 1), std::max<int>(client.bottom, 1));
      HGDIOBJ old = ::SelectObject(memory, bitmap);
      Paint(memory, client);
      ::BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
      ::SelectObject(memory, old);
      ::DeleteObject(bitmap);
      ::DeleteDC(memory);
      ::EndPaint(hwnd(), &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      UpdateScrollBars();
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      ::InvalidateRect(hwnd(), nullptr, FALSE);
      if (message == WM_SETFOCUS) TellCurrentCell(true);
      return 0;
    case WM_GETOBJECT:
      // The client object is ours, the grid as a table; the window's other
      // objects (its frame, its scroll bars) are the system's.
      if (static_cast<LONG>(lParam) == OBJID_CLIENT) return AnswerGetObject(link_, wParam);
      break;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_LBUTTONDOWN:
      ::SetFocus(hwnd());
      return byUser([&] {
        MouseDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), (wParam & MK_SHIFT) != 0);
        return 0;
      });
    case WM_LBUTTONDBLCLK: {
      const int row = RowAt(GET_Y_LPARAM(lParam));
      if (onDoubleClick && row >= grid_.FixedRows()) {
        onDoubleClick(row);
        return 0;
      }
      ::SetFocus(hwnd());
      return byUser([&] {
        MouseDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), (wParam & MK_SHIFT) != 0);
        return 0;
      });
    }
    case WM_MOUSEMOVE:
      return byUser([&] {
        if (::GetCapture() == hwnd()) MouseDrag(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
      });
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      drag_ = Drag::None;
      if (message == WM_LBUTTONUP && ::GetCapture() == hwnd()) ::ReleaseCapture();
      return 0;
    case WM_RBUTTONDOWN: {
      // The context menu works on the selection: a click outside it makes
      // the cell under the pointer the selection first.
      ::SetFocus(hwnd());
      const int row = RowAt(GET_Y_LPARAM(lParam));
      const int col = ColumnAt(GET_X_LPARAM(lParam));
      if (row >= grid_.FixedRows() && col >= grid_.FixedCols() && !Contains(SelectionOf(grid_), row, col)) {
        byUser([&] {
          grid_.SetRow(row);
          grid_.SetCol(col);
          return 0;
        });
      }
      break;  // the default handling raises WM_CONTEXTMENU on the button's release
    }
    case WM_MOUSEWHEEL:
      ScrollRowsTo(topRow_ - GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA * kWheelRows);
      return 0;
    case WM_KEYDOWN:
      if (byUser([&] { return MoveByKey(wParam, ::GetKeyState(VK_SHIFT) < 0); })) return 0;
      // No cell to move to: without rows there is nothing to scroll either,
      // but rows whose columns are all hidden but the fixed one still
      // scroll by the keys. Nothing scrolls sideways then.
      switch (wParam) {
        case VK_UP: ScrollRowsTo(topRow_ - 1); return 0;
        case VK_DOWN: ScrollRowsTo(topRow_ + 1); return 0;
        case VK_PRIOR: ScrollRowsTo(topRow_ - RowsInSight()); return 0;
        case VK_NEXT: ScrollRowsTo(topRow_ + RowsInSight()); return 0;
        case VK_HOME: ScrollRowsTo(0); return 0;
        case VK_END: ScrollRowsTo(ScrollableRows()); return 0;
        default: break;
      }
      break;
    case WM_VSCROLL:
    case WM_HSCROLL: {
      const bool vertical = message == WM_VSCROLL;
      SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
      ::GetScrollInfo(hwnd(), vertical ? SB_VERT : SB_HORZ, &info);
      const int line = vertical ? 1 : rowHeight_;
      int position = info.nPos;
      switch (LOWORD(wParam)) {
        case SB_LINEUP: position -= line; break;
        case SB_LINEDOWN: position += line; break;
        case SB_PAGEUP: position -= static_cast<int>(info.nPage); break;
        case SB_PAGEDOWN: position += static_cast<int>(info.nPage); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: position = info.nTrackPos; break;
        case SB_TOP: position = info.nMin; break;
        case SB_BOTTOM: position = info.nMax; break;
        default: return 0;
      }
      if (vertical) {
        ScrollRowsTo(position);
      } else {
        ScrollColumnsTo(position);
      }
      return 0;
    }
    default:
      break;
  }
  return AttachedWindow::Handle(message, wParam, lParam);
}

}  // namespace pellora::win32
