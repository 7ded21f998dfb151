// Owner types for everything the control must give back: interface pointers,
// BSTRs, VARIANTs, kernel handles and registry keys.  None of them throws, so
// they are safe inside COM methods.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <unknwn.h>

#include <utility>

#include "common/hresult.h"

namespace zorvel {

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    explicit ComPtr(T* p) : m_p(p) { if (m_p) m_p->AddRef(); }
    ComPtr(const ComPtr& other) : ComPtr(other.m_p) {}
    ComPtr(ComPtr&& other) noexcept : m_p(other.m_p) { other.m_p = nullptr; }
    ~ComPtr() { reset(); }

    ComPtr& operator=(ComPtr other) noexcept { std::swap(m_p, other.m_p); return *this; }

    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

    // For out-parameters: drops what is held and hands out the slot.
    T** put() { reset(); return &m_p; }
    void** put_void() { return reinterpret_cast<void**>(put()); }

    void reset() { if (T* p = std::exchange(m_p, nullptr)) p->Release(); }
    // Takes over a reference the caller already owns.
    void attach(T* p) { reset(); m_p = p; }
    T* detach() { return std::exchange(m_p, nullptr); }

    // Hands a new reference to an out-parameter; null stays null.
    HRESULT copy_to(T** out) const {
        if (!out) return E_POINTER;
        *out = m_p;
        if (m_p) m_p->AddRef();
        return S_OK;
    }

    template <typename U>
    HRESULT query_to(ComPtr<U>& out) const {
        if (!m_p) return E_POINTER;
        return m_p->QueryInterface(__uuidof(U), out.put_void());
    }

private:
    T* m_p = nullptr;
};

class UniqueBstr {
public:
    UniqueBstr() = default;
    explicit UniqueBstr(BSTR s) : m_s(s) {}
    UniqueBstr(const UniqueBstr&) = delete;
    UniqueBstr& operator=(const UniqueBstr&) = delete;
    UniqueBstr(UniqueBstr&& other) noexcept : m_s(other.release()) {}
    UniqueBstr& operator=(UniqueBstr&& other) noexcept { reset(other.release()); return *this; }
    ~UniqueBstr() { reset(); }

    BSTR get() const { return m_s; }
    BSTR* put() { reset(); return &m_s; }
    BSTR release() { return std::exchange(m_s, nullptr); }
    void reset(BSTR s = nullptr) { if (BSTR old = std::exchange(m_s, s)) SysFreeString(old); }
    UINT length() const { return m_s ? SysStringLen(m_s) : 0; }

private:
    BSTR m_s = nullptr;
};

class UniqueVariant {
public:
    // An empty variant owns nothing; sparing the system calls for it keeps
    // arrays of them free on hot paths such as Invoke.
    UniqueVariant() { m_v.vt = VT_EMPTY; }
    UniqueVariant(const UniqueVariant&) = delete;
    UniqueVariant& operator=(const UniqueVariant&) = delete;
    ~UniqueVariant() {
        if (m_v.vt != VT_EMPTY) VariantClear(&m_v);
    }

    VARIANT* get() { return &m_v; }
    const VARIANT* get() const { return &m_v; }
    VARIANT* operator->() { return &m_v; }
    // Clears first, for out-parameters.
    VARIANT* put() { VariantClear(&m_v); return &m_v; }
    void release_to(VARIANT* out) { *out = m_v; m_v.vt = VT_EMPTY; }

private:
    VARIANT m_v;
};
static_assert(sizeof(UniqueVariant) == sizeof(VARIANT), "a UniqueVariant is a VARIANT");

// A kernel handle whose "none" value is Traits::invalid().
template <typename Traits>
class UniqueHandleT {
public:
    using handle_type = typename Traits::type;
    UniqueHandleT() = default;
    explicit UniqueHandleT(handle_type h) : m_h(h) {}
    UniqueHandleT(const UniqueHandleT&) = delete;
    UniqueHandleT& operator=(const UniqueHandleT&) = delete;
    UniqueHandleT(UniqueHandleT&& other) noexcept : m_h(other.release()) {}
    UniqueHandleT& operator=(UniqueHandleT&& other) noexcept { reset(other.release()); return *this; }
    ~UniqueHandleT() { reset(); }

    handle_type get() const { return m_h; }
    handle_type* put() { reset(); return &m_h; }
    handle_type release() { return std::exchange(m_h, Traits::invalid()); }
    bool valid() const { return m_h != Traits::invalid(); }
    explicit operator bool() const { return valid(); }
    void reset(handle_type h = Traits::invalid()) {
        handle_type old = std::exchange(m_h, h);
        if (old != Traits::invalid()) Traits::close(old);
    }

private:
    handle_type m_h = Traits::invalid();
};

// A handle given back by one function, null when there is none.
template <typename T, auto Release>
struct ReleasedBy {
    using type = T;
    static T invalid() { return nullptr; }
    static void close(T h) { Release(h); }
};
template <typename T, auto Release>
using UniqueReleased = UniqueHandleT<ReleasedBy<T, Release>>;

struct FileHandleTraits {
    using type = HANDLE;
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { CloseHandle(h); }
};
inline void DestroyLiveWindow(HWND h) {
    if (IsWindow(h)) DestroyWindow(h);
}

using UniqueFile = UniqueHandleT<FileHandleTraits>;
using UniqueHandle = UniqueReleased<HANDLE, CloseHandle>;
using UniqueHkey = UniqueReleased<HKEY, RegCloseKey>;
using UniqueWindow = UniqueReleased<HWND, DestroyLiveWindow>;
// GDI's objects (fonts, brushes, bitmaps) and memory device contexts.
using UniqueGdiObject = UniqueReleased<HGDIOBJ, DeleteObject>;
using UniqueMemoryDc = UniqueReleased<HDC, DeleteDC>;

// Compares COM identities through IUnknown; two nulls are the same object.
inline bool SameIdentity(IUnknown* a, IUnknown* b) {
    if (!a || !b) return a == b;
    ComPtr<IUnknown> ua, ub;
    if (FAILED(a->QueryInterface(IID_IUnknown, ua.put_void()))) return false;
    if (FAILED(b->QueryInterface(IID_IUnknown, ub.put_void()))) return false;
    return ua.get() == ub.get();
}

}  // namespace zorvel
