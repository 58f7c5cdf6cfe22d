' The recipes of the member reference (holiday/docs/reference.md, from
' holiday/resources/dovrel60_recipes.md) run as they are written: the test
' run appends each recipe's code as a Sub of its own (tests/wine/
' recipe-checks), with the calendar every recipe starts from, and checks
' the answer each Debug.Print line's comment gives.
'
' The worksheet functions come along, as in a project that imports both
' modules and names the type library's constants: no name of theirs may be
' one of the constants in another letter case (a DvWorkday beside
' dvWorkday stops the script at once, without a word).
'
' Uses: JapaneseHolidays.bas DovrelFunctions.bas
' Recipes: holiday/resources/dovrel60_recipes.md
'
' Kept in UTF-8; the test run converts it to code page 932. Its last line
' is "N passed, N failed".
Option Explicit

' The type library's constants the recipes name (VBA knows them by name).
Const dvSunday = 1, dvSaturday = 7
Const dvAllWeeks = -1, dv2ndWeek = 2, dv4thWeek = 8, dvOverrideWeekday = 64
Const dvOverrideNextDay = 1
Const dvNavWorkday = 1, dvWorkday = 1
Const dvNextWorkday = 1, dvPrevWorkday = 0

Dim passed, failed, recipe, answersChecked, recipesRun
passed = 0
failed = 0
recipesRun = 0

Sub Check(ok, what)
  If ok Then
    passed = passed + 1
  Else
    failed = failed + 1
    WScript.Echo "FAIL " & what
  End If
End Sub

Sub BeginRecipe(title)
  recipe = title
  answersChecked = 0
  recipesRun = recipesRun + 1
End Sub

Sub EndRecipe()
  Check answersChecked > 0, recipe & ": an answer checked"
End Sub

' What Debug.Print shows of an answer: dates yyyy/mm/dd, as on a Japanese Windows.
Sub CheckRecipe(actual, expected)
  Dim shown
  If VarType(actual) = 7 Then
    shown = Year(actual) & "/" & Right("0" & Month(actual), 2) & "/" & Right("0" & Day(actual), 2)
  Else
    shown = CStr(actual)
  End If
  answersChecked = answersChecked + 1
  Check shown = expected, recipe & ": answer " & answersChecked & " differs from the recipe's"
End Sub

RunRecipes
Check recipesRun > 0, "the reference's recipes were found"

WScript.Echo recipesRun & " recipes"
WScript.Echo passed & " passed, " & failed & " failed"
WScript.Quit failed
