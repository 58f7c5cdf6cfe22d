// dvDovrel: the main object, what host programs create to ask calendar
// questions. It holds the engine state (the weekly rest rules, the styles in
// use, the reference date) and its own HolidayStyles collection, and answers
// every question through the engine's queries over the classification it
// keeps between calls, and converts between the interface's VARIANTs and day
// numbers. No calendar rule lives here.
#pragma once

#include <cstdint>

#include "definitions/holiday_styles.h"
#include "definitions/internal_interfaces.h"
#include "definitions/values.h"
#include "engine/classification.h"
#include "engine/kept_classification.h"
#include "engine/queries.h"
#include "engine/rules_generation.h"
#include "engine/use_styles.h"
#include "frame/com_object.h"
#include "frame/ole_string.h"

namespace dovrel {

class dvDovrel final : public ComObject<DualInterface<IDovrel, IID_IDovrel>, SupportsErrorInfoFor<IID_IDovrel>>,
                       private HolidayStylesOwner {
 public:
  explicit dvDovrel(IUnknown* outer);
  ~dvDovrel() override;
  HRESULT FinalConstruct() override;  // creates the object's own HolidayStyles

  // IDovrel: state and properties
  STDMETHODIMP get_HolidayStyles(IHLDYStyles** pVal) override;
  STDMETHODIMP get_UseStyles(BSTR* pVal) override;
  STDMETHODIMP put_UseStyles(BSTR newVal) override;
  STDMETHODIMP get_Value(VARIANT* pVal) override;
  STDMETHODIMP put_Value(VARIANT newVal) override;
  STDMETHODIMP get_ValueIsNull(VARIANT_BOOL* pVal) override;
  STDMETHODIMP get_ValueType(dvValueTypeConst* pVal) override;
  STDMETHODIMP get_Version(BSTR* pVal) override;
  STDMETHODIMP get_WeekRests(SHORT Index, dvWeekRestsConst* pVal) override;
  STDMETHODIMP put_WeekRests(SHORT Index, dvWeekRestsConst newVal) override;
  STDMETHODIMP get_StartOfWeek(dvWeekdayConst* pVal) override;
  STDMETHODIMP put_StartOfWeek(dvWeekdayConst newVal) override;
  STDMETHODIMP AboutBox() override;

  // IDovrel: the queries
  STDMETHODIMP AdjustDate(VARIANT Date, dvAdjustDateConst Option, VARIANT* pVal) override;
  STDMETHODIMP DatesInRange(VARIANT Date1, VARIANT Date2, VARIANT* Array, dvDateTypeConst Type, SHORT* pVal) override;
  STDMETHODIMP DaysFromNow(VARIANT Date, SHORT Days, dvDateTypeExConst Type, VARIANT* pVal) override;
  STDMETHODIMP DaysInRange(VARIANT Date1, VARIANT Date2, dvDateTypeConst Type, LONG* pVal) override;
  STDMETHODIMP FirstInMonth(VARIANT Date, dvDateTypeConst Type, VARIANT* pVal) override;
  STDMETHODIMP FirstInWeek(VARIANT Date, dvDateTypeConst Type, VARIANT* pVal) override;
  STDMETHODIMP FirstInYear(VARIANT Date, dvDateTypeConst Type, VARIANT* pVal) override;
  STDMETHODIMP IsDateInStyle(VARIANT Date, IDay** Obj, dvIsDateInStyleConst Type, VARIANT_BOOL* pVal) override;
  STDMETHODIMP LastInMonth(VARIANT Date, dvDateTypeConst Type, VARIANT* pVal) override;
  STDMETHODIMP LastInWeek(VARIANT Date, dvDateTypeConst Type, VARIANT* pVal) override;
  STDMETHODIMP LastInYear(VARIANT Date, dvDateTypeConst Type, VARIANT* pVal) override;
  STDMETHODIMP NextDay(VARIANT Date, dvDayNavConst Type, VARIANT* pVal) override;
  STDMETHODIMP PrevDay(VARIANT Date, dvDayNavConst Type, VARIANT* pVal) override;

 protected:
  IUnknown* FindInterface(REFIID riid) override;

 private:
  // HolidayStylesOwner: the collection's membership changed.
  void ResolveUseStyles() override;

  // The kept classification, made again from the current rules when any
  // object of the process changed rules since it was made (the weekly rules,
  // the styles in use and their Days are copied in; the blocks are
  // classified as queries touch them). Throws std::bad_alloc.
  const engine::KeptClassification& Calendar() {
    // The count is read before the rules are copied: a change made after
    // this point moves it again, and the next query copies once more.
    const std::uint64_t generation = engine::RulesGeneration();
    if (generation == calendarGeneration_) [[likely]] return calendar_;
    return CalendarAfterChange(generation);
  }
  const engine::KeptClassification& CalendarAfterChange(std::uint64_t generation);
  // A change of the object's own rules: counted like every other, so that
  // this object and any other make their classification again.
  static void RulesChanged() { engine::NoteRulesChanged(); }

  // The shape every single-date query shares: the enumeration checked first,
  // then the date (Value when omitted), then answer(calendar, day, choice)
  // written. AnswerOtherDate takes every date that is not a plain VT_DATE,
  // and every call after a change of rules, the whole general way.
  template <class Choice, class Answer>
  HRESULT AnswerDate(const std::optional<Choice>& choice, const VARIANT& date, VARIANT* pVal, Answer answer);
  template <class Choice, class Answer>
  [[gnu::noinline]] HRESULT AnswerOtherDate(Choice choice, const VARIANT& date, VARIANT* pVal, Answer answer);

  // Where IsDateInStyle with dvNextMatch resumes: after the list entry that
  // last answered for this date. It remembers the style at that entry as
  // well, so that it can follow the style when the list is rebuilt.
  struct StyleSearchContinuation {
    std::int32_t entry = 0;
    engine::DayNumber date = engine::kNullDayNumber;  // none yet: no date matches it
    ComPtr<IHLDYStyleApply> style;
  };
  IHLDYStyleApply* StyleAtEntry(std::size_t entry) const;
  void SetContinuation(std::size_t entry, engine::DayNumber date);
  // After the list was rebuilt (ResolveUseStyles, or a refused UseStyles
  // that changed it): the continuation stays on its entry while that entry
  // holds the same style, moves to the style's first entry when it moved,
  // and is cleared when the style is no longer in use.
  void FollowContinuation();

  // The engine state, in the order the object keeps it.
  int startOfWeek_;                 // dvWeekdayConst, 1 = Sunday ... 7 = Saturday
  BstrField useStylesText_;         // the last accepted UseStyles text; null reads as empty
  HolidayStyles* styles_ = nullptr;  // our own collection, one reference
  engine::DayNumber value_;         // the reference date; the null day number for Null
  engine::WeekRests weekRests_{};   // indexed by weekday - 1
  engine::StyleList styleList_;     // 0-based positions in styles_, in the order of application
  StyleSearchContinuation continuation_;

  // Not engine state: what the queries answer from, and the count of rule
  // changes it was made under (none yet: every count differs from it).
  engine::CalendarRules calendarRules_;  // the copy of the rules it was made from
  engine::KeptClassification calendar_;
  std::uint64_t calendarGeneration_ = ~std::uint64_t{0};
};

HRESULT CreatedvDovrel(IUnknown* outer, REFIID riid, void** ppv);

// "%d.%d.%d.%d" of the file version in the version resource of the module at
// path; empty when it has none.
OleString FileVersionText(const OLECHAR* modulePath);

}  // namespace dovrel
