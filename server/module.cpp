#include "server/module.h"

#include "common/hresult.h"
#include "common/slim_lock.h"
#include "server/object_map.h"
#include "server/server_registration.h"

CVexoModule g_module;

CVexoModule::~CVexoModule() {
    Term();
}

HRESULT CVexoModule::GetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    for (size_t i = 0; i < zorvel::g_objectMapSize; ++i) {
        zorvel::ObjectMapEntry& entry = zorvel::g_objectMap[i];
        if (!IsEqualCLSID(*entry.clsid, rclsid)) continue;

        if (!entry.classObject.load()) {
            zorvel::SlimLockGuard lock(&m_classObjectLock);
            HRESULT hr = S_OK;
            // Another thread may have made it while this one waited.
            if (!entry.classObject.load()) {
                IUnknown* classObject = nullptr;
                hr = entry.createClassObject(entry.createInstance, IID_IUnknown,
                                             reinterpret_cast<void**>(&classObject));
                if (SUCCEEDED(hr)) entry.classObject.store(classObject);
            }
            if (FAILED(hr)) return hr;
        }
        HRESULT hr = entry.classObject.load()->QueryInterface(riid, ppv);
        if (SUCCEEDED(hr) && !*ppv) hr = CLASS_E_CLASSNOTAVAILABLE;
        return hr;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT CVexoModule::RegisterServer() {
    zorvel::ServerRegistration server;
    RETURN_IF_FAILED(zorvel::DescribeModule(GetModuleInstance(), &server));
    return zorvel::RegisterServer(server);
}

HRESULT CVexoModule::UnregisterServer() {
    zorvel::ServerRegistration server;
    RETURN_IF_FAILED(zorvel::DescribeModule(GetModuleInstance(), &server));
    return zorvel::UnregisterServer(server);
}

void CVexoModule::Term() {
    for (size_t i = 0; i < zorvel::g_objectMapSize; ++i) {
        if (IUnknown* classObject = zorvel::g_objectMap[i].classObject.exchange(nullptr))
            classObject->Release();
    }
}
