' axes.vbs: a surface with axes, titles, a colour map and its legend, saved
' as a PNG file, from VBScript through ISurface2.
'
' Fills a 41 x 41 grid over -10..10 in x and y with 4 sin(x/2) cos(y/2) in
' one call (SetGrid takes a two-dimensional array, heights(ix, iy)), colours
' it by height with the legend beside it, draws the box with round ticks and
' numbers, titles the three axes and writes the picture without ever showing
' a window.  The file name may be given as the argument; axes.png (in the
' current folder) otherwise.
'
' On Windows, register Zorvel.dll once (regsvr32 Zorvel.dll), then run this
' with the script host of the DLL's bitness (%windir%\SysWOW64\cscript.exe
' for the 32-bit control on 64-bit Windows):
'
'   cscript //nologo axes.vbs [picture.png]
Option Explicit

Const N = 41
Dim surface
Set surface = CreateObject("Vexo.Surface")

' heights(ix, iy): the first index runs along x.
Dim heights(40, 40), i, j, x, y
For j = 0 To N - 1
    y = -10 + j * 20 / (N - 1)
    For i = 0 To N - 1
        x = -10 + i * 20 / (N - 1)
        heights(i, j) = 4 * Sin(x / 2) * Cos(y / 2)
    Next
Next
surface.SetGrid heights, -10, 10, -10, 10
Dim nx, ny
surface.GetPointsPerXY nx, ny
WScript.Echo "grid: " & nx & " x " & ny & " points, height at x = 5, y = 0: " & surface.GetHeight(30, 20)

surface.ColorMap = 1          ' by height: 0 one colour, 1 sequential, 2 diverging
surface.ShowLegend = True     ' the colour bar with the lowest and highest height
surface.ShowAxes = True       ' the box, its ticks at round values and their numbers
surface.AxisTitle 0, "x"      ' axis 0 is x, 1 is y, 2 the height
surface.AxisTitle 1, "y"
surface.AxisTitle 2, "height"
surface.Radius = 45           ' a little nearer than the 50 a new control has
WScript.Echo "looks: colour map " & surface.ColorMap & ", legend " & surface.ShowLegend & _
             ", axes " & surface.ShowAxes

' An axis other than 0, 1 or 2 is refused: Err.Number is E_INVALIDARG
' (&H80070057) and Err.Description says why.
On Error Resume Next
surface.AxisTitle 3, "z"
WScript.Echo "AxisTitle 3: error " & Hex(Err.Number) & ", " & Err.Description
On Error GoTo 0

Dim path
path = "axes.png"
If WScript.Arguments.Count > 0 Then path = WScript.Arguments(0)
surface.SaveImage path, 640, 480
WScript.Echo "saved " & path & " (640 x 480)"

Set surface = Nothing
WScript.Quit 0
