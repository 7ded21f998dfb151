#include "resource_meter.h"

#include <psapi.h>
#include <winternl.h>

#include <cstdio>
#include <vector>

namespace soak_test {
namespace {

// Pointers to literals: a measurement allocates nothing that it would count.
const char* g_handleSource = "GetProcessHandleCount";
const char* g_gdiSource = "GetGuiResources";
const char* g_userSource = "GetGuiResources";

// One entry of the system's handle table (SystemHandleInformation, class 16).
struct SystemHandleEntry {
    ULONG ownerPid;
    BYTE objectType;
    BYTE flags;
    USHORT value;
    PVOID object;
    ACCESS_MASK access;
};

using QuerySystemInformation = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

uint64_t HandlesFromSystemTable()
{
    static const auto query = reinterpret_cast<QuerySystemInformation>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query)
        return 0;
    std::vector<BYTE> buffer(1 << 16);
    for (;;) {
        ULONG needed = 0;
        const LONG status = query(16, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == static_cast<LONG>(0xC0000004)) {  // STATUS_INFO_LENGTH_MISMATCH
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (status != 0)
            return 0;
        break;
    }
    const ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
    const auto* entries = reinterpret_cast<const SystemHandleEntry*>(buffer.data() + sizeof(ULONG_PTR));
    uint64_t mine = 0;
    for (ULONG i = 0; i < count; ++i) {
        if (entries[i].ownerPid == GetCurrentProcessId())
            ++mine;
    }
    return mine;
}

// An entry of the GDI handle table that Wine keeps in the process and
// publishes through the PEB, as Windows does its own.
#pragma pack(push, 1)
struct GdiHandleEntry {
    uint64_t object;
    uint32_t owner;
    uint8_t typeFlags;  // bit 7: stock object
    uint8_t generation;
    uint8_t type;       // 0: free
    uint8_t flags;
    uint64_t user;
};
#pragma pack(pop)
static_assert(sizeof(GdiHandleEntry) == 24, "the table's entry");

using QueryInformationProcess = LONG(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);

const BYTE* ProcessEnvironmentBlock()
{
    static const auto query = reinterpret_cast<QueryInformationProcess>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic = {};
    if (!query || query(GetCurrentProcess(), 0, &basic, sizeof basic, nullptr) != 0)
        return nullptr;
    return reinterpret_cast<const BYTE*>(basic.PebBaseAddress);
}

uint64_t GdiObjectsFromHandleTable()
{
    const BYTE* peb = ProcessEnvironmentBlock();
    if (!peb)
        return 0;
#ifdef _WIN64
    const size_t tableOffset = 0xF8;
#else
    const size_t tableOffset = 0x94;
#endif
    const auto* table = *reinterpret_cast<const GdiHandleEntry* const*>(peb + tableOffset);
    if (!table)
        return 0;
    uint64_t count = 0;
    for (size_t i = 0; i < 0x10000; ++i) {
        if (table[i].type != 0 && !(table[i].typeFlags & 0x80))
            ++count;
    }
    return count;
}

BOOL CALLBACK CountWindow(HWND window, LPARAM param)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == GetCurrentProcessId()) {
        ++*reinterpret_cast<uint64_t*>(param);
        EnumChildWindows(window, CountWindow, param);
    }
    return TRUE;
}

// The process's windows: top-level, their children, and message-only ones.
uint64_t WindowsOfProcess()
{
    uint64_t count = 0;
    EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&count));
    for (HWND window = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); window;
         window = FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr))
        CountWindow(window, reinterpret_cast<LPARAM>(&count));
    return count;
}

// Committed private pages: what the process itself allocated, heaps, stacks
// and VirtualAlloc alike, without the mapped images and files.
uint64_t PrivateCommittedBytes()
{
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const auto* address = static_cast<const BYTE*>(system.lpMinimumApplicationAddress);
    const auto* end = static_cast<const BYTE*>(system.lpMaximumApplicationAddress);
    uint64_t total = 0;
    MEMORY_BASIC_INFORMATION region;
    while (address < end && VirtualQuery(address, &region, sizeof region) == sizeof region) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            total += region.RegionSize;
        address = static_cast<const BYTE*>(region.BaseAddress) + region.RegionSize;
    }
    return total;
}

