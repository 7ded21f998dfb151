// The classes the library serves, as a table.  Each entry caches its class
// object from the first request until the library is unloaded.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <atomic>
#include <cstddef>

#include "server/class_factory.h"
#include "server/registry.h"
#include "server/replacements.h"

namespace zorvel {

struct ObjectMapEntry {
    const CLSID* clsid;
    // Writes (or removes) the class's own registry entries.
    HRESULT (*updateRegistry)(RegistryStore& registry, const Replacements& replacements, bool bRegister);
    HRESULT (*createClassObject)(InstanceCreator creator, REFIID riid, void** ppv);
    InstanceCreator createInstance;
    // Empty until first requested; filled under the module's class-object lock.
    std::atomic<IUnknown*> classObject;
    // Cookie of a class registered with the running-object machinery; an
    // in-process server never fills it.
    DWORD registerCookie;
};

extern ObjectMapEntry g_objectMap[];
extern const size_t g_objectMapSize;

}  // namespace zorvel
