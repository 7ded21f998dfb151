' A late-bound client as script hosts write them: creates the control by its
' ProgID, passes variables by reference, reads properties, runs a Lua script.
' Prints every failed check and a verdict; the exit code is the failure count.
Option Explicit

Dim failures, checks
failures = 0
checks = 0

Sub Check(ok, what)
    checks = checks + 1
    If Not ok Then
        failures = failures + 1
        WScript.Echo "FAIL: " & what
    End If
End Sub

Dim surface
Set surface = CreateObject("Vexo.Surface")

' Grid size; the counts come back through by-reference variables.
Dim nx, ny
nx = 0
ny = 0
surface.GetPointsPerXY nx, ny
Check nx = 0 And ny = 0, "a new control has no grid, got " & nx & " x " & ny
Check IsEmpty(surface.SetPointsPerXY(20, 30)), "SetPointsPerXY returns nothing"
Call surface.GetPointsPerXY(nx, ny)
Check nx = 20 And ny = 30, "GetPointsPerXY after SetPointsPerXY(20, 30), got " & nx & " x " & ny
Check TypeName(nx) = "Long", "the counts are Longs, got " & TypeName(nx)
surface.SetPointPerXY 1, 3
surface.GetPointsPerXY nx, ny
Check nx = 20 And ny = 30, "SetPointPerXY(1, 3) is refused, got " & nx & " x " & ny

' Ranges, set with numbers of several types and read into variables.
Dim lo, hi
surface.SetXRange 0, 5
surface.SetYRange -2.5, "2.5"
surface.GetXRange lo, hi
Check lo = 0 And hi = 5, "x range 0 to 5, got " & lo & " to " & hi
Check TypeName(lo) = "Single", "the bounds are Singles, got " & TypeName(lo)
surface.GetYRange lo, hi
Check lo = -2.5 And hi = 2.5, "y range -2.5 to 2.5, got " & lo & " to " & hi
surface.SetXRange 3, 3
surface.GetXRange lo, hi
Check lo = 0 And hi = 5, "an empty x range is refused, got " & lo & " to " & hi

' Points, inside and outside the grid.
Dim i, j
For j = 0 To 29
    For i = 0 To 19
        surface.SetData i, j, i * 0.25, j * 0.2 - 2.5, Sin(i * 0.25) * Sin(j * 0.2 - 2.5)
    Next
Next
surface.SetData 20, 0, 0, 0, 1
surface.SetData -1, 0, 0, 0, 1

' Properties.
Check surface.Radius = 50, "default radius 50, got " & surface.Radius
surface.Radius = 25
Check surface.Radius = 25, "radius 25, got " & surface.Radius
Check TypeName(surface.Radius) = "Single", "radius is a Single, got " & TypeName(surface.Radius)
surface.Radius = -1
Check surface.Radius = 25, "a negative radius is ignored, got " & surface.Radius
surface.XYRotate = 1
Check surface.XYRotate = 1, "XYRotate on, got " & surface.XYRotate
surface.ZRotate = 7
Check surface.ZRotate = 1, "ZRotate 7 reads 1, got " & surface.ZRotate
surface.XYRotate = 0
Check surface.XYRotate = 0, "XYRotate off, got " & surface.XYRotate

' Refresh before the control was ever drawn reports E_FAIL.
On Error Resume Next
surface.Refresh
Check Err.Number = &H80004005, "Refresh without a window raises E_FAIL, got " & Hex(Err.Number)
Err.Clear
On Error GoTo 0

' Lua scripts act on the control and hand back what they print.
Dim text
text = surface.RunScript("print('hi')")
Check text = "hi" & vbCrLf, "RunScript(""print('hi')"") gives hi and CR LF, got [" & text & "]"
text = surface.RunScript("local a, b = GetXRange() print(a .. ',' .. b)")
Check text = "0,5" & vbCrLf, "the script reads the x range, got [" & text & "]"
text = surface.RunScript("SetYRange(-1, 1)")
Check text = "", "a silent script prints nothing, got [" & text & "]"
surface.GetYRange lo, hi
Check lo = -1 And hi = 1, "the script set the y range, got " & lo & " to " & hi

Set surface = Nothing
If failures = 0 Then WScript.Echo "VBScript client: all " & checks & " checks passed"
WScript.Quit failures
