#include "definitions/days.h"

#include "engine/rules_generation.h"

namespace dovrel {

namespace {
// Answered only by our own Days; never published.
constexpr IID IID_DaysObject = {0x8E41A6D3, 0x2F75, 0x4C1B, {0xA0, 0x6E, 0x13, 0xB9, 0x5D, 0x7C, 0x40, 0xE8}};

// A date argument of Add: it must coerce to a date that is a valid day. A
// date the Day's own property would refuse (before 0100-01-01 or after
// 9999-12-31) is refused here too, rather than leaving the new Day on
// today's date while reporting success.
bool IsUsableDate(const VARIANT& v) {
  const auto date = CoerceToDate(v);
  return date && ValidDayNumberOf(*date);
}
}  // namespace

const ErrorSource Days::kErrors{CLSID_Days, IID_IDays};

IUnknown* Days::FindInterface(REFIID riid) {
  if (IsEqualGUID(riid, IID_IDays) || IsEqualGUID(riid, IID_IDispatch)) return static_cast<IDays*>(this);
  if (IsEqualGUID(riid, IID_ISupportErrorInfo)) return static_cast<ISupportErrorInfo*>(this);
  if (IsEqualGUID(riid, IID_IPersistStream) || IsEqualGUID(riid, IID_IPersist))
    return static_cast<IPersistStream*>(this);
  if (IsEqualGUID(riid, IID_DaysObject)) return static_cast<IDays*>(this);
  return nullptr;
}

Days* Days::FromInterface(IUnknown* object) { return ObjectBehind<Days, IDays>(object, IID_DaysObject); }

STDMETHODIMP Days::get__NewEnum(IUnknown** pVal) { return members_.NewEnum(pVal); }

STDMETHODIMP Days::get_Count(LONG* pVal) { return members_.CountInto(pVal); }

STDMETHODIMP Days::get_Item(VARIANT Index, IDay** pVal) { return members_.ItemInto(Index, kErrors, pVal); }

STDMETHODIMP Days::Add(BSTR Key, VARIANT Name, VARIANT Date, VARIANT Date2, dvDayTypeConst Type, IDay** pVal) {
  if (const HRESULT hr = members_.CheckNewKey(Key, kErrors); FAILED(hr)) return hr;

  const bool nameGiven = !IsMissing(Name);
  VARIANT name;
  VariantInit(&name);
  if (nameGiven && FAILED(VariantChangeType(&name, &Name, 0, VT_BSTR))) return DVERR_INVALID_ARGUMENT;
  // From here the coerced name is released on every way out.
  struct NameHolder {
    VARIANT& v;
    ~NameHolder() { VariantClear(&v); }
  } nameHolder{name};

  if (!IsUsableDate(Date)) return DVERR_INVALID_ARGUMENT;
  const bool date2Given = !IsMissing(Date2);
  if (date2Given && Referred(Date2).vt != VT_NULL && !IsUsableDate(Date2)) return DVERR_INVALID_ARGUMENT;
  const LONG type = EnumArgument(Type);
  if (!engine::IsKnownDayType(type)) return DVERR_INVALID_ARGUMENT;

  Day* day = nullptr;
  if (FAILED(CreateOwnedObject(&day))) return DVERR_OUT_OF_MEMORY;
  if (nameGiven) day->put_Name(name.bstrVal);
  if (!day->Key().TrySetExact(ViewOf(Key)) || FAILED(members_.Append(day))) {
    day->Release();
    return DVERR_OUT_OF_MEMORY;
  }
  // The dates go through the Day's own properties, which were checked above
  // to accept them; the new Day has no target yet, so they notify nothing.
  day->put_Date(Date);
  if (date2Given) day->put_Date2(Date2);
  day->Fields().Type = static_cast<std::int16_t>(type);
  engine::NoteRulesChanged();
  day->SetNotify(notification_.Window(), notification_.Message());
  if (pVal) {
    *pVal = day;
    day->AddRef();
  }
  notification_.Send();
  return S_OK;
}

STDMETHODIMP Days::Clear() {
  // Members keep their fields and their targets; only the collection lets go.
  for (Day* day : members_.TakeAll()) day->Release();
  notification_.Send();
  return S_OK;
}

STDMETHODIMP Days::Remove(VARIANT Index) {
  LONG position = 0;
  const HRESULT hr = members_.Select(Index, kErrors, &position);
  if (FAILED(hr)) return hr;
  members_.TakeOut(position)->Release();
  notification_.Send();
  return S_OK;
}

STDMETHODIMP Days::_ReplaceKey(LONG nIndex, BSTR szKey) {
  bool changed = false;
  return members_.ReplaceKey(nIndex, szKey, kErrors, &changed);
}

void Days::SetNotify(HWND window, UINT message) {
  notification_.Set(window, message);
  for (Day* day : members_.All()) day->SetNotify(window, message);
}

HRESULT Days::CopyFrom(const Days& source) {
  // The copies are made first, so that running out of memory leaves this
  // collection as it was.
  std::vector<Day*> copies;
  auto releaseCopies = [&copies] {
    for (Day* copy : copies) copy->Release();
  };
  try {
    copies.reserve(source.Members().size());
    for (const Day* original : source.Members()) {
      Day* copy = nullptr;
      if (FAILED(CreateOwnedObject(&copy))) throw std::bad_alloc();
      copies.push_back(copy);
      copy->CopyDefinitionFrom(*original);
    }
  } catch (const std::bad_alloc&) {
    releaseCopies();
    return DVERR_OUT_OF_MEMORY;
  }
  Clear();
  for (std::size_t i = 0; i < copies.size(); ++i) {
    copies[i]->SetNotify(notification_.Window(), notification_.Message());
    if (FAILED(members_.Append(copies[i]))) {
      for (std::size_t j = i; j < copies.size(); ++j) copies[j]->Release();
      return DVERR_OUT_OF_MEMORY;
    }
  }
  return S_OK;
}

HRESULT Days::AppendLoaded(const std::vector<Day*>& loaded) {
  const HRESULT hr = members_.AppendAll(loaded);
  if (FAILED(hr)) return hr;
  for (Day* day : loaded) day->AddRef();
  return S_OK;
}

HRESULT CreateDays(IUnknown* outer, REFIID riid, void** ppv) { return CreateComObject<Days>(outer, riid, ppv); }

}  // namespace dovrel
