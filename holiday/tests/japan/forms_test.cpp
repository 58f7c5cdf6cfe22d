// The three forms of the national holidays give the same days for every
// year: the C++ routine AddJapaneseHolidays entering them into a real style;
// the saved styles japanese_holidays.dvs that holidaygen writes, byte for
// byte as the collection saves that style; and the year table of the module
// JapaneseHolidays.bas, read back from its code page 932 (the module's
// routine itself runs under Wine, tests/wine/japanese_holidays.vbs, and is
// compared there with every Day of the C++ routine). And the routine in a
// calendar: its substitute holidays need no moving, whatever the rest days.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/cp932.h"
#include "japan/holiday_style.h"
#include "tests/wine/persist_scenario.h"

namespace {

using dovrel60::japan::AddJapaneseHolidays;
using dovrel60::japan::AutomationDate;
using dovrel60::japan::Holiday;
using dovrel60::japan::NationalHolidays;
using persist_scenario::Text;
using testsupport::Omitted;

using persist_scenario::CreateFromModule;

// A new style at the end of a collection.
IHLDYStyle* AddStyle(IHLDYStyles* styles, const OLECHAR* key, const OLECHAR* name) {
  BSTR keyText = SysAllocString(key);
  VARIANT nameArg = Text(name);
  IHLDYStyle* style = nullptr;
  styles->Add(Omitted(), keyText, nameArg, &style);
  SysFreeString(keyText);
  VariantClear(&nameArg);
  return style;
}

LONG CountOf(IHLDYStyle* style) {
  IDays* days = nullptr;
  LONG count = -1;
  if (SUCCEEDED(style->get_Days(&days))) days->get_Count(&count);
  if (days) days->Release();
  return count;
}

std::string ReadBytes(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The line of a year in the module's table: Case 2026: JapaneseHolidaysOf = "0101元日,...".
std::u16string ModuleLineOf(int year) {
  std::u16string line = u"    Case ";
  for (char c : std::to_string(year)) line += static_cast<char16_t>(c);
  line += u": JapaneseHolidaysOf = \"";
  bool first = true;
  for (const Holiday& h : NationalHolidays(year)) {
    if (!first) line += u',';
    first = false;
    for (int value : {h.month, h.day}) {
      line += static_cast<char16_t>(u'0' + value / 10);
      line += static_cast<char16_t>(u'0' + value % 10);
    }
    line += h.name;
  }
  return line + u"\"\r\n";
}

TEST(JapaneseHolidayForms, TheModuleHoldsTheDaysOfEveryYear) {
  const std::u16string module = common::cp932::Decode(ReadBytes(DOVREL_JAPANESE_HOLIDAYS_MODULE));
  ASSERT_NE(module.find(u"Public Sub AddJapaneseHolidays(style, firstYear, lastYear)"), std::u16string::npos);
  std::size_t lines = 0;
  for (std::size_t at = module.find(u"    Case "); at != std::u16string::npos; at = module.find(u"    Case ", at + 1))
    ++lines;
  EXPECT_EQ(lines, static_cast<std::size_t>(dovrel60::japan::kLastYear - dovrel60::japan::kFirstYear + 1));
  for (int year = dovrel60::japan::kFirstYear; year <= dovrel60::japan::kLastYear; ++year)
    EXPECT_NE(module.find(ModuleLineOf(year)), std::u16string::npos) << year;
}

TEST(JapaneseHolidayForms, TheSavedFileIsTheStyleTheRoutineFills) {
  const std::string file = ReadBytes(DOVREL_JAPANESE_HOLIDAYS_STYLES);
  ASSERT_GT(file.size(), sizeof(CLSID)) << DOVREL_JAPANESE_HOLIDAYS_STYLES;
  EXPECT_EQ(file.compare(0, sizeof(CLSID), reinterpret_cast<const char*>(&CLSID_HolidayStyles), sizeof(CLSID)), 0);

  IHLDYStyles* styles = CreateFromModule<IHLDYStyles>(CLSID_HolidayStyles, IID_IHLDYStyles);
  ASSERT_NE(styles, nullptr);
  IHLDYStyle* style = AddStyle(styles, OLESTR("JP"), OLESTR("国民の祝日"));
  ASSERT_NE(style, nullptr);
  ASSERT_EQ(AddJapaneseHolidays(style, 1948, 2099), S_OK);
  EXPECT_EQ(CountOf(style), static_cast<LONG>(NationalHolidays(1948, 2099).size()));
  std::string saved;
  ASSERT_EQ(persist_scenario::SaveToBytes(styles, &saved), S_OK);
  const std::string stream = file.substr(sizeof(CLSID));
  EXPECT_EQ(stream.size(), saved.size());
  const auto [differs, _] = std::mismatch(stream.begin(), stream.end(), saved.begin(), saved.end());
  EXPECT_TRUE(differs == stream.end()) << "first difference at byte " << (differs - stream.begin()) + 16;
  style->Release();
  styles->Release();
}

// A calendar whose Sundays move the holidays of a style that lets them
// (dvAllWeeks includes dvOverrideWeekday), with the national holidays as a
// style that did let them until the routine filled it.
class JapaneseHolidayCalendar : public ::testing::Test {
 protected:
  void SetUp() override {
    dovrel_ = CreateFromModule<IDovrel>(CLSID_dvDovrel, IID_IDovrel);
    ASSERT_NE(dovrel_, nullptr);
    ASSERT_EQ(dovrel_->get_HolidayStyles(&styles_), S_OK);
    style_ = AddStyle(styles_, OLESTR("祝日"), OLESTR("国民の祝日"));
    ASSERT_NE(style_, nullptr);
    ASSERT_EQ(style_->put_Override(dvOverrideNextDay), S_OK);
    ASSERT_EQ(dovrel_->put_WeekRests(dvSunday, dvAllWeeks), S_OK);
    BSTR use = SysAllocString(OLESTR("祝日"));
    ASSERT_EQ(dovrel_->put_UseStyles(use), S_OK);
    SysFreeString(use);
  }
  void TearDown() override {
    if (style_) style_->Release();
    if (styles_) styles_->Release();
    if (dovrel_) dovrel_->Release();
  }

  // The holidays of a year as the calendar classifies them.
  std::vector<double> HolidaysIn(int year) {
    VARIANT dates;
    VariantInit(&dates);
    SHORT count = 0;
    dovrel_->DatesInRange(testsupport::DateValue(AutomationDate(year, 1, 1)),
                          testsupport::DateValue(AutomationDate(year, 12, 31)), &dates, dvHoliday, &count);
    std::vector<double> days;
    for (LONG i = 0; i < count; ++i) {
      VARIANT one;
      VariantInit(&one);
      SafeArrayGetElement(dates.parray, &i, &one);
      days.push_back(one.date);
    }
    VariantClear(&dates);
    return days;
  }

  IDovrel* dovrel_ = nullptr;
  IHLDYStyles* styles_ = nullptr;
  IHLDYStyle* style_ = nullptr;
};

TEST_F(JapaneseHolidayCalendar, EachHolidayIsADayOfItsOwnAndNothingMoves) {
  ASSERT_EQ(AddJapaneseHolidays(style_, 2024, 2026), S_OK);
  dvOverrideConst override_ = dvOverrideNextDay;
  EXPECT_EQ(style_->get_Override(&override_), S_OK);
  EXPECT_EQ(override_, dvOverrideNone);
  for (int year : {2024, 2025, 2026}) {
    std::vector<double> expected;
    for (const Holiday& h : NationalHolidays(year)) expected.push_back(AutomationDate(h.year, h.month, h.day));
    EXPECT_EQ(HolidaysIn(year), expected) << year;  // 2026-05-06 among them, and no day after a Sunday besides
  }

  VARIANT_BOOL found = VARIANT_FALSE;
  IDay* day = nullptr;
  ASSERT_EQ(dovrel_->IsDateInStyle(testsupport::DateValue(AutomationDate(2026, 5, 6)), &day, dvFirstMatch, &found),
            S_OK);
  ASSERT_TRUE(found && day);
  BSTR key = nullptr, name = nullptr;
  day->get_Key(&key);
  day->get_Name(&name);
  dvDayTypeConst type = dvTypeHoliday;
  day->get_Type(&type);
  EXPECT_EQ(std::u16string(key), u"JP-2026-05-06");
  EXPECT_EQ(std::u16string(name), u"振替休日");
  EXPECT_EQ(type, dvTypeForcedHoliday);
  SysFreeString(key);
  SysFreeString(name);
  day->Release();
}

TEST_F(JapaneseHolidayCalendar, OverlappingRangesAddEachDayOnce) {
  ASSERT_EQ(AddJapaneseHolidays(style_, 2024, 2025), S_OK);
  ASSERT_EQ(AddJapaneseHolidays(style_, 2025, 2026), S_OK);
  EXPECT_EQ(CountOf(style_), static_cast<LONG>(NationalHolidays(2024, 2026).size()));
}

TEST_F(JapaneseHolidayCalendar, YearsOutsideTheTableAddNothing) {
  EXPECT_EQ(AddJapaneseHolidays(style_, 1947, 1950), E_INVALIDARG);
  EXPECT_EQ(AddJapaneseHolidays(style_, 2099, 2100), E_INVALIDARG);
  EXPECT_EQ(AddJapaneseHolidays(style_, 2026, 2025), E_INVALIDARG);
  EXPECT_EQ(CountOf(style_), 0);
}

}  // namespace
