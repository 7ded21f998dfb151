// The ambient properties a container tells its controls: run mode, locale,
// font, colours and the control's name on the form.  A control reads them
// through its site's IDispatch.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

#include "hosts/container/design_font.h"

namespace zorvel::host {

struct AmbientProperties {
    DesignFont font = {L"MS Sans Serif", 800, FW_NORMAL, DEFAULT_CHARSET};
    std::wstring displayName;
    LCID locale = LOCALE_USER_DEFAULT;
    bool userMode = true;  // hosts run their controls, they do not design them
};

// Writes the value of ambient property dispid into value (cleared first);
// DISP_E_MEMBERNOTFOUND for a property this container does not have.
HRESULT GetAmbientProperty(const AmbientProperties& ambient, DISPID dispid, VARIANT* value);

}  // namespace zorvel::host
