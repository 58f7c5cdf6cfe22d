// The definition objects as hosts use them through the platform's COM:
// created by program identifier, called through their vtables and through
// IDispatch by name, failing with the error information hosts read,
// aggregated, and keeping the library loaded exactly while they live.
#include <functional>

#include "tests/wine/driver_support.h"

namespace driver {
namespace {

// The texts of the string table, as a host reads them (Unicode, from the
// code page 932 resource).
const wchar_t kKeyNotUnique[] = L"ｷｰ文字列がｺﾚｸｼｮﾝ内でﾕﾆｰｸでありません";
const wchar_t kIndexOutOfRange[] = L"範囲外のｲﾝﾃﾞｯｸｽです";
const wchar_t kElementNotFound[] = L"指定された要素が見つかりません。";
const wchar_t kKeyInvalid[] = L"ｷｰは無効または空白の状態です。";
const wchar_t kKeyBelongsToOther[] = L"ｷｰが存在しますが、現在のｱｲﾃﾑのｷｰと異なります";
const wchar_t kNoCollection[] = L"ｺﾚｸｼｮﾝ内にｵﾌﾞｼﾞｪｸﾄがありません";

template <typename T>
Ptr<T> Create(const wchar_t* progId, REFIID iid) {
  Ptr<T> object;
  CLSID clsid{};
  if (FAILED(CLSIDFromProgID(progId, &clsid))) return object;
  CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, object.OutVoid());
  return object;
}

// Every class the registry names, by both program identifiers: created,
// describing itself, answering for error information on its own interface.
void CheckCreation() {
  Section section("creation by program identifier");
  for (const ClassInfo& c : kClasses) {
    for (const wchar_t* progId : {c.progId, c.independent}) {
      Ptr<IDispatch> object = Create<IDispatch>(progId, IID_IDispatch);
      Record(bool(object), "CoCreateInstance of " + Utf8(progId), "", __FILE__, __LINE__);
      if (!object) continue;
      Ptr<IUnknown> own = object.As<IUnknown>(*c.iid);
      CHECK(bool(own));
      UINT count = 0;
      CHECK_HR(object->GetTypeInfoCount(&count), S_OK);
      CHECK_EQ(count, 1u);
      Ptr<ITypeInfo> info;
      CHECK_HR(object->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.Out()), S_OK);
      if (info) {
        Bstr name;
        info->GetDocumentation(MEMBERID_NIL, name.Out(), nullptr, nullptr, nullptr);
        CHECK_EQ(name.Text(), std::wstring(c.interfaceName));
      }
      Ptr<ISupportErrorInfo> support = object.As<ISupportErrorInfo>(IID_ISupportErrorInfo);
      CHECK(bool(support));
      if (support) {
        CHECK_HR(support->InterfaceSupportsErrorInfo(*c.iid), S_OK);
        CHECK_HR(support->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);
      }
    }
  }
  CLSID unknown{};
  CHECK_HR(CLSIDFromProgID(L"Qor.Dovrel_Nothing6.6", &unknown), CO_E_CLASSSTRING);
}

