#include "definitions/day.h"

#include "engine/rules_generation.h"
#include "frame/errors.h"

namespace dovrel {

namespace {
// Answered only by our own Day, to find the object behind an interface
// pointer; never published.
constexpr IID IID_DayObject = {0x5B0E2C71, 0x6D3A, 0x4F0E, {0x9C, 0x41, 0x2E, 0x7A, 0x88, 0x13, 0xD5, 0x02}};
}  // namespace

Day::Day(IUnknown* outer) : ComObject(outer) {
  // A new definition is a yearly holiday on today's date, without a range end.
  fields_.Type = dvTypeHoliday;
  fields_.Date = Today();
  fields_.Date2 = engine::kNullDayNumber;
}

IUnknown* Day::FindInterface(REFIID riid) {
  if (IsEqualGUID(riid, IID_IDay) || IsEqualGUID(riid, IID_IDispatch)) return static_cast<IDay*>(this);
  if (IsEqualGUID(riid, IID_ISupportErrorInfo)) return static_cast<ISupportErrorInfo*>(this);
  if (IsEqualGUID(riid, IID_DayObject)) return static_cast<IDay*>(this);
  return nullptr;
}

Day* Day::FromInterface(IUnknown* object) { return ObjectBehind<Day, IDay>(object, IID_DayObject); }

STDMETHODIMP Day::get_Date(VARIANT* pVal) {
  if (!pVal) return E_POINTER;
  VariantInit(pVal);
  pVal->vt = VT_DATE;
  pVal->date = engine::AutomationDateFromDayNumber(fields_.Date);
  return S_OK;
}

STDMETHODIMP Day::put_Date(VARIANT newVal) {
  const auto date = CoerceToDate(newVal);
  if (!date) return DVERR_INVALID_PROPERTY_VALUE;
  const auto day = ValidDayNumberOf(*date);
  if (!day) return DVERR_INVALID_PROPERTY_VALUE;
  if (*day == fields_.Date) return S_OK;
  fields_.Date = *day;
  engine::NoteRulesChanged();
  notification_.Send();
  return S_OK;
}

STDMETHODIMP Day::get_Date2(VARIANT* pVal) {
  if (!pVal) return E_POINTER;
  DateVariantOf(fields_.Date2, pVal);
  return S_OK;
}

STDMETHODIMP Day::put_Date2(VARIANT newVal) {
  const VARIANT& value = Referred(newVal);
  if (value.vt == VT_NULL) {
    // Clearing a range end that was not set changes nothing and says nothing.
    const bool wasSet = fields_.HasDate2();
    fields_.Date2 = engine::kNullDayNumber;
    engine::NoteRulesChanged();
    if (wasSet) notification_.Send();
    return S_OK;
  }
  const auto date = value.vt == VT_DATE ? std::optional<DATE>(value.date) : CoerceToDate(value);
  if (!date) return DVERR_INVALID_PROPERTY_VALUE;
  const auto day = ValidDayNumberOf(*date);
  if (!day) return DVERR_INVALID_PROPERTY_VALUE;
  if (*day == fields_.Date2) return S_OK;
  fields_.Date2 = *day;
  engine::NoteRulesChanged();
  notification_.Send();
  return S_OK;
}

STDMETHODIMP Day::get_Key(BSTR* pVal) { return key_.CopyTo(pVal); }

STDMETHODIMP Day::get_Name(BSTR* pVal) { return name_.CopyTo(pVal); }

STDMETHODIMP Day::put_Name(BSTR newVal) {
  // Every assignment notifies, the same text included: hosts use it to
  // refresh whatever shows the name.
  name_.SetUpToFirstNull(newVal);
  engine::NoteRulesChanged();
  notification_.Send();
  return S_OK;
}

STDMETHODIMP Day::get_Type(dvDayTypeConst* pVal) {
  if (!pVal) return E_POINTER;
  StoreEnumResult(pVal, fields_.Type);
  return S_OK;
}

STDMETHODIMP Day::put_Type(dvDayTypeConst newVal) {
  const LONG type = EnumArgument(newVal);
  if (!engine::IsKnownDayType(type)) return DVERR_INVALID_PROPERTY_VALUE;
  if (fields_.Type == type) return S_OK;
  fields_.Type = static_cast<std::int16_t>(type);
  engine::NoteRulesChanged();
  notification_.Send();
  return S_OK;
}

void Day::CopyDefinitionFrom(const Day& other) {
  name_.SetExact(other.name_.Get());
  key_.SetExact(other.key_.Get());
  fields_ = other.fields_;
  engine::NoteRulesChanged();
}

HRESULT CreateDay(IUnknown* outer, REFIID riid, void** ppv) { return CreateComObject<Day>(outer, riid, ppv); }

}  // namespace dovrel
