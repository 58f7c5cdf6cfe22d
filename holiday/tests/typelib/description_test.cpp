// The type library dvDovrel6Lib as a client reads it through ITypeLib and
// ITypeInfo: identity, the order of its types, every member of every
// interface with its dispatch identifier, kind, parameters, flags, help
// string and help context, the enumerations and the coclasses.
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "dovrel_typelib/dovrel_typelib.h"
#include "tests/typelib/typelib_support.h"

namespace {

using namespace typelib_testing;

class Description : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(LoadTypeLib(ProgramPath().c_str(), &lib_), S_OK); }
  void TearDown() override {
    if (lib_) lib_->Release();
  }

  ITypeInfo* Info(REFGUID guid) {
    ITypeInfo* info = nullptr;
    EXPECT_EQ(lib_->GetTypeInfoOfGuid(guid, &info), S_OK);
    return info;
  }

  ITypeLib* lib_ = nullptr;
};

std::string TypeText(ITypeInfo* owner, const TYPEDESC& t) {
  switch (t.vt) {
    case VT_PTR:
      return TypeText(owner, *t.lptdesc) + "*";
    case VT_USERDEFINED: {
      ITypeInfo* ref = nullptr;
      if (owner->GetRefTypeInfo(t.hreftype, &ref) != S_OK) return "?";
      BSTR name = nullptr;
      ref->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
      std::string text = Utf8(name);
      SysFreeString(name);
      ref->Release();
      return text;
    }
    case VT_I4:
      return "long";
    case VT_I2:
      return "short";
    case VT_BSTR:
      return "BSTR";
    case VT_VARIANT:
      return "VARIANT";
    case VT_BOOL:
      return "VARIANT_BOOL";
    case VT_UNKNOWN:
      return "IUnknown*";
    case VT_DISPATCH:
      return "IDispatch*";
    case VT_HRESULT:
      return "HRESULT";
    case VT_VOID:
      return "void";
    default:
      return "vt" + std::to_string(t.vt);
  }
}

// A member as the IDL spells it: Name(in opt dvDateTypeConst Type = 0, ...).
std::string Signature(ITypeInfo* info, const FUNCDESC* f) {
  BSTR names[16] = {};
  UINT count = 0;
  info->GetNames(f->memid, names, 16, &count);
  // GetNames describes the first member with this identifier; the put of a
  // property has a value parameter more than its get.
  std::string text = Utf8(names[0]) + "(";
  for (SHORT i = 0; i < f->cParams; ++i) {
    const ELEMDESC& e = f->lprgelemdescParam[i];
    USHORT flags = e.paramdesc.wParamFlags;
    std::string param;
    if (flags & PARAMFLAG_FIN) param += "in ";
    if (flags & PARAMFLAG_FOUT) param += "out ";
    if (flags & PARAMFLAG_FRETVAL) param += "retval ";
    if (flags & PARAMFLAG_FOPT) param += "opt ";
    param += TypeText(info, e.tdesc);
    std::string name = static_cast<UINT>(i + 1) < count ? Utf8(names[i + 1]) : "";
    if (!name.empty()) param += " " + name;
    if (flags & PARAMFLAG_FHASDEFAULT) param += " = " + std::to_string(e.paramdesc.pparamdescex->varDefaultValue.lVal);
    text += (i ? ", " : "") + param;
  }
  for (UINT i = 0; i < count; ++i) SysFreeString(names[i]);
  return text + ")";
}

struct Member {
  INVOKEKIND kind;
  DISPID id;
  const char* signature;  // with the names of the put's value parameter, newVal
  WORD flags;
  const char* help;  // nullptr: not checked here
  DWORD context;
};

constexpr INVOKEKIND get = INVOKE_PROPERTYGET, put = INVOKE_PROPERTYPUT, putref = INVOKE_PROPERTYPUTREF,
                     method = INVOKE_FUNC;
constexpr WORD hidden = FUNCFLAG_FHIDDEN, restricted = FUNCFLAG_FRESTRICTED;

