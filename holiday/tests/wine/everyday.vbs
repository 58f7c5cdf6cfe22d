' dovrel60 as a host programmer uses it from VBScript: a company calendar
' (Sundays and the 2nd and 4th Saturdays off, national holidays that move
' to Monday when they fall on a Sunday), and the everyday questions.
'
' Kept in UTF-8; the test run converts it to code page 932, the ANSI code
' page a Japanese Windows reads scripts in. Wine's script host says nothing
' when a script breaks, so the script checks itself and its last line is
' "N passed, N failed".
Option Explicit

' The type library's constants (VBA and VB6 know them by name; VBScript
' does not read type libraries).
Const dvSunday = 1, dvSaturday = 7, dvMonday = 2
Const dvAllWeeks = -1, dv2ndWeek = 2, dv4thWeek = 8
Const dvOverrideNone = 0, dvOverrideNextDay = 1
Const dvTypeForcedHoliday = 1, dvTypeForcedWorkday = 2
Const dvNavHoliday = 0, dvNavWorkday = 1
Const dvHoliday = 0, dvWorkday = 1, dvWeekend = 2
Const dvNextWorkday = 1

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
  If actual = expected Then
    passed = passed + 1
  Else
    failed = failed + 1
    WScript.Echo "FAIL " & what & ": got " & actual & ", expected " & expected
  End If
End Sub

' --- Setting up ----------------------------------------------------------------

Dim cal
Set cal = CreateObject("Qor.Dovrel6")
Check IsObject(cal), "CreateObject(""Qor.Dovrel6"")"
CheckEqual cal.Version, "6.0.2.3", "Version"

cal.WeekRests(dvSunday) = dvAllWeeks
cal.WeekRests(dvSaturday) = dv2ndWeek + dv4thWeek
CheckEqual cal.WeekRests(dvSaturday), 10, "WeekRests(dvSaturday) reads back"

Dim national
Set national = cal.HolidayStyles.Add(, "祝日", "国民の祝日")
national.Override = dvOverrideNextDay
national.Days.Add "元日", , DateSerial(2024, 1, 1)
national.Days.Add "建国記念の日", "建国記念の日", DateSerial(2024, 2, 11)
national.Days.Add "GW", "ゴールデンウィーク", DateSerial(2024, 5, 3), DateSerial(2024, 5, 5), dvTypeForcedHoliday
cal.UseStyles = "祝日"
CheckEqual cal.UseStyles, "祝日", "UseStyles"
CheckEqual national.Days.Count, 3, "Days.Count"
CheckEqual national.Days("元日").Name, "", "a name left out is empty"
CheckEqual cal.HolidayStyles("祝日").Days("GW").Name, "ゴールデンウィーク", "Days(key).Name"
CheckEqual cal.HolidayStyles(1).Days(1), "元日", "a Day's default member is its Key"

' --- Questions -------------------------------------------------------------------

CheckEqual cal.NextDay(DateSerial(2024, 2, 10)), DateSerial(2024, 2, 11), "NextDay to the holiday"
CheckEqual cal.NextDay(DateSerial(2024, 2, 11)), DateSerial(2024, 2, 12), "NextDay to the holiday moved to Monday"
CheckEqual cal.NextDay(DateSerial(2024, 2, 9), dvNavWorkday), DateSerial(2024, 2, 13), "NextDay working day"
CheckEqual cal.PrevDay(DateSerial(2024, 2, 13), dvNavHoliday), DateSerial(2024, 2, 12), "PrevDay holiday"
CheckEqual cal.AdjustDate(DateSerial(2024, 2, 10)), DateSerial(2024, 2, 13), "AdjustDate of a rest day"

' Dates left out mean the object's Value.
cal.Value = DateSerial(2024, 2, 9)
CheckEqual cal.NextDay(), DateSerial(2024, 2, 11), "NextDay() from Value"
CheckEqual cal.NextDay(, dvNavWorkday), DateSerial(2024, 2, 13), "NextDay(, dvNavWorkday) from Value"
CheckEqual cal.ValueType, 0, "ValueType of an ordinary Friday"
cal.Value = DateSerial(2024, 2, 12)
CheckEqual cal.ValueType, 9, "ValueType of the moved holiday"
cal.Value = Null
Check cal.ValueIsNull, "Value = Null"

CheckEqual cal.DaysInRange(DateSerial(2024, 1, 1), DateSerial(2024, 12, 31), dvWeekend), 76, "rest days in 2024"
CheckEqual cal.DaysInRange(DateSerial(2024, 12, 31), DateSerial(2024, 1, 1), dvWeekend), 76, "the ends either way round"
CheckEqual cal.DaysInRange(DateSerial(2024, 2, 1), DateSerial(2024, 2, 29)), 2, "holidays in February"

Dim dates, n, listed, one
n = cal.DatesInRange(DateSerial(2024, 5, 1), DateSerial(2024, 5, 31), dates)
CheckEqual n, 4, "DatesInRange count"
Check IsArray(dates), "DatesInRange fills an array"
If IsArray(dates) Then
  CheckEqual LBound(dates), 0, "the array starts at 0"
  CheckEqual UBound(dates), 3, "one element per date"
  CheckEqual dates(0), DateSerial(2024, 5, 3), "the first date"
  CheckEqual dates(3), DateSerial(2024, 5, 6), "the forced holiday moved from Sunday to Monday"
  For Each one In dates
    listed = listed & Day(one) & " "
  Next
  CheckEqual listed, "3 4 5 6 ", "For Each over the dates"
End If
CheckEqual cal.FirstInMonth(DateSerial(2024, 2, 20), dvWeekend), DateSerial(2024, 2, 4), "FirstInMonth rest day"
CheckEqual cal.LastInYear(DateSerial(2024, 6, 1), dvHoliday), DateSerial(2024, 5, 6), "LastInYear holiday"

' A script gets the answer but not the Day: it can pass variables by
' reference only as VARIANTs, and the platform's dispatch does not make an
' IDay** of one (error 13, on Windows as under Wine). Nothing, passed by
' value, stands in for the Day.
Check cal.IsDateInStyle(DateSerial(2024, 5, 4), Nothing), "IsDateInStyle of a day of GW"
Check Not cal.IsDateInStyle(DateSerial(2024, 5, 7), Nothing), "IsDateInStyle of a day no style defines"

' --- For Each over styles and days ------------------------------------------------

Dim company, style, d, keys
Set company = cal.HolidayStyles.Add(, "会社")
company.Days.Add "創立記念日", "創立記念日", DateSerial(2024, 6, 1)
company.Days.Add "出勤日", , DateSerial(2024, 5, 6), , dvTypeForcedWorkday
For Each style In cal.HolidayStyles
  keys = keys & style.Key & ":"
  For Each d In style.Days
    keys = keys & " " & d.Key
  Next
  keys = keys & ";"
Next
CheckEqual keys, "祝日: 元日 建国記念の日 GW;会社: 創立記念日 出勤日;", "For Each over styles and their days"

' A style used after another wins: the moved holiday becomes a working day.
cal.UseStyles = "祝日,会社"
CheckEqual cal.DaysInRange(DateSerial(2024, 5, 1), DateSerial(2024, 5, 31), dvHoliday), 3, "a later style wins"

' --- Changes take effect at the next question ---------------------------------------

' The object keeps what it worked out between questions; a change, also one
' made through a Day or a style the script still holds, is seen by the next.
Dim held
Set held = national.Days("建国記念の日")
held.Date = DateSerial(2024, 2, 14)
CheckEqual cal.NextDay(DateSerial(2024, 2, 10)), DateSerial(2024, 2, 14), "NextDay after a held Day moved"
cal.Value = DateSerial(2024, 2, 12)
CheckEqual cal.ValueType, 0, "ValueType of the Monday no holiday moves to any more"
held.Date = DateSerial(2024, 2, 11)
CheckEqual cal.ValueType, 9, "ValueType once the held Day is back"
national.Override = dvOverrideNone
CheckEqual cal.ValueType, 0, "ValueType after the style's Override changed"
national.Override = dvOverrideNextDay
cal.WeekRests(dvSunday) = 0
CheckEqual cal.ValueType, 0, "ValueType after Sundays became working days"
cal.WeekRests(dvSunday) = dvAllWeeks
CheckEqual cal.ValueType, 9, "ValueType after Sundays became rest days again"
cal.Value = Null
company.Days.Remove "出勤日"
CheckEqual cal.DaysInRange(DateSerial(2024, 5, 1), DateSerial(2024, 5, 31), dvHoliday), 4, "a Day removed from a style"
company.Days.Add "出勤日", , DateSerial(2024, 5, 6), , dvTypeForcedWorkday
CheckEqual cal.DaysInRange(DateSerial(2024, 5, 1), DateSerial(2024, 5, 31), dvHoliday), 3, "the Day added again"

' --- Errors, as a script catches them ----------------------------------------------

Sub CheckError(number, source, description, what)
  CheckEqual Err.Number, number, what & ": Err.Number"
  CheckEqual Err.Source, source, what & ": Err.Source"
  CheckEqual Err.Description, description, what & ": Err.Description"
  Err.Clear
End Sub

Dim x
On Error Resume Next
Err.Clear
national.Days.Add "GW", , DateSerial(2024, 5, 3)
CheckError 513, "Qor.Dovrel_Days6.6", "ｷｰ文字列がｺﾚｸｼｮﾝ内でﾕﾆｰｸでありません", "Days.Add of a key already there"
Set x = national.Days(9)
CheckError 514, "Qor.Dovrel_Days6.6", "範囲外のｲﾝﾃﾞｯｸｽです", "Days(9)"
Set x = national.Days("ない")
CheckError 515, "Qor.Dovrel_Days6.6", "指定された要素が見つかりません。", "Days(""ない"")"
national.Days.Add "", , DateSerial(2024, 1, 1)
CheckError 516, "Qor.Dovrel_Days6.6", "ｷｰは無効または空白の状態です。", "Days.Add with an empty key"
x = cal.WeekRests(8)
CheckError 514, "Qor.Dovrel6.6", "範囲外のｲﾝﾃﾞｯｸｽです", "WeekRests(8)"
x = cal.DaysInRange(DateSerial(1000, 1, 1), DateSerial(2003, 1, 1))
CheckError 518, "Qor.Dovrel6.6", "1000年より大きな期間を指定しました", "DaysInRange over 1003 years"
cal.HolidayStyles.Add , "祝日"
CheckError 513, "Qor.Dovrel_HLDYStyles6.6", "ｷｰ文字列がｺﾚｸｼｮﾝ内でﾕﾆｰｸでありません", "HolidayStyles.Add of a key already there"
x = cal.NextDay(DateSerial(2024, 1, 1), 9)
CheckEqual Err.Number, 5, "an argument out of its range: Err.Number"
Err.Clear
On Error GoTo 0

WScript.Echo passed & " passed, " & failed & " failed"
WScript.Quit failed
