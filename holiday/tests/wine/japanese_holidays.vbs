' The national holidays of Japan as a host programmer's script gets them:
' the module JapaneseHolidays.bas, which the Windows build writes beside
' dovrel60.dll, fills a style of dvDovrel with 1948 to 2099. The counts of
' the years the government published and of years worked out from the law
' are checked, a few days, and then every Day against those the C++ routine
' AddJapaneseHolidays enters (japanese_holidays.txt of the Linux build, in
' the test run's reference folder beside this script's).
'
' Uses: JapaneseHolidays.bas
' Wine's script host has no ExecuteGlobal: the test run appends the module
' named on that line to the script, whose procedures VBScript knows before
' the first statement runs.
'
' Kept in UTF-8; the test run converts it to code page 932. Wine's script
' host says nothing when a script breaks, so the script checks itself and
' its last line is "N passed, N failed".
Option Explicit

Const dvSunday = 1, dvSaturday = 7, dvAllWeeks = -1
Const dvOverrideNone = 0, dvOverrideNextDay = 1
Const dvTypeForcedHoliday = 1
Const dvHoliday = 0, dvNavWorkday = 1

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

Sub CheckEqual(actual, expected, what)
  Check actual = expected, what & ": got " & actual & ", expected " & expected
End Sub

Dim cal, style
Set cal = CreateObject("Qor.Dovrel6")
cal.WeekRests(dvSunday) = dvAllWeeks
cal.WeekRests(dvSaturday) = dvAllWeeks
Set style = cal.HolidayStyles.Add(, "祝日", "国民の祝日")
style.Override = dvOverrideNextDay
AddJapaneseHolidays style, 1948, 2099
cal.UseStyles = "祝日"
CheckEqual style.Override, dvOverrideNone, "the module leaves nothing to move"

' --- Counts and days ----------------------------------------------------------------

' The holidays of each year: as published for 2020 to 2027, and as worked
' out from the law where a rule begins or changes.
Dim counts, i
counts = Array(1948, 3, 1973, 14, 1985, 15, 1988, 14, 1989, 17, 2007, 19, 2019, 22, _
               2020, 18, 2021, 17, 2022, 16, 2023, 17, 2024, 21, 2025, 19, 2026, 18, 2027, 17)
For i = 0 To UBound(counts) Step 2
  CheckEqual cal.DaysInRange(DateSerial(counts(i), 1, 1), DateSerial(counts(i), 12, 31), dvHoliday), _
             counts(i + 1), "holidays in " & counts(i)
Next

' Golden Week 2026: Sunday 05-03 gives Wednesday 05-06, past two holidays.
CheckEqual cal.NextDay(DateSerial(2026, 5, 2), dvNavWorkday), DateSerial(2026, 5, 7), "the next working day after GW"
CheckEqual style.Days("JP-2026-05-06").Name, "振替休日", "the substitute holiday is a Day of its own"
CheckEqual style.Days("JP-2026-05-06").Type, dvTypeForcedHoliday, "a Day of one year"
cal.Value = DateSerial(2026, 5, 6)
CheckEqual cal.ValueType, 3, "ValueType of the substitute holiday (holiday, forced holiday)"
Check Not cal.IsDateInStyle(DateSerial(1973, 2, 12), Nothing), "no substitute holiday before 1973-04-12"
Check cal.IsDateInStyle(DateSerial(1973, 4, 30), Nothing), "the first substitute holiday"
CheckEqual style.Days("JP-1988-05-04").Name, "国民の休日", "the first citizens' holiday"
CheckEqual style.Days("JP-2019-05-01").Name, "天皇の即位の日", "the enthronement"

' Entering years again adds nothing; years outside the table are refused.
Dim before
before = style.Days.Count
AddJapaneseHolidays style, 2025, 2027
CheckEqual style.Days.Count, before, "overlapping years add nothing twice"
On Error Resume Next
AddJapaneseHolidays style, 1947, 1950
CheckEqual Err.Number, 5, "1947 is refused"
Err.Clear
On Error GoTo 0
CheckEqual style.Days.Count, before, "and adds nothing"

' --- Every Day against the C++ routine's ------------------------------------------------

Function TwoDigits(n)
  TwoDigits = Right("0" & n, 2)
End Function

Dim fso, referencePath, reference, d, line, expected, n, differences
Set fso = CreateObject("Scripting.FileSystemObject")
referencePath = fso.BuildPath(fso.GetParentFolderName(fso.GetParentFolderName(WScript.ScriptFullName)), _
                              "reference\japanese_holidays.txt")
Check fso.FileExists(referencePath), "the C++ routine's days are at " & referencePath
If fso.FileExists(referencePath) Then
  Set reference = fso.OpenTextFile(referencePath)
  n = 0
  differences = 0
  For Each d In style.Days
    n = n + 1
    line = d.Key & vbTab & Year(d.Date) & "-" & TwoDigits(Month(d.Date)) & "-" & TwoDigits(Day(d.Date)) & _
           vbTab & d.Name & vbTab & d.Type
    expected = "(none)"
    If Not reference.AtEndOfStream Then expected = reference.ReadLine
    If line <> expected Then
      differences = differences + 1
      If differences <= 5 Then WScript.Echo "FAIL Day " & n & ": " & line & " <> " & expected
    End If
  Next
  Do While Not reference.AtEndOfStream
    differences = differences + 1
    line = reference.ReadLine
    If differences <= 5 Then WScript.Echo "FAIL missing: " & line
  Loop
  reference.Close
  CheckEqual differences, 0, "Days that differ from the C++ routine's, of " & n
End If

WScript.Echo passed & " passed, " & failed & " failed"
WScript.Quit failed
