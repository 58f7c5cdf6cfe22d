#include "support.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "dv_dovrel.h"

namespace dovtest {

namespace {

// The main object's program identifier, registered as registration does, so
// that its error information names its source: in a registry file of the
// tests' own, removed afterwards.
class RegistryEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    char pattern[] = "/tmp/dovrel-main-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    setenv("DOVREL_REGISTRY", (dir_ + "/registry.reg").c_str(), 1);
    OLECHAR clsid[39];
    StringFromGUID2(CLSID_dvDovrel, clsid, 39);
    const std::u16string path = u"CLSID\\" + std::u16string(clsid) + u"\\ProgID";
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const std::u16string progId(DOVREL_PROGID_DOVREL);
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(progId.c_str()),
                   static_cast<DWORD>((progId.size() + 1) * sizeof(char16_t)));
    RegCloseKey(key);
  }
  void TearDown() override {
    unsetenv("DOVREL_REGISTRY");
    EXPECT_EQ(std::system(("rm -rf '" + dir_ + "'").c_str()), 0);
  }

 private:
  std::string dir_;
};

[[maybe_unused]] ::testing::Environment* const registryEnvironment =
    ::testing::AddGlobalTestEnvironment(new RegistryEnvironment);

constexpr GUID kSentinelGuid = {0x01020304, 0x0506, 0x0708, {1, 2, 3, 4, 5, 6, 7, 8}};

}  // namespace

// --- Dates --------------------------------------------------------------------------

std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468 + 2440588;  // 2440588 is 1970-01-01
}

Civil CivilFromDays(std::int64_t jdn) {
  const std::int64_t z = jdn - 2440588 + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return {yoe + era * 400 + (m <= 2), m, d};
}

int MonthLength(std::int64_t year, int month) {
  static constexpr int kLength[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kLength[month - 1];
}

int WeekdayOf(std::int64_t jdn) {
  // JDN 0 was a Monday.
  return static_cast<int>(((jdn + 1) % 7 + 7) % 7) + 1;
}

std::string DateText(std::int64_t jdn) {
  const Civil c = CivilFromDays(jdn);
  char text[32];
  std::snprintf(text, sizeof text, "%04lld-%02d-%02d", static_cast<long long>(c.year), c.month, c.day);
  return text;
}

// --- Values -------------------------------------------------------------------------

Var Var::Date(double value) {
  Var r;
  r.v.vt = VT_DATE;
  r.v.date = value;
  return r;
}
Var Var::I2(SHORT value) {
  Var r;
  r.v.vt = VT_I2;
  r.v.iVal = value;
  return r;
}
Var Var::I4(LONG value) {
  Var r;
  r.v.vt = VT_I4;
  r.v.lVal = value;
  return r;
}
Var Var::R8(double value) {
  Var r;
  r.v.vt = VT_R8;
  r.v.dblVal = value;
  return r;
}
Var Var::Str(std::u16string_view text) {
  Var r;
  r.v.vt = VT_BSTR;
  r.v.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return r;
}
Var Var::Null() {
  Var r;
  r.v.vt = VT_NULL;
  return r;
}
Var Var::Missing() {
  Var r;
  r.v.vt = VT_ERROR;
  r.v.scode = DISP_E_PARAMNOTFOUND;
  return r;
}

Bstr::Bstr(std::u16string_view text) : b(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}

BSTR* Bstr::Receive() {
  SysFreeString(b);
  b = nullptr;
  return &b;
}

std::string Printable(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) {
    if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      char escaped[12];
      std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(c));
      out += escaped;
    }
  }
  return out;
}

std::optional<std::int64_t> DayIn(const VARIANT& answer) {
  if (answer.vt == VT_NULL) return std::nullopt;
  EXPECT_EQ(answer.vt, VT_DATE) << "a date answer is VT_DATE or VT_NULL";
  if (answer.vt != VT_DATE) return std::nullopt;
  EXPECT_EQ(answer.date, std::floor(answer.date)) << "no time of day";
  return static_cast<std::int64_t>(answer.date) + kEpochDay;
}

// --- Error information --------------------------------------------------------------

std::optional<Raised> TakeErrorInfo() {
  IErrorInfo* info = nullptr;
  if (GetErrorInfo(0, &info) != S_OK || !info) return std::nullopt;
  Raised raised;
  BSTR text = nullptr;
  info->GetDescription(&text);
  raised.description = text ? std::u16string(text, SysStringLen(text)) : u"";
  SysFreeString(text);
  text = nullptr;
  info->GetSource(&text);
  raised.source = text ? std::u16string(text, SysStringLen(text)) : u"";
  SysFreeString(text);
  info->GetGUID(&raised.iid);
  info->Release();
  return raised;
}

void PlantSentinelErrorInfo() {
  ICreateErrorInfo* create = nullptr;
  ASSERT_EQ(CreateErrorInfo(&create), S_OK);
  create->SetGUID(kSentinelGuid);
  create->SetDescription(const_cast<LPOLESTR>(OLESTR("sentinel")));
  IErrorInfo* info = nullptr;
  create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info));
  SetErrorInfo(0, info);
  info->Release();
  create->Release();
}

bool SentinelErrorInfoStillThere() {
  auto raised = TakeErrorInfo();
  return raised && raised->description == u"sentinel" && IsEqualGUID(raised->iid, kSentinelGuid);
}

void ExpectRaisedByDovrel(HRESULT hr, HRESULT code, std::u16string_view text) {
  EXPECT_EQ(hr, code);
  auto raised = TakeErrorInfo();
  ASSERT_TRUE(raised) << "no error information";
  EXPECT_EQ(Printable(raised->description), Printable(text));
  EXPECT_EQ(Printable(raised->source), "Qor.Dovrel6.6");
  EXPECT_TRUE(IsEqualGUID(raised->iid, IID_IDovrel)) << "the failing interface is IDovrel";
}

