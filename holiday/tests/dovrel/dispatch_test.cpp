// The main object as a script sees it: through IDispatch, by dispatch
// identifier and by name, with omitted arguments, variables passed by
// reference and errors in EXCEPINFO.
#include <vector>

#include "tests/dovrel/support.h"

namespace dovtest {
namespace {

class DovrelDispatch : public DovrelTest {
 protected:
  void SetUp() override {
    DovrelTest::SetUp();
    dovrel_ = NewDovrel();
    ASSERT_EQ(dovrel_->QueryInterface(IID_IDispatch, dispatch_.ReceiveVoid()), S_OK);
    BuildJapaneseStyleCalendar(dovrel_.Get());
  }
  void TearDown() override {
    dispatch_ = ComPtr<IDispatch>();
    dovrel_ = ComPtr<IDovrel>();
    DovrelTest::TearDown();
  }

  // Arguments in the order a host writes them (they go to rgvarg reversed);
  // `put` passes the last one as the value of a property put.
  HRESULT Call(DISPID member, WORD flags, std::vector<VARIANT> arguments, VARIANT* result, EXCEPINFO* error = nullptr,
               bool put = false) {
    std::vector<VARIANT> reversed(arguments.rbegin(), arguments.rend());
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), put ? &putId : nullptr, static_cast<UINT>(reversed.size()), put ? 1u : 0u};
    UINT argErr = 0;
    return dispatch_->Invoke(member, IID_NULL, 0, flags, &params, result, error, &argErr);
  }

  DISPID IdOf(const char16_t* name) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    EXPECT_EQ(dispatch_->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK) << Printable(name);
    return id;
  }

  ComPtr<IDovrel> dovrel_;
  ComPtr<IDispatch> dispatch_;
};

TEST_F(DovrelDispatch, APropertyByItsDispatchIdentifierBehavesAsTheDirectCall) {
  Var result;
  ASSERT_EQ(Call(22, DISPATCH_PROPERTYPUT, {Var::I4(dvMonday).v}, nullptr, nullptr, true), S_OK);
  ASSERT_EQ(Call(22, DISPATCH_PROPERTYGET, {}, &result.v), S_OK);
  EXPECT_EQ(result.v.vt, VT_I4);
  EXPECT_EQ(result.v.lVal, dvMonday);
  EXPECT_EQ(Call(22, DISPATCH_PROPERTYPUT, {Var::I4(9).v}, nullptr, nullptr, true), kInvalidPropertyValue)
      << "without EXCEPINFO, the member's own result";
  EXPECT_EQ(IdOf(u"startofweek"), 22) << "names without regard to case";
  EXPECT_EQ(IdOf(u"IsDateInStyle"), 16);
}

// An omitted optional date arrives as VT_ERROR and means Value; omitted
// enumerations take the defaults of the description.
TEST_F(DovrelDispatch, OmittedArgumentsMeanValueAndTheDefaults) {
  ASSERT_EQ(Call(3, DISPATCH_PROPERTYPUT, {Var::Day(Jdn(2024, 2, 10)).v}, nullptr, nullptr, true), S_OK);
  Var next;
  ASSERT_EQ(Call(IdOf(u"NextDay"), DISPATCH_METHOD, {}, &next.v), S_OK);
  EXPECT_EQ(DayIn(next.v), Jdn(2024, 2, 11)) << "the next holiday after Value";
  Var adjusted;
  ASSERT_EQ(Call(9, DISPATCH_METHOD, {}, &adjusted.v), S_OK);
  EXPECT_EQ(DayIn(adjusted.v), Jdn(2024, 2, 13)) << "AdjustDate's default is dvNextWorkday";
  Var count;
  ASSERT_EQ(Call(12, DISPATCH_METHOD, {Var::Missing().v, Var::Day(Jdn(2024, 2, 29)).v}, &count.v), S_OK);
  EXPECT_EQ(count.v.vt, VT_I4);
  EXPECT_EQ(count.v.lVal, 3) << "holidays from Value through the 29th";
  Var later;
  ASSERT_EQ(Call(11, DISPATCH_METHOD, {Var::Missing().v, Var::I2(2).v, Var::I4(dvWorkdays).v}, &later.v), S_OK);
  EXPECT_EQ(DayIn(later.v), Jdn(2024, 2, 14));
}

