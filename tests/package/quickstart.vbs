' The VBScript example of the package README (packaging/README.package.md),
' as it stands there.
Dim surface, i, j, x, y
Set surface = CreateObject("Vexo.Surface")
surface.SetPointsPerXY 40, 40
surface.SetXRange -3, 3
surface.SetYRange -3, 3
For j = 0 To 39
    For i = 0 To 39
        x = -3 + 6 * i / 39
        y = -3 + 6 * j / 39
        surface.SetData i, j, x, y, Sin(x) * Cos(y)
    Next
Next
WScript.Echo "Lua said: " & surface.RunScript("print('hello from Lua')")