// --- Objects ------------------------------------------------------------------------

void DovrelTest::SetUp() { SetErrorInfo(0, nullptr); }

void DovrelTest::TearDown() {
  SetErrorInfo(0, nullptr);
  EXPECT_EQ(dovrel::ModuleLockCount(), baseline_) << "every object made by the test is gone, none released twice";
}

ComPtr<IDovrel> NewDovrel() {
  ComPtr<IDovrel> dovrel;
  EXPECT_EQ(dovrel::CreatedvDovrel(nullptr, IID_IDovrel, dovrel.ReceiveVoid()), S_OK);
  return dovrel;
}

ComPtr<IHLDYStyles> StylesOf(IDovrel* dovrel) {
  ComPtr<IHLDYStyles> styles;
  EXPECT_EQ(dovrel->get_HolidayStyles(styles.Receive()), S_OK);
  return styles;
}

ComPtr<IDays> DaysOf(IHLDYStyle* style) {
  ComPtr<IDays> days;
  EXPECT_EQ(style->get_Days(days.Receive()), S_OK);
  return days;
}

ComPtr<IHLDYStyle> AddStyle(IDovrel* dovrel, std::u16string_view key, LONG override_) {
  Bstr keyText(key);
  ComPtr<IHLDYStyle> style;
  EXPECT_EQ(StylesOf(dovrel)->Add(Var::Missing().v, keyText.b, Var::Missing().v, style.Receive()), S_OK)
      << Printable(key);
  if (style) {
    EXPECT_EQ(style->put_Override(AsEnum<dvOverrideConst>(override_)), S_OK);
  }
  return style;
}

ComPtr<IDay> AddDay(IHLDYStyle* style, const DayDef& day) {
  Bstr keyText(day.key);
  Var date = Var::Day(day.date);
  Var date2 = day.date2 ? Var::Day(*day.date2) : Var::Missing();
  ComPtr<IDay> added;
  EXPECT_EQ(DaysOf(style)->Add(keyText.b, Var::Missing().v, date.v, date2.v, AsEnum<dvDayTypeConst>(day.type),
                               added.Receive()),
            S_OK)
      << Printable(day.key);
  return added;
}

void SetWeekRests(IDovrel* dovrel, int weekday, LONG rule) {
  EXPECT_EQ(dovrel->put_WeekRests(static_cast<SHORT>(weekday), AsEnum<dvWeekRestsConst>(rule)), S_OK);
}

HRESULT SetUseStyles(IDovrel* dovrel, std::u16string_view text) {
  Bstr value(text);
  return dovrel->put_UseStyles(value.b);
}

std::u16string UseStylesOf(IDovrel* dovrel) {
  Bstr text;
  EXPECT_EQ(dovrel->get_UseStyles(text.Receive()), S_OK);
  EXPECT_NE(text.b, nullptr) << "an empty text, never a null one";
  return text.Text();
}

void SetValue(IDovrel* dovrel, std::int64_t jdn) { EXPECT_EQ(dovrel->put_Value(Var::Day(jdn).v), S_OK); }

LONG ValueTypeOf(IDovrel* dovrel, std::int64_t jdn) {
  SetValue(dovrel, jdn);
  dvValueTypeConst type{};
  EXPECT_EQ(dovrel->get_ValueType(&type), S_OK);
  return Raw(type);
}

std::u16string KeyOf(IDay* day) {
  Bstr key;
  EXPECT_EQ(day->get_Key(key.Receive()), S_OK);
  return key.Text();
}

void BuildJapaneseStyleCalendar(IDovrel* dovrel) {
  SetWeekRests(dovrel, dvSunday, dvAllWeeks);
  SetWeekRests(dovrel, dvSaturday, dv2ndWeek | dv4thWeek);

  ComPtr<IHLDYStyle> national = AddStyle(dovrel, u"National", dvOverrideNextDay);
  const struct {
    const char16_t* key;
    int month, day;
  } fixed[] = {{u"NewYear", 1, 1},     {u"Foundation", 2, 11}, {u"Emperor", 2, 23}, {u"Showa", 4, 29},
               {u"Constitution", 5, 3}, {u"Greenery", 5, 4},    {u"Children", 5, 5}, {u"Mountain", 8, 11},
               {u"Culture", 11, 3},     {u"Labour", 11, 23}};
  for (const auto& f : fixed) AddDay(national.Get(), {f.key, dvTypeHoliday, Jdn(2000, f.month, f.day), {}});
  // Holidays that move from year to year: 2024's, one-off.
  const struct {
    const char16_t* key;
    int month, day;
  } moving[] = {{u"ComingOfAge2024", 1, 8}, {u"Spring2024", 3, 20},  {u"Marine2024", 7, 15},
                {u"Aged2024", 9, 16},       {u"Autumn2024", 9, 22}, {u"Sports2024", 10, 14}};
  for (const auto& f : moving) AddDay(national.Get(), {f.key, dvTypeForcedHoliday, Jdn(2024, f.month, f.day), {}});

  ComPtr<IHLDYStyle> company = AddStyle(dovrel, u"Company", dvOverrideNone);
  AddDay(company.Get(), {u"YearEnd", dvTypeHoliday, Jdn(2023, 12, 29), Jdn(2024, 1, 3)});
  AddDay(company.Get(), {u"Stocktaking", dvTypeForcedWorkday, Jdn(2024, 11, 9), {}});
  AddDay(company.Get(), {u"Open0506", dvTypeForcedWorkday, Jdn(2024, 5, 6), {}});
  EXPECT_EQ(SetUseStyles(dovrel, u"National,Company"), S_OK);
}

}  // namespace dovtest
