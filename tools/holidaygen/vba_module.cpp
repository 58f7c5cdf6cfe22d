#include "holidaygen/vba_module.h"

#include <stdexcept>
#include <string_view>

#include "common/cp932.h"
#include "japan/national_holidays.h"

namespace holidaygen {
namespace {

constexpr std::size_t kLongestVbaLine = 1023;

std::u16string Number(int value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

// "MMDD" of a holiday.
std::u16string MonthDay(int month, int day) {
  const int value = month * 100 + day;
  std::u16string text = Number(value);
  return text.size() < 4 ? u"0" + text : text;
}

// The routine. Its comments say in VBA's words what japan/holiday_style.h
// says of AddJapaneseHolidays.
std::u16string Routine() {
  using namespace dovrel60::japan;
  const std::u16string first = Number(kFirstYear), last = Number(kLastYear);
  return u"' AddJapaneseHolidays style, firstYear, lastYear\n"
         u"'   Adds to style.Days one Day per national holiday of the years firstYear\n"
         u"'   to lastYear (" + first + u" to " + last + u"; error 5 outside): a forced holiday\n"
         u"'   (dvTypeForcedHoliday) on its date, which holds for that year only, keyed\n"
         u"'   \"" + std::u16string(kKeyPrefix) + u"yyyy-mm-dd\" and named as the law names it. Substitute holidays\n"
         u"'   (" + std::u16string(kSubstituteHolidayName) + u") and citizens' holidays (" +
         std::u16string(kCitizensHolidayName) + u") are Days of their own, so\n"
         u"'   the style's Override is set to dvOverrideNone: no holiday needs moving,\n"
         u"'   whatever the rest days. A key the style already holds is left as it is,\n"
         u"'   so that overlapping ranges of years add nothing twice.\n"
         u"Public Sub AddJapaneseHolidays(style, firstYear, lastYear)\n"
         u"    Dim days, y, entries, i, md, number, source, description\n"
         u"    If firstYear < " + first + u" Or lastYear > " + last + u" Or firstYear > lastYear Then\n"
         u"        Err.Raise 5, \"AddJapaneseHolidays\", \"The years must lie in " + first + u" to " + last + u".\"\n"
         u"    End If\n"
         u"    style.Override = 0  ' dvOverrideNone\n"
         u"    Set days = style.Days\n"
         u"    For y = firstYear To lastYear\n"
         u"        entries = Split(JapaneseHolidaysOf(y), \",\")\n"
         u"        For i = 0 To UBound(entries)\n"
         u"            md = Left(entries(i), 4)\n"
         u"            On Error Resume Next\n"
         u"            days.Add \"" + std::u16string(kKeyPrefix) + u"\" & y & \"-\" & Left(md, 2) & \"-\" & Right(md, 2), "
         u"Mid(entries(i), 5), _\n"
         u"                DateSerial(y, CInt(Left(md, 2)), CInt(Right(md, 2))), , 1  ' dvTypeForcedHoliday\n"
         u"            number = Err.Number\n"
         u"            source = Err.Source\n"
         u"            description = Err.Description\n"
         u"            On Error GoTo 0\n"
         u"            ' 513: the key is already in the style\n"
         u"            If number <> 0 And number <> 513 Then Err.Raise number, source, description\n"
         u"        Next\n"
         u"    Next\n"
         u"End Sub\n";
}

// One line a year: "Case 2026: JapaneseHolidaysOf = "0101元日,0112成人の日,...".
std::u16string YearTable() {
  using namespace dovrel60::japan;
  std::u16string text =
      u"' The national holidays of one year: month and day (MMDD) and the name of\n"
      u"' each, separated by commas.\n"
      u"Private Function JapaneseHolidaysOf(y)\n"
      u"    Select Case y\n";
  for (int year = kFirstYear; year <= kLastYear; ++year) {
    text += u"    Case " + Number(year) + u": JapaneseHolidaysOf = \"";
    bool first = true;
    for (const Holiday& holiday : NationalHolidays(year)) {
      if (!first) text += u',';
      first = false;
      text += MonthDay(holiday.month, holiday.day);
      text += holiday.name;
    }
    text += u"\"\n";
  }
  text += u"    End Select\nEnd Function\n";
  return text;
}

}  // namespace

std::string VbaModule() {
  using namespace dovrel60::japan;
  const std::u16string text =
      u"' JapaneseHolidays: " + std::u16string(kStyleName) + u", the national holidays of Japan, " +
      Number(kFirstYear) + u" to " + Number(kLastYear) + u", for dovrel60.\n"
      u"'\n"
      u"' Written by holidaygen from the rules of dovrel60's japan/national_holidays.h,\n"
      u"' from which the C++ routine of japan/holiday_style.h and the saved styles\n"
      u"' japanese_holidays.dvs take the same days. Do not edit it: a change belongs\n"
      u"' in the rules.\n"
      u"'\n"
      u"' VBA: File > Import File... The module is code page 932 text, as VBA reads\n"
      u"' modules on a Japanese Windows. VBScript: put it into the script, or read it\n"
      u"' and ExecuteGlobal its text.\n"
      u"'\n"
      u"'   Set style = cal.HolidayStyles.Add(, \"祝日\", \"" + std::u16string(kStyleName) + u"\")\n"
      u"'   AddJapaneseHolidays style, 2024, 2026\n"
      u"'   cal.UseStyles = \"祝日\"\n"
      u"\n" +
      Routine() + u"\n" + YearTable();

  std::u16string withCrLf;
  std::size_t lineLength = 0;
  for (char16_t c : text) {
    if (c == u'\n') {
      withCrLf += u"\r\n";
      lineLength = 0;
      continue;
    }
    if (++lineLength > kLongestVbaLine) throw std::runtime_error("a line of the module is longer than VBA reads");
    withCrLf += c;
  }
  std::optional<std::string> bytes = common::cp932::EncodeExact(withCrLf);
  if (!bytes) throw std::runtime_error("a name of the module has no code page 932 form");
  return *bytes;
}

}  // namespace holidaygen