// A style with two days, through the vtables as a C++ host writes it.
void CheckVtableCalls() {
  Section section("vtable calls");
  Ptr<IHLDYStyles> styles = Create<IHLDYStyles>(L"Qor.Dovrel_HLDYStyles6", IID_IHLDYStyles);
  CHECK(bool(styles));
  if (!styles) return;
  Ptr<IHLDYStyle> national;
  Bstr key(L"祝日");
  CHECK_HR(styles->Add(Omitted(), key.Get(), TextArgument(L"国民の祝日"), national.Out()), S_OK);
  if (!national) return;
  Ptr<IDays> days;
  CHECK_HR(national->get_Days(days.Out()), S_OK);
  if (!days) return;
  Ptr<IDay> newYear;
  Bstr newYearKey(L"元日");
  CHECK_HR(days->Add(newYearKey.Get(), Omitted(), Date(2024, 1, 1), Omitted(), dvTypeHoliday, newYear.Out()), S_OK);
  Ptr<IDay> goldenWeek;
  Bstr goldenWeekKey(L"GW");
  CHECK_HR(days->Add(goldenWeekKey.Get(), TextArgument(L"ゴールデンウィーク"), Date(2024, 5, 3), Date(2024, 5, 5),
                     dvTypeForcedHoliday, goldenWeek.Out()),
           S_OK);
  LONG count = 0;
  CHECK_HR(days->get_Count(&count), S_OK);
  CHECK_EQ(count, 2L);

  Ptr<IDay> found;
  CHECK_HR(days->get_Item(TextArgument(L"gw"), found.Out()), S_OK);  // keys ignore the case of A-Z
  CHECK(found.Get() == goldenWeek.Get());
  Bstr name;
  if (found) CHECK_HR(found->get_Name(name.Out()), S_OK);
  CHECK_EQ(name.Text(), std::wstring(L"ゴールデンウィーク"));
  Variant date2;
  if (found) CHECK_HR(found->get_Date2(date2.Out()), S_OK);
  CHECK_EQ(date2.Type(), VT_DATE);
  CHECK_EQ(date2.Get().date, DateOf(2024, 5, 5));
  dvDayTypeConst type = dvTypeHoliday;
  if (found) CHECK_HR(found->get_Type(&type), S_OK);
  CHECK_EQ(type, dvTypeForcedHoliday);

  // An omitted range end is Null; an omitted name is empty.
  Variant noEnd;
  CHECK_HR(newYear->get_Date2(noEnd.Out()), S_OK);
  CHECK_EQ(noEnd.Type(), VT_NULL);
  Bstr defaultKey;
  CHECK_HR(newYear->get_Key(defaultKey.Out()), S_OK);
  CHECK_EQ(defaultKey.Text(), std::wstring(L"元日"));

  // The enumerator walks the members in order.
  Ptr<IUnknown> enumUnknown;
  CHECK_HR(days->get__NewEnum(enumUnknown.Out()), S_OK);
  Ptr<IEnumVARIANT> walk = enumUnknown.As<IEnumVARIANT>(IID_IEnumVARIANT);
  CHECK(bool(walk));
  std::vector<std::wstring> keys;
  while (walk) {
    Variant item;
    ULONG fetched = 0;
    if (walk->Next(1, item.Out(), &fetched) != S_OK || fetched != 1) break;
    if (item.Type() != VT_DISPATCH || !item.Get().pdispVal) break;
    Ptr<IDay> day;
    item.Get().pdispVal->QueryInterface(IID_IDay, day.OutVoid());
    Bstr k;
    if (day) day->get_Key(k.Out());
    keys.push_back(k.Text());
  }
  CHECK(keys == (std::vector<std::wstring>{L"元日", L"GW"}));

  CHECK_HR(days->Remove(Long(1)), S_OK);
  CHECK_HR(days->get_Count(&count), S_OK);
  CHECK_EQ(count, 1L);
  OLE_COLOR colour = 0;
  CHECK_HR(national->put_BackColor(0x0000FF), S_OK);
  CHECK_HR(national->get_BackColor(&colour), S_OK);
  CHECK_EQ(colour, 0x0000FFUL);
  CHECK_HR(national->put_Bold(VARIANT_TRUE), S_OK);
  VARIANT_BOOL bold = VARIANT_FALSE;
  CHECK_HR(national->get_Bold(&bold), S_OK);
  CHECK_EQ(bold, VARIANT_TRUE);
}

struct ErrorCase {
  const char* what;
  std::function<HRESULT()> call;
  HRESULT code;
  const wchar_t* source;
  const IID* iid;
  const wchar_t* description;
};