// The members of each interface in slot order, as the definitions of the
// objects list them.
const std::vector<Member> kIDay = {
    {get, 1, "Date(out retval VARIANT* pVal)", 0, nullptr, 0},
    {put, 1, "Date(in VARIANT newVal)", 0, nullptr, 0},
    {get, 2, "Date2(out retval VARIANT* pVal)", 0, nullptr, 0},
    {put, 2, "Date2(in VARIANT newVal)", 0, nullptr, 0},
    {get, 0, "Key(out retval BSTR* pVal)", 0, nullptr, 0},
    {get, 3, "Name(out retval BSTR* pVal)", 0, nullptr, 0},
    {put, 3, "Name(in BSTR newVal)", 0, nullptr, 0},
    {get, 4, "Type(out retval dvDayTypeConst* pVal)", 0, nullptr, 0},
    {put, 4, "Type(in dvDayTypeConst newVal)", 0, nullptr, 0},
};

const std::vector<Member> kIDays = {
    {get, -4, "_NewEnum(out retval IUnknown** pVal)", restricted, nullptr, 0},
    {get, 1, "Count(out retval long* pVal)", 0, nullptr, 0},
    {get, 0, "Item(in VARIANT Index, out retval IDay** pVal)", 0, nullptr, 0},
    {method, 2,
     "Add(in BSTR Key, in opt VARIANT Name, in VARIANT Date, in opt VARIANT Date2, in opt dvDayTypeConst Type = 0, "
     "out retval IDay** pVal)",
     0, nullptr, 0},
    {method, 3, "Clear()", 0, nullptr, 0},
    {method, 4, "Remove(in VARIANT Index)", 0, nullptr, 0},
    {method, 5, "_ReplaceKey(in long nIndex, in BSTR szKey)", restricted | hidden, nullptr, 0},
};

const std::vector<Member> kIHLDYStyle = {
    {get, 1, "BackColor(out retval OLE_COLOR* pVal)", 0, nullptr, 0},
    {put, 1, "BackColor(in OLE_COLOR newVal)", 0, nullptr, 0},
    {get, 2, "Bold(out retval VARIANT_BOOL* pVal)", 0, nullptr, 0},
    {put, 2, "Bold(in VARIANT_BOOL newVal)", 0, nullptr, 0},
    {get, 3, "Days(out retval IDays** pVal)", 0, nullptr, 0},
    {get, 4, "ForeColor(out retval OLE_COLOR* pVal)", 0, nullptr, 0},
    {put, 4, "ForeColor(in OLE_COLOR newVal)", 0, nullptr, 0},
    {get, 0, "Key(out retval BSTR* pVal)", 0, nullptr, 0},
    {get, 5, "Name(out retval BSTR* pVal)", 0, nullptr, 0},
    {put, 5, "Name(in BSTR newVal)", 0, nullptr, 0},
    {get, 6, "Override(out retval dvOverrideConst* pVal)", 0, nullptr, 0},
    {put, 6, "Override(in dvOverrideConst newVal)", 0, nullptr, 0},
    {get, 7, "Parent(out retval IHLDYStyle** pVal)", 0, nullptr, 0},
    {put, 7, "Parent(in VARIANT newVal)", 0, nullptr, 0},
    {putref, 7, "Parent(in IHLDYStyle* newVal)", 0, nullptr, 0},
    {get, 8, "Underline(out retval VARIANT_BOOL* pVal)", 0, nullptr, 0},
    {put, 8, "Underline(in VARIANT_BOOL newVal)", 0, nullptr, 0},
};

const std::vector<Member> kIHLDYStyles = {
    {get, -4, "_NewEnum(out retval IUnknown** pVal)", restricted, nullptr, 0},
    {get, 1, "Count(out retval long* pVal)", 0, nullptr, 0},
    {get, 0, "Item(in VARIANT Index, out retval IHLDYStyle** pVal)", 0, nullptr, 0},
    {put, 0, "Item(in VARIANT Index, in IHLDYStyle* newVal)", 0, nullptr, 0},
    {putref, 0, "Item(in VARIANT Index, in IHLDYStyle* newVal)", 0, nullptr, 0},
    {method, 2, "Add(in opt VARIANT Index, in BSTR Key, in opt VARIANT Name, out retval IHLDYStyle** pVal)", 0,
     nullptr, 0},
    {method, 3, "Clear()", 0, nullptr, 0},
    {method, 4, "Remove(in VARIANT Index)", 0, nullptr, 0},
    {method, 5, "AddObj(in opt VARIANT Index, in BSTR Key, in IHLDYStyle* Obj, out retval IHLDYStyle** pVal)", 0,
     nullptr, 0},
    {method, 6, "_ReplaceKey(in long nIndex, in BSTR szKey)", restricted | hidden, nullptr, 0},
};

