// The main object as an object: what it answers to, inside an aggregate
// too, its own HolidayStyles and their life together, Version, AboutBox.
#include "dovrel/dv_dovrel.h"
#include "frame/this_module.h"
#include "tests/dovrel/support.h"

namespace dovtest {
namespace {

class DovrelObject : public DovrelTest {};

TEST_F(DovrelObject, AnswersIDovrelIDispatchAndErrorInfoForIDovrelOnly) {
  ComPtr<IDovrel> dovrel = NewDovrel();
  ComPtr<IDispatch> dispatch;
  ASSERT_EQ(dovrel->QueryInterface(IID_IDispatch, dispatch.ReceiveVoid()), S_OK);
  EXPECT_EQ(static_cast<void*>(dispatch.Get()), static_cast<void*>(dovrel.Get())) << "the dual interface itself";
  ComPtr<ISupportErrorInfo> support;
  ASSERT_EQ(dovrel->QueryInterface(IID_ISupportErrorInfo, support.ReceiveVoid()), S_OK);
  EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IDovrel), S_OK);
  for (const IID* other : {&IID_IDispatch, &IID_IHLDYStyles, &IID_IUnknown})
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(*other), S_FALSE);
  ComPtr<IUnknown> none;
  EXPECT_EQ(dovrel->QueryInterface(IID_IHLDYStyleApply, none.ReceiveVoid()), E_NOINTERFACE);
  EXPECT_EQ(dovrel->QueryInterface(IID_IPersistStream, none.ReceiveVoid()), E_NOINTERFACE)
      << "the main object keeps no persisted state";
}

TEST_F(DovrelObject, HolidayStylesIsTheSameEmptyCollectionEveryTime) {
  ComPtr<IDovrel> dovrel = NewDovrel();
  ComPtr<IHLDYStyles> first = StylesOf(dovrel.Get());
  ComPtr<IHLDYStyles> second = StylesOf(dovrel.Get());
  ASSERT_TRUE(first);
  EXPECT_EQ(first.Get(), second.Get());
  LONG count = -1;
  EXPECT_EQ(first->get_Count(&count), S_OK);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(dovrel->get_HolidayStyles(nullptr), E_POINTER);
}

// The collection keeps an uncounted link to the main object, which it uses
// after every change of membership; once the main object is gone, the
// collection a host still holds must work on its own and call nobody.
TEST_F(DovrelObject, TheCollectionOutlivesItsMainObject) {
  ComPtr<IHLDYStyles> styles;
  ComPtr<IHLDYStyle> kept;
  {
    ComPtr<IDovrel> dovrel = NewDovrel();
    kept = AddStyle(dovrel.Get(), u"A");
    ASSERT_EQ(SetUseStyles(dovrel.Get(), u"A,B"), kInvalidPropertyValue) << "B does not exist yet";
    styles = StylesOf(dovrel.Get());
  }
  // Each of these would run the main object's ResolveUseStyles.
  Bstr b(u"B");
  ComPtr<IHLDYStyle> added;
  EXPECT_EQ(styles->Add(Var::Missing().v, b.b, Var::Missing().v, added.Receive()), S_OK);
  EXPECT_EQ(styles->Remove(Var::Str(u"A").v), S_OK);
  LONG count = 0;
  EXPECT_EQ(styles->get_Count(&count), S_OK);
  EXPECT_EQ(count, 1);
  Bstr c(u"C");
  EXPECT_EQ(styles->AddObj(Var::I4(1).v, c.b, kept.Get(), added.Receive()), S_OK);
  EXPECT_EQ(styles->Clear(), S_OK);
}

