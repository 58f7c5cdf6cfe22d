// Calls through IDispatch as automation clients make them: by dispatch
// identifier and by name, with omitted optional arguments, defaults, named
// arguments, by-reference arguments, coercions, and failures reported in
// EXCEPINFO. The object is a main object that writes down every call it
// receives, built with the library's own object machinery, so that its
// IDispatch is the library's.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "frame/com_object.h"
#include "frame/errors.h"
#include "frame/raise_error.h"
#include "tests/typelib/typelib_support.h"

namespace {

using namespace typelib_testing;
using dovrel::ComObject;
using dovrel::ComPtr;
using dovrel::DualInterface;

std::string Describe(const VARIANT& v) {
  char text[64];
  switch (v.vt) {
    case VT_EMPTY:
      return "Empty";
    case VT_NULL:
      return "Null";
    case VT_I2:
      return "I2:" + std::to_string(v.iVal);
    case VT_I4:
      return "I4:" + std::to_string(v.lVal);
    case VT_UI4:
      return "UI4:" + std::to_string(v.ulVal);
    case VT_R8:
      std::snprintf(text, sizeof text, "R8:%g", v.dblVal);
      return text;
    case VT_DATE:
      std::snprintf(text, sizeof text, "Date:%g", v.date);
      return text;
    case VT_BOOL:
      return v.boolVal ? "True" : "False";
    case VT_BSTR:
      return "Str:" + Utf8(v.bstrVal);
    case VT_ERROR:
      std::snprintf(text, sizeof text, "Error:%08X", static_cast<unsigned>(v.scode));
      return text;
    case VT_DISPATCH:
      return v.pdispVal ? "Object" : "Nothing";
    case VT_BYREF | VT_VARIANT:
      return "Ref->" + Describe(*v.pvarVal);
    case VT_BYREF | VT_I2:
      return "RefI2:" + std::to_string(*v.piVal);
    default:
      return "vt" + std::to_string(v.vt);
  }
}

// A Day that only knows its key: the result of IsDateInStyle, and a
// witness of references (it counts the live ones).
class NamedDay final : public ComObject<DualInterface<IDay, IID_IDay>> {
 public:
  NamedDay(IUnknown* outer, std::u16string key, int* alive) : ComObject(outer), key_(std::move(key)), alive_(alive) {
    ++*alive_;
  }
  ~NamedDay() override { --*alive_; }
  STDMETHODIMP get_Date(VARIANT*) override { return E_NOTIMPL; }
  STDMETHODIMP put_Date(VARIANT) override { return E_NOTIMPL; }
  STDMETHODIMP get_Date2(VARIANT*) override { return E_NOTIMPL; }
  STDMETHODIMP put_Date2(VARIANT) override { return E_NOTIMPL; }
  STDMETHODIMP get_Key(BSTR* p) override {
    *p = SysAllocStringLen(key_.data(), static_cast<UINT>(key_.size()));
    return S_OK;
  }
  STDMETHODIMP get_Name(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP put_Name(BSTR) override { return E_NOTIMPL; }
  STDMETHODIMP get_Type(dvDayTypeConst*) override { return E_NOTIMPL; }
  STDMETHODIMP put_Type(dvDayTypeConst) override { return E_NOTIMPL; }

 protected:
  IUnknown* FindInterface(REFIID riid) override {
    if (riid == IID_IDay || riid == IID_IDispatch) return static_cast<IDay*>(this);
    return nullptr;
  }

 private:
  std::u16string key_;
  int* alive_;
};

ComPtr<IDay> MakeDay(std::u16string key, int* alive) {
  ComPtr<IDay> day;
  EXPECT_EQ(dovrel::CreateComObject<NamedDay>(nullptr, IID_IDay, day.ReceiveVoid(), std::move(key), alive), S_OK);
  return day;
}

std::string DayKey(IDay* day) {
  if (!day) return "Nothing";
  BSTR key = nullptr;
  day->get_Key(&key);
  std::string text = Utf8(key);
  SysFreeString(key);
  return text;
}

// The main object's interface, writing down each call.
class RecordingDovrel final : public ComObject<DualInterface<IDovrel, IID_IDovrel>, ISupportErrorInfo> {
 public:
  RecordingDovrel(IUnknown* outer, bool promisesErrorInfo, int* alive)
      : ComObject(outer), promisesErrorInfo_(promisesErrorInfo), alive_(alive) {
    VariantInit(&value_);
  }
  ~RecordingDovrel() override {
    VariantClear(&value_);
    SysFreeString(useStyles_);
  }

