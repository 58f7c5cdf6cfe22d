#include "support.h"

#include <cstdlib>
#include <string>

namespace deftest {

namespace {

// The classes' program identifiers, registered as registration does, so
// that error information names its source: in a registry file of the
// tests' own, removed afterwards.
class RegistryEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    char pattern[] = "/tmp/dovrel-definitions-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    setenv("DOVREL_REGISTRY", (dir_ + "/registry.reg").c_str(), 1);
    Register(CLSID_Day, DOVREL_PROGID_DAY);
    Register(CLSID_Days, DOVREL_PROGID_DAYS);
    Register(CLSID_HolidayStyle, DOVREL_PROGID_HOLIDAYSTYLE);
    Register(CLSID_HolidayStyles, DOVREL_PROGID_HOLIDAYSTYLES);
  }
  void TearDown() override {
    unsetenv("DOVREL_REGISTRY");
    EXPECT_EQ(std::system(("rm -rf '" + dir_ + "'").c_str()), 0);
  }

 private:
  static void Register(REFCLSID clsid, const char16_t* progId) {
    OLECHAR text[39];
    StringFromGUID2(clsid, text, 39);
    std::u16string path = u"CLSID\\" + std::u16string(text) + u"\\ProgID";
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    std::u16string value(progId);
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(char16_t)));
    RegCloseKey(key);
  }
  std::string dir_;
};

[[maybe_unused]] ::testing::Environment* const registryEnvironment =
    ::testing::AddGlobalTestEnvironment(new RegistryEnvironment);

constexpr GUID kSentinelGuid = {0x01020304, 0x0506, 0x0708, {1, 2, 3, 4, 5, 6, 7, 8}};

}  // namespace

std::string Printable(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) {
    if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      char escaped[12];
      snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(c));
      out += escaped;
    }
  }
  return out;
}

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

void ExpectRaised(HRESULT hr, HRESULT code, std::u16string_view text, std::u16string_view source, REFIID iid) {
  EXPECT_EQ(hr, code);
  auto raised = TakeErrorInfo();
  ASSERT_TRUE(raised) << "no error information";
  EXPECT_EQ(Printable(raised->description), Printable(text));
  EXPECT_EQ(Printable(raised->source), Printable(source));
  EXPECT_TRUE(IsEqualGUID(raised->iid, iid)) << "the failing interface";
}

NotificationProbe::NotificationProbe(UINT message) : message_(message) {
  window_ = CreateNotificationTarget(&NotificationProbe::Receive, this);
}

NotificationProbe::~NotificationProbe() { Destroy(); }

void NotificationProbe::Destroy() {
  if (window_) DestroyNotificationTarget(window_);
}

LRESULT CALLBACK NotificationProbe::Receive(HWND, UINT message, WPARAM wParam, LPARAM lParam, void* context) {
  auto* probe = static_cast<NotificationProbe*>(context);
  EXPECT_EQ(message, probe->message_) << "the message number given to SetNotify";
  EXPECT_EQ(wParam, 0u);
  EXPECT_EQ(lParam, 0);
  ++probe->count_;
  if (probe->log) probe->log->push_back("notified");
  return 0;
}

void DefinitionsTest::SetUp() {
  baseline_ = dovrel::ModuleLockCount();
  SetErrorInfo(0, nullptr);
}

void DefinitionsTest::TearDown() {
  SetErrorInfo(0, nullptr);
  EXPECT_EQ(dovrel::ModuleLockCount(), baseline_) << "every object made by the test is gone, none released twice";
}

ComPtr<IDay> NewDay() {
  ComPtr<IDay> day;
  EXPECT_EQ(dovrel::CreateDay(nullptr, IID_IDay, day.ReceiveVoid()), S_OK);
  return day;
}
ComPtr<IDays> NewDays() {
  ComPtr<IDays> days;
  EXPECT_EQ(dovrel::CreateDays(nullptr, IID_IDays, days.ReceiveVoid()), S_OK);
  return days;
}
ComPtr<IHLDYStyle> NewStyle() {
  ComPtr<IHLDYStyle> style;
  EXPECT_EQ(dovrel::CreateHolidayStyle(nullptr, IID_IHLDYStyle, style.ReceiveVoid()), S_OK);
  return style;
}
ComPtr<IHLDYStyles> NewStyles() {
  ComPtr<IHLDYStyles> styles;
  EXPECT_EQ(dovrel::CreateHolidayStyles(nullptr, IID_IHLDYStyles, styles.ReceiveVoid()), S_OK);
  return styles;
}

ComPtr<IDay> AddDay(IDays* days, std::u16string_view key, double date, std::optional<double> date2, LONG type,
                    std::optional<std::u16string_view> name) {
  Bstr keyText(key);
  Var nameArg = name ? Var::Str(*name) : Var::Missing();
  Var dateArg = Var::Date(date);
  Var date2Arg = date2 ? Var::Date(*date2) : Var::Missing();
  ComPtr<IDay> day;
  EXPECT_EQ(days->Add(keyText.b, nameArg.v, dateArg.v, date2Arg.v, AsEnum<dvDayTypeConst>(type), day.Receive()), S_OK)
      << Printable(key);
  return day;
}

ComPtr<IHLDYStyle> AddStyle(IHLDYStyles* styles, std::u16string_view key, std::optional<std::u16string_view> name) {
  Bstr keyText(key);
  Var nameArg = name ? Var::Str(*name) : Var::Missing();
  ComPtr<IHLDYStyle> style;
  EXPECT_EQ(styles->Add(Var::Missing().v, keyText.b, nameArg.v, style.Receive()), S_OK) << Printable(key);
  return style;
}

std::u16string KeyOf(IDay* day) {
  Bstr key;
  EXPECT_EQ(day->get_Key(key.Receive()), S_OK);
  return key.Text();
}
std::u16string KeyOf(IHLDYStyle* style) {
  Bstr key;
  EXPECT_EQ(style->get_Key(key.Receive()), S_OK);
  return key.Text();
}
std::u16string NameOf(IHLDYStyle* style) {
  Bstr name;
  EXPECT_EQ(style->get_Name(name.Receive()), S_OK);
  return name.Text();
}

std::vector<std::u16string> KeysOf(IDays* days) {
  LONG count = 0;
  days->get_Count(&count);
  std::vector<std::u16string> keys;
  for (LONG p = 1; p <= count; ++p) {
    ComPtr<IDay> day;
    EXPECT_EQ(days->get_Item(Var::I4(p).v, day.Receive()), S_OK);
    if (day) keys.push_back(KeyOf(day.Get()));
  }
  return keys;
}
std::vector<std::u16string> KeysOf(IHLDYStyles* styles) {
  LONG count = 0;
  styles->get_Count(&count);
  std::vector<std::u16string> keys;
  for (LONG p = 1; p <= count; ++p) {
    ComPtr<IHLDYStyle> style;
    EXPECT_EQ(styles->get_Item(Var::I4(p).v, style.Receive()), S_OK);
    if (style) keys.push_back(KeyOf(style.Get()));
  }
  return keys;
}

}  // namespace deftest
