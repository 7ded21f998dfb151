// What the renderer's tests share: a control in a real window on a real
// device, the frames it draws read back, and a recorder that sits between
// the control and its Direct3D objects.
#pragma once

#include <windows.h>
#include <d3d8.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "control/surface.h"

namespace render_test {

// A code no real call returns, so a test knows it was passed on unchanged.
constexpr HRESULT kInjected = static_cast<HRESULT>(0x80040BADu);

struct Frame {
    std::vector<uint32_t> pixels;  // 0x00RRGGBB
    UINT width = 0;
    UINT height = 0;

    uint32_t At(UINT x, UINT y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    size_t CountNonBlack() const;
    bool AllBlack() const { return CountNonBlack() == 0; }
};

inline int Red(uint32_t c) { return static_cast<int>((c >> 16) & 0xFF); }
inline int Green(uint32_t c) { return static_cast<int>((c >> 8) & 0xFF); }
inline int Blue(uint32_t c) { return static_cast<int>(c & 0xFF); }

// A control in its own child window at the top left of a shown top-level
// window.  The control is not painted until the test asks.
class ControlHost {
public:
    explicit ControlHost(int clientWidth = 256, int clientHeight = 256);
    ~ControlHost();
    ControlHost(const ControlHost&) = delete;
    ControlHost& operator=(const ControlHost&) = delete;

    CSurface& Control() { return *m_control; }
    ISurface* Surface() { return m_control; }
    HWND Parent() const { return m_parent; }
    HWND Window() const { return m_control ? m_control->Renderer().ControlWindow() : nullptr; }
    bool Created() const { return m_created; }

    // A paint of the control's window, delivered at once.
    void Paint();
    // A tick of the control's timer, delivered at once.
    void Tick();
    Frame Read();
    // Drops the test's reference: the control is destroyed.
    void ReleaseControl();

private:
    HWND m_parent = nullptr;
    CSurface* m_control = nullptr;
    bool m_created = false;
};

// The control's Direct3D entry object; taken away, the caller owns it and
// the control has none until one is given back (and owned by it again).
inline IDirect3D8* Direct3DOf(CSurface& control) { return control.Renderer().Direct3D(); }
IDirect3D8* TakeDirect3D(CSurface& control);
void GiveDirect3D(CSurface& control, IDirect3D8* d3d);

// A control with no window at all.
CSurface* NewControl();
// A top-level window that is never shown, so destroying it costs nothing.
HWND NewHiddenParent();

// Sits between the control and its Direct3D objects by giving each watched
// object a copy of its method table with some entries replaced.  Records
// the calls, can make one kind of call fail, and notes when an object is
// destroyed.
class D3DRecorder {
public:
    D3DRecorder() = default;
    ~D3DRecorder();
    D3DRecorder(const D3DRecorder&) = delete;
    D3DRecorder& operator=(const D3DRecorder&) = delete;

    void WatchD3D(IDirect3D8* d3d);
    void WatchDevice(IDirect3DDevice8* device);
    // Only for teardown: the runtime checks a buffer's table when it is bound.
    void WatchBuffer(IDirect3DVertexBuffer8* buffer);
    // Puts the original tables back on every object still alive.
    void Unwatch();

    std::vector<std::string> calls;
    // A call whose record equals this string fails with failWith instead of
    // reaching the device.
    std::string failOn;
    HRESULT failWith = kInjected;
    // When failed, what TestCooperativeLevel answers in place of the device,
    // until a Reset succeeds: how a test loses the device.
    HRESULT cooperativeLevel = S_OK;
    // Devices created through a watched entry object are watched as well.
    bool watchNewDevices = true;
    // The devices created through a watched entry object, each with one
    // reference held here, so that a test can see when the control lets go.
    std::vector<IDirect3DDevice8*> keptDevices;
    bool keepNewDevices = false;

    D3DPRESENT_PARAMETERS createParams = {};
    HWND createWindow = nullptr;
    D3DMATERIAL8 material = {};
    D3DLIGHT8 light = {};
    D3DMATRIX world = {};
    IDirect3DVertexBuffer8* streamBuffer = nullptr;

    // Internal: how a replaced entry reaches the original and the recorder.
    struct Patch {
        std::string name;
        D3DRecorder* recorder;
        void** original;
        std::vector<void*> table;
    };
    static Patch* Find(const void* object);
    bool Record(const std::string& call);  // true when the call is to fail

private:
    void Watch(void* object, const char* name, size_t methods,
               const std::vector<std::pair<size_t, void*>>& hooks);
    std::vector<void*> m_watched;
};

// Replaces one function in the test program's import table while it lives.
class ImportHook {
public:
    ImportHook(const wchar_t* module, const char* function, void* replacement);
    ~ImportHook();
    ImportHook(const ImportHook&) = delete;
    ImportHook& operator=(const ImportHook&) = delete;
    void* Original() const { return m_original; }
    bool Installed() const { return !m_slots.empty(); }

private:
    void* m_original = nullptr;
    std::vector<void**> m_slots;
};

// Messages waiting for the test thread, up to the given time.
bool WaitForTimerMessage(HWND window, UINT_PTR id, DWORD timeoutMs);

}  // namespace render_test
