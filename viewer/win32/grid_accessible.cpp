#include "win32/grid_accessible.h"

#include <algorithm>
#include <optional>

#include "win32/grid_window.h"
#include "win32/look.h"

namespace pellora::win32 {
namespace {

constexpr int kCellShift = 20;  // a cell's id: its place in the row above the row's

// Which part of the grid an object is: the table, a row, or a row's cell.
struct Part {
  enum Kind { Table, Row, Cell } kind = Table;
  int row = 0, cell = 0;
};

BSTR ToBstr(const std::u16string& text) {
  const std::wstring wide = Wide(text);
  return ::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

LONG RoleOf(AccessibleRole role) {
  switch (role) {
    case AccessibleRole::Table: return ROLE_SYSTEM_TABLE;
    case AccessibleRole::Row: return ROLE_SYSTEM_ROW;
    case AccessibleRole::ColumnHeader: return ROLE_SYSTEM_COLUMNHEADER;
    case AccessibleRole::Cell: break;
  }
  return ROLE_SYSTEM_CELL;
}

class GridAccessible final : public IAccessible {
 public:
  GridAccessible(std::shared_ptr<GridLink> link, Part part) : link_(std::move(link)), part_(part) {}

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IAccessible) {
      *object = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ::InterlockedIncrement(&references_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = ::InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return left;
  }

  // IDispatch: the clients of MSAA call IAccessible's members directly.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    if (!parent) return E_POINTER;
    *parent = nullptr;
    if (!Window()) return CO_E_OBJNOTCONNECTED;
    if (part_.kind == Part::Table) {
      // The window's own object, as the system gives it.
      IAccessible* standard = StandardObject();
      if (!standard) return S_FALSE;
      const HRESULT result = standard->get_accParent(parent);
      standard->Release();
      return result;
    }
    *parent = Make(part_.kind == Part::Cell ? Part{Part::Row, part_.row} : Part{});
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    if (!Window()) return CO_E_OBJNOTCONNECTED;
    const GridAccessibility grid = Window()->Describe();
    if (part_.kind == Part::Table) *count = grid.Rows();
    if (part_.kind == Part::Row) *count = grid.Cells();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!Window()) return CO_E_OBJNOTCONNECTED;
    const std::optional<Part> part = Resolve(child);
    if (!part) return E_INVALIDARG;
    if (part->kind == part_.kind) return S_FALSE;  // CHILDID_SELF: no child
    *object = Make(*part);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    return Text(child, name, [](const AccessibleItem& item) { return item.name; });
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT, BSTR* value) override {
    if (value) *value = nullptr;
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
    return Text(child, description, [](const AccessibleItem& item) { return item.description; });
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (!role) return E_POINTER;
    ::VariantInit(role);
    std::optional<AccessibleItem> item;
    const HRESULT result = ItemOf(child, item);
    if (result != S_OK) return result;
    role->vt = VT_I4;
    role->lVal = RoleOf(item->role);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    if (!state) return E_POINTER;
    ::VariantInit(state);
    std::optional<AccessibleItem> item;
    const HRESULT result = ItemOf(child, item);
    if (result != S_OK) return result;
    const std::optional<Part> part = Resolve(child);
    const bool focused = ::GetFocus() == Window()->hwnd();
    LONG flags = STATE_SYSTEM_FOCUSABLE;
    if (part->kind == Part::Table) {
      if (focused && !Window()->Describe().Current()) flags |= STATE_SYSTEM_FOCUSED;
    } else {
      flags |= STATE_SYSTEM_SELECTABLE;
      if (item->selected) flags |= STATE_SYSTEM_SELECTED;
      if (item->current && focused && part->kind == Part::Cell) flags |= STATE_SYSTEM_FOCUSED;
      RECT place{};
      if (!Place(*part, place)) flags |= STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN;
    }
    if (!::IsWindowVisible(Window()->hwnd())) flags |= STATE_SYSTEM_INVISIBLE;
    state->vt = VT_I4;
    state->lVal = flags;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* help) override {
    if (help) *help = nullptr;
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
    if (file) *file = nullptr;
    if (topic) *topic = 0;
    return DISP_E_MEMBERNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* shortcut) override {
    if (shortcut) *shortcut = nullptr;
    return DISP_E_MEMBERNOTFOUND;
  }
  // The current cell while the grid has the keyboard's focus: the table's
  // focus is that cell, a row's only when the cell is among its own.
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    if (!focus) return E_POINTER;
    ::VariantInit(focus);
    if (!Window()) return CO_E_OBJNOTCONNECTED;
    if (::GetFocus() != Window()->hwnd() || part_.kind == Part::Cell) return S_FALSE;
    const std::optional<std::pair<int, int>> current = Window()->Describe().Current();
    if (!current) {
      if (part_.kind == Part::Row) return S_FALSE;
      focus->vt = VT_I4;
      focus->lVal = CHILDID_SELF;
      return S_OK;
    }
    if (part_.kind == Part::Row && current->first != part_.row) return S_FALSE;
    focus->vt = VT_DISPATCH;
    focus->pdispVal = Make(Part{Part::Cell, current->first, current->second});
    return S_OK;
  }
  // A selection of one cell is that cell; of more, the current one stands
  // for it (the grid's selection is one rectangle about it).
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    if (!selection) return E_POINTER;
    ::VariantInit(selection);
    if (!Window()) return CO_E_OBJNOTCONNECTED;
    const std::optional<std::pair<int, int>> current = Window()->Describe().Current();
    if (!current || part_.kind == Part::Cell) return S_FALSE;
    selection->vt = VT_DISPATCH;
    selection->pdispVal = Make(Part{Part::Cell, current->first, current->second});
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT, BSTR* action) override {
    if (action) *action = nullptr;
    return DISP_E_MEMBERNOTFOUND;
  }
  // Taking the focus or the selection makes a cell the current one.
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
    if (!Window()) return CO_E_OBJNOTCONNECTED;
    const std::optional<Part> part = Resolve(child);
    if (!part || part->kind != Part::Cell) return E_INVALIDARG;
    if (flags & SELFLAG_TAKEFOCUS) ::SetFocus(Window()->hwnd());
    if (flags & (SELFLAG_TAKESELECTION | SELFLAG_TAKEFOCUS)) {
      FlexGrid& grid = Window()->grid();
      grid.SetRow(part->row);
      grid.SetCol(Window()->Describe().ColumnOf(part->cell));
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
    if (!left || !top || !width || !height) return E_POINTER;
    *left = *top = *width = *height = 0;
    if (!Window()) return CO_E_OBJNOTCONNECTED;
    const std::optional<Part> part = Resolve(child);
    if (!part) return E_INVALIDARG;
    RECT place{};
    if (part->kind == Part::Table) {
      ::GetClientRect(Window()->hwnd(), &place);
    } else if (!Place(*part, place)) {
      return S_FALSE;
    }
    ::MapWindowPoints(Window()->hwnd(), nullptr, reinterpret_cast<POINT*>(&place), 2);
    *left = place.left;
    *top = place.top;
    *width = place.right - place.left;
    *height = place.bottom - place.top;
    return S_OK;
  }
  // Among the siblings in order, and down to the first or last child.
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
    if (!end) return E_POINTER;
    ::VariantInit(end);
    if (!Window()) return CO_E_OBJNOTCONNECTED;
    const std::optional<Part> from = Resolve(start);
    if (!from) return E_INVALIDARG;
    const GridAccessibility grid = Window()->Describe();
    std::optional<Part> to;
    const auto within = [&](Part p) -> std::optional<Part> {
      const int count = p.kind == Part::Row ? grid.Rows() : grid.Cells();
      const int index = p.kind == Part::Row ? p.row : p.cell;
      if (index < 0 || index >= count) return std::nullopt;
      return p;
    };
    switch (direction) {
      case NAVDIR_FIRSTCHILD:
      case NAVDIR_LASTCHILD: {
        const bool first = direction == NAVDIR_FIRSTCHILD;
        if (from->kind == Part::Table) to = within(Part{Part::Row, first ? 0 : grid.Rows() - 1});
        if (from->kind == Part::Row) to = within(Part{Part::Cell, from->row, first ? 0 : grid.Cells() - 1});
        break;
      }
      case NAVDIR_NEXT:
      case NAVDIR_PREVIOUS:
      case NAVDIR_DOWN:
      case NAVDIR_UP:
      case NAVDIR_RIGHT:
      case NAVDIR_LEFT: {
        const int step = direction == NAVDIR_NEXT || direction == NAVDIR_DOWN || direction == NAVDIR_RIGHT ? 1 : -1;
        const bool alongRow = direction == NAVDIR_NEXT || direction == NAVDIR_PREVIOUS || direction == NAVDIR_RIGHT ||
                              direction == NAVDIR_LEFT;
        Part p = *from;
        if (p.kind == Part::Table) break;
        if (p.kind == Part::Row) p.row += step;
        if (p.kind == Part::Cell) (alongRow ? p.cell : p.row) += step;
        if (p.row >= 0 && p.row < grid.Rows() && (p.kind != Part::Cell || (p.cell >= 0 && p.cell < grid.Cells())))
          to = p;
        break;
      }
      default: return E_INVALIDARG;
    }
    if (!to) return S_FALSE;
    end->vt = VT_DISPATCH;
    end->pdispVal = Make(*to);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* hit) override {
    if (!hit) return E_POINTER;
    ::VariantInit(hit);
    if (!Window()) return CO_E_OBJNOTCONNECTED;
    POINT point{x, y};
    ::ScreenToClient(Window()->hwnd(), &point);
    RECT client;
    ::GetClientRect(Window()->hwnd(), &client);
    if (!::PtInRect(&client, point)) return S_FALSE;
    const GridAccessibility grid = Window()->Describe();
    const int row = Window()->RowAt(point.y);
    const int col = Window()->ColumnAt(point.x);
    const int cell = col < 0 ? -1 : grid.CellOf(col);
    if (row < 0 || (part_.kind != Part::Table && row != part_.row)) {
      hit->vt = VT_I4;
      hit->lVal = CHILDID_SELF;
      return S_OK;
    }
    hit->vt = VT_DISPATCH;
    hit->pdispVal = Make(cell < 0 ? Part{Part::Row, row} : Part{Part::Cell, row, cell});
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT) override { return DISP_E_MEMBERNOTFOUND; }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  ~GridAccessible() = default;

  GridWindow* Window() const { return link_->window; }

  IDispatch* Make(Part part) const { return new GridAccessible(link_, part); }

  IAccessible* StandardObject() const {
    IAccessible* standard = nullptr;
    if (FAILED(::CreateStdAccessibleObject(Window()->hwnd(), OBJID_CLIENT, IID_IAccessible,
                                           reinterpret_cast<void**>(&standard))))
      return nullptr;
    return standard;
  }

  // The part a child id names, relative to this object; none for an id
  // that names nothing here.
  std::optional<Part> Resolve(const VARIANT& child) const {
    if (child.vt != VT_I4) return std::nullopt;
    const LONG id = child.lVal;
    if (id == CHILDID_SELF) return part_;
    const GridAccessibility grid = Window()->Describe();
    if (part_.kind == Part::Table) {
      const int row = (id & ((1 << kCellShift) - 1)) - 1;
      const int cell = (id >> kCellShift) - 1;
      if (row < 0 || row >= grid.Rows() || cell >= grid.Cells()) return std::nullopt;
      return cell < 0 ? Part{Part::Row, row} : Part{Part::Cell, row, cell};
    }
    if (part_.kind == Part::Row && id >= 1 && id <= grid.Cells()) return Part{Part::Cell, part_.row, id - 1};
    return std::nullopt;
  }

  HRESULT ItemOf(const VARIANT& child, std::optional<AccessibleItem>& item) const {
    if (!Window()) return CO_E_OBJNOTCONNECTED;
    const std::optional<Part> part = Resolve(child);
    if (!part) return E_INVALIDARG;
    const GridAccessibility grid = Window()->Describe();
    if (part->row >= grid.Rows() || (part->kind == Part::Cell && part->cell >= grid.Cells()))
      return E_INVALIDARG;  // the grid has shrunk since the object was made
    item = part->kind == Part::Table ? grid.Table()
           : part->kind == Part::Row ? grid.Row(part->row)
                                     : grid.Cell(part->row, part->cell);
    return S_OK;
  }

  template <typename Field>
  HRESULT Text(const VARIANT& child, BSTR* text, Field field) const {
    if (!text) return E_POINTER;
    *text = nullptr;
    std::optional<AccessibleItem> item;
    const HRESULT result = ItemOf(child, item);
    if (result != S_OK) return result;
    const std::u16string value = field(*item);
    if (value.empty()) return S_FALSE;
    *text = ToBstr(value);
    return S_OK;
  }

  // Where a row or cell is drawn in the window's client area; false when
  // it is out of sight.
  bool Place(const Part& part, RECT& place) const {
    const GridAccessibility grid = Window()->Describe();
    RECT client;
    ::GetClientRect(Window()->hwnd(), &client);
    const auto cellRect = [&](int cell) { return Window()->CellRect(part.row, grid.ColumnOf(cell)); };
    RECT found{};
    if (part.kind == Part::Cell) {
      found = cellRect(part.cell);
    } else {
      for (int cell = 0; cell < grid.Cells(); ++cell) {
        const RECT one = cellRect(cell);
        ::UnionRect(&found, &found, &one);
      }
    }
    return ::IntersectRect(&place, &found, &client) != 0;
  }

  LONG references_ = 1;
  std::shared_ptr<GridLink> link_;
  Part part_;
};

}  // namespace

LONG CellChildId(int row, int cell) { return static_cast<LONG>(((cell + 1) << kCellShift) | (row + 1)); }

IAccessible* NewTableObject(const std::shared_ptr<GridLink>& link) { return new GridAccessible(link, Part{}); }

LRESULT AnswerGetObject(const std::shared_ptr<GridLink>& link, WPARAM wParam) {
  IAccessible* table = NewTableObject(link);
  const LRESULT result = ::LresultFromObject(IID_IAccessible, wParam, table);
  table->Release();
  return result;
}

}  // namespace pellora::win32
