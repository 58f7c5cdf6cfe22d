' The holiday definitions on their own, from VBScript: a style and its days
' made without a main object, copied, edited and emptied; a collection of
' styles kept in order; and the errors only these objects raise.
'
' UTF-8 here, code page 932 when the test run hands it to the script host.
' The last line is "N passed, N failed".
Option Explicit

Const dvTypeHoliday = 0, dvTypeForcedHoliday = 1
Const dvOverrideNextDay = 1

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

Sub CheckError(number, source, description, what)
  CheckEqual Err.Number, number, what & ": Err.Number"
  CheckEqual Err.Source, source, what & ": Err.Source"
  CheckEqual Err.Description, description, what & ": Err.Description"
  Err.Clear
End Sub

Function KeysOf(collection)
  Dim item, text
  For Each item In collection
    text = text & item.Key & " "
  Next
  KeysOf = text
End Function

' A style of its own, by the version-independent identifier.
Dim summer
Set summer = CreateObject("Qor.Dovrel_HLDYStyle6")
Check IsObject(summer), "CreateObject(""Qor.Dovrel_HLDYStyle6"")"
summer.Name = "夏季休暇"
summer.BackColor = RGB(255, 255, 192)
summer.Bold = True
summer.Override = dvOverrideNextDay
summer.Days.Add "お盆", "お盆休み", DateSerial(2024, 8, 13), DateSerial(2024, 8, 16), dvTypeForcedHoliday
summer.Days.Add "海の日", "海の日", DateSerial(2024, 7, 15)
CheckEqual summer.Name, "夏季休暇", "Name"
' Colours come back as OLE_COLOR, an unsigned 32-bit number, which the
' script host converts but does not compare: CLng makes it a Long.
CheckEqual CLng(summer.BackColor), RGB(255, 255, 192), "BackColor"
CheckEqual summer.Bold, True, "Bold"
CheckEqual summer.Days.Count, 2, "Days.Count"
CheckEqual summer.Days("お盆").Date2, DateSerial(2024, 8, 16), "Date2 of a range"
Check IsNull(summer.Days("海の日").Date2), "Date2 of a single day is Null"
CheckEqual summer.Days(2).Type, dvTypeHoliday, "Type left out is a holiday"

' The same definitions in a collection of styles, copied through Parent.
Dim styles, copy
Set styles = CreateObject("Qor.Dovrel_HLDYStyles6.6")
Set copy = styles.Add(, "夏")
copy.Parent = summer
CheckEqual copy.Days.Count, 2, "Parent copies the days"
CheckEqual CLng(copy.BackColor), RGB(255, 255, 192), "Parent copies the colours"
copy.Days.Remove "海の日"
CheckEqual copy.Days.Count, 1, "Remove by key"
CheckEqual summer.Days.Count, 2, "the original keeps its days"

' Order: Add with an Index puts the new style before that position.
styles.Add , "秋"
styles.Add 1, "春"
CheckEqual KeysOf(styles), "春 夏 秋 ", "Add before a position"
styles.Remove 2
CheckEqual KeysOf(styles), "春 秋 ", "Remove by position"
CheckEqual styles("秋").Key, "秋", "Item by key"
styles.Clear
CheckEqual styles.Count, 0, "Clear"

' A Days collection of its own.
Dim days
Set days = CreateObject("Qor.Dovrel_Days6")
days.Add "a", , DateSerial(2024, 3, 20)
days.Add "B", , DateSerial(2024, 9, 22)
CheckEqual days("A").Key, "a", "keys ignore the case of A to Z"
CheckEqual KeysOf(days), "a B ", "For Each over the days"

' --- Errors -------------------------------------------------------------------------

Dim x, first, second
On Error Resume Next
Err.Clear
summer.Parent = "どこか"
CheckError 519, "Qor.Dovrel_HLDYStyle6.6", "ｺﾚｸｼｮﾝ内にｵﾌﾞｼﾞｪｸﾄがありません", "Parent by key outside a collection"
Set first = styles.Add(, "一")
Set second = styles.Add(, "二")
Set styles(2) = first
CheckError 517, "Qor.Dovrel_HLDYStyles6.6", "ｷｰが存在しますが、現在のｱｲﾃﾑのｷｰと異なります", "Item put of another member's style"
styles.Remove "三"
CheckError 515, "Qor.Dovrel_HLDYStyles6.6", "指定された要素が見つかりません。", "Remove of an unknown key"
Set x = styles(0)
CheckError 514, "Qor.Dovrel_HLDYStyles6.6", "範囲外のｲﾝﾃﾞｯｸｽです", "Item(0)"
days.Add "b", , DateSerial(2024, 1, 1)
CheckError 513, "Qor.Dovrel_Days6.6", "ｷｰ文字列がｺﾚｸｼｮﾝ内でﾕﾆｰｸでありません", "Add of a key in another case"
days.Add "c", , "いつか"
CheckEqual Err.Number, 5, "a date that is not a date: Err.Number"
Err.Clear
summer.BackColor = &H7FFFFFFF
CheckEqual Err.Number, 380, "a colour out of range: Err.Number"
Err.Clear
On Error GoTo 0

WScript.Echo passed & " passed, " & failed & " failed"
WScript.Quit failed
