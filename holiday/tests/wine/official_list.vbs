' The official list of the national holidays read by AddOfficialHolidays of
' JapaneseHolidays.bas, from files in its format (code page 932, a heading,
' yyyy/m/d,name lines, CR LF) that the script writes itself: the 18 days of
' 2026 as the list names them, with a day added, one removed and one
' renamed; a damaged file; and the names of JapaneseHolidayName.
'
' Uses: JapaneseHolidays.bas
'
' Kept in UTF-8; the test run converts it to code page 932, the ANSI code
' page in which the script host writes and reads the files too. Its last
' line is "N passed, N failed".
Option Explicit

Const dvSunday = 1, dvSaturday = 7, dvAllWeeks = -1
Const dvOverrideNextDay = 1, dvHoliday = 0, dvNavWorkday = 1

Dim passed, failed
passed = 0
failed = 0

Sub Check(ok, what)
  If ok Then
    passed = passed + 1
  Else
    failed = failed + 1
    WScript.Echo "FAIL " & what
  End If
End Sub

Dim fso, folder
Set fso = CreateObject("Scripting.FileSystemObject")
folder = fso.GetParentFolderName(WScript.ScriptFullName)

' Writes the lines as the list's file and answers its path.
Function ListFile(fileName, lines)
  Dim stream, i
  ListFile = fso.BuildPath(folder, fileName)
  Set stream = fso.CreateTextFile(ListFile, True)
  For i = 0 To UBound(lines)
    stream.Write lines(i) & vbCrLf
  Next
  stream.Close
End Function

Dim heading
heading = "国民の祝日・休日月日,国民の祝日・休日名称"
' 2026 as the list has it, but 11/3 left out, 7/20 renamed and 12/28 added.
Dim edited
edited = ListFile("syukujitsu-edited.csv", Array(heading, _
  "2026/1/1,元日", "2026/1/12,成人の日", "2026/2/11,建国記念の日", "2026/2/23,天皇誕生日", "2026/3/20,春分の日", _
  "2026/4/29,昭和の日", "2026/5/3,憲法記念日", "2026/5/4,みどりの日", "2026/5/5,こどもの日", "2026/5/6,休日", _
  "2026/7/20,海の記念日", "2026/8/11,山の日", "2026/9/21,敬老の日", "2026/9/22,休日", "2026/9/23,秋分の日", _
  "2026/10/12,スポーツの日", "2026/11/23,勤労感謝の日", "2026/12/28,仕事納め"))

Dim cal, style, count
Set cal = CreateObject("Qor.Dovrel6")
cal.WeekRests(dvSunday) = dvAllWeeks
cal.WeekRests(dvSaturday) = dvAllWeeks
Set style = cal.HolidayStyles.Add(, "内閣府", "国民の祝日")
style.Override = dvOverrideNextDay
cal.UseStyles = "内閣府"
count = AddOfficialHolidays(style, edited)
Check count = 18, "the file's 18 days are counted: " & count
Check style.Days.Count = 18, "and entered: " & style.Days.Count
Check style.Override = 0, "nothing moves: Override is dvOverrideNone"
Check style.Days("JP-2026-05-06").Name = "休日", "the list's name of a substitute holiday"
Check style.Days("JP-2026-07-20").Name = "海の記念日", "the renamed day keeps the file's name"
Check style.Days("JP-2026-12-28").Type = 1, "the added day is a forced holiday"
Check cal.IsDateInStyle(DateSerial(2026, 12, 28), Nothing), "the added day is a holiday"
Check Not cal.IsDateInStyle(DateSerial(2026, 11, 3), Nothing), "the removed day is none"
Check cal.DaysInRange(DateSerial(2026, 1, 1), DateSerial(2026, 12, 31), dvHoliday) = 18, "18 holidays in 2026"
Check cal.NextDay(DateSerial(2026, 5, 2), dvNavWorkday) = DateSerial(2026, 5, 7), "after Golden Week"
Check cal.NextDay(DateSerial(2026, 9, 18), dvNavWorkday) = DateSerial(2026, 9, 24), "past 9/21 to 9/23"

' A line that is no holiday line stops the reading before anything is added.
Dim damaged, number, description
damaged = ListFile("syukujitsu-damaged.csv", Array(heading, "2026/1/1,元日", "2026/2/30,建国記念の日"))
Set style = cal.HolidayStyles.Add(, "壊れた")
On Error Resume Next
AddOfficialHolidays style, damaged
number = Err.Number
description = Err.Description
On Error GoTo 0
Check number = 5, "a damaged file is error 5: " & number
Check InStr(description, "syukujitsu-damaged.csv:3:") > 0, "naming its line"
Check style.Days.Count = 0, "and adds nothing"

' A file whose first line is a holiday has no heading.
Set style = cal.HolidayStyles.Add(, "見出しなし")
Check AddOfficialHolidays(style, ListFile("syukujitsu-plain.csv", Array("2026/1/1,元日", "2026/1/12,成人の日"))) = 2, _
      "without a heading"

' The names of the rules, without a calendar.
Check JapaneseHolidayName(DateSerial(2026, 5, 6)) = "振替休日", "the substitute holiday's name"
Check JapaneseHolidayName(DateSerial(2026, 9, 22)) = "国民の休日", "the citizens' holiday's name"
Check JapaneseHolidayName(DateSerial(2026, 11, 3)) = "文化の日", "a holiday of the law"
Check JapaneseHolidayName(DateSerial(2026, 5, 7)) = "", "a working day has none"
Check JapaneseHolidayName(DateSerial(2100, 1, 1)) = "", "beyond the rules"

WScript.Echo passed & " passed, " & failed & " failed"
WScript.Quit failed
