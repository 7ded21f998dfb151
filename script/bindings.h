// The Lua globals that drive the current control: the sixteen of ISurface,
// and beside them the six of ISurface2.
#pragma once

#include "script/lua_api.h"

namespace zorvel::script {

// Registers the sixteen functions as globals of L, in their fixed order, and
// the metatable their results need.  May raise: run it protected.
void RegisterSurfaceBindings(lua_State* L);
// The nine of ISurface2 (SetGrid, GetHeight, SetColorMap, SetShowLegend,
// SetFitHeights, SaveImage, SetShowAxes, SetAxisTitle, SetMouseNavigate);
// RegisterSurfaceBindings registers them last.
void RegisterPlotBindings(lua_State* L);

}  // namespace zorvel::script