// The main object's interface with its help strings and help contexts.
const std::vector<Member> kIDovrel = {
    {get, 1, "HolidayStyles(out retval IHLDYStyles** pVal)", 0,
     "HolidayStyleオブジェクトのコレクションへの参照を返します。", 24201},
    {get, 2, "UseStyles(out retval BSTR* pVal)", 0, "dvDovrelオブジェクトの処理に使用する特別休日スタイルを設定します。",
     24202},
    {put, 2, "UseStyles(in BSTR newVal)", 0, "dvDovrelオブジェクトの処理に使用する特別休日スタイルを設定します。", 24202},
    {get, 3, "Value(out retval VARIANT* pVal)", 0, "dvDovrelオブジェクトの処理の基準となる日付を設定します。", 24203},
    {put, 3, "Value(in VARIANT newVal)", 0, "dvDovrelオブジェクトの処理の基準となる日付を設定します。", 24203},
    {get, 4, "ValueIsNull(out retval VARIANT_BOOL* pVal)", 0,
     "ValueプロパティがNullに設定されているかどうかを参照します。", 24204},
    {get, 5, "ValueType(out retval dvValueTypeConst* pVal)", 0,
     "Valueプロパティで設定した日付の「日」の種別を参照します。", 24205},
    {get, 6, "Version(out retval BSTR* pVal)", 0, "オブジェクトのバージョンを参照します。", 24206},
    {get, 7, "WeekRests(in short Index, out retval dvWeekRestsConst* pVal)", 0,
     "休業日として扱う日を曜日と週の組み合わせで設定します。", 24207},
    {put, 7, "WeekRests(in short Index, in dvWeekRestsConst newVal)", 0,
     "休業日として扱う日を曜日と週の組み合わせで設定します。", 24207},
    {get, 22, "StartOfWeek(out retval dvWeekdayConst* pVal)", 0, "週の１日目の曜日を設定します。", 24208},
    {put, 22, "StartOfWeek(in dvWeekdayConst newVal)", 0, "週の１日目の曜日を設定します。", 24208},
    {method, 8, "AboutBox()", hidden, "オブジェクトに関する情報をダイアログボックスに表示します。", 24601},
    {method, 9, "AdjustDate(in opt VARIANT Date, in opt dvAdjustDateConst Option = 1, out retval VARIANT* pVal)", 0,
     "指定した日付が休日（特別休日、休業日）であった場合に、その前後の営業日を検索します。", 24602},
    {method, 10,
     "DatesInRange(in opt VARIANT Date1, in VARIANT Date2, out VARIANT* Array, in opt dvDateTypeConst Type = 0, "
     "out retval short* pVal)",
     0, "指定した「日」の種別と一致する日付を特定の期間内からすべて検索します。", 24603},
    {method, 11,
     "DaysFromNow(in opt VARIANT Date, in short Days, in opt dvDateTypeExConst Type = 0, out retval VARIANT* pVal)",
     0, "任意の日付から、特定の「日」の種別に該当する日付のみを指定の日数分だけ経過させた後の日付を参照します。",
     24604},
    {method, 12,
     "DaysInRange(in opt VARIANT Date1, in VARIANT Date2, in opt dvDateTypeConst Type = 0, out retval long* pVal)", 0,
     "指定した期間内に、特定の「日」の種別に該当する日付が何日あるかを参照します。", 24605},
    {method, 13, "FirstInMonth(in opt VARIANT Date, in opt dvDateTypeConst Type = 0, out retval VARIANT* pVal)", 0,
     "任意の月において、指定した「日」の種別に該当する最初の日付を参照します。", 24606},
    {method, 14, "FirstInWeek(in opt VARIANT Date, in opt dvDateTypeConst Type = 0, out retval VARIANT* pVal)", 0,
     "任意の週において、指定した「日」の種別に該当する最初の日付を参照します。", 24607},
    {method, 15, "FirstInYear(in opt VARIANT Date, in opt dvDateTypeConst Type = 0, out retval VARIANT* pVal)", 0,
     "任意の年において、指定した「日」の種別に該当する最初の日付を参照します。", 24608},
    {method, 16,
     "IsDateInStyle(in opt VARIANT Date, in out IDay** Obj, in opt dvIsDateInStyleConst Type = 0, "
     "out retval VARIANT_BOOL* pVal)",
     0, "指定した日付が現在の特別休日スタイルに登録されているかどうかを参照します。", 24609},
    {method, 17, "LastInMonth(in opt VARIANT Date, in opt dvDateTypeConst Type = 0, out retval VARIANT* pVal)", 0,
     "任意の月において、指定した「日」の種別に該当する最後の日付を参照します。", 24610},
    {method, 18, "LastInWeek(in opt VARIANT Date, in opt dvDateTypeConst Type = 0, out retval VARIANT* pVal)", 0,
     "任意の週において、指定した「日」の種別に該当する最後の日付を参照します。", 24611},
    {method, 19, "LastInYear(in opt VARIANT Date, in opt dvDateTypeConst Type = 0, out retval VARIANT* pVal)", 0,
     "任意の年において、指定した「日」の種別に該当する最後の日付を参照します。", 24612},
    {method, 20, "NextDay(in opt VARIANT Date, in opt dvDayNavConst Type = 0, out retval VARIANT* pVal)", 0,
     "任意の日付から後ろの方向に検索して、指定した「日」の種別と最初に一致した日付を参照します。", 24613},
    {method, 21, "PrevDay(in opt VARIANT Date, in opt dvDayNavConst Type = 0, out retval VARIANT* pVal)", 0,
     "任意の日付から前の方向に検索して、指定した「日」の種別と最初に一致した日付を参照します。", 24614},
};

