#include "holidaygen/vba_module.h"

#include <optional>
#include <stdexcept>
#include <string_view>

#include "common/cp932.h"
#include "japan/national_holidays.h"
#include "tool_support/text.h"

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
         u"    Dim days, y, entries, i, md\n"
         u"    If firstYear < " + first + u" Or lastYear > " + last + u" Or firstYear > lastYear Then\n"
         u"        Err.Raise 5, \"AddJapaneseHolidays\", \"The years must lie in " + first + u" to " + last + u".\"\n"
         u"    End If\n"
         u"    style.Override = 0  ' dvOverrideNone\n"
         u"    Set days = style.Days\n"
         u"    For y = firstYear To lastYear\n"
         u"        entries = Split(JapaneseHolidaysOf(y), \",\")\n"
         u"        For i = 0 To UBound(entries)\n"
         u"            md = Left(entries(i), 4)\n"
         u"            AddHolidayDay days, \"" + std::u16string(kKeyPrefix) + u"\" & y & \"-\" & Left(md, 2) & \"-\" & Right(md, 2), "
         u"Mid(entries(i), 5), _\n"
         u"                DateSerial(y, CInt(Left(md, 2)), CInt(Right(md, 2)))\n"
         u"        Next\n"
         u"    Next\n"
         u"End Sub\n"
         u"\n"
         u"' One holiday as a forced holiday (dvTypeForcedHoliday) of its date; a key\n"
         u"' the style already holds (error 513) is left as it is.\n"
         u"Private Sub AddHolidayDay(days, key, dayName, d)\n"
         u"    Dim number, source, description\n"
         u"    On Error Resume Next\n"
         u"    days.Add key, dayName, d, , 1\n"
         u"    number = Err.Number\n"
         u"    source = Err.Source\n"
         u"    description = Err.Description\n"
         u"    On Error GoTo 0\n"
         u"    If number <> 0 And number <> 513 Then Err.Raise number, source, description\n"
         u"End Sub\n";
}

// The name of a date's holiday, read from the same lines of days.
std::u16string NameRoutine() {
  using namespace dovrel60::japan;
  const std::u16string first = Number(kFirstYear), last = Number(kLastYear);
  return u"' JapaneseHolidayName(d)\n"
         u"'   The name of the national holiday on the date d, as AddJapaneseHolidays names\n"
         u"'   its Day; \"\" for a day that is none, and for every day outside " + first + u" to " + last + u".\n"
         u"'   (A style's own Day of a date is style.Days(\"" + std::u16string(kKeyPrefix) + u"yyyy-mm-dd\").)\n"
         u"Public Function JapaneseHolidayName(d)\n"
         u"    Dim entries, i, md\n"
         u"    JapaneseHolidayName = \"\"\n"
         u"    If Year(d) < " + first + u" Or Year(d) > " + last + u" Then Exit Function\n"
         u"    md = Right(\"0\" & Month(d), 2) & Right(\"0\" & Day(d), 2)\n"
         u"    entries = Split(JapaneseHolidaysOf(Year(d)), \",\")\n"
         u"    For i = 0 To UBound(entries)\n"
         u"        If Left(entries(i), 4) = md Then JapaneseHolidayName = Mid(entries(i), 5)\n"
         u"    Next\n"
         u"End Function\n";
}

