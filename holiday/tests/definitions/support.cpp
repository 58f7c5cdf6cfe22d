#include "tests/definitions/support.h"

#include "tests/support/registry.h"

namespace deftest {

namespace {

// The classes' program identifiers, registered as registration does, so
// that error information names its source.
[[maybe_unused]] ::testing::Environment* const registryEnvironment =
    ::testing::AddGlobalTestEnvironment(new testsupport::RegisteredProgIds(
        "definitions", {{&CLSID_Day, DOVREL_PROGID_DAY},
                        {&CLSID_Days, DOVREL_PROGID_DAYS},
                        {&CLSID_HolidayStyle, DOVREL_PROGID_HOLIDAYSTYLE},
                        {&CLSID_HolidayStyles, DOVREL_PROGID_HOLIDAYSTYLES}}));

}  // namespace

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