// Each failure of the string table, through the vtable: the result code, and
// the thread's error information with the raising class's program
// identifier and the Japanese text.
void CheckErrorInformation() {
  Section section("error information through the vtables");
  Ptr<IDays> days = Create<IDays>(L"Qor.Dovrel_Days6.6", IID_IDays);
  Ptr<IHLDYStyles> styles = Create<IHLDYStyles>(L"Qor.Dovrel_HLDYStyles6.6", IID_IHLDYStyles);
  Ptr<IHLDYStyle> alone = Create<IHLDYStyle>(L"Qor.Dovrel_HLDYStyle6.6", IID_IHLDYStyle);
  CHECK(days && styles && alone);
  if (!days || !styles || !alone) return;
  Bstr a(L"A"), b(L"B"), empty(L"");
  Ptr<IDay> day;
  days->Add(a.Get(), Omitted(), Date(2024, 2, 11), Omitted(), dvTypeHoliday, day.Out());
  Ptr<IHLDYStyle> first, second;
  styles->Add(Omitted(), a.Get(), Omitted(), first.Out());
  styles->Add(Omitted(), b.Get(), Omitted(), second.Out());

  const ErrorCase cases[] = {
      {"Days.Add of a key already there",
       [&] { return days->Add(a.Get(), Omitted(), Date(2024, 1, 1), Omitted(), dvTypeHoliday, day.Out()); },
       static_cast<HRESULT>(0x800A0201), L"Qor.Dovrel_Days6.6", &IID_IDays, kKeyNotUnique},
      {"Days.Item of position 9", [&] { return days->get_Item(Long(9), day.Out()); },
       static_cast<HRESULT>(0x800A0202), L"Qor.Dovrel_Days6.6", &IID_IDays, kIndexOutOfRange},
      {"Days.Item of an unknown key", [&] { return days->get_Item(TextArgument(L"ない"), day.Out()); },
       static_cast<HRESULT>(0x800A0203), L"Qor.Dovrel_Days6.6", &IID_IDays, kElementNotFound},
      {"Days.Add with an empty key",
       [&] { return days->Add(empty.Get(), Omitted(), Date(2024, 1, 1), Omitted(), dvTypeHoliday, day.Out()); },
       static_cast<HRESULT>(0x800A0204), L"Qor.Dovrel_Days6.6", &IID_IDays, kKeyInvalid},
      {"HolidayStyles.Item put of a style whose key is another member's",
       [&] { return styles->put_Item(Long(2), first.Get()); }, static_cast<HRESULT>(0x800A0205),
       L"Qor.Dovrel_HLDYStyles6.6", &IID_IHLDYStyles, kKeyBelongsToOther},
      {"HolidayStyles.Remove of an unknown key", [&] { return styles->Remove(TextArgument(L"C")); },
       static_cast<HRESULT>(0x800A0203), L"Qor.Dovrel_HLDYStyles6.6", &IID_IHLDYStyles, kElementNotFound},
      {"HolidayStyle.Parent by key outside a collection", [&] { return alone->put_Parent(TextArgument(L"A")); },
       static_cast<HRESULT>(0x800A0207), L"Qor.Dovrel_HLDYStyle6.6", &IID_IHLDYStyle, kNoCollection},
  };
  for (const ErrorCase& c : cases) {
    SetErrorInfo(0, nullptr);
    HRESULT hr = c.call();
    RecordEqual(static_cast<unsigned long>(hr), static_cast<unsigned long>(c.code), c.what, __FILE__, __LINE__);
    ErrorInfo info = TakeErrorInfo();
    Record(info.present, std::string(c.what) + " leaves error information", "", __FILE__, __LINE__);
    RecordEqual(info.source, std::wstring(c.source), c.what, __FILE__, __LINE__);
    RecordEqual(info.description, std::wstring(c.description), c.what, __FILE__, __LINE__);
    Record(IsEqualGUID(info.guid, *c.iid), std::string(c.what) + ": the failing interface", "", __FILE__, __LINE__);
    RecordEqual(info.helpFile, std::wstring(), c.what, __FILE__, __LINE__);
    RecordEqual(info.helpContext, 0UL, c.what, __FILE__, __LINE__);
  }

  // The bare codes leave what the thread held in place.
  ICreateErrorInfo* create = nullptr;
  CHECK_HR(CreateErrorInfo(&create), S_OK);
  if (create) {
    create->SetDescription(const_cast<LPOLESTR>(L"earlier"));
    Ptr<IErrorInfo> earlier = Ptr<ICreateErrorInfo>(create).As<IErrorInfo>(IID_IErrorInfo);
    SetErrorInfo(0, earlier.Get());
    TextArgument notADate(L"いつか");
    CHECK_HR(days->Add(b.Get(), Omitted(), notADate, Omitted(), dvTypeHoliday, day.Out()), 0x800A0005);
    CHECK_HR(alone->put_BackColor(0xFFFFFFFF), 0x800A017C);
    CHECK_EQ(TakeErrorInfo().description, std::wstring(L"earlier"));
  }
}

