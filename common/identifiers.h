// Every identifier of the control in one place: CLSID_CSurface, IID_ISurface
// and LIBID_Vexo from the IDL, and the DISPIDs of ISurface.  The control, the
// hosts and the tests use these names, never the numbers.
#pragma once

#include <windows.h>

#include "common/dispids.h"
#include "zorvel_h.h"

namespace zorvel {

// The type library's version, and the locale it is built for (it is
// registered under the neutral locale as well).
constexpr WORD kTypeLibMajor = 1;
constexpr WORD kTypeLibMinor = 0;
constexpr LCID kTypeLibLocale = 0x0409;

}  // namespace zorvel
