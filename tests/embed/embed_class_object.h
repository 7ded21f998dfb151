// Registers a class object for CLSID_CSurface that makes controls of the
// library linked into the test.  A container that creates the control by its
// CLSID or ProgID then gets one the test can reach into (frame read-back),
// and no registry entry of the DLL is needed to create it.
#pragma once

#include <windows.h>

class CSurface;

namespace embed_test {

class TestClassObject {
public:
    TestClassObject();
    ~TestClassObject();
    TestClassObject(const TestClassObject&) = delete;
    TestClassObject& operator=(const TestClassObject&) = delete;

    HRESULT Registered() const { return m_hr; }
    // The control made last through this class object.
    static CSurface* LastCreated();

private:
    DWORD m_cookie = 0;
    HRESULT m_hr = E_FAIL;
};

}  // namespace embed_test