  std::vector<std::string> calls;

  STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override {
    return promisesErrorInfo_ && riid == IID_IDovrel ? S_OK : S_FALSE;
  }

  STDMETHODIMP get_HolidayStyles(IHLDYStyles** p) override {
    calls.push_back("HolidayStyles");
    *p = nullptr;
    return S_OK;
  }
  STDMETHODIMP get_UseStyles(BSTR* p) override {
    *p = SysAllocString(useStyles_);
    return S_OK;
  }
  STDMETHODIMP put_UseStyles(BSTR v) override {
    calls.push_back("UseStyles=" + Utf8(v));
    SysFreeString(useStyles_);
    useStyles_ = SysAllocString(v);
    return S_OK;
  }
  STDMETHODIMP get_Value(VARIANT* p) override { return VariantCopy(p, &value_); }
  STDMETHODIMP put_Value(VARIANT v) override {
    calls.push_back("Value=" + Describe(v));
    return VariantCopy(&value_, &v);
  }
  STDMETHODIMP get_ValueIsNull(VARIANT_BOOL* p) override {
    *p = VARIANT_TRUE;
    return S_OK;
  }
  STDMETHODIMP get_ValueType(dvValueTypeConst* p) override {
    *p = dvValueWeekend;
    return S_OK;
  }
  STDMETHODIMP get_Version(BSTR* p) override {
    *p = SysAllocString(u"6.0.2.3");
    return S_OK;
  }
  STDMETHODIMP get_WeekRests(SHORT index, dvWeekRestsConst* p) override {
    calls.push_back("WeekRests(" + std::to_string(index) + ")");
    if (index < 1 || index > 7)
      return dovrel::RaiseError(CLSID_dvDovrel, IDS_E_INDEX_OUT_OF_RANGE, IID_IDovrel, dovrel::DVERR_INDEX_OUT_OF_RANGE);
    *p = rests_[index - 1];
    return S_OK;
  }
  STDMETHODIMP put_WeekRests(SHORT index, dvWeekRestsConst v) override {
    calls.push_back("WeekRests(" + std::to_string(index) + ")=" + std::to_string(v));
    if (index < 1 || index > 7)
      return dovrel::RaiseError(CLSID_dvDovrel, IDS_E_INDEX_OUT_OF_RANGE, IID_IDovrel, dovrel::DVERR_INDEX_OUT_OF_RANGE);
    rests_[index - 1] = v;
    return S_OK;
  }
  STDMETHODIMP get_StartOfWeek(dvWeekdayConst* p) override {
    *p = startOfWeek_;
    return S_OK;
  }
  STDMETHODIMP put_StartOfWeek(dvWeekdayConst v) override {
    calls.push_back("StartOfWeek=" + std::to_string(v));
    if (v < dvSunday || v > dvSaturday) return dovrel::DVERR_INVALID_PROPERTY_VALUE;
    startOfWeek_ = v;
    return S_OK;
  }
  STDMETHODIMP AboutBox() override {
    calls.push_back("AboutBox");
    return S_OK;
  }
  STDMETHODIMP AdjustDate(VARIANT date, dvAdjustDateConst option, VARIANT* p) override {
    calls.push_back("AdjustDate(" + Describe(date) + ", " + std::to_string(option) + ")");
    p->vt = VT_DATE;
    p->date = 45000;
    return S_OK;
  }
  STDMETHODIMP DatesInRange(VARIANT date1, VARIANT date2, VARIANT* array, dvDateTypeConst type, SHORT* p) override {
    calls.push_back("DatesInRange(" + Describe(date1) + ", " + Describe(date2) + ", " + std::to_string(type) + ")");
    VariantClear(array);
    array->vt = VT_I4;
    array->lVal = 777;
    *p = 3;
    return S_OK;
  }
  STDMETHODIMP DaysFromNow(VARIANT date, SHORT days, dvDateTypeExConst type, VARIANT* p) override {
    calls.push_back("DaysFromNow(" + Describe(date) + ", " + std::to_string(days) + ", " + std::to_string(type) + ")");
    p->vt = VT_NULL;
    return S_OK;
  }
  STDMETHODIMP DaysInRange(VARIANT date1, VARIANT date2, dvDateTypeConst type, LONG* p) override {
    calls.push_back("DaysInRange(" + Describe(date1) + ", " + Describe(date2) + ", " + std::to_string(type) + ")");
    *p = 123456;
    return S_OK;
  }
  STDMETHODIMP FirstInMonth(VARIANT date, dvDateTypeConst type, VARIANT* p) override { return Query("FirstInMonth", date, type, p); }
  STDMETHODIMP FirstInWeek(VARIANT date, dvDateTypeConst type, VARIANT* p) override { return Query("FirstInWeek", date, type, p); }
  STDMETHODIMP FirstInYear(VARIANT date, dvDateTypeConst type, VARIANT* p) override { return Query("FirstInYear", date, type, p); }
  STDMETHODIMP IsDateInStyle(VARIANT date, IDay** obj, dvIsDateInStyleConst type, VARIANT_BOOL* p) override {
    calls.push_back("IsDateInStyle(" + Describe(date) + ", " + DayKey(*obj) + ", " + std::to_string(type) + ")");
    // A match releases the Day the caller held and hands out the found one.
    if (*obj) (*obj)->Release();
    *obj = MakeDay(u"found", alive_).Detach();
    *p = VARIANT_TRUE;
    return S_OK;
  }
  STDMETHODIMP LastInMonth(VARIANT date, dvDateTypeConst type, VARIANT* p) override { return Query("LastInMonth", date, type, p); }
  STDMETHODIMP LastInWeek(VARIANT date, dvDateTypeConst type, VARIANT* p) override { return Query("LastInWeek", date, type, p); }
  STDMETHODIMP LastInYear(VARIANT date, dvDateTypeConst type, VARIANT* p) override { return Query("LastInYear", date, type, p); }
  STDMETHODIMP NextDay(VARIANT date, dvDayNavConst type, VARIANT* p) override { return Query("NextDay", date, type, p); }
  STDMETHODIMP PrevDay(VARIANT date, dvDayNavConst type, VARIANT* p) override { return Query("PrevDay", date, type, p); }