// The official list's file into a style, as AddOfficialHolidays of
// japan/official_holidays.h reads it: the whole file first, so that a line
// it cannot read adds nothing.
std::u16string OfficialRoutine() {
  using namespace dovrel60::japan;
  return u"' AddOfficialHolidays(style, path)\n"
         u"'   Adds to style.Days the holidays of the official list in the file path, the\n"
         u"'   Cabinet Office's syukujitsu.csv: code page 932 text, a heading line, then\n"
         u"'   one line yyyy/m/d,name per holiday. Each becomes a Day as AddJapaneseHolidays\n"
         u"'   makes it, keyed \"" + std::u16string(kKeyPrefix) + u"yyyy-mm-dd\" and named as the list names it (the\n"
         u"'   list names substitute and citizens' holidays \"休日\"); a key the style\n"
         u"'   already holds is left as it is. Returns the number of holidays in the file.\n"
         u"'   A line that is no such line raises error 5, naming it, and nothing is added.\n"
         u"'   The file is read in the ANSI code page: 932 on a Japanese Windows.\n"
         u"Public Function AddOfficialHolidays(style, path)\n"
         u"    Dim stream, lines, i, lineText, key, y, m, d, found, entry, days\n"
         u"    Set found = CreateObject(\"Scripting.Dictionary\")\n"
         u"    Set stream = CreateObject(\"Scripting.FileSystemObject\").OpenTextFile(path, 1)\n"
         u"    lines = Array()\n"
         u"    If Not stream.AtEndOfStream Then lines = Split(stream.ReadAll, vbLf)\n"
         u"    stream.Close\n"
         u"    For i = 0 To UBound(lines)\n"
         u"        lineText = Replace(lines(i), vbCr, \"\")\n"
         u"        key = OfficialHolidayKey(lineText, y, m, d)\n"
         u"        ' The first line is the heading, unless it is a holiday line itself.\n"
         u"        If key = \"\" And lineText <> \"\" And i > 0 Then\n"
         u"            Err.Raise 5, \"AddOfficialHolidays\", path & \":\" & (i + 1) & \": not yyyy/m/d,name\"\n"
         u"        ElseIf key <> \"\" Then\n"
         u"            If found.Exists(key) Then Err.Raise 5, \"AddOfficialHolidays\", path & \":\" & (i + 1) & \": a day listed before\"\n"
         u"            found.Add key, Array(DateSerial(y, m, d), Mid(lineText, InStr(lineText, \",\") + 1))\n"
         u"        End If\n"
         u"    Next\n"
         u"    style.Override = 0  ' dvOverrideNone\n"
         u"    Set days = style.Days\n"
         u"    For Each key In found.Keys\n"
         u"        entry = found.Item(key)\n"
         u"        AddHolidayDay days, key, entry(1), entry(0)\n"
         u"    Next\n"
         u"    AddOfficialHolidays = found.Count\n"
         u"End Function\n"
         u"\n"
         u"' The key of a line yyyy/m/d,name with its date in y, m and d; \"\" for any other line.\n"
         u"Private Function OfficialHolidayKey(lineText, y, m, d)\n"
         u"    Dim fields, parts, i, c\n"
         u"    OfficialHolidayKey = \"\"\n"
         u"    fields = Split(lineText, \",\")\n"
         u"    If UBound(fields) <> 1 Then Exit Function\n"
         u"    parts = Split(fields(0), \"/\")\n"
         u"    If UBound(parts) <> 2 Or fields(1) = \"\" Or Len(parts(0)) <> 4 Then Exit Function\n"
         u"    If Len(parts(1)) < 1 Or Len(parts(1)) > 2 Or Len(parts(2)) < 1 Or Len(parts(2)) > 2 Then Exit Function\n"
         u"    For i = 1 To Len(fields(0))\n"
         u"        c = Mid(fields(0), i, 1)\n"
         u"        If c <> \"/\" And InStr(\"0123456789\", c) = 0 Then Exit Function\n"
         u"    Next\n"
         u"    y = CInt(parts(0))\n"
         u"    m = CInt(parts(1))\n"
         u"    d = CInt(parts(2))\n"
         u"    If m < 1 Or m > 12 Or d < 1 Then Exit Function\n"
         u"    If Day(DateSerial(y, m, d)) <> d Then Exit Function\n"
         u"    OfficialHolidayKey = \"" + std::u16string(kKeyPrefix) + u"\" & y & \"-\" & Right(\"0\" & m, 2) & \"-\" & Right(\"0\" & d, 2)\n"
         u"End Function\n";
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

// CR LF line ends and code page 932, refusing what VBA would not read. The
// text's lines end in LF (a CR before it is dropped).
std::string ModuleBytes(const std::u16string& text, const std::string& what) {
  std::u16string withCrLf;
  std::size_t lineLength = 0;
  int line = 1;
  for (char16_t c : text) {
    if (c == u'\r') continue;
    if (c == u'\n') {
      withCrLf += u"\r\n";
      lineLength = 0;
      ++line;
      continue;
    }
    if (++lineLength > kLongestVbaLine)
      throw std::runtime_error(what + ":" + std::to_string(line) + ": a line longer than VBA reads");
    withCrLf += c;
  }
  std::optional<std::string> bytes = common::cp932::EncodeExact(withCrLf);
  if (!bytes) {
    // Name the line: encode line by line until one fails.
    int at = 1;
    std::size_t start = 0;
    while (start < withCrLf.size()) {
      const std::size_t end = withCrLf.find(u'\r', start);
      const std::u16string_view piece = std::u16string_view(withCrLf).substr(start, end - start);
      if (!common::cp932::EncodeExact(piece)) break;
      start = end == std::u16string::npos ? withCrLf.size() : end + 2;
      ++at;
    }
    throw std::runtime_error(what + ":" + std::to_string(at) + ": a character that code page 932 lacks");
  }
  return *bytes;
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
      Routine() + u"\n" + NameRoutine() + u"\n" + OfficialRoutine() + u"\n" + YearTable();
  return ModuleBytes(text, "JapaneseHolidays.bas");
}

std::string VbaModuleFromText(std::string_view utf8, const std::string& source) {
  const std::optional<std::u16string> text = tool_support::Utf8ToUtf16Exact(utf8);
  if (!text) throw std::runtime_error(source + ": not UTF-8 text");
  return ModuleBytes(*text, source);
}

}  // namespace holidaygen
