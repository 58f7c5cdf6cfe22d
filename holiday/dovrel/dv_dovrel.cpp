#include "dovrel/dv_dovrel.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "about/about_box.h"
#include "dovrel/query_arguments.h"
#include "frame/errors.h"
#include "frame/this_module.h"

namespace dovrel {

namespace {

// Errors with a text name the main object as their source and IDovrel as
// the interface that failed.
const ErrorSource kErrors{CLSID_dvDovrel, IID_IDovrel};

// The user's first day of the week, which the platform gives as a digit
// 0 = Monday ... 6 = Sunday. Where it cannot be read, weeks start on Sunday,
// as they do in the calendars this component is made for.
int StartOfWeekOfUserLocale() {
  OLECHAR digit[4] = {};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IFIRSTDAYOFWEEK, digit, 4) >= 2 && digit[0] >= OLECHAR('0') &&
      digit[0] <= OLECHAR('6')) {
    return engine::StartOfWeekFromLocaleDigit(digit[0] - OLECHAR('0'));
  }
  return engine::kSunday;
}

bool IsWeekday(LONG weekday) { return weekday >= 1 && weekday <= 7; }

// WeekRests is indexed by weekday, 1 = Sunday ... 7 = Saturday.
bool IsWeekRestsIndex(SHORT index) { return index >= 1 && index <= 7; }