 protected:
  IUnknown* FindInterface(REFIID riid) override {
    if (riid == IID_IDovrel || riid == IID_IDispatch) return static_cast<IDovrel*>(this);
    if (riid == IID_ISupportErrorInfo) return static_cast<ISupportErrorInfo*>(this);
    return nullptr;
  }

 private:
  HRESULT Query(const char* name, const VARIANT& date, int type, VARIANT* p) {
    calls.push_back(std::string(name) + "(" + Describe(date) + ", " + std::to_string(type) + ")");
    p->vt = VT_DATE;
    p->date = 45001;
    return S_OK;
  }

  bool promisesErrorInfo_;
  int* alive_;
  VARIANT value_;
  BSTR useStyles_ = nullptr;
  dvWeekRestsConst rests_[7] = {};
  dvWeekdayConst startOfWeek_ = dvMonday;
};

// One call: positional arguments in the order of the parameters, named ones
// as (identifier, value).
struct Call {
  DISPID member;
  WORD flags;
  std::vector<VARIANT> positional;
  std::vector<std::pair<DISPID, VARIANT>> named;
};

struct Outcome {
  HRESULT hr;
  std::string result;
  EXCEPINFO error{};
  UINT argErr = 12345;
};

class Dispatch : public ::testing::Test {
 protected:
  void SetUp() override {
    SetErrorInfo(0, nullptr);
    // The source of the main object's errors is its registered ProgID.
    HKEY key;
    std::u16string path = u"CLSID\\" + GuidText(CLSID_dvDovrel) + u"\\ProgID";
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    std::u16string progId = u"Qor.Dovrel6.6";
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(progId.c_str()),
                   static_cast<DWORD>((progId.size() + 1) * 2));
    RegCloseKey(key);
    object_ = Make(true);
  }
  void TearDown() override {
    object_ = ComPtr<IDovrel>();
    EXPECT_EQ(alive_, 0) << "every Day handed out was released";
    SetErrorInfo(0, nullptr);
  }

