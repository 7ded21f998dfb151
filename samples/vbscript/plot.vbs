' plot.vbs: the Zorvel control from VBScript, late bound.
'
' Creates the control by its ProgID, sets a 41 x 41 grid over -10..10 in x
' and y, fills its heights with SetData, reads values back through variables
' passed by reference, turns the camera on and runs a Lua script whose
' printed output comes back as a string.
'
' On Windows, register Zorvel.dll once (regsvr32 Zorvel.dll), then run this
' with the script host of the DLL's bitness (%windir%\SysWOW64\cscript.exe
' for the 32-bit control on 64-bit Windows):
'
'   cscript //nologo plot.vbs
Option Explicit

Const N = 41
Dim surface
Set surface = CreateObject("Vexo.Surface")

surface.SetPointsPerXY N, N
surface.SetXRange -10, 10
surface.SetYRange -10, 10

Dim i, j, x, y
For j = 0 To N - 1
    y = -10 + j * 20 / (N - 1)
    For i = 0 To N - 1
        x = -10 + i * 20 / (N - 1)
        surface.SetData i, j, x, y, 4 * Sin(x / 2) * Cos(y / 2)
    Next
Next

' Refresh after filling, or the control's first draw starts from an empty
' grid.  A control in no window has no device to draw with yet: Refresh then
' raises E_FAIL (&H80004005), but the data is kept for the first draw.
On Error Resume Next
surface.Refresh
If Err.Number <> 0 And Err.Number <> &H80004005 Then
    WScript.Echo "Refresh failed: " & Hex(Err.Number)
    WScript.Quit 1
End If
On Error GoTo 0

' VBScript passes variables by reference: the control writes into them.
Dim nx, ny, low, high
surface.GetPointsPerXY nx, ny
surface.GetXRange low, high
WScript.Echo "grid: " & nx & " x " & ny & " points, x from " & low & " to " & high

surface.Radius = 40       ' the camera's distance from the centre
surface.XYRotate = 1      ' on (1) or off (0); any other number means on
WScript.Echo "camera: radius " & surface.Radius & ", rotating " & surface.XYRotate

' A Lua script acts on the same control.  RunScript returns what the script
' printed: print joins its arguments without a separator and ends each line
' with CR LF.  (The control also writes each printed line to the standard
' output, arguments separated by tabs, so under cscript they show twice.)
Dim text
text = surface.RunScript( _
    "local nx, ny = GetPointsPerXY()" & vbLf & _
    "print('the script sees ', nx, ' x ', ny, ' points')" & vbLf & _
    "SetRadius(GetRadius() / 2)")
WScript.Echo "the script printed: " & Left(text, Len(text) - 2)
WScript.Echo "camera: radius " & surface.Radius

Set surface = Nothing
WScript.Quit 0