struct InterfaceCase {
  const char* name;
  const IID* iid;
  const std::vector<Member>* members;
  const char* help;
};

const InterfaceCase kInterfaces[] = {
    {"IDay", &IID_IDay, &kIDay, "IDay Interface"},
    {"IDays", &IID_IDays, &kIDays, "IDays Interface"},
    {"IHLDYStyle", &IID_IHLDYStyle, &kIHLDYStyle, "IHLDYStyle Interface"},
    {"IHLDYStyles", &IID_IHLDYStyles, &kIHLDYStyles, "IHLDYStyles Interface"},
    {"IDovrel", &IID_IDovrel, &kIDovrel, "IDovrel Interface"},
};

void PrintTo(const InterfaceCase& c, std::ostream* os) { *os << c.name; }

class Interfaces : public Description, public ::testing::WithParamInterface<InterfaceCase> {};

// GetNames describes the first member of an identifier, the get of a
// property: the value parameter of a put is compared without its name.
std::string WithoutPutValueName(std::string text) {
  std::size_t close = text.rfind(')');
  std::size_t space = text.rfind(' ', close);
  std::size_t start = text.find_last_of("(,", close);
  if (space == std::string::npos || start == std::string::npos || space < start) return text;
  return text.substr(0, space) + ")";
}

TEST_P(Interfaces, EveryMemberInSlotOrderWithItsIdentifierKindAndParameters) {
  const InterfaceCase& c = GetParam();
  ITypeInfo* dispatch = Info(*c.iid);
  ASSERT_NE(dispatch, nullptr);
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(dispatch->GetTypeAttr(&attr), S_OK);
  EXPECT_EQ(attr->typekind, TKIND_DISPATCH) << "a dual interface is found as its dispatch view";
  EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FDUAL);
  EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FDISPATCHABLE);
  dispatch->ReleaseTypeAttr(attr);
  BSTR help = nullptr;
  ASSERT_EQ(dispatch->GetDocumentation(MEMBERID_NIL, nullptr, &help, nullptr, nullptr), S_OK);
  EXPECT_EQ(Utf8(help), c.help);
  SysFreeString(help);

  HREFTYPE vtableRef = 0;
  ASSERT_EQ(dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtableRef), S_OK);
  ITypeInfo* vtable = nullptr;
  ASSERT_EQ(dispatch->GetRefTypeInfo(vtableRef, &vtable), S_OK);
  ASSERT_EQ(vtable->GetTypeAttr(&attr), S_OK);
  EXPECT_EQ(attr->typekind, TKIND_INTERFACE);
  EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FOLEAUTOMATION);
  ASSERT_EQ(attr->cFuncs, c.members->size());
  EXPECT_EQ(attr->cbSizeVft, (7 + c.members->size()) * sizeof(void*));
  vtable->ReleaseTypeAttr(attr);

  for (UINT i = 0; i < c.members->size(); ++i) {
    const Member& m = (*c.members)[i];
    SCOPED_TRACE(std::string(c.name) + " slot " + std::to_string(7 + i) + ": " + m.signature);
    FUNCDESC* f = nullptr;
    ASSERT_EQ(vtable->GetFuncDesc(i, &f), S_OK);
    EXPECT_EQ(f->memid, m.id);
    EXPECT_EQ(f->invkind, m.kind);
    EXPECT_EQ(f->wFuncFlags, m.flags);
    EXPECT_EQ(f->oVft, static_cast<SHORT>((7 + i) * sizeof(void*)));
    EXPECT_EQ(f->elemdescFunc.tdesc.vt, VT_HRESULT);
    std::string signature = Signature(vtable, f);
    if (m.kind == put || m.kind == putref)
      EXPECT_EQ(WithoutPutValueName(signature), WithoutPutValueName(m.signature));
    else
      EXPECT_EQ(signature, m.signature);
    vtable->ReleaseFuncDesc(f);
    if (m.help) {
      BSTR doc = nullptr;
      DWORD context = 0;
      ASSERT_EQ(dispatch->GetDocumentation(m.id, nullptr, &doc, &context, nullptr), S_OK);
      EXPECT_EQ(Utf8(doc), m.help);
      EXPECT_EQ(context, m.context);
      SysFreeString(doc);
    }
  }
  vtable->Release();
  dispatch->Release();
}