  ComPtr<IDovrel> Make(bool promisesErrorInfo) {
    ComPtr<IDovrel> made;
    EXPECT_EQ(dovrel::CreateComObject<RecordingDovrel>(nullptr, IID_IDovrel, made.ReceiveVoid(), promisesErrorInfo,
                                                       &alive_),
              S_OK);
    return made;
  }
  RecordingDovrel* Recorder() { return static_cast<RecordingDovrel*>(object_.Get()); }
  std::string LastCall() { return Recorder()->calls.empty() ? "(none)" : Recorder()->calls.back(); }

  Outcome Invoke(const Call& c, bool withExcepInfo = true, IDovrel* target = nullptr) {
    std::vector<VARIANT> args;
    std::vector<DISPID> names;
    for (const auto& [id, value] : c.named) {
      args.push_back(value);
      names.push_back(id);
    }
    for (auto it = c.positional.rbegin(); it != c.positional.rend(); ++it) args.push_back(*it);
    for (VARIANT& a : args)
      if (a.vt == VT_LPWSTR) {
        auto* text = static_cast<const char16_t*>(a.byref);
        a.vt = VT_BSTR;
        a.bstrVal = SysAllocString(text);
      }
    DISPPARAMS params{args.data(), names.data(), static_cast<UINT>(args.size()), static_cast<UINT>(names.size())};
    Outcome o;
    Variant result;
    o.hr = (target ? target : object_.Get())
               ->Invoke(c.member, IID_NULL, 0, c.flags, &params, &result.v, withExcepInfo ? &o.error : nullptr,
                        &o.argErr);
    o.result = Describe(result.v);
    for (VARIANT& a : args)
      if (a.vt == VT_BSTR) SysFreeString(a.bstrVal);
    return o;
  }

  ComPtr<IDovrel> object_;
  int alive_ = 0;
  TempRegistry registry_;
};

void FreeExcepInfo(EXCEPINFO& e) {
  SysFreeString(e.bstrSource);
  SysFreeString(e.bstrDescription);
  SysFreeString(e.bstrHelpFile);
}

// A text argument of the tables below: the call makes it a BSTR (and frees
// it), so that the tables own no memory.
VARIANT Str(const char16_t* text) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_LPWSTR;
  v.byref = const_cast<char16_t*>(text);
  return v;
}

constexpr WORD kMethod = DISPATCH_METHOD, kGet = DISPATCH_PROPERTYGET, kPut = DISPATCH_PROPERTYPUT;

// What the member receives, and what the caller gets back, for calls that
// succeed. Optional arguments left out arrive as VT_ERROR with
// DISP_E_PARAMNOTFOUND, or as their default.
struct Arrival {
  const char* what;
  Call call;
  const char* received;
  const char* result;
};

void PrintTo(const Arrival& a, std::ostream* os) { *os << a.what; }

class Arrivals : public Dispatch, public ::testing::WithParamInterface<Arrival> {};

TEST_P(Arrivals, TheMemberReceivesWhatAutomationPromises) {
  const Arrival& a = GetParam();
  Outcome o = Invoke(a.call);
  EXPECT_EQ(o.hr, S_OK);
  EXPECT_EQ(LastCall(), a.received);
  EXPECT_EQ(o.result, a.result);
  FreeExcepInfo(o.error);
}

