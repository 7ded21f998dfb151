#include "server/object_map.h"

#include "control/surface.h"
#include "server/surface_keys.h"

namespace zorvel {
namespace {

// The control registers no component categories: its key tree is all there is.
HRESULT UpdateSurfaceRegistry(RegistryStore& registry, const Replacements& replacements, bool bRegister) {
    Replacements own = replacements;
    own.Add(L"FriendlyName", kSurfaceFriendlyName);
    return bRegister ? RegisterKeyTree(registry, kSurfaceKeyTree, own)
                     : UnregisterKeyTree(registry, kSurfaceKeyTree, own);
}

}  // namespace

ObjectMapEntry g_objectMap[] = {
    {&CLSID_CSurface, UpdateSurfaceRegistry, CreateClassFactory, CSurface::CreateInstance, {nullptr}, 0},
};

const size_t g_objectMapSize = sizeof(g_objectMap) / sizeof(g_objectMap[0]);

}  // namespace zorvel
