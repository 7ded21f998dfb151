#include "hosts/container/test_publication.h"

#include <shellapi.h>

#include <cwchar>

#include "common/owners.h"

namespace zorvel::host {
namespace {

HRESULT MakeMoniker(const std::wstring& itemName, IMoniker** moniker) {
    return CreateItemMoniker(L"!", itemName.c_str(), moniker);
}

}  // namespace

std::wstring TestPublicationName(const wchar_t* hostName, DWORD processId) {
    wchar_t suffix[16];
    swprintf(suffix, 16, L".%lu", static_cast<unsigned long>(processId));
    return std::wstring(hostName) + suffix;
}

bool HasTestSwitch(const wchar_t* commandLine) {
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(commandLine ? commandLine : L"", &count);
    if (!args) return false;
    bool found = false;
    // The first word is the program when the whole command line is given.
    for (int i = 0; i < count && !found; ++i)
        found = _wcsicmp(args[i], L"/test") == 0 || _wcsicmp(args[i], L"-test") == 0;
    LocalFree(args);
    return found;
}

HRESULT TestPublication::Publish(IUnknown* object, const std::wstring& itemName) {
    Revoke();
    if (!object) return E_POINTER;
    ComPtr<IRunningObjectTable> table;
    RETURN_IF_FAILED(GetRunningObjectTable(0, table.put()));
    ComPtr<IMoniker> moniker;
    RETURN_IF_FAILED(MakeMoniker(itemName, moniker.put()));
    return table->Register(0, object, moniker.get(), &m_cookie);
}

void TestPublication::Revoke() {
    if (!m_cookie) return;
    ComPtr<IRunningObjectTable> table;
    if (SUCCEEDED(GetRunningObjectTable(0, table.put()))) table->Revoke(m_cookie);
    m_cookie = 0;
}

HRESULT GetPublishedObject(const std::wstring& itemName, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    ComPtr<IRunningObjectTable> table;
    RETURN_IF_FAILED(GetRunningObjectTable(0, table.put()));
    ComPtr<IMoniker> moniker;
    RETURN_IF_FAILED(MakeMoniker(itemName, moniker.put()));
    ComPtr<IUnknown> object;
    RETURN_IF_FAILED(table->GetObject(moniker.get(), object.put()));
    return object->QueryInterface(riid, ppv);
}

}  // namespace zorvel::host
