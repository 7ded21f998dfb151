// CSurface: the control object.  It owns the grid, the camera, the Direct3D
// objects and its script state, and answers ISurface.  The member functions
// are spread over the subsystems that own them: control/ (object and
// ISurface), render/ (device, mesh, camera, window), script/ (Lua) and
// server/ (embedding).
#pragma once

#include <windows.h>
#include <d3d8.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "control/surface_grid.h"
#include "render/d3dx_math.h"
#include "server/embed_surface.h"
#include "server/owners.h"
#include "zorvel_h.h"

struct lua_State;

// The OLE control interfaces come from CSurfaceEmbedding (server/).
class CSurface final : public ISurface, public ISupportErrorInfo, public CSurfaceEmbedding {
public:
    // Creates a control, plain (outer null) or as the inner object of an
    // aggregate (riid must then be IID_IUnknown).
    static HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv);

    // IUnknown: delegates to the controlling unknown.
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override;
    STDMETHODIMP GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                               DISPID* rgDispId) override;
    STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                        DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                        UINT* puArgErr) override;

    // ISurface
    STDMETHODIMP SetPointPerXY(LONG lpx, LONG lpy) override;
    STDMETHODIMP SetPointsPerXY(LONG lpx, LONG lpy) override;
    STDMETHODIMP GetPointsPerXY(LONG* ppX, LONG* ppY) override;
    STDMETHODIMP SetXRange(float min_x, float max_x) override;
    STDMETHODIMP SetYRange(float min_y, float max_y) override;
    STDMETHODIMP SetData(LONG posx, LONG posy, float x, float y, float z) override;
    STDMETHODIMP GetXRange(float* pflminX, float* pflmaxX) override;
    STDMETHODIMP GetYRange(float* pflminY, float* pflmaxY) override;
    STDMETHODIMP Refresh() override;
    STDMETHODIMP get_XYRotate(LONG* pVal) override;
    STDMETHODIMP put_XYRotate(LONG newVal) override;
    STDMETHODIMP get_ZRotate(LONG* pVal) override;
    STDMETHODIMP put_ZRotate(LONG newVal) override;
    STDMETHODIMP get_Radius(float* pVal) override;
    STDMETHODIMP put_Radius(float newVal) override;
    STDMETHODIMP RunScriptFromFile(BSTR filename, BSTR* Result) override;
    STDMETHODIMP RunScript(BSTR script, BSTR* Result) override;

    // ISupportErrorInfo
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override;

    // --- Renderer (render/) ---
    HRESULT OnDraw();
    HRESULT InitDevice(HWND hWnd);
    HRESULT RenderScene(BOOL bRebuild);
    HRESULT PresentFrame();
    // A device that reported itself lost is reset and refilled before the
    // next frame; until it can be reset, frames are skipped.
    HRESULT RestoreLostDevice();
    HRESULT RenderAndPresent();
    HRESULT RebuildMesh();
    HRESULT BuildVertices();
    HRESULT EnsureVertexBuffer(UINT nVertexCount);
    HRESULT SetupMaterial();
    HRESULT SetupLight();
    HRESULT UpdateCamera(BOOL bRedraw);
    HRESULT SetEye(float x, float y, float z, BOOL bRedraw);
    LRESULT OnTimer(UINT_PTR nTimerId);
    LRESULT OnMouseMove(LPARAM lParam);
    // The control's message table; false when the message is not handled.
    bool ProcessWindowMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // The control's own child window (also used by in-place activation).
    HRESULT CreateControlWindow(HWND hParent, const RECT& rcPos);
    void DestroyControlWindow();
    // Drops device, vertex buffer and timer made for a window the embedding
    // layer has taken away; the next paint of a new window starts over.
    void ReleaseDeviceObjects();
    HWND ControlWindow() const { return m_hWnd; }
    // For the library's unload: a class left registered would keep a window
    // procedure that no longer exists.
    static void UnregisterControlWindowClass();

    // Copies the last drawn frame (the back buffer) as 0x00RRGGBB pixels, row
    // after row, for tests and tools; not part of any interface.
    HRESULT ReadBackFrame(std::vector<uint32_t>& pixels, UINT& width, UINT& height);
    BOOL Dragging() const { return m_bDragging; }
    // Lets the renderer's tests reach the Direct3D objects and fake a missing one.
    friend struct RendererTestAccess;

    // Read-only views for tests and tools built on the same library.
    const CSurfaceGrid* Grid() const { return m_pGrid.get(); }
    const D3DXVECTOR3& Eye() const { return m_vEye; }
    float Azimuth() const { return m_fAzimuth; }
    float Elevation() const { return m_fElevation; }
    IDirect3DDevice8* Device() const { return m_pDevice.get(); }
    bool HasDirect3D() const { return static_cast<bool>(m_pD3D); }
    UINT VertexCount() const { return m_nVertexCount; }
    UINT_PTR TimerId() const { return m_nTimerId; }
    BOOL DeviceReady() const { return m_bDeviceReady; }
    BOOL DeviceLost() const { return m_bDeviceLost; }
    lua_State* ScriptState() const { return m_pLuaState; }