// The same objects as a script host drives them: names looked up, arguments
// in VARIANTs (optional ones left out), results and failures in VARIANTs and
// EXCEPINFO.
void CheckDispatchByName() {
  Section section("IDispatch by name");
  Ptr<IDispatch> styles = Create<IDispatch>(L"Qor.Dovrel_HLDYStyles6", IID_IDispatch);
  CHECK(bool(styles));
  if (!styles) return;
  CHECK_EQ(IdOf(styles.Get(), L"count"), 1L);  // any case
  CHECK_EQ(IdOf(styles.Get(), L"Nothing"), DISPID_UNKNOWN);

  // Styles.Add , "会社", "会社の休日"  (Index left out)
  Variant style;
  {
    Call call;
    TextArgument key(L"会社"), name(L"会社の休日");
    Invoke(call, styles.Get(), L"Add", DISPATCH_METHOD, {Omitted(), key, name}, style.Out());
    CHECK_HR(call.hr, S_OK);
  }
  CHECK_EQ(style.Type(), VT_DISPATCH);
  if (style.Type() != VT_DISPATCH) return;
  IDispatch* company = style.Get().pdispVal;

  Variant days;
  {
    Call call;
    Invoke(call, company, L"Days", DISPATCH_PROPERTYGET, {}, days.Out());
    CHECK_HR(call.hr, S_OK);
  }
  CHECK_EQ(days.Type(), VT_DISPATCH);
  if (days.Type() != VT_DISPATCH) return;
  IDispatch* dayList = days.Get().pdispVal;

  // Days.Add "創立記念日", , #2024/6/1#   (Name, Date2 and Type left out)
  {
    Call call;
    TextArgument key(L"創立記念日");
    Variant added;
    Invoke(call, dayList, L"Add", DISPATCH_METHOD, {key, Omitted(), Date(2024, 6, 1)}, added.Out());
    CHECK_HR(call.hr, S_OK);
    CHECK_EQ(added.Type(), VT_DISPATCH);
  }
  {
    Call call;
    Variant count;
    Invoke(call, dayList, L"Count", DISPATCH_PROPERTYGET, {}, count.Out());
    CHECK_HR(call.hr, S_OK);
    CHECK_EQ(count.Type(), VT_I4);
    CHECK_EQ(count.Get().lVal, 1L);
  }
  // The default member: Days("創立記念日").Date
  {
    Call call;
    TextArgument key(L"創立記念日");
    Variant item, date;
    Invoke(call, dayList, L"Item", DISPATCH_METHOD | DISPATCH_PROPERTYGET, {key}, item.Out());
    CHECK_HR(call.hr, S_OK);
    if (item.Type() == VT_DISPATCH) {
      Call get;
      Invoke(get, item.Get().pdispVal, L"Date", DISPATCH_PROPERTYGET, {}, date.Out());
      CHECK_HR(get.hr, S_OK);
      CHECK_EQ(date.Type(), VT_DATE);
      CHECK_EQ(date.Text(), std::wstring(L"2024/06/01"));
    }
  }
  // Style.Name = "新しい名前", read back.
  {
    Call put, get;
    TextArgument name(L"新しい名前");
    Invoke(put, company, L"Name", DISPATCH_PROPERTYPUT, {name}, nullptr);
    CHECK_HR(put.hr, S_OK);
    Variant read;
    Invoke(get, company, L"Name", DISPATCH_PROPERTYGET, {}, read.Out());
    CHECK_EQ(read.Text(), std::wstring(L"新しい名前"));
  }

  // Failures: DISP_E_EXCEPTION with the code, source and text.
  struct DispatchError {
    const char* what;
    IDispatch* object;
    const wchar_t* member;
    const wchar_t* argument;
    HRESULT code;
    const wchar_t* source;
    const wchar_t* description;
  };
  const DispatchError errors[] = {
      {"Days.Item(\"ない\")", dayList, L"Item", L"ない", static_cast<HRESULT>(0x800A0203), L"Qor.Dovrel_Days6.6",
       kElementNotFound},
      {"Styles.Remove(\"ない\")", styles.Get(), L"Remove", L"ない", static_cast<HRESULT>(0x800A0203),
       L"Qor.Dovrel_HLDYStyles6.6", kElementNotFound},
      {"Styles.Add(, \"\")", styles.Get(), L"Add", nullptr, static_cast<HRESULT>(0x800A0204),
       L"Qor.Dovrel_HLDYStyles6.6", kKeyInvalid},
  };
  for (const DispatchError& e : errors) {
    Call call;
    Variant result;
    if (e.argument) {
      TextArgument argument(e.argument);
      Invoke(call, e.object, e.member, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {argument}, result.Out());
    } else {
      TextArgument emptyKey(L"");
      Invoke(call, e.object, e.member, DISPATCH_METHOD, {Omitted(), emptyKey}, result.Out());
    }
    RecordEqual(static_cast<unsigned long>(call.hr), static_cast<unsigned long>(DISP_E_EXCEPTION), e.what, __FILE__,
                __LINE__);
    RecordEqual(static_cast<unsigned long>(call.exception.scode), static_cast<unsigned long>(e.code), e.what,
                __FILE__, __LINE__);
    RecordEqual(call.Source(), std::wstring(e.source), e.what, __FILE__, __LINE__);
    RecordEqual(call.Description(), std::wstring(e.description), e.what, __FILE__, __LINE__);
  }
  // A bare code carries no text.
  {
    Call call;
    Invoke(call, company, L"BackColor", DISPATCH_PROPERTYPUT, {Long(-5)}, nullptr);
    CHECK_HR(call.hr, DISP_E_EXCEPTION);
    CHECK_HR(call.exception.scode, 0x800A017C);
  }
  // A text that is not a number cannot be a colour: the type library's
  // coercion refuses it before the object sees it.
  {
    Call call;
    TextArgument notAColour(L"赤");
    Invoke(call, company, L"BackColor", DISPATCH_PROPERTYPUT, {notAColour}, nullptr);
    CHECK_HR(call.hr, DISP_E_TYPEMISMATCH);
  }
  // For Each: _NewEnum through DISPID_NEWENUM.
  {
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    Variant enumerator;
    HRESULT hr = styles->Invoke(DISPID_NEWENUM, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                                &none, enumerator.Out(), nullptr, nullptr);
    CHECK_HR(hr, S_OK);
    CHECK(enumerator.Type() == VT_UNKNOWN || enumerator.Type() == VT_DISPATCH);
    if (enumerator.Type() == VT_UNKNOWN || enumerator.Type() == VT_DISPATCH) {
      Ptr<IEnumVARIANT> walk;
      enumerator.Get().punkVal->QueryInterface(IID_IEnumVARIANT, walk.OutVoid());
      CHECK(bool(walk));
      Variant item;
      ULONG fetched = 0;
      if (walk) CHECK_HR(walk->Next(1, item.Out(), &fetched), S_OK);
      CHECK_EQ(fetched, 1UL);
      Variant key;
      if (item.Type() == VT_DISPATCH) {
        Call call;
        Invoke(call, item.Get().pdispVal, L"Key", DISPATCH_PROPERTYGET, {}, key.Out());
      }
      CHECK_EQ(key.Text(), std::wstring(L"会社"));
      if (walk) CHECK_HR(walk->Next(1, item.Out(), &fetched), S_FALSE);
    }
  }
}