const Arrival kArrivals[] = {
    {"every optional argument left out", {20, kMethod, {}, {}}, "NextDay(Error:80020004, 0)", "Date:45001"},
    {"a date given, the type left out", {20, kMethod, {R8(45000)}, {}}, "NextDay(R8:45000, 0)", "Date:45001"},
    {"an explicit missing argument takes the default", {9, kMethod, {Omitted(), Omitted()}, {}},
     "AdjustDate(Error:80020004, 1)", "Date:45000"},
    {"a default other than zero", {9, kMethod, {}, {}}, "AdjustDate(Error:80020004, 1)", "Date:45000"},
    {"a named argument alone", {20, kMethod, {}, {{1, I4(2)}}}, "NextDay(Error:80020004, 2)", "Date:45001"},
    {"named arguments in any order", {12, kMethod, {}, {{1, I4(50)}, {0, I4(40)}}}, "DaysInRange(I4:40, I4:50, 0)",
     "I4:123456"},
    {"a numeric text for an enumeration", {21, kMethod, {Omitted(), Str(u"3")}, {}}, "PrevDay(Error:80020004, 3)",
     "Date:45001"},
    {"a double for an enumeration rounds", {13, kMethod, {Omitted(), R8(2.6)}, {}}, "FirstInMonth(Error:80020004, 3)",
     "Date:45001"},
    {"a 32-bit index for a 16-bit parameter", {7, kGet, {I4(5)}, {}}, "WeekRests(5)", "I4:0"},
    {"a number for a string", {2, kPut, {}, {{DISPID_PROPERTYPUT, I4(12)}}}, "UseStyles=12", "Empty"},
    {"a property put by its named value", {22, kPut, {}, {{DISPID_PROPERTYPUT, I4(3)}}}, "StartOfWeek=3", "Empty"},
    {"a property put without the name", {22, kPut, {I4(4)}, {}}, "StartOfWeek=4", "Empty"},
    {"an indexed property put", {7, kPut, {I4(1)}, {{DISPID_PROPERTYPUT, I4(-1)}}}, "WeekRests(1)=-1", "Empty"},
    {"a method called as a property get", {16 - 5, kMethod | kGet, {Omitted(), I4(3)}, {}},
     "DaysFromNow(Error:80020004, 3, 0)", "Null"},
    {"a VARIANT passed as it came, by reference too", {3, kPut, {}, {{DISPID_PROPERTYPUT, Omitted()}}},
     "Value=Error:80020004", "Empty"},
    {"an interface result", {1, kGet, {}, {}}, "HolidayStyles", "Nothing"},
};

