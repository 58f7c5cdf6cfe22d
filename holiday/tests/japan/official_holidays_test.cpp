// The official list of the national holidays: japan/official_holidays.h
// reading files in its format and entering them into a real style, the
// names of japan/national_holidays.h, and holidaygen --compare run as a
// program on such files. The files are the tests' own, written here from
// the days of 2025 and 2026 as the list names them (substitute and
// citizens' holidays 「休日」), in code page 932 with CR LF.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <fstream>
#include <sstream>
#include <string>

#include "common/cp932.h"
#include "common/utf.h"
#include "japan/official_holidays.h"
#include "tests/wine/persist_scenario.h"
#include "tool_support/testing.h"

namespace {

using dovrel60::japan::AutomationDate;
using dovrel60::japan::OfficialHolidayList;
using dovrel60::japan::ReadOfficialHolidayList;

// The heading and the 37 days of 2025 and 2026, one "yyyy/m/d,name" a line.
const char kList[] =
    "国民の祝日・休日月日,国民の祝日・休日名称\n"
    "2025/1/1,元日\n2025/1/13,成人の日\n2025/2/11,建国記念の日\n2025/2/23,天皇誕生日\n2025/2/24,休日\n"
    "2025/3/20,春分の日\n2025/4/29,昭和の日\n2025/5/3,憲法記念日\n2025/5/4,みどりの日\n2025/5/5,こどもの日\n"
    "2025/5/6,休日\n2025/7/21,海の日\n2025/8/11,山の日\n2025/9/15,敬老の日\n2025/9/23,秋分の日\n"
    "2025/10/13,スポーツの日\n2025/11/3,文化の日\n2025/11/23,勤労感謝の日\n2025/11/24,休日\n"
    "2026/1/1,元日\n2026/1/12,成人の日\n2026/2/11,建国記念の日\n2026/2/23,天皇誕生日\n2026/3/20,春分の日\n"
    "2026/4/29,昭和の日\n2026/5/3,憲法記念日\n2026/5/4,みどりの日\n2026/5/5,こどもの日\n2026/5/6,休日\n"
    "2026/7/20,海の日\n2026/8/11,山の日\n2026/9/21,敬老の日\n2026/9/22,休日\n2026/9/23,秋分の日\n"
    "2026/10/12,スポーツの日\n2026/11/3,文化の日\n2026/11/23,勤労感謝の日\n";

// UTF-8 text with LF as the file holds it: code page 932 with CR LF.
std::string FileBytes(const std::string& text) {
  std::string crLf;
  for (char c : text) crLf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return *common::cp932::EncodeExact(common::Utf8ToUtf16(crLf));
}

// `text` with its line `line` replaced by `by` ("" removes it).
std::string Replaced(std::string text, const std::string& line, const std::string& by) {
  const std::size_t at = text.find(line + "\n");
  EXPECT_NE(at, std::string::npos) << line;
  if (at != std::string::npos) text.replace(at, line.size() + 1, by.empty() ? "" : by + "\n");
  return text;
}

TEST(OfficialHolidayList, ReadsEveryDayAfterTheHeading) {
  const OfficialHolidayList list = ReadOfficialHolidayList(FileBytes(kList));
  ASSERT_EQ(list.problemLine, 0) << list.problem;
  ASSERT_EQ(list.days.size(), 37u);
  EXPECT_EQ(list.days[28].year * 10000 + list.days[28].month * 100 + list.days[28].day, 20260506);
  EXPECT_EQ(common::cp932::Decode(list.days[28].name), u"休日");
  // LF alone ends a line as well, and a file may start with a holiday.
  const OfficialHolidayList plain = ReadOfficialHolidayList("2026/1/1,x\n2026/1/12,y");
  EXPECT_EQ(plain.problemLine, 0);
  EXPECT_EQ(plain.days.size(), 2u);
}

TEST(OfficialHolidayList, StopsAtTheFirstLineItCannotRead) {
  const struct {
    std::string file;
    int line;
    const char* problem;
  } cases[] = {
      {Replaced(kList, "2026/1/12,成人の日", "2026/2/30,成人の日"), 22, "no such date"},
      {Replaced(kList, "2026/1/12,成人の日", "2026/1/12"), 22, "no comma after the date"},
      {Replaced(kList, "2026/1/12,成人の日", "2026/1/12,"), 22, "no name after the date"},
      {Replaced(kList, "2026/1/12,成人の日", "2026/1/12,成人の日,月"), 22, "more than a date and a name"},
      {Replaced(kList, "2026/1/12,成人の日", "26/1/12,成人の日"), 22, "no date yyyy/m/d at the start"},
      {std::string(kList) + "2026/5/6,振替休日\n", 39, "a day listed before"},
  };
  for (const auto& c : cases) {
    const OfficialHolidayList list = ReadOfficialHolidayList(FileBytes(c.file));
    EXPECT_EQ(list.problemLine, c.line) << c.problem;
    EXPECT_EQ(list.problem, c.problem);
  }
}

TEST(NationalHolidayName, NamesTheDayAsTheRulesDo) {
  using dovrel60::japan::HolidayName;
  EXPECT_EQ(HolidayName(2026, 5, 6), u"振替休日");
  EXPECT_EQ(HolidayName(2026, 9, 22), u"国民の休日");
  EXPECT_EQ(HolidayName(2026, 9, 23), u"秋分の日");
  EXPECT_EQ(HolidayName(2026, 5, 7), u"");
  EXPECT_EQ(HolidayName(1948, 5, 3), u"") << "before the law took effect";
  EXPECT_EQ(HolidayName(2100, 1, 1), u"") << "beyond the table";
}

// A style filled from the list against one filled from the rules, in two
// calendars of the library: the same kind of day on every day of the two
// years, the list's names, the rules' keys.
TEST(OfficialHolidays, AStyleFilledFromTheListAnswersAsTheRules) {
  IDovrel* calendars[2] = {persist_scenario::CreateFromModule<IDovrel>(CLSID_dvDovrel, IID_IDovrel),
                           persist_scenario::CreateFromModule<IDovrel>(CLSID_dvDovrel, IID_IDovrel)};
  ASSERT_TRUE(calendars[0] && calendars[1]);
  IHLDYStyle* styles[2] = {};
  for (int i = 0; i < 2; ++i) {
    IHLDYStyles* collection = nullptr;
    ASSERT_EQ(calendars[i]->get_HolidayStyles(&collection), S_OK);
    BSTR key = SysAllocString(OLESTR("JP"));
    collection->Add(testsupport::Omitted(), key, testsupport::Omitted(), &styles[i]);
    ASSERT_EQ(calendars[i]->put_UseStyles(key), S_OK);
    SysFreeString(key);
    collection->Release();
    calendars[i]->put_WeekRests(dvSunday, dvAllWeeks);
    calendars[i]->put_WeekRests(dvSaturday, dvAllWeeks);
  }
  ASSERT_EQ(styles[0]->put_Override(dvOverrideNextDay), S_OK);
  EXPECT_EQ(dovrel60::japan::AddOfficialHolidays(styles[0], ReadOfficialHolidayList(FileBytes(kList))), S_OK);
  ASSERT_EQ(dovrel60::japan::AddJapaneseHolidays(styles[1], 2025, 2026), S_OK);

  int differing = 0;
  for (double d = AutomationDate(2025, 1, 1); d <= AutomationDate(2026, 12, 31); ++d) {
    dvValueTypeConst kinds[2] = {};
    for (int i = 0; i < 2; ++i) {
      calendars[i]->put_Value(testsupport::DateValue(d));
      calendars[i]->get_ValueType(&kinds[i]);
    }
    if (kinds[0] != kinds[1]) ++differing;
  }
  EXPECT_EQ(differing, 0);
  dvOverrideConst override_ = dvOverrideNextDay;
  styles[0]->get_Override(&override_);
  EXPECT_EQ(override_, dvOverrideNone) << "the list has its substitute holidays: nothing may move";

  IDays* days = nullptr;
  IDay* day = nullptr;
  VARIANT key = persist_scenario::Text(OLESTR("JP-2026-09-22"));
  BSTR name = nullptr;
  ASSERT_EQ(styles[0]->get_Days(&days), S_OK);
  ASSERT_EQ(days->get_Item(key, &day), S_OK);
  day->get_Name(&name);
  EXPECT_EQ(std::u16string(name), u"休日");
  SysFreeString(name);
  VariantClear(&key);
  day->Release();
  days->Release();
  EXPECT_EQ(dovrel60::japan::AddOfficialHolidays(styles[0], ReadOfficialHolidayList(FileBytes("h\n2026/2/30,x\n"))),
            E_INVALIDARG);
  for (int i = 0; i < 2; ++i) {
    styles[i]->Release();
    calendars[i]->Release();
  }
}

// holidaygen --compare as the README has it run, on files of the list's
// format in a folder of the test's own.
class HolidaygenCompare : public ::testing::Test {
 protected:
  int Compare(const std::string& text, std::string* out, std::string* err) {
    const std::string dir = folder_.Path();
    std::ofstream(dir + "/syukujitsu.csv", std::ios::binary) << FileBytes(text);
    const std::string command = "cd '" + dir + "' && " + HOLIDAYGEN + " --compare syukujitsu.csv > out.txt 2> err.txt";
    const int status = std::system(command.c_str());
    *out = Read(dir + "/out.txt");
    *err = Read(dir + "/err.txt");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  tool_support::TempFolder folder_;
};

// Names that differ are listed but fail nothing; days do.
TEST_F(HolidaygenCompare, ADayAddedOneRemovedAndOneRenamed) {
  std::string out, err;
  EXPECT_EQ(Compare(kList, &out, &err), 0) << err;
  EXPECT_NE(out.find("(not counted) (5):\n"), std::string::npos) << out;
  EXPECT_NE(out.find("\nthe days agree\n"), std::string::npos) << out;

  const std::string list = Replaced(Replaced(kList, "2026/11/3,文化の日", ""), "2026/7/20,海の日", "2026/7/20,海の記念日") +
                           "2026/12/28,仕事納め\n";
  EXPECT_EQ(Compare(list, &out, &err), 1) << err;
  EXPECT_EQ(out,
            "syukujitsu.csv: 37 holidays of 2025 to 2026, the rules 37\n"
            "only in the file (1):\n"
            "  2026/12/28 (月) 仕事納め\n"
            "only in the rules (1):\n"
            "  2026/11/03 (火) 文化の日\n"
            "names that differ, the file's / the rules' (not counted) (6):\n"
            "  2025/02/24 (月) 休日 / 振替休日\n"
            "  2025/05/06 (火) 休日 / 振替休日\n"
            "  2025/11/24 (月) 休日 / 振替休日\n"
            "  2026/05/06 (水) 休日 / 振替休日\n"
            "  2026/07/20 (月) 海の記念日 / 海の日\n"
            "  2026/09/22 (火) 休日 / 国民の休日\n"
            "the days differ\n");
}

TEST_F(HolidaygenCompare, AFileItCannotReadIsNamedWithItsLine) {
  std::string out, err;
  EXPECT_EQ(Compare(Replaced(kList, "2026/2/11,建国記念の日", "2026/2/30,建国記念の日"), &out, &err), 1);
  EXPECT_EQ(err, "holidaygen: syukujitsu.csv:23: no such date\n");
  EXPECT_EQ(out, "");
}

}  // namespace
