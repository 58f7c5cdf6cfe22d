// The public header that tools/idlgen/tests/data/sample.idl describes.
#pragma once
#include "automation/com.h"

typedef enum tKind { tNone = 0, tNext = 1, tBoth = 3, tAll = -1 } tKind;

struct IItem : public IDispatch {
  STDMETHOD(get_Name)(BSTR* pVal) PURE;
  STDMETHOD(put_Name)(BSTR newVal) PURE;
};

struct IAll : public IDispatch {
  STDMETHOD(get__NewEnum)(IUnknown** pVal) PURE;
  STDMETHOD(get_Colour)(OLE_COLOR* pVal) PURE;
  STDMETHOD(put_Colour)(OLE_COLOR newVal) PURE;
  STDMETHOD(putref_Item)(IItem* newVal) PURE;
  STDMETHOD(Add)(VARIANT Date, tKind Kind, SHORT Count, IItem** pVal) PURE;
  STDMETHOD(Find)(IItem** Obj, VARIANT* Found, LONG Limit, VARIANT_BOOL* pVal) PURE;
  STDMETHOD(get_Kind)(SHORT Index, tKind* pVal) PURE;
  STDMETHOD(put_Kind)(SHORT Index, tKind newVal) PURE;
  STDMETHOD(Clear)() PURE;
  STDMETHOD(Count)(LONG Index, SHORT* Days, LONG* pVal) PURE;
};