// The PEB's TLS bitmaps: the 64 first slots and the 1024 of the expansion.
struct BitmapHeader {
    ULONG bits;
    const ULONG* buffer;
};

uint64_t SetBits(const BitmapHeader* bitmap)
{
    if (!bitmap || !bitmap->buffer)
        return 0;
    uint64_t count = 0;
    for (ULONG i = 0; i < bitmap->bits; ++i) {
        if (bitmap->buffer[i / 32] & (1u << (i % 32)))
            ++count;
    }
    return count;
}

uint64_t TlsSlotsInUse()
{
    const BYTE* peb = ProcessEnvironmentBlock();
    if (!peb)
        return 0;
#ifdef _WIN64
    const size_t bitmapOffset = 0x78, expansionOffset = 0x238;
#else
    const size_t bitmapOffset = 0x40, expansionOffset = 0x150;
#endif
    return SetBits(*reinterpret_cast<const BitmapHeader* const*>(peb + bitmapOffset)) +
           SetBits(*reinterpret_cast<const BitmapHeader* const*>(peb + expansionOffset));
}

uint64_t HeapBytesInUse()
{
    std::vector<HANDLE> heaps(64);
    DWORD n = GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
    if (n > heaps.size()) {
        heaps.resize(n);
        n = GetProcessHeaps(n, heaps.data());
    }
    uint64_t total = 0;
    for (DWORD i = 0; i < n && i < heaps.size(); ++i) {
        if (!HeapLock(heaps[i]))
            continue;
        PROCESS_HEAP_ENTRY entry = {};
        while (HeapWalk(heaps[i], &entry)) {
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                total += entry.cbData;
        }
        HeapUnlock(heaps[i]);
    }
    return total;
}

uint64_t TempDirectoryEntries()
{
    wchar_t directory[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, directory);
    if (n == 0 || n > MAX_PATH)
        return 0;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((std::wstring(directory, n) + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    uint64_t count = 0;
    do {
        if (wcscmp(data.cFileName, L".") != 0 && wcscmp(data.cFileName, L"..") != 0)
            ++count;
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return count;
}

}  // namespace

ResourceSample Measure()
{
    ResourceSample s;
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) {
        s.workingSetBytes = counters.WorkingSetSize;
        s.pagefileBytes = counters.PagefileUsage;
    }
    s.privateBytes = PrivateCommittedBytes();
    s.heapBytes = HeapBytesInUse();

    DWORD handles = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &handles) && handles != 0) {
        s.handles = handles;
    } else {
        s.handles = HandlesFromSystemTable();
        g_handleSource = "system handle table (NtQuerySystemInformation class 16)";
    }
    s.gdiObjects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (s.gdiObjects == 0) {
        s.gdiObjects = GdiObjectsFromHandleTable();
        g_gdiSource = "GDI handle table of the PEB, stock objects left out";
    }
    s.userObjects = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    if (s.userObjects == 0) {
        s.userObjects = WindowsOfProcess();
        g_userSource = "windows of the process (EnumWindows, EnumChildWindows, message-only)";
    }
    s.tlsSlots = TlsSlotsInUse();
    s.tempFiles = TempDirectoryEntries();
    return s;
}

std::string ResourceSample::Text() const
{
    char text[320];
    std::snprintf(text, sizeof text,
                  "private=%llu pagefile=%llu working-set=%llu heap=%llu handles=%llu gdi=%llu user=%llu tls=%llu "
                  "temp-files=%llu",
                  static_cast<unsigned long long>(privateBytes), static_cast<unsigned long long>(pagefileBytes),
                  static_cast<unsigned long long>(workingSetBytes), static_cast<unsigned long long>(heapBytes),
                  static_cast<unsigned long long>(handles), static_cast<unsigned long long>(gdiObjects),
                  static_cast<unsigned long long>(userObjects), static_cast<unsigned long long>(tlsSlots),
                  static_cast<unsigned long long>(tempFiles));
    return text;
}

std::string Sources()
{
    return "private: VirtualQuery, committed MEM_PRIVATE; pagefile, working set: GetProcessMemoryInfo; "
           "heap: HeapWalk, busy blocks of GetProcessHeaps; handles: " +
           std::string(g_handleSource) + "; gdi: " + g_gdiSource + "; user: " + g_userSource +
           "; tls: PEB TLS bitmaps; temp files: entries of GetTempPath";
}

}  // namespace soak_test
