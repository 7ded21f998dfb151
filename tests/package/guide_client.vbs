' The VBScript example of docs/using-zorvel.md, as it stands there.
Dim surface, result
Set surface = CreateObject("Vexo.Surface")
surface.SetPointsPerXY 2, 2
surface.SetXRange 0, 1
surface.SetYRange 0, 1
surface.SetData 0, 0, 0, 0, 0
surface.SetData 1, 0, 1, 0, 0.5
surface.SetData 0, 1, 0, 1, 0.5
surface.SetData 1, 1, 1, 1, 1
surface.Radius = 3
result = surface.RunScript("print('radius ' .. 3)")
WScript.Echo "script said: " & result