// An outer object that aggregates a Day: it holds the Day's own unknown and
// hands out the Day's interfaces, whose IUnknown methods come back to it.
class Outer final : public IUnknown {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (IsEqualGUID(riid, IID_IUnknown)) {
      *ppv = static_cast<IUnknown*>(this);
      AddRef();
      return S_OK;
    }
    if (inner) return inner->QueryInterface(riid, ppv);
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
  STDMETHODIMP_(ULONG) Release() override { return --references; }
  ULONG references = 1;
  IUnknown* inner = nullptr;
};

void CheckAggregation() {
  Section section("aggregation");
  Outer outer;
  CHECK_HR(CoCreateInstance(CLSID_Day, &outer, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&outer.inner)),
           S_OK);
  if (!outer.inner) return;
  Ptr<IDay> day;
  CHECK_HR(outer.QueryInterface(IID_IDay, day.OutVoid()), S_OK);
  CHECK_EQ(outer.references, 2UL);  // the Day's reference counts on the outer object
  if (day) {
    IUnknown* identity = nullptr;
    CHECK_HR(day->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
    CHECK(identity == static_cast<IUnknown*>(&outer));
    if (identity) identity->Release();
    Bstr name(L"振替休日"), read;
    CHECK_HR(day->put_Name(name.Get()), S_OK);
    CHECK_HR(day->get_Name(read.Out()), S_OK);
    CHECK_EQ(read.Text(), std::wstring(L"振替休日"));
  }
  day.Reset();
  CHECK_EQ(outer.references, 1UL);
  CHECK_EQ(outer.inner->Release(), 0UL);
  outer.inner = nullptr;

  IDay* refused = reinterpret_cast<IDay*>(1);
  CHECK_HR(CoCreateInstance(CLSID_Day, &outer, CLSCTX_INPROC_SERVER, IID_IDay, reinterpret_cast<void**>(&refused)),
           CLASS_E_NOAGGREGATION);
  CHECK(refused == nullptr);
}