INSTANTIATE_TEST_SUITE_P(Calls, Arrivals, ::testing::ValuesIn(kArrivals), [](const auto& info) {
  std::string name;
  for (const char* p = info.param.what; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
  return name;
});

TEST_F(Dispatch, ResultsComeInTheTypesOfTheirMembers) {
  struct Case {
    DISPID member;
    const char* result;
  } cases[] = {{2, "Str:(null)"}, {4, "True"}, {5, "I4:16"}, {6, "Str:6.0.2.3"}, {22, "I4:2"}};
  for (const Case& c : cases) {
    Outcome o = Invoke({c.member, kGet, {}, {}});
    EXPECT_EQ(o.hr, S_OK) << c.member;
    EXPECT_EQ(o.result, c.result) << c.member;
  }
}

TEST_F(Dispatch, ByReferenceArgumentsReachTheCallersVariables) {
  // An out VARIANT by reference: the member writes into the caller's variable.
  Variant array;
  VARIANT byRef;
  byRef.vt = VT_BYREF | VT_VARIANT;
  byRef.pvarVal = &array.v;
  Outcome o = Invoke({10, kMethod, {R8(1), R8(9), byRef}, {}});
  EXPECT_EQ(o.hr, S_OK);
  EXPECT_EQ(o.result, "I2:3");
  EXPECT_EQ(Describe(array.v), "I4:777");

  // A 16-bit argument by reference is read through.
  SHORT index = 6;
  VARIANT indexRef;
  indexRef.vt = VT_BYREF | VT_I2;
  indexRef.piVal = &index;
  EXPECT_EQ(Invoke({7, kGet, {indexRef}, {}}).hr, S_OK);
  EXPECT_EQ(LastCall(), "WeekRests(6)");

  // An out argument given by value cannot be written.
  o = Invoke({10, kMethod, {R8(1), R8(9), I4(0)}, {}});
  EXPECT_EQ(o.hr, DISP_E_TYPEMISMATCH);
  EXPECT_EQ(o.argErr, 0u) << "the third of three arguments: rgvarg counts from the last";
}

TEST_F(Dispatch, AnInOutObjectIsReplacedInTheCallersSlotOrVariable) {
  // As a C++ client passes it: a slot of its own.
  ComPtr<IDay> held = MakeDay(u"held", &alive_);
  IDispatch* slot = held.Detach();
  VARIANT slotRef;
  slotRef.vt = VT_BYREF | VT_DISPATCH;
  slotRef.ppdispVal = &slot;
  Outcome o = Invoke({16, kMethod, {Omitted(), slotRef}, {}});
  EXPECT_EQ(o.hr, S_OK);
  EXPECT_EQ(o.result, "True");
  EXPECT_EQ(LastCall(), "IsDateInStyle(Error:80020004, held, 0)");
  EXPECT_EQ(DayKey(reinterpret_cast<IDay*>(slot)), "found");
  slot->Release();
  EXPECT_EQ(alive_, 0) << "the held Day was released by the member, the found one by us";

  // As a script passes it: a variable (a VARIANT by reference).
  Variant variable;
  variable.v.vt = VT_DISPATCH;
  variable.v.pdispVal = MakeDay(u"old", &alive_).Detach();
  VARIANT variableRef;
  variableRef.vt = VT_BYREF | VT_VARIANT;
  variableRef.pvarVal = &variable.v;
  o = Invoke({16, kMethod, {Omitted(), variableRef, I4(1)}, {}});
  EXPECT_EQ(o.hr, S_OK);
  EXPECT_EQ(LastCall(), "IsDateInStyle(Error:80020004, old, 1)");
  ASSERT_EQ(variable.v.vt, VT_DISPATCH);
  IDay* found = nullptr;
  ASSERT_EQ(variable.v.pdispVal->QueryInterface(IID_IDay, reinterpret_cast<void**>(&found)), S_OK);
  EXPECT_EQ(DayKey(found), "found");
  found->Release();
  VariantClear(&variable.v);
  EXPECT_EQ(alive_, 0);

  // An empty variable receives the object too.
  Variant empty;
  variableRef.pvarVal = &empty.v;
  EXPECT_EQ(Invoke({16, kMethod, {Omitted(), variableRef}, {}}).hr, S_OK);
  EXPECT_EQ(LastCall(), "IsDateInStyle(Error:80020004, Nothing, 0)");
  EXPECT_EQ(Describe(empty.v), "Object");
}

struct Refusal {
  const char* what;
  Call call;
  HRESULT hr;
  UINT argErr;  // 12345: not set
};

void PrintTo(const Refusal& r, std::ostream* os) { *os << r.what; }

class Refusals : public Dispatch, public ::testing::WithParamInterface<Refusal> {};

TEST_P(Refusals, TheCallIsRefusedBeforeTheMemberRuns) {
  const Refusal& r = GetParam();
  Outcome o = Invoke(r.call);
  EXPECT_EQ(o.hr, r.hr);
  EXPECT_EQ(o.argErr, r.argErr);
  EXPECT_TRUE(Recorder()->calls.empty()) << LastCall();
}

const Refusal kRefusals[] = {
    {"an unknown dispatch identifier", {99, kMethod, {}, {}}, DISP_E_MEMBERNOTFOUND, 12345},
    {"a put of a read-only property", {6, kPut, {}, {{DISPID_PROPERTYPUT, I4(1)}}}, DISP_E_MEMBERNOTFOUND, 12345},
    {"a property called as a method only", {22, kMethod, {}, {}}, DISP_E_MEMBERNOTFOUND, 12345},
    {"more arguments than parameters", {20, kMethod, {I4(1), I4(2), I4(3)}, {}}, DISP_E_BADPARAMCOUNT, 12345},
    {"a required argument left out", {11, kMethod, {Omitted()}, {}}, DISP_E_BADPARAMCOUNT, 12345},
    {"a required argument left out among named ones", {11, kMethod, {}, {{2, I4(0)}}}, DISP_E_PARAMNOTOPTIONAL, 12345},
    {"a name that is no parameter", {20, kMethod, {}, {{7, I4(0)}}}, DISP_E_PARAMNOTFOUND, 0},
    {"a parameter given twice", {20, kMethod, {I4(1)}, {{0, I4(2)}}}, DISP_E_PARAMNOTFOUND, 0},
    {"a text that is no number", {20, kMethod, {Omitted(), Str(u"soon")}, {}}, DISP_E_TYPEMISMATCH, 0},
    {"a number out of range", {7, kGet, {I4(40000)}, {}}, DISP_E_OVERFLOW, 0},
};

INSTANTIATE_TEST_SUITE_P(Calls, Refusals, ::testing::ValuesIn(kRefusals), [](const auto& info) {
  std::string name;
  for (const char* p = info.param.what; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
  return name;
});

TEST_F(Dispatch, AFailingMembersErrorInformationFillsExcepInfo) {
  Outcome o = Invoke({7, kGet, {I4(8)}, {}});
  EXPECT_EQ(o.hr, DISP_E_EXCEPTION);
  EXPECT_EQ(o.error.scode, static_cast<SCODE>(0x800A0202));
  EXPECT_EQ(Utf8(o.error.bstrDescription), "範囲外のｲﾝﾃﾞｯｸｽです");
  EXPECT_EQ(Utf8(o.error.bstrSource), "Qor.Dovrel6.6");
  EXPECT_EQ(o.error.bstrHelpFile, nullptr);
  FreeExcepInfo(o.error);
}

TEST_F(Dispatch, WithoutExcepInfoTheCodeComesBackAndTheErrorStaysOnTheThread) {
  Outcome o = Invoke({7, kPut, {I4(0)}, {{DISPID_PROPERTYPUT, I4(1)}}}, false);
  EXPECT_EQ(o.hr, static_cast<HRESULT>(0x800A0202));
  IErrorInfo* info = nullptr;
  ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
  BSTR source = nullptr;
  info->GetSource(&source);
  EXPECT_EQ(Utf8(source), "Qor.Dovrel6.6");
  SysFreeString(source);
  info->Release();
}

TEST_F(Dispatch, AFailureWithoutErrorInformationGivesOnlyItsCode) {
  // An earlier error on the thread is not taken for this one: Invoke clears
  // the thread's error information first.
  ICreateErrorInfo* create = nullptr;
  ASSERT_EQ(CreateErrorInfo(&create), S_OK);
  create->SetDescription(const_cast<LPOLESTR>(u"stale"));
  IErrorInfo* stale = nullptr;
  create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&stale));
  SetErrorInfo(0, stale);
  stale->Release();
  create->Release();

  Outcome o = Invoke({22, kPut, {}, {{DISPID_PROPERTYPUT, I4(9)}}});
  EXPECT_EQ(o.hr, DISP_E_EXCEPTION);
  EXPECT_EQ(o.error.scode, dovrel::DVERR_INVALID_PROPERTY_VALUE);
  EXPECT_EQ(o.error.bstrDescription, nullptr);
  EXPECT_EQ(o.error.bstrSource, nullptr);
  FreeExcepInfo(o.error);
}

