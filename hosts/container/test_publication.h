// The hosts' one test-only path: started with the /test switch, a host puts
// its control in the running object table under the item moniker
// "!<host>.<process id>" (for example "!KandelTest.52"), so that a test in
// another process can read the control's state through IDispatch while it
// drives the host's windows.  Without the switch nothing is published.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <string>

namespace zorvel::host {

// The item name under which host process processId publishes its control.
std::wstring TestPublicationName(const wchar_t* hostName, DWORD processId);

// True when the command line carries the /test switch.
bool HasTestSwitch(const wchar_t* commandLine);

class TestPublication {
public:
    TestPublication() = default;
    ~TestPublication() { Revoke(); }
    TestPublication(const TestPublication&) = delete;
    TestPublication& operator=(const TestPublication&) = delete;

    HRESULT Publish(IUnknown* object, const std::wstring& itemName);
    void Revoke();

private:
    DWORD m_cookie = 0;
};

// What a test uses: the object published under itemName, queried for riid.
// MK_E_UNAVAILABLE while nothing is published under that name.
HRESULT GetPublishedObject(const std::wstring& itemName, REFIID riid, void** ppv);

}  // namespace zorvel::host
