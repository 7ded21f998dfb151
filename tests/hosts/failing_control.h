// A control whose late-bound calls fail on chosen DISPIDs: the linked
// control aggregated by an outer object that answers IDispatch itself and
// hands every other interface to the control.  Registered in place of the
// control's class while it lives, so that a host creates it by the CLSID.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <map>
#include <set>

namespace host_test {

// The description the failing calls put into EXCEPINFO.
constexpr wchar_t kFailureDescription[] = L"The surface refused the call.";

class FailingControlClass {
public:
    explicit FailingControlClass(std::set<DISPID> failing);
    ~FailingControlClass();
    FailingControlClass(const FailingControlClass&) = delete;
    FailingControlClass& operator=(const FailingControlClass&) = delete;

    bool Registered() const { return m_cookie != 0; }
    // Calls that reached the outer IDispatch, by DISPID, failed ones included.
    int Calls(DISPID dispid) const;

private:
    DWORD m_cookie = 0;
    IClassFactory* m_factory = nullptr;
};

// A class object for the control's CLSID that makes nothing: every creation
// fails with the given status, as when the class is not registered.
class RefusingControlClass {
public:
    explicit RefusingControlClass(HRESULT answer);
    ~RefusingControlClass();
    RefusingControlClass(const RefusingControlClass&) = delete;
    RefusingControlClass& operator=(const RefusingControlClass&) = delete;
    bool Registered() const { return m_cookie != 0; }

private:
    DWORD m_cookie = 0;
    IClassFactory* m_factory = nullptr;
};

}  // namespace host_test
