// The library's internal interfaces between its own objects. They carry the
// fixed identifiers of the public header but are not described in the type
// library: hosts never call them.
#pragma once

#include "dovrel60.h"
#include "engine/day_cell.h"

// What the main object asks of every HolidayStyle.
struct DECLSPEC_NOVTABLE IHLDYStyleApply : public IUnknown {
  // The change-notification target of the style, passed on to its Days and
  // their members.
  STDMETHOD(SetNotify)(HWND window, UINT message) PURE;
  // Marks count cells for the days first, first + 1, ... with the style's
  // definitions, in collection order, writing styleNumber into every cell it
  // marks. Days outside the run are not touched.
  STDMETHOD(ApplyToRange)(dovrel::engine::DayCell* cells, LONG first, LONG count, LONG styleNumber) PURE;
  // The first of the style's Days (the last when backward is non-zero) that
  // covers dayNumber: *found = 1 and *day a new reference to it; otherwise
  // *found = 0 and *day is left as it was. Always S_OK.
  STDMETHOD(FindDay)(LONG dayNumber, BOOL* found, IDay** day, BOOL backward) PURE;
};

// The HolidayStyles collection's own change-notification target. It reaches
// neither the styles nor their Days.
struct DECLSPEC_NOVTABLE IHLDYStylesNotify : public IUnknown {
  STDMETHOD(SetNotify)(HWND window, UINT message) PURE;
};

namespace dovrel {

// The main object that owns a HolidayStyles collection. The collection keeps
// an uncounted pointer to it and calls ResolveUseStyles after every change of
// membership (Add, AddObj, Remove, Clear), so that the styles in use follow
// the collection. The owner cuts the link (HolidayStyles::CutOwner) before it
// dies, because a host may keep the collection longer than the main object.
class HolidayStylesOwner {
 public:
  virtual void ResolveUseStyles() = 0;

 protected:
  ~HolidayStylesOwner() = default;
};

}  // namespace dovrel