private:
    explicit CSurface(IUnknown* outer);
    ~CSurface();
    CSurface(const CSurface&) = delete;
    CSurface& operator=(const CSurface&) = delete;

    HRESULT FinalConstruct();
    void FinalRelease();

    HRESULT DrawScene(BOOL bRebuild);
    void NoteDeviceLoss(HRESULT hr) {
        if (hr == D3DERR_DEVICELOST || hr == D3DERR_DEVICENOTRESET) m_bDeviceLost = TRUE;
    }

    // Script state of this control (script/): made current by FinalConstruct,
    // closed or handed on by FinalRelease.
    HRESULT AttachScriptState();
    void DetachScriptState();

    // The non-delegating unknown: identity and lifetime of the object.
    class InnerUnknown final : public IUnknown {
    public:
        explicit InnerUnknown(CSurface* owner) : m_pOwner(owner) {}
        STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;
        CSurface* const m_pOwner;
        LONG m_cRef = 0;
    };

    InnerUnknown m_inner;
    IUnknown* m_pOuterUnknown;  // &m_inner, or the aggregate's controlling unknown

    // Renderer state.
    zorvel::ComPtr<IDirect3DDevice8> m_pDevice;
    zorvel::ComPtr<IDirect3DVertexBuffer8> m_pVertexBuffer;
    D3DXVECTOR3 m_vEye;
    D3DXVECTOR3 m_vLookAt = {0.0f, 0.0f, 0.0f};
    D3DMATERIAL8 m_material = {};
    D3DLIGHT8 m_light = {};
    D3DCOLOR m_clearColor = 0;
    zorvel::ComPtr<IDirect3D8> m_pD3D;

    // The control's copy of the ranges, read by GetXRange and GetYRange.
    float m_xMin = -10.0f;
    float m_xMax = 10.0f;
    float m_yMin = -10.0f;
    float m_yMax = 10.0f;

    HWND m_hDeviceWindow = nullptr;
    UINT m_nVertexCount = 0;
    LONG m_nPointCount = 30000;
    BOOL m_bDeviceReady = FALSE;
    BOOL m_bDeviceLost = FALSE;
    float m_fAzimuth = 0.0f;
    float m_fElevation = 45.0f;
    float m_fRadius = 50.0f;
    float m_fRotateStep = 2.0f;
    UINT_PTR m_nTimerId = 0;
    BOOL m_bDragging = FALSE;
    BOOL m_bXYRotate = FALSE;
    BOOL m_bZRotate = FALSE;
    std::unique_ptr<CSurfaceGrid> m_pGrid;
    BOOL m_bResetGridOnRebuild = TRUE;
    zorvel::UniqueFile m_hTempFile;
    std::string m_strTempFileName;

    // The control's own window, while it exists.
    HWND m_hWnd = nullptr;

    // This control's script state (script/ decides how it is shared).
    lua_State* m_pLuaState = nullptr;

    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
};