INSTANTIATE_TEST_SUITE_P(EveryInterface, Interfaces, ::testing::ValuesIn(kInterfaces),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Description, TheLibraryNamesItselfWithVersionLocaleHelpStringAndContext) {
  TLIBATTR* attr = nullptr;
  ASSERT_EQ(lib_->GetLibAttr(&attr), S_OK);
  EXPECT_TRUE(IsEqualGUID(attr->guid, LIBID_dvDovrel6Lib));
  EXPECT_EQ(attr->wMajorVerNum, 1);
  EXPECT_EQ(attr->wMinorVerNum, 0);
  EXPECT_EQ(attr->lcid, 0x0409u);
  lib_->ReleaseTLibAttr(attr);
  BSTR name = nullptr, doc = nullptr;
  DWORD context = 0;
  ASSERT_EQ(lib_->GetDocumentation(-1, &name, &doc, &context, nullptr), S_OK);
  EXPECT_EQ(Utf8(name), "dvDovrel6Lib");
  EXPECT_EQ(Utf8(doc), "QOR Dovrel Object 6.0");
  EXPECT_EQ(context, 24000u);
  SysFreeString(name);
  SysFreeString(doc);
}

// Each coclass is followed by its interface, each interface by the
// enumerations its members use first; the main object's enumerations come
// last, in the order of its members.
TEST_F(Description, TypesComeInTheOrderOfTheirFirstUse) {
  const std::pair<const char*, TYPEKIND> expected[] = {
      {"Day", TKIND_COCLASS},
      {"IDay", TKIND_DISPATCH},
      {"dvDayTypeConst", TKIND_ENUM},
      {"Days", TKIND_COCLASS},
      {"IDays", TKIND_DISPATCH},
      {"HolidayStyle", TKIND_COCLASS},
      {"IHLDYStyle", TKIND_DISPATCH},
      {"dvOverrideConst", TKIND_ENUM},
      {"HolidayStyles", TKIND_COCLASS},
      {"IHLDYStyles", TKIND_DISPATCH},
      {"dvDovrel", TKIND_COCLASS},
      {"IDovrel", TKIND_DISPATCH},
      {"dvValueTypeConst", TKIND_ENUM},
      {"dvWeekRestsConst", TKIND_ENUM},
      {"dvWeekdayConst", TKIND_ENUM},
      {"dvAdjustDateConst", TKIND_ENUM},
      {"dvDateTypeConst", TKIND_ENUM},
      {"dvDateTypeExConst", TKIND_ENUM},
      {"dvIsDateInStyleConst", TKIND_ENUM},
      {"dvDayNavConst", TKIND_ENUM},
  };
  ASSERT_EQ(lib_->GetTypeInfoCount(), std::size(expected));
  for (UINT i = 0; i < std::size(expected); ++i) {
    BSTR name = nullptr;
    ASSERT_EQ(lib_->GetDocumentation(static_cast<INT>(i), &name, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(Utf8(name), expected[i].first) << i;
    SysFreeString(name);
    TYPEKIND kind;
    ASSERT_EQ(lib_->GetTypeInfoType(i, &kind), S_OK);
    EXPECT_EQ(kind, expected[i].second) << expected[i].first;
  }
}

TEST_F(Description, OnlyHolidayStyleAndTheMainObjectAreCreatableAndEachHasItsDefaultInterface) {
  struct Class {
    const CLSID* clsid;
    const char* help;
    bool creatable;
    const char* interface;
  } classes[] = {
      {&CLSID_Day, "Day Class", false, "IDay"},
      {&CLSID_Days, "Days Class", false, "IDays"},
      {&CLSID_HolidayStyle, "HolidayStyle Class", true, "IHLDYStyle"},
      {&CLSID_HolidayStyles, "HolidayStyles Class", false, "IHLDYStyles"},
      {&CLSID_dvDovrel, "Dovrel Class", true, "IDovrel"},
  };
  for (const Class& c : classes) {
    SCOPED_TRACE(c.help);
    ITypeInfo* info = Info(*c.clsid);
    ASSERT_NE(info, nullptr);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_COCLASS);
    EXPECT_EQ((attr->wTypeFlags & TYPEFLAG_FCANCREATE) != 0, c.creatable);
    EXPECT_EQ(attr->cImplTypes, 1);
    info->ReleaseTypeAttr(attr);
    BSTR doc = nullptr;
    info->GetDocumentation(MEMBERID_NIL, nullptr, &doc, nullptr, nullptr);
    EXPECT_EQ(Utf8(doc), c.help);
    SysFreeString(doc);
    INT flags = 0;
    ASSERT_EQ(info->GetImplTypeFlags(0, &flags), S_OK);
    EXPECT_EQ(flags, IMPLTYPEFLAG_FDEFAULT);
    HREFTYPE ref;
    ASSERT_EQ(info->GetRefTypeOfImplType(0, &ref), S_OK);
    ITypeInfo* implemented = nullptr;
    ASSERT_EQ(info->GetRefTypeInfo(ref, &implemented), S_OK);
    BSTR name = nullptr;
    implemented->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
    EXPECT_EQ(Utf8(name), c.interface);
    SysFreeString(name);
    implemented->Release();
    info->Release();
  }
}

TEST_F(Description, EnumerationsHoldTheirConstantsInOrder) {
  struct Enumeration {
    const char* name;
    std::vector<std::pair<const char*, LONG>> constants;
  } enumerations[] = {
      {"dvDayTypeConst", {{"dvTypeHoliday", 0}, {"dvTypeForcedHoliday", 1}, {"dvTypeForcedWorkday", 2}}},
      {"dvOverrideConst", {{"dvOverrideNone", 0}, {"dvOverrideNextDay", 1}}},
      {"dvValueTypeConst",
       {{"dvValueNull", -1},
        {"dvValueHolidayOrWorkday", 1},
        {"dvValueForceHoliday", 2},
        {"dvValueForceWorkday", 4},
        {"dvValueOverriddenHoliday", 8},
        {"dvValueWeekend", 16}}},
      {"dvWeekRestsConst",
       {{"dvNoWeeks", 0},
        {"dv1stWeek", 1},
        {"dv2ndWeek", 2},
        {"dv3rdWeek", 4},
        {"dv4thWeek", 8},
        {"dv5thWeek", 16},
        {"dvLastWeek", 32},
        {"dvOverrideWeekday", 64},
        {"dvAllWeeks", -1}}},
      {"dvWeekdayConst",
       {{"dvSunday", 1},
        {"dvMonday", 2},
        {"dvTuesday", 3},
        {"dvWednesday", 4},
        {"dvThursday", 5},
        {"dvFriday", 6},
        {"dvSaturday", 7}}},
      {"dvAdjustDateConst", {{"dvPrevWorkday", 0}, {"dvNextWorkday", 1}}},
      {"dvDateTypeConst", {{"dvHoliday", 0}, {"dvWorkday", 1}, {"dvWeekend", 2}}},
      {"dvDateTypeExConst", {{"dvHolidays", 0}, {"dvWorkdays", 1}, {"dvWeekendsHolidays", 2}}},
      {"dvIsDateInStyleConst", {{"dvFirstMatch", 0}, {"dvNextMatch", 1}}},
      {"dvDayNavConst", {{"dvNavHoliday", 0}, {"dvNavWorkday", 1}, {"dvNavWeekend", 2}, {"dvNavNormal", 3}}},
  };
  for (const Enumeration& e : enumerations) {
    SCOPED_TRACE(e.name);
    std::u16string wanted(e.name, e.name + std::strlen(e.name));
    ITypeInfo* info = nullptr;
    MEMBERID memid;
    USHORT found = 1;
    ASSERT_EQ(lib_->FindName(wanted.data(), 0, &info, &memid, &found), S_OK);
    ASSERT_EQ(found, 1);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_ENUM);
    ASSERT_EQ(attr->cVars, e.constants.size());
    info->ReleaseTypeAttr(attr);
    for (UINT i = 0; i < e.constants.size(); ++i) {
      VARDESC* v = nullptr;
      ASSERT_EQ(info->GetVarDesc(i, &v), S_OK);
      EXPECT_EQ(v->varkind, VAR_CONST);
      EXPECT_EQ(v->lpvarValue->lVal, e.constants[i].second);
      BSTR name = nullptr;
      UINT count = 0;
      info->GetNames(v->memid, &name, 1, &count);
      EXPECT_EQ(Utf8(name), e.constants[i].first);
      SysFreeString(name);
      info->ReleaseVarDesc(v);
    }
    info->Release();
  }
}

