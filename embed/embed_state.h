// What a container has told the control and what the control has told it:
// sizes, dirty flag, activation state and the container's interfaces.  The
// control's window itself is the renderer's (CSurface::ControlWindow).
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <oleidl.h>

#include "common/owners.h"

namespace zorvel {

// 50.8 mm square, in HIMETRIC (0.01 mm).
constexpr LONG kDefaultExtentHimetric = 5080;

struct SurfaceEmbedState {
    SIZEL extent = {kDefaultExtentHimetric, kDefaultExtentHimetric};
    SIZEL naturalExtent = {kDefaultExtentHimetric, kDefaultExtentHimetric};
    LONG freezeEvents = 0;

    // The control never draws without a window of its own.
    bool windowOnly = true;
    bool requiresSave = false;
    bool inPlaceActive = false;
    bool uiActive = false;
    bool windowless = false;
    bool wasOnceWindowless = false;
    // The in-place site has been chosen; Close forgets it.
    bool negotiatedWindow = false;
    bool inPlaceSiteEx = false;

    ComPtr<IOleClientSite> clientSite;
    ComPtr<IDispatch> ambientDispatch;  // the site's ambient properties, when it has them
    ComPtr<IOleInPlaceSite> inPlaceSite;
    ComPtr<IAdviseSink> viewAdviseSink;
    DWORD viewAdviseAspects = 0;
    DWORD viewAdviseFlags = 0;
    ComPtr<IOleAdviseHolder> oleAdviseHolder;
    ComPtr<IDataAdviseHolder> dataAdviseHolder;

    // Where the container wants the window, in its window's client pixels.
    RECT posRect = {};
};

}  // namespace zorvel