HRESULT CopyText(OleStringView text, BSTR* out) {
  *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

dvDovrel::dvDovrel(IUnknown* outer)
    : ComObject(outer), startOfWeek_(StartOfWeekOfUserLocale()), value_(Today()) {}

HRESULT dvDovrel::FinalConstruct() {
  if (FAILED(CreateOwnedObject(&styles_))) return E_OUTOFMEMORY;
  styles_->SetOwner(this);
  return S_OK;
}

dvDovrel::~dvDovrel() {
  if (!styles_) return;
  // A host may hold the collection longer than this object: from now on the
  // collection calls nobody.
  styles_->CutOwner();
  styles_->Release();
}

IUnknown* dvDovrel::FindInterface(REFIID riid) {
  if (IsEqualGUID(riid, IID_IDovrel) || IsEqualGUID(riid, IID_IDispatch)) return static_cast<IDovrel*>(this);
  if (IsEqualGUID(riid, IID_ISupportErrorInfo)) return static_cast<ISupportErrorInfo*>(this);
  return nullptr;
}

// --- The kept classification ------------------------------------------------------

const engine::KeptClassification& dvDovrel::CalendarAfterChange(std::uint64_t generation) {
  // The copy reuses the memory of the last one.
  engine::CalendarRules& rules = calendarRules_;
  rules.week_rests = weekRests_;
  rules.style_list = styleList_;
  // Only the styles in use are copied; the others stay empty at their
  // positions, so that the list's indexes and style numbers mean what they
  // mean in the collection. The list follows the collection through
  // ResolveUseStyles; a position it does not have (which no change of
  // membership leaves behind) marks nothing rather than reading past it.
  rules.styles.resize(static_cast<std::size_t>(styles_->StyleCount()));
  for (engine::HolidayStyleRules& style : rules.styles) style.days.clear();
  for (const std::int32_t index : styleList_) {
    if (index < 0 || index >= styles_->StyleCount()) continue;
    styles_->StyleAt(index)->CopyRulesTo(rules.styles[static_cast<std::size_t>(index)]);
  }
  calendar_.Reset(rules);
  calendarGeneration_ = generation;
  return calendar_;
}

// --- The style list and the style-search continuation ---------------------------

IHLDYStyleApply* dvDovrel::StyleAtEntry(std::size_t entry) const {
  const std::int32_t index = styleList_[entry];
  return index >= 0 && index < styles_->StyleCount() ? styles_->StyleApplyAt(index) : nullptr;
}

void dvDovrel::SetContinuation(std::size_t entry, engine::DayNumber date) {
  continuation_.entry = static_cast<std::int32_t>(entry);
  continuation_.date = date;
  continuation_.style = ComPtr<IHLDYStyleApply>(StyleAtEntry(entry));
}

void dvDovrel::FollowContinuation() {
  if (!continuation_.style) return;
  const auto entry = static_cast<std::size_t>(continuation_.entry);
  if (entry < styleList_.size() && StyleAtEntry(entry) == continuation_.style.Get()) return;
  for (std::size_t e = 0; e < styleList_.size(); ++e) {
    if (StyleAtEntry(e) == continuation_.style.Get()) {
      continuation_.entry = static_cast<std::int32_t>(e);
      return;
    }
  }
  // The style that answered last is not in use any more: the next dvNextMatch
  // asks from the first style in use, as dvFirstMatch does.
  continuation_ = StyleSearchContinuation();
}

void dvDovrel::ResolveUseStyles() {
  try {
    engine::ResolveUseStyles<OLECHAR>(useStylesText_.View(), HolidayStylesDirectory(*styles_), styleList_);
  } catch (const std::bad_alloc&) {
    // The list keeps the styles read so far; each of them is a member.
  }
  RulesChanged();
  FollowContinuation();
}

STDMETHODIMP dvDovrel::get_UseStyles(BSTR* pVal) {
  if (!pVal) return E_POINTER;
  return CopyText(useStylesText_.View(), pVal);
}

STDMETHODIMP dvDovrel::put_UseStyles(BSTR newVal) {
  const OleStringView text = engine::UseStylesText<OLECHAR>(ViewOf(newVal));
  // The text to keep and the new list are made aside first, so that running
  // out of memory changes nothing.
  BSTR accepted = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  if (!accepted) return E_OUTOFMEMORY;
  engine::UseStylesOutcome outcome;
  try {
    engine::StyleList list = styleList_;
    outcome = engine::AssignUseStyles<OLECHAR>(text, HolidayStylesDirectory(*styles_), list);
    styleList_.swap(list);
  } catch (const std::bad_alloc&) {
    SysFreeString(accepted);
    return E_OUTOFMEMORY;
  }
  // A refused text may have changed the list too.
  RulesChanged();
  if (outcome == engine::UseStylesOutcome::Refused) {
    SysFreeString(accepted);
    // The list may hold the styles accepted before the failing piece.
    FollowContinuation();
    return DVERR_INVALID_PROPERTY_VALUE;
  }
  useStylesText_.Adopt(accepted);
  if (!styleList_.empty()) {
    SetContinuation(0, continuation_.date);
  } else {
    FollowContinuation();
  }
  return S_OK;
}

STDMETHODIMP dvDovrel::get_HolidayStyles(IHLDYStyles** pVal) {
  if (!pVal) return E_POINTER;
  *pVal = styles_;
  styles_->AddRef();
  return S_OK;
}

// --- Value and the weekly rules -------------------------------------------------

STDMETHODIMP dvDovrel::get_Value(VARIANT* pVal) {
  if (!pVal) return E_POINTER;
  DateVariantOf(value_, pVal);
  return S_OK;
}

STDMETHODIMP dvDovrel::put_Value(VARIANT newVal) {
  engine::DayNumber day;
  if (!ReadValueDate(newVal, &day)) return DVERR_INVALID_PROPERTY_VALUE;
  value_ = day;
  return S_OK;
}

STDMETHODIMP dvDovrel::get_ValueIsNull(VARIANT_BOOL* pVal) {
  if (!pVal) return E_POINTER;
  *pVal = engine::IsValidDayNumber(value_) ? VARIANT_FALSE : VARIANT_TRUE;
  return S_OK;
}

STDMETHODIMP dvDovrel::get_ValueType(dvValueTypeConst* pVal) {
  if (!pVal) return E_POINTER;
  try {
    const std::optional<std::uint16_t> flags = engine::ValueType(Calendar(), value_);
    StoreEnumResult(pVal, flags ? LONG(*flags) : LONG(dvValueNull));
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

STDMETHODIMP dvDovrel::get_WeekRests(SHORT Index, dvWeekRestsConst* pVal) {
  if (!pVal) return E_POINTER;
  if (!IsWeekRestsIndex(Index)) return kErrors.Raise(IDS_E_INDEX_OUT_OF_RANGE, DVERR_INDEX_OUT_OF_RANGE);
  StoreEnumResult(pVal, LONG(weekRests_[static_cast<std::size_t>(Index - 1)]));
  return S_OK;
}

STDMETHODIMP dvDovrel::put_WeekRests(SHORT Index, dvWeekRestsConst newVal) {
  if (!IsWeekRestsIndex(Index)) return kErrors.Raise(IDS_E_INDEX_OUT_OF_RANGE, DVERR_INDEX_OUT_OF_RANGE);
  // Sixteen bits per weekday: dvAllWeeks (-1) keeps every bit, larger values
  // keep their low half.
  weekRests_[static_cast<std::size_t>(Index - 1)] = static_cast<std::int16_t>(EnumArgument(newVal));
  RulesChanged();
  return S_OK;
}

STDMETHODIMP dvDovrel::get_StartOfWeek(dvWeekdayConst* pVal) {
  if (!pVal) return E_POINTER;
  StoreEnumResult(pVal, LONG(startOfWeek_));
  return S_OK;
}

STDMETHODIMP dvDovrel::put_StartOfWeek(dvWeekdayConst newVal) {
  const LONG weekday = EnumArgument(newVal);
  if (!IsWeekday(weekday)) return DVERR_INVALID_PROPERTY_VALUE;
  // Not a rule of the classification: the week queries read it when asked.
  startOfWeek_ = static_cast<int>(weekday);
  return S_OK;
}

// --- Version and the about box --------------------------------------------------

OleString FileVersionText(const OLECHAR* modulePath) {
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(modulePath, &handle);
  if (size == 0) return {};
  std::vector<BYTE> block(size);
  if (!GetFileVersionInfoW(modulePath, 0, size, block.data())) return {};
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), OLESTR("\\"), reinterpret_cast<LPVOID*>(&fixed), &length) || !fixed ||
      length < sizeof(VS_FIXEDFILEINFO)) {
    return {};
  }
  char text[64];
  std::snprintf(text, sizeof text, "%d.%d.%d.%d", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
  return OleString(text, text + std::strlen(text));
}

STDMETHODIMP dvDovrel::get_Version(BSTR* pVal) {
  if (!pVal) return E_POINTER;
  try {
    return CopyText(FileVersionText(ThisModulePath().c_str()), pVal);
  } catch (const std::bad_alloc&) {
    *pVal = nullptr;
    return E_OUTOFMEMORY;
  }
}

STDMETHODIMP dvDovrel::AboutBox() {
  OleString version;
  try {
    version = FileVersionText(ThisModulePath().c_str());
  } catch (const std::bad_alloc&) {
    // The dialog still shows, with an empty build number.
  }
  ShowAboutBox(version.c_str());
  return S_OK;
}

// --- The queries ----------------------------------------------------------------

template <class Choice, class Answer>
HRESULT dvDovrel::AnswerDate(const std::optional<Choice>& choice, const VARIANT& date, VARIANT* pVal, Answer answer) {
  if (!choice) return DVERR_INVALID_ARGUMENT;
  if (!pVal) return E_POINTER;
  // The call hosts make nearly always: a date, asked again of the kept
  // classification. Nothing else is called on the way, so the engine's
  // answer is all the member waits for.
  if (date.vt == VT_DATE && engine::RulesGeneration() == calendarGeneration_) [[likely]] {
    try {
      WriteDateAnswer(answer(calendar_, engine::DayNumberFromAutomationDate(date.date), *choice), pVal);
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
    return S_OK;
  }
  return AnswerOtherDate(*choice, date, pVal, answer);
}

template <class Choice, class Answer>
HRESULT dvDovrel::AnswerOtherDate(Choice choice, const VARIANT& date, VARIANT* pVal, Answer answer) {
  const std::optional<engine::DayNumber> day = QueryDate(date, value_);
  if (!day) return DVERR_INVALID_ARGUMENT;
  try {
    // Read after the date: coercing an object to a date may run host code
    // that changes rules.
    WriteDateAnswer(answer(Calendar(), *day, choice), pVal);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

// Each query's engine question, asked of the calendar AnswerDate hands it.
using engine::DayCategory;
using engine::DayNumber;
using engine::KeptClassification;

STDMETHODIMP dvDovrel::NextDay(VARIANT Date, dvDayNavConst Type, VARIANT* pVal) {
  return AnswerDate(engine::CategoryFromDayNav(EnumArgument(Type)), Date, pVal,
                    [](const KeptClassification& k, DayNumber d, DayCategory c) { return engine::NextDay(k, d, c); });
}

STDMETHODIMP dvDovrel::PrevDay(VARIANT Date, dvDayNavConst Type, VARIANT* pVal) {
  return AnswerDate(engine::CategoryFromDayNav(EnumArgument(Type)), Date, pVal,
                    [](const KeptClassification& k, DayNumber d, DayCategory c) { return engine::PrevDay(k, d, c); });
}

STDMETHODIMP dvDovrel::AdjustDate(VARIANT Date, dvAdjustDateConst Option, VARIANT* pVal) {
  return AnswerDate(engine::AdjustDirectionFrom(EnumArgument(Option)), Date, pVal,
                    [](const KeptClassification& k, DayNumber d, engine::AdjustDirection direction) {
                      return engine::AdjustDate(k, d, direction);
                    });
}

STDMETHODIMP dvDovrel::DaysFromNow(VARIANT Date, SHORT Days, dvDateTypeExConst Type, VARIANT* pVal) {
  return AnswerDate(engine::CategoryFromDateTypeEx(EnumArgument(Type)), Date, pVal,
                    [Days](const KeptClassification& k, DayNumber d, DayCategory c) {
                      return engine::DaysFromNow(k, d, Days, c);
                    });
}

STDMETHODIMP dvDovrel::FirstInMonth(VARIANT Date, dvDateTypeConst Type, VARIANT* pVal) {
  return AnswerDate(engine::CategoryFromDateType(EnumArgument(Type)), Date, pVal,
                    [](const KeptClassification& k, DayNumber d, DayCategory c) { return engine::FirstInMonth(k, d, c); });
}

STDMETHODIMP dvDovrel::LastInMonth(VARIANT Date, dvDateTypeConst Type, VARIANT* pVal) {
  return AnswerDate(engine::CategoryFromDateType(EnumArgument(Type)), Date, pVal,
                    [](const KeptClassification& k, DayNumber d, DayCategory c) { return engine::LastInMonth(k, d, c); });
}

STDMETHODIMP dvDovrel::FirstInYear(VARIANT Date, dvDateTypeConst Type, VARIANT* pVal) {
  return AnswerDate(engine::CategoryFromDateType(EnumArgument(Type)), Date, pVal,
                    [](const KeptClassification& k, DayNumber d, DayCategory c) { return engine::FirstInYear(k, d, c); });
}

STDMETHODIMP dvDovrel::LastInYear(VARIANT Date, dvDateTypeConst Type, VARIANT* pVal) {
  return AnswerDate(engine::CategoryFromDateType(EnumArgument(Type)), Date, pVal,
                    [](const KeptClassification& k, DayNumber d, DayCategory c) { return engine::LastInYear(k, d, c); });
}

STDMETHODIMP dvDovrel::FirstInWeek(VARIANT Date, dvDateTypeConst Type, VARIANT* pVal) {
  return AnswerDate(engine::CategoryFromDateType(EnumArgument(Type)), Date, pVal,
                    [this](const KeptClassification& k, DayNumber d, DayCategory c) {
                      return engine::FirstInWeek(k, d, c, startOfWeek_);
                    });
}

STDMETHODIMP dvDovrel::LastInWeek(VARIANT Date, dvDateTypeConst Type, VARIANT* pVal) {
  return AnswerDate(engine::CategoryFromDateType(EnumArgument(Type)), Date, pVal,
                    [this](const KeptClassification& k, DayNumber d, DayCategory c) {
                      return engine::LastInWeek(k, d, c, startOfWeek_);
                    });
}

STDMETHODIMP dvDovrel::DaysInRange(VARIANT Date1, VARIANT Date2, dvDateTypeConst Type, LONG* pVal) {
  const std::optional<engine::DayCategory> category = engine::CategoryFromDateType(EnumArgument(Type));
  if (!category) return DVERR_INVALID_ARGUMENT;
  if (!pVal) return E_POINTER;
  const std::optional<engine::DayNumber> from = QueryDate(Date1, value_);
  if (!from) return DVERR_INVALID_ARGUMENT;
  const std::optional<engine::DayNumber> to = RequiredQueryDate(Date2);
  if (!to) return DVERR_INVALID_ARGUMENT;
  try {
    const engine::RangeCount counted = engine::DaysInRange(Calendar(), *from, *to, *category);
    if (counted.status == engine::RangeStatus::TooLong)
      return kErrors.Raise(IDS_E_RANGE_OVER_1000_YEARS, DVERR_RANGE_OVER_1000_YEARS);
    *pVal = counted.count;  // -1 for an invalid end
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

STDMETHODIMP dvDovrel::DatesInRange(VARIANT Date1, VARIANT Date2, VARIANT* Array, dvDateTypeConst Type,
                                    SHORT* pVal) {
  const std::optional<engine::DayCategory> category = engine::CategoryFromDateType(EnumArgument(Type));
  if (!category) return DVERR_INVALID_ARGUMENT;
  if (!pVal || !Array) return E_POINTER;
  const std::optional<engine::DayNumber> from = QueryDate(Date1, value_);
  if (!from) return DVERR_INVALID_ARGUMENT;
  const std::optional<engine::DayNumber> to = RequiredQueryDate(Date2);
  if (!to) return DVERR_INVALID_ARGUMENT;
  try {
    const engine::RangeDates listed = engine::DatesInRange(Calendar(), *from, *to, *category);
    switch (listed.status) {
      case engine::RangeStatus::TooLong:
        return kErrors.Raise(IDS_E_RANGE_OVER_1000_YEARS, DVERR_RANGE_OVER_1000_YEARS);
      case engine::RangeStatus::InvalidEnd:
        *pVal = -1;
        return S_OK;
      case engine::RangeStatus::Answered:
        break;
    }
    // Without a matching day the caller's Array stays as it was.
    if (!listed.days.empty()) {
      const HRESULT hr = WriteDateArray(listed.days, Array);
      if (FAILED(hr)) return hr;
    }
    *pVal = ListedDatesCount(listed.days.size());
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

STDMETHODIMP dvDovrel::IsDateInStyle(VARIANT Date, IDay** Obj, dvIsDateInStyleConst Type, VARIANT_BOOL* pVal) {
  const LONG type = EnumArgument(Type);
  if (type != dvFirstMatch && type != dvNextMatch) return DVERR_INVALID_ARGUMENT;
  if (!pVal) return E_POINTER;
  const std::optional<engine::DayNumber> day = QueryDate(Date, value_);
  if (!day) return DVERR_INVALID_ARGUMENT;
  *pVal = VARIANT_FALSE;
  if (styleList_.empty() || !engine::IsValidDayNumber(*day)) return S_OK;
  // dvNextMatch on the date that answered last goes on after the entry that
  // answered; everything else asks from the first style in use.
  std::size_t entry =
      type == dvNextMatch && *day == continuation_.date ? static_cast<std::size_t>(continuation_.entry) + 1 : 0;
  for (; entry < styleList_.size(); ++entry) {
    IHLDYStyleApply* style = StyleAtEntry(entry);
    if (!style) continue;
    BOOL found = 0;
    ComPtr<IDay> match;
    style->FindDay(*day, &found, match.Receive(), FALSE);
    if (!found || !match) continue;
    SetContinuation(entry, *day);
    if (Obj) {
      // An in/out argument: what it held is released only when it is replaced.
      if (*Obj) (*Obj)->Release();
      *Obj = match.Detach();
    }
    *pVal = VARIANT_TRUE;
    return S_OK;
  }
  return S_OK;
}

HRESULT CreatedvDovrel(IUnknown* outer, REFIID riid, void** ppv) {
  return CreateComObject<dvDovrel>(outer, riid, ppv);
}

}  // namespace dovrel
