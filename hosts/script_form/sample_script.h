// The sample script that the script test form shows in its editor: it fills
// the grid with 10 sin(x) sin(y), redraws and starts the rotation.  Lines end
// in CR LF and are indented with tabs, as the form's text box holds them.
#pragma once

#include <cstddef>

inline constexpr char kSampleScript[] =
    "-------------------------------------------------------------\r\n"
    "function Draw()\r\n"
    "\t\r\n"
    "\tpX, pY =  GetPointsPerXY( )\r\n"
    "\r\n"
    "\tminX, maxX =  GetXRange( )\r\n"
    "\tminY, maxY =  GetYRange( )\r\n"
    "\t\r\n"
    "\tdeltax = (maxX - minX)/(pX - 1)\r\n"
    "\tdeltay = (maxY - minY)/(pY - 1)\r\n"
    "\r\n"
    "\tprint(deltax,\" --- \",deltay)\r\n"
    "\t\r\n"
    "\tfor i=0, pX do\r\n"
    "\t\tx = minX + i*deltax\r\n"
    "\t\tfor j=0, pY do\r\n"
    "\t\t\ty = minY + j*deltay\r\n"
    "\t\t\tz = 10*math.sin(x)*math.sin(y)\r\n"
    "\t\t\tSetData(i, j, x, y, z)\r\n"
    "\t\tend\r\n"
    "\tend\r\n"
    "\r\n"
    "\tRefresh()\r\n"
    "\tSetXYRotate(1)\r\n"
    "end\r\n"
    "-------------------------------------------------------------\r\n"
    "\r\n"
    "\r\n"
    "Draw()\r\n"
    "\r\n"
    "[[!]]\r\n";

inline constexpr size_t kSampleScriptLength = sizeof(kSampleScript) - 1;
static_assert(kSampleScriptLength == 557, "the sample script is 557 characters");