TEST_F(Dispatch, AnObjectThatPromisesNoErrorInformationGivesOnlyTheCode) {
  ComPtr<IDovrel> silent = Make(false);
  Outcome o = Invoke({7, kGet, {I4(0)}, {}}, true, silent.Get());
  EXPECT_EQ(o.hr, DISP_E_EXCEPTION);
  EXPECT_EQ(o.error.scode, static_cast<SCODE>(0x800A0202));
  EXPECT_EQ(o.error.bstrDescription, nullptr);
  FreeExcepInfo(o.error);
}

TEST_F(Dispatch, NamesLeadToTheSameMembers) {
  std::u16string member = u"weekrests", index = u"index";
  LPOLESTR names[] = {member.data(), index.data()};
  DISPID ids[2];
  ASSERT_EQ(object_->GetIDsOfNames(IID_NULL, names, 2, 0x0411, ids), S_OK);
  EXPECT_EQ(ids[0], 7);
  EXPECT_EQ(ids[1], 0);
  EXPECT_EQ(Invoke({ids[0], kGet, {}, {{ids[1], I4(3)}}}).hr, S_OK);
  EXPECT_EQ(LastCall(), "WeekRests(3)");
}

TEST_F(Dispatch, TypeInformationIsTheInterfacesAndAskedWrongItAnswersAsAutomationDoes) {
  UINT count = 0;
  EXPECT_EQ(object_->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(object_->GetTypeInfoCount(nullptr), E_POINTER);
  ITypeInfo* info = nullptr;
  ASSERT_EQ(object_->GetTypeInfo(5, 0, &info), S_OK) << "the index is not checked";
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
  EXPECT_TRUE(IsEqualGUID(attr->guid, IID_IDovrel));
  info->ReleaseTypeAttr(attr);
  info->Release();
  EXPECT_EQ(object_->GetTypeInfo(0, 0, nullptr), E_POINTER);

  DISPPARAMS none{nullptr, nullptr, 0, 0};
  EXPECT_EQ(object_->Invoke(8, IID_IDispatch, 0, kMethod, &none, nullptr, nullptr, nullptr), DISP_E_UNKNOWNINTERFACE);
  EXPECT_EQ(object_->Invoke(8, IID_NULL, 0, kMethod, &none, nullptr, nullptr, nullptr), S_OK)
      << "the hidden AboutBox is called like any member";
  EXPECT_EQ(LastCall(), "AboutBox");
}

}  // namespace
