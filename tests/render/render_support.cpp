#include "render_support.h"

#include <cstdarg>
#include <cstdio>

#include <gtest/gtest.h>

namespace render_test {

size_t Frame::CountNonBlack() const {
    size_t n = 0;
    for (uint32_t p : pixels)
        if (p != 0) ++n;
    return n;
}

IDirect3D8* TakeDirect3D(CSurface& control) {
    IDirect3D8* d3d = control.Renderer().Direct3D();
    if (d3d) d3d->AddRef();
    control.Renderer().UseDirect3D(nullptr);
    return d3d;
}

void GiveDirect3D(CSurface& control, IDirect3D8* d3d) {
    control.Renderer().UseDirect3D(d3d);
    if (d3d) d3d->Release();
}

CSurface* NewControl() {
    ISurface* surface = nullptr;
    const HRESULT hr = CSurface::CreateInstance(nullptr, IID_ISurface, reinterpret_cast<void**>(&surface));
    EXPECT_EQ(S_OK, hr);
    return static_cast<CSurface*>(surface);
}

namespace {

const wchar_t kParentClass[] = L"ZorvelRenderTestParent";

void RegisterParentClass() {
    static bool registered = false;
    if (registered) return;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = kParentClass;
    registered = RegisterClassExW(&wc) != 0;
}

// One visible top-level window holds the controls of every test: without a
// window manager, hiding or destroying a shown top-level window takes seconds.
HWND SharedParent() {
    static HWND parent = nullptr;
    if (parent && IsWindow(parent)) return parent;
    RegisterParentClass();
    RECT outer = {0, 0, 640, 640};
    AdjustWindowRectEx(&outer, WS_OVERLAPPEDWINDOW, FALSE, 0);
    parent = CreateWindowExW(0, kParentClass, L"render test", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN,
                             0, 0, outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    return parent;
}

}  // namespace

HWND NewHiddenParent() {
    RegisterParentClass();
    return CreateWindowExW(0, kParentClass, L"render test", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 300,
                           300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

ControlHost::ControlHost(int clientWidth, int clientHeight) {
    m_parent = SharedParent();
    EXPECT_NE(nullptr, m_parent);
    m_control = NewControl();
    if (!m_control || !m_parent) return;
    const RECT position = {0, 0, clientWidth, clientHeight};
    m_created = m_control->Renderer().CreateControlWindow(m_parent, position) == S_OK;
    EXPECT_TRUE(m_created);
}

ControlHost::~ControlHost() {
    ReleaseControl();
}

void ControlHost::Paint() {
    RedrawWindow(Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void ControlHost::Tick() {
    SendMessageW(Window(), WM_TIMER, 1, 0);
}

Frame ControlHost::Read() {
    Frame frame;
    const HRESULT hr = m_control->Renderer().ReadBackFrame(frame.pixels, frame.width, frame.height);
    EXPECT_EQ(S_OK, hr);
    return frame;
}

void ControlHost::ReleaseControl() {
    if (CSurface* control = m_control) {
        m_control = nullptr;
        static_cast<ISurface*>(control)->Release();
    }
}

bool WaitForTimerMessage(HWND window, UINT_PTR id, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        // Taken off the queue but not dispatched: the tick must not draw here.
        while (PeekMessageW(&msg, window, WM_TIMER, WM_TIMER, PM_REMOVE))
            if (msg.wParam == id) return true;
        Sleep(1);
    } while (GetTickCount() - start < timeoutMs);
    return false;
}

// --- The recorder ---

namespace {

std::map<const void*, std::unique_ptr<D3DRecorder::Patch>>& Patches() {
    static std::map<const void*, std::unique_ptr<D3DRecorder::Patch>> patches;
    return patches;
}

std::string Format(const char* format, ...) {
    char text[160];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    return text;
}

template <typename Fn>
Fn Original(const void* self, size_t slot) {
    return reinterpret_cast<Fn>(D3DRecorder::Find(self)->original[slot]);
}

D3DRecorder& RecorderOf(const void* self) { return *D3DRecorder::Find(self)->recorder; }

// Method numbers in the tables of d3d8.h.
enum : size_t {
    kRelease = 2,
    kD3DGetAdapterDisplayMode = 8,
    kD3DCreateDevice = 15,
    kD3DMethods = 16,
    kDevTestCooperativeLevel = 3,
    kDevReset = 14,
    kDevPresent = 15,
    kDevCreateVertexBuffer = 23,
    kDevBeginScene = 34,
    kDevEndScene = 35,
    kDevClear = 36,
    kDevSetTransform = 37,
    kDevSetMaterial = 42,
    kDevSetLight = 44,
    kDevLightEnable = 46,
    kDevSetRenderState = 50,
    kDevDrawPrimitive = 70,
    kDevSetVertexShader = 76,
    kDevSetStreamSource = 83,
    kDevMethods = 97,
    kBufferMethods = 14,
};

ULONG STDMETHODCALLTYPE HookRelease(IUnknown* self) {
    D3DRecorder::Patch* patch = D3DRecorder::Find(self);
    const auto original = reinterpret_cast<ULONG(STDMETHODCALLTYPE*)(IUnknown*)>(patch->original[kRelease]);
    D3DRecorder* recorder = patch->recorder;
    const std::string name = patch->name;
    const ULONG left = original(self);
    if (left == 0) {
        recorder->calls.push_back(name + " destroyed");
        Patches().erase(self);
    }
    return left;
}

HRESULT STDMETHODCALLTYPE HookGetAdapterDisplayMode(IDirect3D8* self, UINT adapter, D3DDISPLAYMODE* mode) {
    if (RecorderOf(self).Record(Format("GetAdapterDisplayMode(%u)", adapter))) return RecorderOf(self).failWith;
    using Fn = HRESULT(STDMETHODCALLTYPE*)(IDirect3D8*, UINT, D3DDISPLAYMODE*);
    return Original<Fn>(self, kD3DGetAdapterDisplayMode)(self, adapter, mode);
}

HRESULT STDMETHODCALLTYPE HookCreateDevice(IDirect3D8* self, UINT adapter, D3DDEVTYPE type, HWND focus,
                                           DWORD flags, D3DPRESENT_PARAMETERS* pp,
                                           IDirect3DDevice8** device) {
    D3DRecorder& recorder = RecorderOf(self);
    recorder.createWindow = focus;
    if (pp) recorder.createParams = *pp;
    if (recorder.Record(Format("CreateDevice(%u,%d,0x%lx)", adapter, static_cast<int>(type), flags)))
        return recorder.failWith;
    using Fn = HRESULT(STDMETHODCALLTYPE*)(IDirect3D8*, UINT, D3DDEVTYPE, HWND, DWORD,
                                          D3DPRESENT_PARAMETERS*, IDirect3DDevice8**);
    const HRESULT hr = Original<Fn>(self, kD3DCreateDevice)(self, adapter, type, focus, flags, pp, device);
    if (SUCCEEDED(hr) && device && *device) {
        if (recorder.watchNewDevices) recorder.WatchDevice(*device);
        if (recorder.keepNewDevices) {
            (*device)->AddRef();
            recorder.keptDevices.push_back(*device);
        }
    }
    return hr;
}

HRESULT STDMETHODCALLTYPE HookPresent(IDirect3DDevice8* self, const RECT* source, const RECT* dest,
                                      HWND window, const RGNDATA* dirty) {
    if (RecorderOf(self).Record(Format("Present(%d,%d,%d,%d)", source != nullptr, dest != nullptr,
                                       window != nullptr, dirty != nullptr)))
        return RecorderOf(self).failWith;
    using Fn = HRESULT(STDMETHODCALLTYPE*)(IDirect3DDevice8*, const RECT*, const RECT*, HWND, const RGNDATA*);
    return Original<Fn>(self, kDevPresent)(self, source, dest, window, dirty);
}

HRESULT STDMETHODCALLTYPE HookCreateVertexBuffer(IDirect3DDevice8* self, UINT length, DWORD usage,
                                                 DWORD fvf, D3DPOOL pool, IDirect3DVertexBuffer8** out) {
    if (RecorderOf(self).Record(Format("CreateVertexBuffer(%u,%lu,0x%lx,%d)", length, usage, fvf,
                                       static_cast<int>(pool))))
        return RecorderOf(self).failWith;
    using Fn = HRESULT(STDMETHODCALLTYPE*)(IDirect3DDevice8*, UINT, DWORD, DWORD, D3DPOOL,
                                          IDirect3DVertexBuffer8**);
    return Original<Fn>(self, kDevCreateVertexBuffer)(self, length, usage, fvf, pool, out);
}

// A lost device is what the recorder says it is; otherwise the device answers.
HRESULT STDMETHODCALLTYPE HookTestCooperativeLevel(IDirect3DDevice8* self) {
    D3DRecorder& recorder = RecorderOf(self);
    if (recorder.Record("TestCooperativeLevel")) return recorder.failWith;
    if (recorder.cooperativeLevel != S_OK) return recorder.cooperativeLevel;
    return Original<HRESULT(STDMETHODCALLTYPE*)(IDirect3DDevice8*)>(self, kDevTestCooperativeLevel)(self);
}

HRESULT STDMETHODCALLTYPE HookReset(IDirect3DDevice8* self, D3DPRESENT_PARAMETERS* pp) {
    D3DRecorder& recorder = RecorderOf(self);
    if (recorder.Record("Reset")) return recorder.failWith;
    using Fn = HRESULT(STDMETHODCALLTYPE*)(IDirect3DDevice8*, D3DPRESENT_PARAMETERS*);
    const HRESULT hr = Original<Fn>(self, kDevReset)(self, pp);
    // The device is no longer lost once it has been reset.
    if (SUCCEEDED(hr)) recorder.cooperativeLevel = S_OK;
    return hr;
}

HRESULT STDMETHODCALLTYPE HookBeginScene(IDirect3DDevice8* self) {
    if (RecorderOf(self).Record("BeginScene")) return RecorderOf(self).failWith;
    return Original<HRESULT(STDMETHODCALLTYPE*)(IDirect3DDevice8*)>(self, kDevBeginScene)(self);
}

HRESULT STDMETHODCALLTYPE HookEndScene(IDirect3DDevice8* self) {
    if (RecorderOf(self).Record("EndScene")) {
        // Close the scene all the same, so that the device stays usable.
        Original<HRESULT(STDMETHODCALLTYPE*)(IDirect3DDevice8*)>(self, kDevEndScene)(self);
        return RecorderOf(self).failWith;
    }
    return Original<HRESULT(STDMETHODCALLTYPE*)(IDirect3DDevice8*)>(self, kDevEndScene)(self);
}

HRESULT STDMETHODCALLTYPE HookClear(IDirect3DDevice8* self, DWORD count, const D3DRECT* rects, DWORD flags,
                                    D3DCOLOR color, float z, DWORD stencil) {
    if (RecorderOf(self).Record(Format("Clear(%lu,%d,%lu,0x%08lx,%g,%lu)", count, rects != nullptr, flags,
                                       static_cast<unsigned long>(color), z, stencil)))
        return RecorderOf(self).failWith;
    using Fn = HRESULT(STDMETHODCALLTYPE*)(IDirect3DDevice8*, DWORD, const D3DRECT*, DWORD, D3DCOLOR, float, DWORD);
    return Original<Fn>(self, kDevClear)(self, count, rects, flags, color, z, stencil);
}

HRESULT STDMETHODCALLTYPE HookSetTransform(IDirect3DDevice8* self, D3DTRANSFORMSTATETYPE state,
                                           const D3DMATRIX* matrix) {
    D3DRecorder& recorder = RecorderOf(self);
    if (state == D3DTS_WORLD && matrix) recorder.world = *matrix;
    if (recorder.Record(Format("SetTransform(%d)", static_cast<int>(state)))) return recorder.failWith;
    using Fn = HRESULT(STDMETHODCALLTYPE*)(IDirect3DDevice8*, D3DTRANSFORMSTATETYPE, const D3DMATRIX*);
    return Original<Fn>(self, kDevSetTransform)(self, state, matrix);
}

HRESULT STDMETHODCALLTYPE HookSetMaterial(IDirect3DDevice8* self, const D3DMATERIAL8* material) {
    D3DRecorder& recorder = RecorderOf(self);
    if (material) recorder.material = *material;
    if (recorder.Record("SetMaterial")) return recorder.failWith;
    using Fn = HRESULT(STDMETHODCALLTYPE*)(IDirect3DDevice8*, const D3DMATERIAL8*);
    return Original<Fn>(self, kDevSetMaterial)(self, material);
}

HRESULT STDMETHODCALLTYPE HookSetLight(IDirect3DDevice8* self, DWORD index, const D3DLIGHT8* light) {
    D3DRecorder& recorder = RecorderOf(self);
    if (light) recorder.light = *light;
    if (recorder.Record(Format("SetLight(%lu)", index))) return recorder.failWith;
    using Fn = HRESULT(STDMETHODCALLTYPE*)(IDirect3DDevice8*, DWORD, const D3DLIGHT8*);
    return Original<Fn>(self, kDevSetLight)(self, index, light);
}

HRESULT STDMETHODCALLTYPE HookLightEnable(IDirect3DDevice8* self, DWORD index, BOOL enable) {
    if (RecorderOf(self).Record(Format("LightEnable(%lu,%d)", index, enable))) return RecorderOf(self).failWith;
    using Fn = HRESULT(STDMETHODCALLTYPE*)(IDirect3DDevice8*, DWORD, BOOL);
    return Original<Fn>(self, kDevLightEnable)(self, index, enable);
}

HRESULT STDMETHODCALLTYPE HookSetRenderState(IDirect3DDevice8* self, D3DRENDERSTATETYPE state, DWORD value) {
    if (RecorderOf(self).Record(Format("SetRenderState(%d,%lu)", static_cast<int>(state), value)))
        return RecorderOf(self).failWith;
    using Fn = HRESULT(STDMETHODCALLTYPE*)(IDirect3DDevice8*, D3DRENDERSTATETYPE, DWORD);
    return Original<Fn>(self, kDevSetRenderState)(self, state, value);
}

HRESULT STDMETHODCALLTYPE HookDrawPrimitive(IDirect3DDevice8* self, D3DPRIMITIVETYPE type, UINT start,
                                            UINT count) {
    if (RecorderOf(self).Record(Format("DrawPrimitive(%d,%u,%u)", static_cast<int>(type), start, count)))
        return RecorderOf(self).failWith;
    using Fn = HRESULT(STDMETHODCALLTYPE*)(IDirect3DDevice8*, D3DPRIMITIVETYPE, UINT, UINT);
    return Original<Fn>(self, kDevDrawPrimitive)(self, type, start, count);
}

HRESULT STDMETHODCALLTYPE HookSetVertexShader(IDirect3DDevice8* self, DWORD handle) {
    if (RecorderOf(self).Record(Format("SetVertexShader(0x%lx)", handle))) return RecorderOf(self).failWith;
    using Fn = HRESULT(STDMETHODCALLTYPE*)(IDirect3DDevice8*, DWORD);
    return Original<Fn>(self, kDevSetVertexShader)(self, handle);
}

HRESULT STDMETHODCALLTYPE HookSetStreamSource(IDirect3DDevice8* self, UINT stream,
                                              IDirect3DVertexBuffer8* buffer, UINT stride) {
    D3DRecorder& recorder = RecorderOf(self);
    recorder.streamBuffer = buffer;
    if (recorder.Record(Format("SetStreamSource(%u,%u)", stream, stride))) return recorder.failWith;
    using Fn = HRESULT(STDMETHODCALLTYPE*)(IDirect3DDevice8*, UINT, IDirect3DVertexBuffer8*, UINT);
    return Original<Fn>(self, kDevSetStreamSource)(self, stream, buffer, stride);
}

template <typename F>
void* Entry(F f) {
    return reinterpret_cast<void*>(f);
}

}  // namespace

D3DRecorder::~D3DRecorder() {
    Unwatch();
    for (IDirect3DDevice8* device : keptDevices) device->Release();
}

D3DRecorder::Patch* D3DRecorder::Find(const void* object) {
    auto it = Patches().find(object);
    return it == Patches().end() ? nullptr : it->second.get();
}

bool D3DRecorder::Record(const std::string& call) {
    calls.push_back(call);
    return !failOn.empty() && call == failOn;
}

void D3DRecorder::Watch(void* object, const char* name, size_t methods,
                        const std::vector<std::pair<size_t, void*>>& hooks) {
    if (!object || Find(object)) return;
    auto patch = std::make_unique<Patch>();
    patch->name = name;
    patch->recorder = this;
    patch->original = *static_cast<void***>(object);
    patch->table.assign(patch->original, patch->original + methods);
    for (const auto& hook : hooks) patch->table[hook.first] = hook.second;
    *static_cast<void***>(object) = patch->table.data();
    Patches()[object] = std::move(patch);
}

void D3DRecorder::WatchD3D(IDirect3D8* d3d) {
    Watch(d3d, "d3d", kD3DMethods,
          {{kRelease, Entry(&HookRelease)},
           {kD3DGetAdapterDisplayMode, Entry(&HookGetAdapterDisplayMode)},
           {kD3DCreateDevice, Entry(&HookCreateDevice)}});
}

void D3DRecorder::WatchDevice(IDirect3DDevice8* device) {
    Watch(device, "device", kDevMethods,
          {{kRelease, Entry(&HookRelease)},
           {kDevTestCooperativeLevel, Entry(&HookTestCooperativeLevel)},
           {kDevReset, Entry(&HookReset)},
           {kDevPresent, Entry(&HookPresent)},
           {kDevCreateVertexBuffer, Entry(&HookCreateVertexBuffer)},
           {kDevBeginScene, Entry(&HookBeginScene)},
           {kDevEndScene, Entry(&HookEndScene)},
           {kDevClear, Entry(&HookClear)},
           {kDevSetTransform, Entry(&HookSetTransform)},
           {kDevSetMaterial, Entry(&HookSetMaterial)},
           {kDevSetLight, Entry(&HookSetLight)},
           {kDevLightEnable, Entry(&HookLightEnable)},
           {kDevSetRenderState, Entry(&HookSetRenderState)},
           {kDevDrawPrimitive, Entry(&HookDrawPrimitive)},
           {kDevSetVertexShader, Entry(&HookSetVertexShader)},
           {kDevSetStreamSource, Entry(&HookSetStreamSource)}});
}

void D3DRecorder::WatchBuffer(IDirect3DVertexBuffer8* buffer) {
    Watch(buffer, "buffer", kBufferMethods, {{kRelease, Entry(&HookRelease)}});
}

void D3DRecorder::Unwatch() {
    for (auto it = Patches().begin(); it != Patches().end();) {
        if (it->second->recorder == this) {
            *static_cast<void***>(const_cast<void*>(it->first)) = it->second->original;
            it = Patches().erase(it);
        } else {
            ++it;
        }
    }
}

// --- The import hook ---

ImportHook::ImportHook(const wchar_t* module, const char* function, void* replacement) {
    HMODULE target = GetModuleHandleW(module);
    m_original = target ? reinterpret_cast<void*>(GetProcAddress(target, function)) : nullptr;
    if (!m_original) return;
    BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!imports.VirtualAddress) return;
    for (auto* desc = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         desc->Name; ++desc) {
        for (auto** slot = reinterpret_cast<void**>(base + desc->FirstThunk); *slot; ++slot) {
            if (*slot != m_original) continue;
            DWORD old = 0;
            VirtualProtect(slot, sizeof(*slot), PAGE_READWRITE, &old);
            *slot = replacement;
            VirtualProtect(slot, sizeof(*slot), old, &old);
            m_slots.push_back(slot);
        }
    }
}

ImportHook::~ImportHook() {
    for (void** slot : m_slots) {
        DWORD old = 0;
        VirtualProtect(slot, sizeof(*slot), PAGE_READWRITE, &old);
        *slot = m_original;
        VirtualProtect(slot, sizeof(*slot), old, &old);
    }
}

}  // namespace render_test