TEST_F(DovrelObject, AnAggregatedMainObjectAnswersThroughItsOuterObject) {
  struct Outer final : IUnknown {
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
      if (IsEqualGUID(riid, IID_IUnknown)) {
        *ppv = this;
        AddRef();
        return S_OK;
      }
      return inner->QueryInterface(riid, ppv);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    IUnknown* inner = nullptr;
    ULONG refs = 1;
  } outer;
  void* refused = reinterpret_cast<void*>(1);
  EXPECT_EQ(dovrel::CreatedvDovrel(&outer, IID_IDovrel, &refused), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(refused, nullptr);
  ASSERT_EQ(dovrel::CreatedvDovrel(&outer, IID_IUnknown, reinterpret_cast<void**>(&outer.inner)), S_OK);
  {
    ComPtr<IDovrel> dovrel;
    ASSERT_EQ(outer.QueryInterface(IID_IDovrel, dovrel.ReceiveVoid()), S_OK);
    ComPtr<IUnknown> identity;
    ASSERT_EQ(dovrel->QueryInterface(IID_IUnknown, identity.ReceiveVoid()), S_OK);
    EXPECT_EQ(identity.Get(), static_cast<IUnknown*>(&outer));
    // It works as a main object inside the aggregate: its collection calls it.
    ComPtr<IHLDYStyle> style = AddStyle(dovrel.Get(), u"A");
    AddDay(style.Get(), {u"D", dvTypeHoliday, Jdn(2000, 3, 3), {}});
    EXPECT_EQ(SetUseStyles(dovrel.Get(), u"A"), S_OK);
    EXPECT_EQ(ValueTypeOf(dovrel.Get(), Jdn(2024, 3, 3)), 1);
  }
  EXPECT_EQ(outer.refs, 1u);
  outer.inner->Release();
}

TEST_F(DovrelObject, VersionComesFromTheModulesVersionResource) {
  ComPtr<IDovrel> dovrel = NewDovrel();
  Bstr version;
  ASSERT_EQ(dovrel->get_Version(version.Receive()), S_OK);
  EXPECT_EQ(Printable(version.Text()), "6.0.2.3");
  EXPECT_EQ(dovrel->get_Version(nullptr), E_POINTER);
  // A module without a version resource, or no module at all: empty.
  EXPECT_TRUE(dovrel::FileVersionText(u"/bin/sh").empty());
  EXPECT_TRUE(dovrel::FileVersionText(u"/no/such/module.so").empty());
  EXPECT_TRUE(dovrel::FileVersionText(dovrel::ThisModulePath().c_str()) == u"6.0.2.3");
}

// Without the toolkit plugin beside the module (as for this test program)
// the about box returns at once; it never fails.
TEST_F(DovrelObject, AboutBoxAlwaysSucceeds) {
  ComPtr<IDovrel> dovrel = NewDovrel();
  EXPECT_EQ(dovrel->AboutBox(), S_OK);
}

TEST_F(DovrelObject, ANewObjectStartsOnTodayWithNoRulesAndNoStylesInUse) {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  ComPtr<IDovrel> dovrel = NewDovrel();
  Var value;
  ASSERT_EQ(dovrel->get_Value(&value.v), S_OK);
  const auto today = DayIn(value.v);
  ASSERT_TRUE(today);
  // The clock may pass midnight between the two readings.
  const std::int64_t expected = Jdn(now.wYear, now.wMonth, now.wDay);
  EXPECT_TRUE(*today == expected || *today == expected + 1) << DateText(*today);
  for (SHORT weekday = 1; weekday <= 7; ++weekday) {
    dvWeekRestsConst rule = AsEnum<dvWeekRestsConst>(99);
    EXPECT_EQ(dovrel->get_WeekRests(weekday, &rule), S_OK);
    EXPECT_EQ(Raw(rule), 0);
  }
  EXPECT_TRUE(UseStylesOf(dovrel.Get()).empty());
  dvValueTypeConst type = AsEnum<dvValueTypeConst>(99);
  EXPECT_EQ(dovrel->get_ValueType(&type), S_OK);
  EXPECT_EQ(Raw(type), 0) << "an ordinary working day";
}

// StartOfWeek follows the user's locale, read when the object is made. The
// C locale's weeks start on Sunday (digit 6), which maps to dvSunday.
TEST_F(DovrelObject, StartOfWeekComesFromTheUsersLocale) {
  const char* saved = getenv("LC_ALL");
  const std::string restore = saved ? saved : "";
  setenv("LC_ALL", "C", 1);
  ComPtr<IDovrel> dovrel = NewDovrel();
  if (saved) {
    setenv("LC_ALL", restore.c_str(), 1);
  } else {
    unsetenv("LC_ALL");
  }
  dvWeekdayConst start{};
  EXPECT_EQ(dovrel->get_StartOfWeek(&start), S_OK);
  EXPECT_EQ(Raw(start), dvSunday);
}

}  // namespace
}  // namespace dovtest