// The dispatch view lifts the retval into the result, as script hosts see
// a member.
TEST_F(Description, TheDispatchViewHandsBackTheRetvalAsTheResult) {
  ITypeInfo* info = Info(IID_IDovrel);
  ASSERT_NE(info, nullptr);
  FUNCDESC* f = nullptr;
  ASSERT_EQ(info->GetFuncDesc(14, &f), S_OK);  // DatesInRange
  EXPECT_EQ(f->memid, 10);
  EXPECT_EQ(f->funckind, FUNC_DISPATCH);
  EXPECT_EQ(f->cParams, 4);
  EXPECT_EQ(f->elemdescFunc.tdesc.vt, VT_I2);
  EXPECT_EQ(f->cParamsOpt, 1) << "Date1 is optional without a default";
  info->ReleaseFuncDesc(f);
  info->Release();
}

TEST_F(Description, NamesAreFoundInAnyCaseAndParametersByTheirPosition) {
  ITypeInfo* info = Info(IID_IDovrel);
  ASSERT_NE(info, nullptr);
  std::u16string member = u"nextday", type = u"TYPE", date = u"date", wrong = u"Nope";
  LPOLESTR names[] = {member.data(), type.data(), date.data()};
  MEMBERID ids[3];
  ASSERT_EQ(info->GetIDsOfNames(names, 3, ids), S_OK);
  EXPECT_EQ(ids[0], 20);
  EXPECT_EQ(ids[1], 1);
  EXPECT_EQ(ids[2], 0);
  LPOLESTR unknown[] = {member.data(), wrong.data()};
  EXPECT_EQ(info->GetIDsOfNames(unknown, 2, ids), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(ids[0], 20);
  EXPECT_EQ(ids[1], MEMBERID_NIL);
  LPOLESTR missing[] = {wrong.data()};
  EXPECT_EQ(info->GetIDsOfNames(missing, 1, ids), DISP_E_UNKNOWNNAME);
  info->Release();
}

// The public header and the IDL list the members in the same order: what a
// vtable caller reaches is what the type library describes.
TEST(VtableSlots, ThePublicHeaderAgreesWithTheIdl) {
  std::vector<std::string> mismatches = dvDovrel6Lib_VtableMismatches();
  for (const auto& m : mismatches) ADD_FAILURE() << m;
  EXPECT_TRUE(mismatches.empty());
}

TEST(LoadTypeLib, AFileThatCarriesNoTypeLibraryIsRefused) {
  ITypeLib* lib = nullptr;
  EXPECT_EQ(LoadTypeLib(u"/bin/sh", &lib), TYPE_E_CANTLOADLIBRARY);
  EXPECT_EQ(lib, nullptr);
  EXPECT_EQ(LoadTypeLib(u"/no/such/file.tlb", &lib), TYPE_E_CANTLOADLIBRARY);
}

}  // namespace
