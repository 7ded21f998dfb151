// The control class of the library linked into this program, offered to COM
// in place of the registered one while a LocalSurfaceClass is registered.
// Containers in this process then create controls of this very library, and
// the program can reach their C++ side (such as the frame read-back), which
// no COM interface carries.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include "common/owners.h"

class CSurface;

namespace zorvel::host {

class LocalSurfaceFactory;

class LocalSurfaceClass {
public:
    LocalSurfaceClass();
    ~LocalSurfaceClass();
    LocalSurfaceClass(const LocalSurfaceClass&) = delete;
    LocalSurfaceClass& operator=(const LocalSurfaceClass&) = delete;

    HRESULT Register();
    // Withdraws the class and lets go of the controls it made.
    void Revoke();

    // The C++ object of control when this class made it (plain, not
    // aggregated); null for any other object.  The class keeps every control
    // it made alive until Revoke, so the pointer stays good until then.
    CSurface* SurfaceOf(IUnknown* control) const;

private:
    ComPtr<LocalSurfaceFactory> m_factory;
    DWORD m_cookie = 0;
};

}  // namespace zorvel::host
