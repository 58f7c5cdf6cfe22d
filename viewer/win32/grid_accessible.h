#pragma once
// A grid window's answer to assistive technology: MSAA's IAccessible, which
// screen readers and magnifiers ask a window for through WM_GETOBJECT. The
// grid is a table whose children are its rows, whose children are their
// cells; what each says is the headless GridAccessibility's
// (display/grid_accessibility.h), asked afresh on every request, so that the
// objects never hold a stale copy of the grid.
//
// The objects outlive the window when a client keeps them: a GridLink tells
// them whether the window is still there, and once it is gone they answer
// that they are no longer connected.
//
// A cell is also a child of the table, under an id of its own (CellChildId),
// so that the focus event of a cell names it in the window's client object,
// where a client looks it up (AccessibleObjectFromEvent).

#include <windows.h>
#include <oleacc.h>

#include <functional>
#include <memory>

#include "display/grid_accessibility.h"

namespace pellora::win32 {

class GridWindow;

struct GridLink {
  GridWindow* window = nullptr;
};

// The child id in the table of a row's cell: above the rows' ids 1 to N.
LONG CellChildId(int row, int cell);

// A new table object of `link`'s grid, with one reference for the caller.
IAccessible* NewTableObject(const std::shared_ptr<GridLink>& link);

// The answer to WM_GETOBJECT for OBJID_CLIENT: the table of `link`'s grid.
LRESULT AnswerGetObject(const std::shared_ptr<GridLink>& link, WPARAM wParam);

}  // namespace pellora::win32
