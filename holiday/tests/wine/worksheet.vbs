' The worksheet functions of DovrelFunctions.bas as a sheet's formulas use
' them, run by Wine's script host: a company calendar made from a table (the
' national holidays, the year-end closure 12/29 to 1/3, Sundays and the 2nd
' and 4th Saturdays off), the default calendar (Saturdays and Sundays), and
' a calendar from a settings text (summer days, a founding day moved from a
' Sunday, a Saturday worked), against answers for 2026 worked out by hand:
' Golden Week (4/29 Wed, 5/3 Sun to 5/5 Tue, 5/6 Wed the substitute holiday),
' 9/21 to 9/23 with the citizens' holiday 9/22, the year end. Then the error
' values of bad arguments and settings.
'
' Uses: JapaneseHolidays.bas DovrelFunctions.bas
' The test run appends both modules; VBScript has no Optional, so it reads
' DovrelFunctions.bas without that word, as the module says a script host
' does, and every call passes the calendar (Empty for the default one).
'
' Every formula and its answer is written to worksheet.answers (code page
' 932) beside the script, which the test run keeps in its logs: Wine's
' script host crashes on some long lines of Japanese text in its output.
'
' Kept in UTF-8; the test run converts it to code page 932. Its last line
' is "N passed, N failed".
Option Explicit

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

' VBScript has no CVErr: the error value stands here as the text a cell shows.
Function CVErr(number)
  Select Case number
    Case 2015: CVErr = "#VALUE!"
    Case 2036: CVErr = "#NUM!"
    Case 2029: CVErr = "#NAME?"
    Case Else: CVErr = "#ERR" & number
  End Select
End Function

Dim fso, answers
Set fso = CreateObject("Scripting.FileSystemObject")
Set answers = fso.CreateTextFile(fso.BuildPath(fso.GetParentFolderName(WScript.ScriptFullName), "worksheet.answers"), True)

Function TwoDigits(n)
  TwoDigits = Right("0" & n, 2)
End Function

' An answer as the cell shows it: dates yyyy/mm/dd, TRUE and FALSE.
Function Shown(v)
  If VarType(v) = 7 Then
    Shown = Year(v) & "/" & TwoDigits(Month(v)) & "/" & TwoDigits(Day(v))
  ElseIf VarType(v) = 11 Then
    If v Then Shown = "TRUE" Else Shown = "FALSE"
  ElseIf IsEmpty(v) Then
    Shown = "(empty)"
  Else
    Shown = CStr(v)
  End If
End Function

' An argument as a formula writes it: dates 2026/5/1, texts quoted.
Function Written(v)
  If VarType(v) = 7 Then
    Written = Year(v) & "/" & Month(v) & "/" & Day(v)
    If v <> Fix(v) Then Written = Written & " 18:00"
  ElseIf VarType(v) = 8 Then
    Written = """" & v & """"
  ElseIf IsEmpty(v) Then
    Written = "(empty cell)"
  Else
    Written = CStr(v)
  End If
End Function

Function Calls(fn, a, b, calendar)
  Select Case fn
    Case "DovrelNextWorkday": Calls = DovrelNextWorkday(a, calendar)
    Case "DovrelPrevWorkday": Calls = DovrelPrevWorkday(a, calendar)
    Case "DovrelWorkday": Calls = DovrelWorkday(a, b, calendar)
    Case "DovrelNetWorkdays": Calls = DovrelNetWorkdays(a, b, calendar)
    Case "DovrelIsWorkday": Calls = DovrelIsWorkday(a, calendar)
    Case "DovrelIsHoliday": Calls = DovrelIsHoliday(a, calendar)
    Case "DovrelHolidayName": Calls = DovrelHolidayName(a, calendar)
    Case "DovrelMonthLastWorkday": Calls = DovrelMonthLastWorkday(a, calendar)
  End Select
End Function

' The rows: function, first argument, second (Empty when the function takes
' one), the calendar, the answer.
Sub CheckFormulas(rows)
  Dim row, formula, answer
  For Each row In rows
    formula = "=" & row(0) & "(" & Written(row(1))
    If Not IsEmpty(row(2)) Or row(0) = "DovrelWorkday" Or row(0) = "DovrelNetWorkdays" Then formula = formula & ", " & Written(row(2))
    If Not IsEmpty(row(3)) Then formula = formula & ", " & Written(row(3))
    formula = formula & ")"
    answer = Shown(Calls(row(0), row(1), row(2), row(3)))
    answers.WriteLine formula & vbTab & answer
    Check answer = row(4), "formula " & passed + failed + 1 & " of worksheet.answers: " & row(0) & " answered differently"
  Next
End Sub

Function D(y, m, dd)
  D = DateSerial(y, m, dd)
End Function

' --- The calendars -----------------------------------------------------------------

' The company's table as a sheet holds it (a range's values: rows, then columns).
Dim table(3, 4)
table(0, 0) = "種別": table(0, 1) = "日付": table(0, 2) = "終了": table(0, 3) = "名前": table(0, 4) = "振替"
table(1, 0) = "週休": table(1, 1) = "日"
table(2, 0) = "週休": table(2, 1) = "土": table(2, 2) = "2・4"
table(3, 0) = "休日": table(3, 1) = "12/29": table(3, 2) = "1/3": table(3, 3) = "年末年始"
Check DovrelSettingsProblem(table) = "", "the company's table can be used"
Check DovrelCalendar("会社", table) = "会社", "DovrelCalendar answers the calendar's name"

Dim factory
factory = "# 工場: 夏季休暇、日曜日なら翌日に振り替える創立記念日、棚卸の土曜出勤" & vbCrLf & _
          "休日, 8/13, 8/16, 夏季休暇" & vbCrLf & _
          "休日, 6/14, , 創立記念日, する" & vbCrLf & _
          "出勤日, 2026/11/7, , 棚卸"
Check DovrelCalendar("工場", factory) = "工場", "a calendar from a settings text"


' --- Golden Week ------------------------------------------------------------------------

answers.WriteLine "Golden Week 2026"
CheckFormulas Array( _
  Array("DovrelNextWorkday", D(2026, 5, 1), Empty, "会社", "2026/05/02"), _
  Array("DovrelNextWorkday", D(2026, 5, 1), Empty, Empty, "2026/05/07"), _
  Array("DovrelNextWorkday", D(2026, 5, 2), Empty, "会社", "2026/05/07"), _
  Array("DovrelPrevWorkday", D(2026, 5, 7), Empty, "会社", "2026/05/02"), _
  Array("DovrelWorkday", D(2026, 4, 28), 3, "会社", "2026/05/02"), _
  Array("DovrelWorkday", D(2026, 4, 28), 3, Empty, "2026/05/07"), _
  Array("DovrelWorkday", D(2026, 5, 7), -2, "会社", "2026/05/01"), _
  Array("DovrelWorkday", D(2026, 5, 3), 0, "会社", "2026/05/03"), _
  Array("DovrelWorkday", D(2026, 4, 28), 3.9, "会社", "2026/05/02"), _
  Array("DovrelNetWorkdays", D(2026, 5, 1), D(2026, 5, 31), "会社", "21"), _
  Array("DovrelNetWorkdays", D(2026, 5, 31), D(2026, 5, 1), "会社", "-21"), _
  Array("DovrelNetWorkdays", D(2026, 5, 1), D(2026, 5, 31), Empty, "18"), _
  Array("DovrelIsWorkday", D(2026, 5, 2), Empty, "会社", "TRUE"), _
  Array("DovrelIsWorkday", D(2026, 5, 9), Empty, "会社", "FALSE"), _
  Array("DovrelIsHoliday", D(2026, 5, 9), Empty, "会社", "FALSE"), _
  Array("DovrelIsHoliday", D(2026, 5, 6), Empty, "会社", "TRUE"), _
  Array("DovrelHolidayName", D(2026, 4, 29), Empty, "会社", "昭和の日"), _
  Array("DovrelHolidayName", D(2026, 5, 3), Empty, "会社", "憲法記念日"), _
  Array("DovrelHolidayName", D(2026, 5, 5), Empty, "会社", "こどもの日"), _
  Array("DovrelHolidayName", D(2026, 5, 6), Empty, "会社", "振替休日"), _
  Array("DovrelHolidayName", D(2026, 5, 7), Empty, "会社", ""), _
  Array("DovrelMonthLastWorkday", D(2026, 5, 15), Empty, "会社", "2026/05/30"), _
  Array("DovrelMonthLastWorkday", D(2026, 5, 15), Empty, Empty, "2026/05/29"))

' --- 9/21 to 9/23 --------------------------------------------------------------------------

answers.WriteLine "September 2026"
CheckFormulas Array( _
  Array("DovrelNextWorkday", D(2026, 9, 18), Empty, "会社", "2026/09/19"), _
  Array("DovrelNextWorkday", D(2026, 9, 18), Empty, Empty, "2026/09/24"), _
  Array("DovrelNextWorkday", D(2026, 9, 19), Empty, "会社", "2026/09/24"), _
  Array("DovrelPrevWorkday", D(2026, 9, 24), Empty, "会社", "2026/09/19"), _
  Array("DovrelWorkday", D(2026, 9, 18), 2, "会社", "2026/09/24"), _
  Array("DovrelNetWorkdays", D(2026, 9, 1), D(2026, 9, 30), "会社", "21"), _
  Array("DovrelHolidayName", D(2026, 9, 21), Empty, "会社", "敬老の日"), _
  Array("DovrelHolidayName", D(2026, 9, 22), Empty, "会社", "国民の休日"), _
  Array("DovrelHolidayName", D(2026, 9, 23), Empty, "会社", "秋分の日"), _
  Array("DovrelIsHoliday", D(2026, 9, 22), Empty, "会社", "TRUE"), _
  Array("DovrelIsWorkday", D(2026, 9, 22), Empty, "会社", "FALSE"))

' --- The year end -------------------------------------------------------------------------

answers.WriteLine "The year end"
CheckFormulas Array( _
  Array("DovrelMonthLastWorkday", D(2026, 12, 1), Empty, "会社", "2026/12/28"), _
  Array("DovrelMonthLastWorkday", D(2026, 12, 1), Empty, Empty, "2026/12/31"), _
  Array("DovrelNextWorkday", D(2026, 12, 28), Empty, "会社", "2027/01/04"), _
  Array("DovrelWorkday", D(2026, 12, 25), 2, "会社", "2027/01/04"), _
  Array("DovrelNetWorkdays", D(2026, 12, 28), D(2027, 1, 4), "会社", "2"), _
  Array("DovrelHolidayName", D(2026, 12, 30), Empty, "会社", "年末年始"), _
  Array("DovrelHolidayName", D(2027, 1, 1), Empty, "会社", "元日"), _
  Array("DovrelHolidayName", D(2026, 12, 30), Empty, Empty, ""), _
  Array("DovrelIsHoliday", D(2027, 1, 2), Empty, "会社", "TRUE"), _
  Array("DovrelMonthLastWorkday", D(2027, 1, 15), Empty, "会社", "2027/01/30"), _
  Array("DovrelNetWorkdays", D(2026, 1, 1), D(2026, 12, 31), "会社", "267"), _
  Array("DovrelNetWorkdays", D(2026, 1, 1), D(2026, 12, 31), Empty, "244"))

' --- The factory's settings text ------------------------------------------------------------

answers.WriteLine "The calendar 工場"
CheckFormulas Array( _
  Array("DovrelNextWorkday", D(2026, 6, 12), Empty, "工場", "2026/06/16"), _
  Array("DovrelIsHoliday", D(2026, 6, 15), Empty, "工場", "TRUE"), _
  Array("DovrelHolidayName", D(2026, 6, 15), Empty, "工場", "創立記念日"), _
  Array("DovrelNetWorkdays", D(2026, 8, 1), D(2026, 8, 31), "工場", "18"), _
  Array("DovrelHolidayName", D(2026, 8, 14), Empty, "工場", "夏季休暇"), _
  Array("DovrelIsWorkday", D(2026, 11, 7), Empty, "工場", "TRUE"), _
  Array("DovrelNextWorkday", D(2026, 11, 6), Empty, "工場", "2026/11/07"))

' --- Dates as cells hold them, and bad arguments ------------------------------------------------

answers.WriteLine "Arguments"
CheckFormulas Array( _
  Array("DovrelNextWorkday", "2026/5/2", Empty, "会社", "2026/05/07"), _
  Array("DovrelNetWorkdays", "2026年9月1日", "2026-09-30", "会社", "21"), _
  Array("DovrelNextWorkday", CDbl(D(2026, 5, 1)), Empty, "会社", "2026/05/02"), _
  Array("DovrelNextWorkday", D(2026, 5, 1) + 0.75, Empty, "会社", "2026/05/02"), _
  Array("DovrelWorkday", D(2026, 5, 7), "-2", "会社", "2026/05/01"), _
  Array("DovrelNextWorkday", "5/2", Empty, "会社", "#VALUE!"), _
  Array("DovrelNextWorkday", "あした", Empty, "会社", "#VALUE!"), _
  Array("DovrelNextWorkday", Empty, Empty, "会社", "#VALUE!"), _
  Array("DovrelIsWorkday", True, Empty, "会社", "#VALUE!"), _
  Array("DovrelWorkday", D(2026, 5, 1), "二日", "会社", "#VALUE!"), _
  Array("DovrelNetWorkdays", D(2026, 5, 1), "x", "会社", "#VALUE!"), _
  Array("DovrelNextWorkday", D(1947, 12, 31), Empty, "会社", "#NUM!"), _
  Array("DovrelNextWorkday", D(2099, 12, 31), Empty, "会社", "#NUM!"), _
  Array("DovrelWorkday", D(2026, 5, 1), 100000, "会社", "#NUM!"), _
  Array("DovrelHolidayName", D(2026, 5, 1), Empty, "本店", "#NAME?"))

' The former names answer as the functions they name.
Check Shown(DvNetWorkdays(D(2026, 5, 1), D(2026, 5, 31), "会社")) = "21", "DvNetWorkdays"
Check Shown(DvIsWorkday(D(2026, 5, 9), "会社")) = "FALSE", "DvIsWorkday"
Check Shown(DvIsHoliday(D(2026, 5, 6), Empty)) = "TRUE", "DvIsHoliday"
Check DvHolidayName(D(2026, 9, 22), "会社") = "国民の休日", "DvHolidayName"
Check Shown(DvMonthLastWorkday(D(2026, 12, 1), "会社")) = "2026/12/28", "DvMonthLastWorkday"
Check DvSettingsProblem("週休, 土, 2・6") = DovrelSettingsProblem("週休, 土, 2・6"), "DvSettingsProblem"
Check DvCalendar("旧名", "週休, 水") = "旧名" And Shown(DovrelNextWorkday(D(2026, 5, 12), "旧名")) = "2026/05/14", "DvCalendar"

' Settings with a problem make no calendar, and say where the problem is.
Check DovrelCalendar("壊れた", "週休, 日" & vbLf & "休日, 2026/2/30") = "#VALUE!", "settings with a problem are #VALUE!"
Check Left(DovrelSettingsProblem("週休, 日" & vbLf & "休日, 2026/2/30"), 4) = "2行目:", "the problem names its line"
Check Left(DovrelSettingsProblem("週休, 土, 2・6"), 4) = "1行目:", "a week that no month has"
Check Left(DovrelSettingsProblem("出勤日, 11/7"), 4) = "1行目:", "a working day needs its year"
Check DovrelNextWorkday(D(2026, 5, 1), "壊れた") = "#NAME?", "the calendar with a problem is no calendar"
Check DovrelCalendar("会社", "祝日, なし") = "会社", "a calendar made again"
Check Shown(DovrelNextWorkday(D(2026, 5, 1), "会社")) = "2026/05/04", "from its new settings: no national holidays"

answers.Close
WScript.Echo passed & " passed, " & failed & " failed"
WScript.Quit failed
