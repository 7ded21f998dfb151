#include "server/surface_keys.h"

namespace zorvel {

const wchar_t kSurfaceFriendlyName[] = L"CSurface Object";

namespace {

#define ZORVEL_CLSID_SURFACE L"{6639E6C2-8C6C-4870-841E-714BC429FD00}"
#define ZORVEL_CLASS_KEY L"CLSID\\" ZORVEL_CLSID_SURFACE

// Containers read the class key in this order of writing; AppID sits in the
// class key after the MiscStatus subtree.  131473 is 0x20191: set client site
// first, activate when visible, inside-out, can't link inside, recompose on resize.
const KeyTreeRow kRows[] = {
    {L"Vexo.Surface.1", KeyMark::Normal, L"", L"%FriendlyName%"},
    {L"Vexo.Surface.1\\CLSID", KeyMark::Normal, L"", ZORVEL_CLSID_SURFACE},
    {L"Vexo.Surface", KeyMark::Normal, L"", L"%FriendlyName%"},
    {L"Vexo.Surface\\CLSID", KeyMark::Normal, L"", ZORVEL_CLSID_SURFACE},
    {L"Vexo.Surface\\CurVer", KeyMark::Normal, L"", L"Vexo.Surface.1"},
    {L"CLSID", KeyMark::Kept, nullptr, nullptr},
    {ZORVEL_CLASS_KEY, KeyMark::Replaced, L"", L"%FriendlyName%"},
    {ZORVEL_CLASS_KEY L"\\ProgID", KeyMark::Normal, L"", L"Vexo.Surface.1"},
    {ZORVEL_CLASS_KEY L"\\VersionIndependentProgID", KeyMark::Normal, L"", L"Vexo.Surface"},
    {ZORVEL_CLASS_KEY L"\\%MODULETYPE%", KeyMark::Normal, L"", L"%MODULE%"},
    {ZORVEL_CLASS_KEY L"\\%MODULETYPE%", KeyMark::Normal, L"ThreadingModel", L"apartment"},
    {ZORVEL_CLASS_KEY L"\\Control", KeyMark::Replaced, nullptr, nullptr},
    {ZORVEL_CLASS_KEY L"\\ToolboxBitmap32", KeyMark::Replaced, L"", L"%MODULE%, 1"},
    {ZORVEL_CLASS_KEY L"\\MiscStatus", KeyMark::Normal, L"", L"0"},
    {ZORVEL_CLASS_KEY L"\\MiscStatus\\1", KeyMark::Normal, L"", L"131473"},
    {ZORVEL_CLASS_KEY, KeyMark::Normal, L"AppID", L"%APPID%"},
    {ZORVEL_CLASS_KEY L"\\TypeLib", KeyMark::Normal, L"", L"%MODULEGUID%"},
    {ZORVEL_CLASS_KEY L"\\Version", KeyMark::Normal, L"", L"1.0"},
};

#undef ZORVEL_CLASS_KEY
#undef ZORVEL_CLSID_SURFACE

}  // namespace

const KeyTree kSurfaceKeyTree = {kRows, sizeof(kRows) / sizeof(kRows[0])};

}  // namespace zorvel
