// A late-bound JScript client: creates the control by its ProgID, passes
// values only (JScript has no by-reference arguments), reads properties and
// runs a Lua script.  Prints every failed check and a verdict; the exit code
// is the failure count.
var failures = 0;
var checks = 0;

function check(ok, what) {
    checks++;
    if (!ok) {
        failures++;
        WScript.Echo("FAIL: " + what);
    }
}

// The HRESULT of a call that is expected to raise, or 0.
function errorOf(call) {
    try {
        call();
    } catch (e) {
        return e.number >>> 0;
    }
    return 0;
}

var surface = new ActiveXObject("Vexo.Surface");

surface.SetPointsPerXY(8, 6);
surface.SetXRange(-4, 4);
surface.SetYRange(0.5, 3);
for (var j = 0; j < 6; j++) {
    for (var i = 0; i < 8; i++) {
        surface.SetData(i, j, i - 4, j * 0.5, Math.sin(i) * Math.cos(j));
    }
}

// Values where the control wants variables to write into: a type mismatch.
check(errorOf(function () { surface.GetXRange(1, 2); }) == 0x80020005,
      "GetXRange with values raises DISP_E_TYPEMISMATCH");
check(errorOf(function () { surface.SetXRange("low", 2); }) == 0x80020005,
      "SetXRange with a non-numeric string raises DISP_E_TYPEMISMATCH");
check(errorOf(function () { surface.SetData(1, 2, 3, 4); }) == 0x8002000E,
      "SetData with four arguments raises DISP_E_BADPARAMCOUNT");

// Lua reads back what JScript wrote.
var text = surface.RunScript("local x, y = GetPointsPerXY() print(x .. 'x' .. y)");
check(text == "8x6\r\n", "the script sees an 8 x 6 grid, got [" + text + "]");
text = surface.RunScript("local a, b = GetYRange() print(a, ' ', b)");
check(text == "0.5 3\r\n", "the script sees the y range, got [" + text + "]");
text = surface.RunScript("print('hi')");
check(text == "hi\r\n", "RunScript(\"print('hi')\") gives hi and CR LF, got [" + text + "]");

// Properties.
check(surface.Radius == 50, "default radius 50, got " + surface.Radius);
surface.Radius = 12.5;
check(surface.Radius == 12.5, "radius 12.5, got " + surface.Radius);
surface.Radius = 0;
check(surface.Radius == 12.5, "radius 0 is ignored, got " + surface.Radius);
surface.XYRotate = true;
check(surface.XYRotate == 1, "XYRotate on, got " + surface.XYRotate);
surface.ZRotate = 0;
check(surface.ZRotate == 0, "ZRotate off, got " + surface.ZRotate);
text = surface.RunScript("print(GetXYRotate(), GetRadius())");
check(text == "112.5\r\n", "the script sees XYRotate and Radius, got [" + text + "]");

check(errorOf(function () { surface.Refresh(); }) == 0x80004005,
      "Refresh without a window raises E_FAIL");

surface = null;
if (failures == 0) WScript.Echo("JScript client: all " + checks + " checks passed");
WScript.Quit(failures);