// DllCanUnloadNow as COM asks it, and the class objects behind
// CoGetClassObject.
void CheckUnloading(const Setup& setup) {
  Section section("DllCanUnloadNow and class objects");
  HMODULE module = LoadLibraryW(setup.dll.c_str());  // the module COM loaded, one more reference
  CHECK(module != nullptr);
  if (!module) return;
  auto canUnload = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
      reinterpret_cast<void (*)()>(GetProcAddress(module, "DllCanUnloadNow")));
  auto getClassObject = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
      reinterpret_cast<void (*)()>(GetProcAddress(module, "DllGetClassObject")));
  CHECK(canUnload && getClassObject);
  if (!canUnload || !getClassObject) return;

  CHECK_HR(canUnload(), S_OK);
  {
    Ptr<IDay> day = Create<IDay>(L"Qor.Dovrel_Day6.6", IID_IDay);
    CHECK(bool(day));
    CHECK_HR(canUnload(), S_FALSE);
  }
  CHECK_HR(canUnload(), S_OK);
  {
    Ptr<IClassFactory> factory;
    CHECK_HR(CoGetClassObject(CLSID_Days, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, factory.OutVoid()), S_OK);
    CHECK_HR(canUnload(), S_FALSE);  // a host that holds a class object keeps the library
    Ptr<IClassFactory> again;
    CHECK_HR(getClassObject(CLSID_Days, IID_IClassFactory, again.OutVoid()), S_OK);
    CHECK(again.Get() == factory.Get());  // one class object per class
    Ptr<IUnknown> refused;
    CHECK_HR(factory->CreateInstance(nullptr, IID_IDay, refused.OutVoid()), E_NOINTERFACE);
    CHECK(!refused);
  }
  CHECK_HR(canUnload(), S_OK);
  {
    Ptr<IClassFactory> factory;
    CHECK_HR(getClassObject(CLSID_HolidayStyle, IID_IClassFactory, factory.OutVoid()), S_OK);
    if (factory) {
      CHECK_HR(factory->LockServer(TRUE), S_OK);
      factory.Reset();
      CHECK_HR(canUnload(), S_FALSE);
      CHECK_HR(getClassObject(CLSID_HolidayStyle, IID_IClassFactory, factory.OutVoid()), S_OK);
      CHECK_HR(factory->LockServer(FALSE), S_OK);
    }
  }
  CHECK_HR(canUnload(), S_OK);
  void* none = reinterpret_cast<void*>(1);
  CHECK_HR(getClassObject(IID_IDay, IID_IClassFactory, &none), CLASS_E_CLASSNOTAVAILABLE);
  CHECK(none == nullptr);
  CHECK_HR(getClassObject(CLSID_Day, IID_IClassFactory, nullptr), E_POINTER);
  FreeLibrary(module);

  // With nothing in use, COM may unload it.
  CoFreeUnusedLibrariesEx(0, 0);
  CHECK(GetModuleHandleW(setup.dll.c_str()) == nullptr);
}

}  // namespace

void CheckObjects(const Setup& setup) {
  CheckCreation();
  CheckVtableCalls();
  CheckErrorInformation();
  CheckDispatchByName();
  CheckAggregation();
  CheckUnloading(setup);
}

}  // namespace driver
