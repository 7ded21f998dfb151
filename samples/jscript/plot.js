// plot.js: the Zorvel control from JScript, late bound.
//
// Creates the control by its ProgID, sets a 41 x 41 grid over -10..10 in x
// and y, fills its heights with SetData, turns the camera on and runs Lua
// scripts whose printed output comes back as a string.
//
// JScript passes every argument by value, so the methods that hand values
// back through their arguments (GetPointsPerXY, GetXRange, GetYRange) cannot
// be called from it: they raise a type mismatch.  Properties (Radius,
// XYRotate, ZRotate) read back as usual, and a Lua script can read anything
// and print it.
//
// On Windows, register Zorvel.dll once (regsvr32 Zorvel.dll), then run this
// with the script host of the DLL's bitness (%windir%\SysWOW64\cscript.exe
// for the 32-bit control on 64-bit Windows):
//
//   cscript //nologo plot.js
var N = 41;
var surface = new ActiveXObject("Vexo.Surface");

surface.SetPointsPerXY(N, N);
surface.SetXRange(-10, 10);
surface.SetYRange(-10, 10);
for (var j = 0; j < N; j++) {
    var y = -10 + j * 20 / (N - 1);
    for (var i = 0; i < N; i++) {
        var x = -10 + i * 20 / (N - 1);
        surface.SetData(i, j, x, y, 4 * Math.sin(x / 2) * Math.cos(y / 2));
    }
}

// Refresh after filling, or the control's first draw starts from an empty
// grid.  A control in no window has no device to draw with yet: Refresh then
// raises E_FAIL (0x80004005), but the data is kept for the first draw.
try {
    surface.Refresh();
} catch (e) {
    if ((e.number >>> 0) != 0x80004005) throw e;
}

// Values cannot stand in for the variables GetXRange writes into.
try {
    surface.GetXRange(0, 0);
} catch (e) {
    WScript.Echo("GetXRange(0, 0) raises 0x" + (e.number >>> 0).toString(16).toUpperCase() +
                 " (type mismatch)");
}

surface.Radius = 40;        // the camera's distance from the centre
surface.XYRotate = 1;       // on (1) or off (0); any other number means on
WScript.Echo("camera: radius " + surface.Radius + ", rotating " + surface.XYRotate);

// RunScript returns what the script printed: print joins its arguments
// without a separator and ends each line with CR LF.  (The control also
// writes each printed line to the standard output, arguments separated by
// tabs, so under cscript they show twice.)
var text = surface.RunScript(
    "local nx, ny = GetPointsPerXY()\n" +
    "local low, high = GetXRange()\n" +
    "print('grid: ', nx, ' x ', ny, ' points, x from ', low, ' to ', high)");
WScript.Echo("the script printed: " + text.replace(/\r\n$/, ""));

surface = null;
WScript.Quit(0);
