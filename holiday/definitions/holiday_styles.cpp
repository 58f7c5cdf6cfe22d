#include "definitions/holiday_styles.h"

namespace dovrel {

namespace {
// Answered only by our own HolidayStyles; never published.
constexpr IID IID_HolidayStylesObject = {0xF4C3085A, 0x1E96, 0x4B27, {0xBD, 0x52, 0x07, 0x9A, 0x6E, 0x31, 0xC8, 0x5F}};

// The value of an integer argument, read through a reference.
std::optional<LONG> IntegerArgument(const VARIANT& v) {
  const VARIANT& value = Referred(v);
  switch (value.vt) {
    case VT_I2: return value.iVal;
    case VT_I4: return value.lVal;
    case VT_BYREF | VT_I2: return value.piVal ? std::optional<LONG>(*value.piVal) : std::nullopt;
    case VT_BYREF | VT_I4: return value.plVal ? std::optional<LONG>(*value.plVal) : std::nullopt;
    default: return std::nullopt;
  }
}
}  // namespace

const ErrorSource HolidayStyles::kErrors{CLSID_HolidayStyles, IID_IHLDYStyles};

HolidayStyles::~HolidayStyles() {
  // Styles that hosts still hold must not point at a collection that is gone.
  for (HolidayStyle* style : members_.All()) style->SetOwner(nullptr);
}

IUnknown* HolidayStyles::FindInterface(REFIID riid) {
  if (IsEqualGUID(riid, IID_IHLDYStyles) || IsEqualGUID(riid, IID_IDispatch)) return static_cast<IHLDYStyles*>(this);
  if (IsEqualGUID(riid, IID_ISupportErrorInfo)) return static_cast<ISupportErrorInfo*>(this);
  if (IsEqualGUID(riid, IID_IHLDYStylesNotify)) return static_cast<IHLDYStylesNotify*>(this);
  if (IsEqualGUID(riid, IID_IPersistStream) || IsEqualGUID(riid, IID_IPersist))
    return static_cast<IPersistStream*>(this);
  if (IsEqualGUID(riid, IID_HolidayStylesObject)) return static_cast<IHLDYStyles*>(this);
  return nullptr;
}

HolidayStyles* HolidayStyles::FromInterface(IUnknown* object) {
  return ObjectBehind<HolidayStyles, IHLDYStyles>(object, IID_HolidayStylesObject);
}

STDMETHODIMP HolidayStyles::get__NewEnum(IUnknown** pVal) { return members_.NewEnum(pVal); }

STDMETHODIMP HolidayStyles::get_Count(LONG* pVal) { return members_.CountInto(pVal); }

STDMETHODIMP HolidayStyles::get_Item(VARIANT Index, IHLDYStyle** pVal) {
  return members_.ItemInto(Index, kErrors, pVal);
}

STDMETHODIMP HolidayStyles::put_Item(VARIANT Index, IHLDYStyle* newVal) {
  // The value must be a style, and one of ours: its stored Parent and its
  // Days are copied from the inside.
  const HolidayStyle* source = HolidayStyle::FromInterface(newVal);
  if (!source) return DVERR_INVALID_ARGUMENT;
  LONG position = 0;
  HRESULT hr = members_.Select(Index, kErrors, &position);
  if (FAILED(hr)) return hr;
  HolidayStyle* member = members_.At(position);
  const OleStringView newKey = source->Key().View();
  if (newKey.empty()) return kErrors.Raise(IDS_E_KEY_INVALID, DVERR_KEY_INVALID);
  if (!KeysEqual(newKey, member->Key().View())) {
    const auto holder = members_.Index().Find(newKey);
    if (holder && *holder != position)
      return kErrors.Raise(IDS_E_KEY_BELONGS_TO_OTHER, DVERR_KEY_BELONGS_TO_OTHER);
  }
  if (source == member) return S_OK;

  // The member leaves the index under its old key and enters it under the
  // new one (which may differ from the old only in case).
  OleString oldKey;
  try {
    oldKey = member->Key().View();
  } catch (const std::bad_alloc&) {
    return DVERR_OUT_OF_MEMORY;
  }
  hr = member->CopyStyleFrom(*source, true);
  if (FAILED(hr)) return hr;
  hr = members_.Rekey(position, oldKey);
  if (FAILED(hr)) return hr;
  notification_.Send();
  return S_OK;
}

STDMETHODIMP HolidayStyles::putref_Item(VARIANT Index, IHLDYStyle* newVal) { return put_Item(Index, newVal); }

HRESULT HolidayStyles::InsertionPoint(const VARIANT& index, LONG* position) const {
  const LONG count = members_.Count();
  if (IsMissing(index)) {
    *position = count;
    return S_OK;
  }
  const auto p = IntegerArgument(index);
  if (!p) return DVERR_INVALID_ARGUMENT;
  // A position outside the collection is no error: the style goes last.
  *position = (*p >= 1 && *p <= count) ? *p - 1 : count;
  return S_OK;
}

HRESULT HolidayStyles::Place(LONG position, BSTR key, HolidayStyle* style) {
  if (!style->Key().TrySetExact(ViewOf(key))) return DVERR_OUT_OF_MEMORY;
  const HRESULT hr = members_.Insert(position, style);
  if (FAILED(hr)) return hr;
  style->SetOwner(this);
  return S_OK;
}

void HolidayStyles::Announce(HolidayStyle* style, IHLDYStyle** pVal) {
  if (pVal) {
    *pVal = style;
    style->AddRef();
  }
  ResolveUseStyles();
  notification_.Send();
}

STDMETHODIMP HolidayStyles::Add(VARIANT Index, BSTR Key, VARIANT Name, IHLDYStyle** pVal) {
  LONG position = 0;
  HRESULT hr = InsertionPoint(Index, &position);
  if (FAILED(hr)) return hr;
  hr = members_.CheckNewKey(Key, kErrors);
  if (FAILED(hr)) return hr;
  const bool nameGiven = !IsMissing(Name);
  VARIANT name;
  VariantInit(&name);
  if (nameGiven && FAILED(VariantChangeType(&name, &Name, 0, VT_BSTR))) return DVERR_INVALID_ARGUMENT;

  HolidayStyle* style = nullptr;
  if (FAILED(CreateOwnedObject(&style))) {
    VariantClear(&name);
    return DVERR_OUT_OF_MEMORY;
  }
  if (nameGiven) style->Name().SetUpToFirstNull(name.bstrVal);
  VariantClear(&name);
  hr = Place(position, Key, style);
  if (FAILED(hr)) {
    style->Release();
    return hr;
  }
  Announce(style, pVal);
  return S_OK;
}

STDMETHODIMP HolidayStyles::AddObj(VARIANT Index, BSTR Key, IHLDYStyle* Obj, IHLDYStyle** pVal) {
  if (!Obj) return DVERR_INVALID_ARGUMENT;
  const HolidayStyle* source = HolidayStyle::FromInterface(Obj);
  if (!source) return DVERR_INVALID_ARGUMENT;
  LONG position = 0;
  HRESULT hr = InsertionPoint(Index, &position);
  if (FAILED(hr)) return hr;
  hr = members_.CheckNewKey(Key, kErrors);
  if (FAILED(hr)) return hr;

  HolidayStyle* style = nullptr;
  if (FAILED(CreateOwnedObject(&style))) return DVERR_OUT_OF_MEMORY;
  hr = style->CopyStyleFrom(*source, true);
  if (SUCCEEDED(hr)) hr = Place(position, Key, style);  // the key given replaces the copied one
  if (FAILED(hr)) {
    style->Release();
    return hr;
  }
  Announce(style, pVal);
  return S_OK;
}

STDMETHODIMP HolidayStyles::Clear() {
  // An empty collection has nothing to announce.
  if (members_.Count() == 0) return S_OK;
  for (HolidayStyle* style : members_.TakeAll()) {
    style->SetOwner(nullptr);
    style->Release();
  }
  ResolveUseStyles();
  notification_.Send();
  return S_OK;
}

STDMETHODIMP HolidayStyles::Remove(VARIANT Index) {
  LONG position = 0;
  const HRESULT hr = members_.Select(Index, kErrors, &position);
  if (FAILED(hr)) return hr;
  HolidayStyle* style = members_.TakeOut(position);
  style->SetOwner(nullptr);
  style->Release();
  ResolveUseStyles();
  notification_.Send();
  return S_OK;
}

STDMETHODIMP HolidayStyles::_ReplaceKey(LONG nIndex, BSTR szKey) {
  bool changed = false;
  const HRESULT hr = members_.ReplaceKey(nIndex, szKey, kErrors, &changed);
  if (FAILED(hr)) return hr;
  // Every successful call is announced, also one that kept the key.
  notification_.Send();
  return S_OK;
}

STDMETHODIMP HolidayStyles::SetNotify(HWND window, UINT message) {
  notification_.Set(window, message);
  return S_OK;
}

HRESULT HolidayStyles::AppendLoaded(const std::vector<HolidayStyle*>& loaded) {
  const HRESULT hr = members_.AppendAll(loaded);
  if (FAILED(hr)) return hr;
  for (HolidayStyle* style : loaded) {
    style->AddRef();
    style->SetOwner(this);
  }
  return S_OK;
}

HRESULT CreateHolidayStyles(IUnknown* outer, REFIID riid, void** ppv) {
  return CreateComObject<HolidayStyles>(outer, riid, ppv);
}

}  // namespace dovrel