TEST_F(DovrelDispatch, ErrorsComeWithTheMainObjectsErrorInformation) {
  EXCEPINFO error{};
  Var result;
  ASSERT_EQ(Call(7, DISPATCH_PROPERTYGET, {Var::I2(8).v}, &result.v, &error), DISP_E_EXCEPTION);
  EXPECT_EQ(error.scode, kIndexOutOfRange);
  EXPECT_EQ(Printable(std::u16string(error.bstrSource ? error.bstrSource : u"")), "Qor.Dovrel6.6");
  EXPECT_EQ(Printable(std::u16string(error.bstrDescription ? error.bstrDescription : u"")),
            Printable(kIndexOutOfRangeText));
  SysFreeString(error.bstrSource);
  SysFreeString(error.bstrDescription);
  SysFreeString(error.bstrHelpFile);

  EXCEPINFO tooLong{};
  ASSERT_EQ(Call(12, DISPATCH_METHOD, {Var::Day(Jdn(1900, 1, 1)).v, Var::Day(Jdn(3000, 1, 1)).v}, &result.v,
                 &tooLong),
            DISP_E_EXCEPTION);
  EXPECT_EQ(tooLong.scode, kRangeTooLong);
  EXPECT_EQ(Printable(std::u16string(tooLong.bstrDescription ? tooLong.bstrDescription : u"")),
            Printable(kRangeTooLongText));
  SysFreeString(tooLong.bstrSource);
  SysFreeString(tooLong.bstrDescription);
  SysFreeString(tooLong.bstrHelpFile);
}

// A script passes its variables by reference: DatesInRange fills the array
// variable, IsDateInStyle the object variable.
TEST_F(DovrelDispatch, ScriptVariablesReceiveTheArrayAndTheDay) {
  Var array;
  VARIANT arrayRef;
  VariantInit(&arrayRef);
  arrayRef.vt = VT_BYREF | VT_VARIANT;
  arrayRef.pvarVal = &array.v;
  Var count;
  ASSERT_EQ(Call(10, DISPATCH_METHOD, {Var::Day(Jdn(2024, 5, 1)).v, Var::Day(Jdn(2024, 5, 31)).v, arrayRef}, &count.v),
            S_OK);
  EXPECT_EQ(count.v.vt, VT_I2);
  EXPECT_EQ(count.v.iVal, 3);
  ASSERT_EQ(array.v.vt, VT_ARRAY | VT_VARIANT);
  LONG upper = -1;
  EXPECT_EQ(SafeArrayGetUBound(array.v.parray, 1, &upper), S_OK);
  EXPECT_EQ(upper, 2);

  // Nothing in June: the variable keeps its array.
  ASSERT_EQ(Call(10, DISPATCH_METHOD, {Var::Day(Jdn(2024, 6, 1)).v, Var::Day(Jdn(2024, 6, 30)).v, arrayRef}, &count.v),
            S_OK);
  EXPECT_EQ(count.v.iVal, 0);
  EXPECT_EQ(array.v.vt, VT_ARRAY | VT_VARIANT);

  Var day;
  VARIANT dayRef;
  VariantInit(&dayRef);
  dayRef.vt = VT_BYREF | VT_VARIANT;
  dayRef.pvarVal = &day.v;
  Var found;
  ASSERT_EQ(Call(16, DISPATCH_METHOD, {Var::Day(Jdn(2024, 11, 9)).v, dayRef}, &found.v), S_OK);
  EXPECT_EQ(found.v.vt, VT_BOOL);
  EXPECT_EQ(found.v.boolVal, VARIANT_TRUE);
  ASSERT_TRUE(day.v.vt == VT_DISPATCH || day.v.vt == VT_UNKNOWN);
  ComPtr<IDay> asDay;
  ASSERT_EQ(day.v.punkVal->QueryInterface(IID_IDay, asDay.ReceiveVoid()), S_OK);
  EXPECT_EQ(Printable(KeyOf(asDay.Get())), "Stocktaking");
}

}  // namespace
}  // namespace dovtest
