// The script test form as designed: every position and size in twips,
// relative to the form's client area, and the fonts and colours of its items.
#pragma once

#include <windows.h>

#include "hosts/container/design_font.h"

namespace zorvel::host::script_form {

// Window ids of the form's items; the form's own design names them
// cZorvel, LUA and RunScript.
constexpr int kIdSurface = 100;
constexpr int kIdScriptText = 101;
constexpr int kIdRunScript = 102;

constexpr wchar_t kFormClassName[] = L"LuaZorvelTestForm";
constexpr wchar_t kFormCaption[] = L"Lua Zorvel Test";
constexpr wchar_t kRunScriptCaption[] = L"Run Script";
constexpr int kFormClientWidthTwips = 13230;
constexpr int kFormClientHeightTwips = 7290;

struct ItemDesign {
    int id;
    int left, top, width, height;  // twips
};

constexpr ItemDesign kSurfaceDesign = {kIdSurface, 120, 120, 7695, 6975};
constexpr ItemDesign kScriptTextDesign = {kIdScriptText, 7920, 120, 5295, 6375};
constexpr ItemDesign kRunScriptDesign = {kIdRunScript, 8760, 6600, 3255, 375};

// The control's persisted data: stream version and extent in HIMETRIC (the
// same size as its rectangle, in 0.01 mm).
constexpr DWORD kSurfaceStreamVersion = 0x800;
constexpr LONG kSurfaceExtentWidth = 13573;
constexpr LONG kSurfaceExtentHeight = 12303;

constexpr DesignFont kFormFont = {L"Arial", 975, FW_NORMAL, ANSI_CHARSET};
constexpr DesignFont kScriptTextFont = {L"Arial", 825, FW_BOLD, ANSI_CHARSET};
constexpr DesignFont kRunScriptFont = {L"MS Sans Serif", 825, FW_NORMAL, RUSSIAN_CHARSET};

// Dark blue text on light yellow, as the editor's two colours read naturally.
constexpr COLORREF kScriptTextColor = RGB(0, 0, 128);
constexpr COLORREF kScriptBackColor = RGB(255, 255, 128);

}  // namespace zorvel::host::script_form
