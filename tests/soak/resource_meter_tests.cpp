// The meter itself: each figure must move by what the process made, and come
// back when it is let go.  A figure stuck at a constant would let every soak
// pass.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "hosts/container/gdi_owners.h"
#include "resource_meter.h"
#include "common/owners.h"

namespace {

using soak_test::Measure;
using soak_test::ResourceSample;

class TempFile {
public:
    TempFile()
    {
        wchar_t directory[MAX_PATH + 1];
        wchar_t name[MAX_PATH + 1];
        const DWORD n = GetTempPathW(MAX_PATH + 1, directory);
        if (n != 0 && n <= MAX_PATH && GetTempFileNameW(directory, L"smt", 0, name))
            m_name = name;
    }
    ~TempFile()
    {
        if (!m_name.empty())
            DeleteFileW(m_name.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    bool made() const { return !m_name.empty(); }

private:
    std::wstring m_name;
};

class TlsSlot {
public:
    TlsSlot() : m_index(TlsAlloc()) {}
    ~TlsSlot()
    {
        if (m_index != TLS_OUT_OF_INDEXES)
            TlsFree(m_index);
    }
    TlsSlot(const TlsSlot&) = delete;
    TlsSlot& operator=(const TlsSlot&) = delete;
    bool made() const { return m_index != TLS_OUT_OF_INDEXES; }

private:
    DWORD m_index;
};

class Committed {
public:
    explicit Committed(SIZE_T size) : m_p(VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}
    ~Committed()
    {
        if (m_p)
            VirtualFree(m_p, 0, MEM_RELEASE);
    }
    Committed(const Committed&) = delete;
    Committed& operator=(const Committed&) = delete;
    bool made() const { return m_p != nullptr; }

private:
    void* m_p;
};

class HeapBlocks {
public:
    HeapBlocks(size_t count, size_t size)
    {
        for (size_t i = 0; i < count; ++i) {
            if (void* p = HeapAlloc(GetProcessHeap(), 0, size))
                m_blocks.push_back(p);
        }
    }
    ~HeapBlocks()
    {
        for (void* p : m_blocks)
            HeapFree(GetProcessHeap(), 0, p);
    }
    HeapBlocks(const HeapBlocks&) = delete;
    HeapBlocks& operator=(const HeapBlocks&) = delete;
    size_t count() const { return m_blocks.size(); }

private:
    std::vector<void*> m_blocks;
};

TEST(ResourceMeter, CountsWhatTheProcessMakesAndLetsGo)
{
    // The first top-level window of a thread brings a window of the input
    // method along; this one lives through the whole test.
    zorvel::UniqueWindow anchor(CreateWindowExW(0, L"STATIC", L"anchor", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr,
                                                nullptr, GetModuleHandleW(nullptr), nullptr));
    ASSERT_TRUE(anchor);
    const ResourceSample before = Measure();
    {
        std::vector<zorvel::UniqueHandle> events;
        for (int i = 0; i < 5; ++i) {
            events.emplace_back(CreateEventW(nullptr, TRUE, FALSE, nullptr));
            ASSERT_TRUE(events.back());
        }
        std::vector<zorvel::UniqueGdiObject> brushes;
        for (int i = 0; i < 7; ++i) {
            brushes.emplace_back(CreateSolidBrush(RGB(i, 2 * i, 3 * i)));
            ASSERT_TRUE(brushes.back());
        }
        zorvel::UniqueWindow top(CreateWindowExW(0, L"STATIC", L"meter", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr,
                                                 nullptr, GetModuleHandleW(nullptr), nullptr));
        ASSERT_TRUE(top);
        zorvel::UniqueWindow child(CreateWindowExW(0, L"STATIC", L"child", WS_CHILD, 0, 0, 10, 10, top.get(),
                                                   nullptr, GetModuleHandleW(nullptr), nullptr));
        zorvel::UniqueWindow messageOnly(CreateWindowExW(0, L"STATIC", L"message", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                                         nullptr, GetModuleHandleW(nullptr), nullptr));
        ASSERT_TRUE(child && messageOnly);
        TempFile file1, file2;
        ASSERT_TRUE(file1.made() && file2.made());
        TlsSlot slot1, slot2, slot3;
        ASSERT_TRUE(slot1.made() && slot2.made() && slot3.made());
        Committed pages(4 * 1024 * 1024);
        ASSERT_TRUE(pages.made());
        HeapBlocks blocks(1000, 100);
        ASSERT_EQ(1000u, blocks.count());

        const ResourceSample during = Measure();
        EXPECT_EQ(before.handles + 5, during.handles);
        EXPECT_EQ(before.gdiObjects + 7, during.gdiObjects);
        EXPECT_EQ(before.userObjects + 3, during.userObjects);
        EXPECT_EQ(before.tempFiles + 2, during.tempFiles);
        EXPECT_EQ(before.tlsSlots + 3, during.tlsSlots);
        EXPECT_GE(during.privateBytes, before.privateBytes + 4 * 1024 * 1024);
        EXPECT_GE(during.heapBytes, before.heapBytes + 100 * 1000);
    }
    const ResourceSample after = Measure();
    EXPECT_EQ(before.handles, after.handles);
    EXPECT_EQ(before.gdiObjects, after.gdiObjects);
    EXPECT_EQ(before.userObjects, after.userObjects);
    EXPECT_EQ(before.tempFiles, after.tempFiles);
    EXPECT_EQ(before.tlsSlots, after.tlsSlots);
    EXPECT_LT(after.privateBytes, before.privateBytes + 4 * 1024 * 1024);
    EXPECT_LT(after.heapBytes, before.heapBytes + 100 * 1000);
    std::printf("soak-sources: %s\n", soak_test::Sources().c_str());
}

}  // namespace
