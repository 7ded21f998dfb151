' looks.vbs: the second interface from VBScript, late bound.
'
' Fills a 61 x 41 grid of heights around 800 with one SetGrid call, reads a
' height back, and saves three pictures as PNG files without showing a
' window: coloured by height on the sequential map with its legend, on the
' diverging map, and in the control's own colour.  The heights are far
' outside the view's -10..10, so FitHeights scales them into it.
'
' On Windows, register Zorvel.dll once (regsvr32 Zorvel.dll), then run this
' with the script host of the DLL's bitness:
'
'   cscript //nologo looks.vbs [FOLDER]
'
' The pictures go into FOLDER (the current folder without one).
Option Explicit

Const NX = 61, NY = 41
Dim folder
folder = ""
If WScript.Arguments.Count > 0 Then folder = WScript.Arguments(0) & "\"

Dim surface
Set surface = CreateObject("Vexo.Surface")

' heights(ix, iy): the first index runs along x.  A hill and a hollow on a
' gentle slope, in metres.
Dim heights(60, 40), ix, iy, x, y
For iy = 0 To NY - 1
    y = -2 + iy * 4 / (NY - 1)
    For ix = 0 To NX - 1
        x = -3 + ix * 6 / (NX - 1)
        heights(ix, iy) = 800 + 10 * x + 120 * Exp(-((x - 1) ^ 2 + (y - 0.5) ^ 2)) _
                          - 80 * Exp(-((x + 1.5) ^ 2 + (y + 0.5) ^ 2) / 0.8)
    Next
Next

' One call for the whole grid: its shape gives the points per axis, the
' four numbers the ranges.  Before the first draw the data is kept.
surface.SetGrid heights, -3, 3, -2, 2

Dim countX, countY
surface.GetPointsPerXY countX, countY
WScript.Echo "grid: " & countX & " x " & countY & " points"
WScript.Echo "height at (30, 20): " & Int(surface.GetHeight(30, 20) * 100 + 0.5) / 100

' A refused array leaves the grid as it was and says why.
Dim flat(2, 0)
On Error Resume Next
surface.SetGrid flat
WScript.Echo "a 3 x 1 array: " & Hex(Err.Number) & ", " & Err.Description
Err.Clear
On Error GoTo 0

surface.FitHeights = True
surface.Radius = 40

surface.ColorMap = 1
surface.ShowLegend = True
surface.SaveImage folder & "sequential.png", 480, 360
WScript.Echo "saved sequential.png"

surface.ColorMap = 2
surface.SaveImage folder & "diverging.png", 480, 360
WScript.Echo "saved diverging.png"

surface.ColorMap = 0
surface.ShowLegend = False
surface.SaveImage folder & "plain.png", 480, 360
WScript.Echo "saved plain.png"

Set surface = Nothing
WScript.Quit 0
