#include "definitions/holiday_style.h"

#include <span>

#include "definitions/holiday_styles.h"
#include "definitions/index_argument.h"
#include "engine/classification.h"
#include "engine/rules_generation.h"

namespace dovrel {

namespace {
// Answered only by our own HolidayStyle; never published.
constexpr IID IID_HolidayStyleObject = {0x2D9F61B4, 0x7A08, 0x4E53, {0x8B, 0x1C, 0x65, 0xF0, 0x3A, 0xD2, 0x97, 0x4E}};

// An RGB value, or one of the system colours 0 to 24.
bool IsValidColor(OLE_COLOR color) { return color < 0x01000000u || (color >= 0x80000000u && color <= 0x80000018u); }
}  // namespace

const ErrorSource HolidayStyle::kErrors{CLSID_HolidayStyle, IID_IHLDYStyle};

HolidayStyle::HolidayStyle(IUnknown* outer) : ComObject(outer) {
  VariantInit(&parent_);
  parent_.vt = VT_NULL;
}

HolidayStyle::~HolidayStyle() {
  VariantClear(&parent_);
  if (days_) days_->Release();
}

HRESULT HolidayStyle::FinalConstruct() {
  // A style without its Days cannot exist.
  return CreateOwnedObject(&days_);
}

IUnknown* HolidayStyle::FindInterface(REFIID riid) {
  if (IsEqualGUID(riid, IID_IHLDYStyle) || IsEqualGUID(riid, IID_IDispatch)) return static_cast<IHLDYStyle*>(this);
  if (IsEqualGUID(riid, IID_ISupportErrorInfo)) return static_cast<ISupportErrorInfo*>(this);
  if (IsEqualGUID(riid, IID_IHLDYStyleApply)) return static_cast<IHLDYStyleApply*>(this);
  if (IsEqualGUID(riid, IID_HolidayStyleObject)) return static_cast<IHLDYStyle*>(this);
  return nullptr;
}

HolidayStyle* HolidayStyle::FromInterface(IUnknown* object) {
  return ObjectBehind<HolidayStyle, IHLDYStyle>(object, IID_HolidayStyleObject);
}

HRESULT HolidayStyle::PutColor(OLE_COLOR& field, OLE_COLOR value) {
  if (!IsValidColor(value)) return DVERR_INVALID_PROPERTY_VALUE;
  if (field == value) return S_OK;
  field = value;
  engine::NoteRulesChanged();
  notification_.Send();
  return S_OK;
}

// Booleans are stored as 0 or 1 and read as VARIANT_TRUE or VARIANT_FALSE. A
// put notifies unless its argument is exactly what get returns, so storing
// 1 over a stored 1 still notifies: hosts have always seen it that way.
HRESULT HolidayStyle::PutFlag(LONG& field, VARIANT_BOOL value) {
  const VARIANT_BOOL current = field ? VARIANT_TRUE : VARIANT_FALSE;
  field = value ? 1 : 0;
  engine::NoteRulesChanged();
  if (value != current) notification_.Send();
  return S_OK;
}

STDMETHODIMP HolidayStyle::get_BackColor(OLE_COLOR* pVal) {
  if (!pVal) return E_POINTER;
  *pVal = attributes_.backColor;
  return S_OK;
}
STDMETHODIMP HolidayStyle::put_BackColor(OLE_COLOR newVal) { return PutColor(attributes_.backColor, newVal); }

STDMETHODIMP HolidayStyle::get_ForeColor(OLE_COLOR* pVal) {
  if (!pVal) return E_POINTER;
  *pVal = attributes_.foreColor;
  return S_OK;
}
STDMETHODIMP HolidayStyle::put_ForeColor(OLE_COLOR newVal) { return PutColor(attributes_.foreColor, newVal); }

STDMETHODIMP HolidayStyle::get_Bold(VARIANT_BOOL* pVal) {
  if (!pVal) return E_POINTER;
  *pVal = attributes_.bold ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}
STDMETHODIMP HolidayStyle::put_Bold(VARIANT_BOOL newVal) { return PutFlag(attributes_.bold, newVal); }

STDMETHODIMP HolidayStyle::get_Underline(VARIANT_BOOL* pVal) {
  if (!pVal) return E_POINTER;
  *pVal = attributes_.underline ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}
STDMETHODIMP HolidayStyle::put_Underline(VARIANT_BOOL newVal) { return PutFlag(attributes_.underline, newVal); }

STDMETHODIMP HolidayStyle::get_Days(IDays** pVal) {
  if (!pVal) return E_POINTER;
  *pVal = days_;
  days_->AddRef();
  return S_OK;
}

STDMETHODIMP HolidayStyle::get_Key(BSTR* pVal) { return key_.CopyTo(pVal); }

STDMETHODIMP HolidayStyle::get_Name(BSTR* pVal) { return name_.CopyTo(pVal); }

STDMETHODIMP HolidayStyle::put_Name(BSTR newVal) {
  name_.SetUpToFirstNull(newVal);
  engine::NoteRulesChanged();
  notification_.Send();
  return S_OK;
}

STDMETHODIMP HolidayStyle::get_Override(dvOverrideConst* pVal) {
  if (!pVal) return E_POINTER;
  StoreEnumResult(pVal, attributes_.override_);
  return S_OK;
}

STDMETHODIMP HolidayStyle::put_Override(dvOverrideConst newVal) {
  const LONG value = EnumArgument(newVal);
  if (value != dvOverrideNone && value != dvOverrideNextDay) return DVERR_INVALID_PROPERTY_VALUE;
  if (attributes_.override_ == value) return S_OK;
  attributes_.override_ = static_cast<SHORT>(value);
  engine::NoteRulesChanged();
  notification_.Send();
  return S_OK;
}

STDMETHODIMP HolidayStyle::get_Parent(IHLDYStyle** pVal) {
  if (!pVal) return E_POINTER;
  *pVal = nullptr;
  switch (KindOfIndex(parent_)) {
    case IndexKind::Position:
    case IndexKind::Key:
      // Resolved now, so the answer follows the collection's current order
      // and keys; outside any collection there is no parent.
      if (!owner_) return S_OK;
      return owner_->get_Item(parent_, pVal);
    case IndexKind::Object:
      if (FAILED(parent_.punkVal->QueryInterface(IID_IHLDYStyle, reinterpret_cast<void**>(pVal)))) *pVal = nullptr;
      return S_OK;
    default: return S_OK;
  }
}

STDMETHODIMP HolidayStyle::put_Parent(VARIANT newVal) {
  // The value is stored first and stays stored even when resolving it fails.
  IndexArgument argument(newVal);
  const IndexKind kind = argument.Kind();
  VARIANT previous = parent_;
  parent_ = argument.Detach();
  VariantClear(&previous);
  engine::NoteRulesChanged();

  ComPtr<IHLDYStyle> parent;
  switch (kind) {
    case IndexKind::Position:
    case IndexKind::Key: {
      if (!owner_) return kErrors.Raise(IDS_E_NO_COLLECTION, DVERR_NO_COLLECTION);
      const HRESULT hr = owner_->get_Item(parent_, parent.Receive());
      if (FAILED(hr)) return hr;
      break;
    }
    case IndexKind::Object:
      if (FAILED(parent_.punkVal->QueryInterface(IID_IHLDYStyle, parent.ReceiveVoid())))
        return DVERR_INVALID_PROPERTY_VALUE;
      break;
    case IndexKind::NullObject:
    case IndexKind::Null: return S_OK;
    default: return DVERR_INVALID_PROPERTY_VALUE;
  }

  const HolidayStyle* source = FromInterface(parent.Get());
  if (!source) return DVERR_INVALID_ARGUMENT;  // a style of someone else's making cannot be copied
  if (source == this) return S_OK;
  const HRESULT hr = CopyStyleFrom(*source, false);
  if (FAILED(hr)) return hr;
  notification_.Send();
  return S_OK;
}

STDMETHODIMP HolidayStyle::putref_Parent(IHLDYStyle* newVal) {
  VARIANT reference;
  VariantInit(&reference);
  reference.vt = VT_DISPATCH;
  reference.pdispVal = newVal;  // borrowed for the call; put_Parent copies what it keeps
  return put_Parent(reference);
}

STDMETHODIMP HolidayStyle::SetNotify(HWND window, UINT message) {
  notification_.Set(window, message);
  days_->SetNotify(window, message);
  return S_OK;
}

STDMETHODIMP HolidayStyle::ApplyToRange(engine::DayCell* cells, LONG first, LONG count, LONG styleNumber) {
  if (count <= 0) return S_OK;
  if (!cells) return E_POINTER;
  const engine::CellRun run{first, std::span<engine::DayCell>(cells, static_cast<std::size_t>(count))};
  const engine::StyleMarking marking(run, attributes_.override_ == dvOverrideNextDay, styleNumber);
  for (const Day* day : days_->Members()) marking.Mark(day->Fields());
  return S_OK;
}

STDMETHODIMP HolidayStyle::FindDay(LONG dayNumber, BOOL* found, IDay** day, BOOL backward) {
  const auto& members = days_->Members();
  Day* match = nullptr;
  if (backward) {
    for (auto it = members.rbegin(); it != members.rend() && !match; ++it)
      if ((*it)->Matches(dayNumber)) match = *it;
  } else {
    for (auto it = members.begin(); it != members.end() && !match; ++it)
      if ((*it)->Matches(dayNumber)) match = *it;
  }
  if (found) *found = match ? 1 : 0;
  if (match && day) {
    *day = match;
    match->AddRef();
  }
  return S_OK;
}

HRESULT HolidayStyle::CopyStyleFrom(const HolidayStyle& source, bool withKeyAndParent) {
  // The Days copy is the step that can run out of memory; it changes nothing
  // when it does, so it goes first.
  HRESULT hr = days_->CopyFrom(*source.days_);
  if (FAILED(hr)) return hr;
  attributes_ = source.attributes_;
  name_.SetExact(source.name_.Get());
  if (withKeyAndParent) {
    key_.SetExact(source.key_.Get());
    VARIANT storedParent = source.parent_;
    VARIANT copy;
    VariantInit(&copy);
    if (FAILED(VariantCopy(&copy, &storedParent))) copy.vt = VT_NULL;
    VARIANT previous = parent_;
    parent_ = copy;
    VariantClear(&previous);
  }
  engine::NoteRulesChanged();
  return S_OK;
}

void HolidayStyle::CopyRulesTo(engine::HolidayStyleRules& rules) const {
  rules.override_next_day = attributes_.override_ == dvOverrideNextDay;
  rules.days.clear();
  rules.days.reserve(days_->Members().size());
  for (const Day* day : days_->Members()) rules.days.push_back(day->Fields());
}

HRESULT CreateHolidayStyle(IUnknown* outer, REFIID riid, void** ppv) {
  return CreateComObject<HolidayStyle>(outer, riid, ppv);
}

}  // namespace dovrel
