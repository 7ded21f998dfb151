// The control's picture: its child window, the Direct3D device on it, the
// strip of the grid in a vertex buffer, the camera, and the frames.
//
// Everything made for a device is made and dropped as one pair,
// CreateDeviceObjects and InvalidateDeviceObjects: the first paint, a lost
// device that cannot be reset, a window taken away and the control's end all
// go through them.  The renderer reads the grid through its owner's SceneSource
// and knows nothing of COM or of the control around it.
#pragma once

#include <windows.h>
#include <d3d8.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/owners.h"
#include "render/axes_layout.h"
#include "render/d3dx_math.h"
#include "render/grid_view.h"
#include "render/text_texture.h"

namespace zorvel {

// What the renderer draws, supplied by its owner.
class SceneSource {
public:
    virtual GridView SceneGrid() const = 0;
    // The first draw starts from an empty grid of the owner's size, unless
    // the owner asked for its data to be kept (Renderer::Rebuild).
    virtual void ResetGrid() = 0;
    // What ResetGrid would leave, without touching the owner's grid: a
    // picture taken before the first draw shows the first draw's grid.
    virtual GridView FirstDrawGrid() = 0;

protected:
    ~SceneSource() = default;
};

// Sees each message of the renderer's window before the renderer does; true
// when it has answered the message.
class WindowMessageFilter {
public:
    virtual bool FilterMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam,
                               LRESULT& result) = 0;

protected:
    ~WindowMessageFilter() = default;
};

// The texts of one device's frames, made on that device and made again only
// when their text changes.
struct FrameLabels {
    TextTexture legend[2];
    TextTexture numbers[kAxisCount][kMaxTicks];
    TextTexture titles[kAxisCount];
};

class Renderer {
public:
    explicit Renderer(SceneSource& scene);
    ~Renderer();
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // Drops the device objects, the window and the Direct3D entry object.
    void Shutdown();

    // The first paint of the window makes the device, draws the first frame
    // and starts the rotation timer; later paints show the last frame again.
    HRESULT Paint();
    // Rebuilds the strip from the grid as it stands and shows it; the grid's
    // data is kept even when no device exists yet.
    HRESULT Rebuild();
    // Draws a frame into the back buffer (rebuilding the strip first when
    // asked), and shows it.
    HRESULT RenderScene(BOOL bRebuild);
    HRESULT PresentFrame();
    HRESULT RenderAndPresent();
    // One tick of the rotation timer.
    LRESULT OnTimer();
    // Fills the strip from the grid as it stands; RebuildMesh does the same
    // as a draw with rebuild does it (the first one resets the grid).
    HRESULT BuildVertices();
    HRESULT RebuildMesh();

    // The device-object pair.  Create drops whatever an earlier device left.
    HRESULT CreateDeviceObjects(HWND hWnd);
    void InvalidateDeviceObjects();

    // The camera: radius, the rotation switches, and the eye they give.
    float Radius() const { return m_fRadius; }
    HRESULT SetRadius(float radius);
    BOOL XYRotate() const { return m_bXYRotate; }
    BOOL ZRotate() const { return m_bZRotate; }
    void SetXYRotate(BOOL on) { m_bXYRotate = on; }
    void SetZRotate(BOOL on) { m_bZRotate = on; }

    // The look of the surface beyond the default: coloured by height (a
    // ColourMapKind), a colour bar beside it, heights scaled into the view.
    // Each change is drawn at once when the window has a device.
    LONG ColorMap() const { return m_colorMap; }
    HRESULT SetColorMap(LONG map);
    BOOL ShowLegend() const { return m_bShowLegend; }
    HRESULT SetShowLegend(BOOL show);
    BOOL FitHeights() const { return m_bFitHeights; }
    HRESULT SetFitHeights(BOOL fit);
    // The legend's texts: the lowest and the highest height of the strip.
    std::wstring LegendLow() const { return HeightText(m_dataLow[2]); }
    std::wstring LegendHigh() const { return HeightText(m_dataHigh[2]); }

    // The box around the surface with ticks and their numbers (x, y and the
    // real heights, fitted or not), and a title per axis (0 x, 1 y, 2 height;
    // empty: none).  Each change is drawn at once when the window has a device.
    BOOL ShowAxes() const { return m_bShowAxes; }
    HRESULT SetShowAxes(BOOL show);
    const std::wstring& AxisTitle(int axis) const { return m_axisTitles[axis]; }  // axis 0, 1 or 2
    // E_INVALIDARG for an axis other than 0, 1 or 2.
    HRESULT SetAxisTitle(LONG axis, const wchar_t* text);
    // The numbers of an axis's ticks for the strip as last built.
    std::vector<std::wstring> AxisNumbers(int axis) const;
    // Where the axes of the current camera go in a picture of width x height;
    // false when the strip's extent is not finite.
    bool LayOutAxesFor(UINT width, UINT height, AxesLayout* layout) const;

    // The mouse turning the camera: a left-button drag turns it (the
    // automatic rotation waits meanwhile), the wheel moves it nearer or
    // farther, a double click brings back the view from before the mouse
    // moved it.  Off, the mouse is consumed without moving the camera.
    BOOL MouseNavigate() const { return m_bMouseNavigate; }
    void SetMouseNavigate(BOOL on);

    // The control's own child window.
    HRESULT CreateControlWindow(HWND hParent, const RECT& rcPos);
    void DestroyControlWindow();
    HWND ControlWindow() const { return m_hWnd; }
    void SetMessageFilter(WindowMessageFilter* filter) { m_filter = filter; }
    // Timer, mouse and keyboard; false when the message is not the renderer's.
    bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // For the library's unload: a class left registered would keep a window
    // procedure that no longer exists.
    static void UnregisterControlWindowClass();
    static WNDPROC WindowProcedure() { return &WindowProc; }

    // Uses this entry object (null: none) for the next device.
    void UseDirect3D(IDirect3D8* d3d);

    // Copies the last drawn frame (the back buffer) as 0x00RRGGBB pixels, row
    // after row.
    HRESULT ReadBackFrame(std::vector<uint32_t>& pixels, UINT& width, UINT& height);
    // The scene the window would show, drawn off-screen at width x height
    // pixels and read back as ReadBackFrame does: on the control's device
    // when it has one, else on a device of the picture's own on a hidden
    // window, released again.  The window, its frame and the timer are left
    // as they are.
    HRESULT RenderPicture(UINT width, UINT height, std::vector<uint32_t>& pixels);

    // State, read-only.
    IDirect3D8* Direct3D() const { return m_pD3D.get(); }
    IDirect3DDevice8* Device() const { return m_pDevice.get(); }
    IDirect3DVertexBuffer8* VertexBuffer() const { return m_pVertexBuffer.get(); }
    UINT VertexCount() const { return m_nVertexCount; }
    const D3DXVECTOR3& Eye() const { return m_vEye; }
    float Azimuth() const { return m_fAzimuth; }
    float Elevation() const { return m_fElevation; }
    UINT_PTR TimerId() const { return m_nTimerId; }
    BOOL DeviceReady() const { return m_bDeviceReady; }
    BOOL DeviceLost() const { return m_bDeviceLost; }
    BOOL Dragging() const { return m_bDragging; }

private:
    HRESULT DrawScene(BOOL bRebuild);
    // Clear, transforms and the lit strip, on the control's device or a
    // picture's, and the axes and the legend when they are shown (their
    // labels made on that device and kept in labels).
    HRESULT DrawFrame(IDirect3DDevice8* device, IDirect3DVertexBuffer8* buffer, UINT vertexCount,
                      bool coloured, FrameLabels& labels) const;
    HRESULT DrawLegend(IDirect3DDevice8* device, TextTexture* labels) const;
    HRESULT DrawAxes(IDirect3DDevice8* device, FrameLabels& labels) const;
    void AxisSpans(AxisSpan (&spans)[kAxisCount]) const;
    static std::wstring HeightText(float height);
    // The strip's grid, its heights scaled when they are to fit the view; and
    // the strip written into buffer in the current vertex format.
    GridView StripGrid(GridView grid);
    HRESULT FillStrip(IDirect3DVertexBuffer8* buffer, const GridView& grid, uint32_t count);
    HRESULT Restyle();
    // The frame drawn again as it stands, when there is one to draw.
    HRESULT Redraw();
    HRESULT PictureOnOwnDevice(UINT width, UINT height, std::vector<uint32_t>& pixels);
    HRESULT PictureOnNewDevice(UINT width, UINT height, std::vector<uint32_t>& pixels);
    // A device that reported itself lost is reset and refilled before the
    // next frame; until it can be reset, frames are skipped.
    HRESULT RestoreLostDevice();
    void NoteDeviceLoss(HRESULT hr) {
        if (hr == D3DERR_DEVICELOST || hr == D3DERR_DEVICENOTRESET) m_bDeviceLost = TRUE;
    }
    void ReleaseStrip();

    HRESULT EnsureVertexBuffer(UINT nVertexCount);
    void SetupMaterial();
    void SetupLight();

    HRESULT UpdateCamera(BOOL bRedraw);
    LRESULT OnMouseMove(LPARAM lParam);
    // The navigating mouse's messages.
    LRESULT OnNavigationDown(LPARAM lParam);
    LRESULT OnNavigationMove(LPARAM lParam);
    LRESULT OnWheel(WPARAM wParam);
    LRESULT OnDoubleClick();
    void EndNavigationDrag();
    void RememberView();

    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

    SceneSource& m_scene;
    WindowMessageFilter* m_filter = nullptr;

    ComPtr<IDirect3D8> m_pD3D;
    ComPtr<IDirect3DDevice8> m_pDevice;
    ComPtr<IDirect3DVertexBuffer8> m_pVertexBuffer;
    UINT m_nVertexCount = 0;
    BOOL m_bDeviceReady = FALSE;
    BOOL m_bDeviceLost = FALSE;
    // Cleared by Rebuild, set again by every rebuild; a device that has drawn
    // the grid clears it when it goes, so the next device keeps the data.
    BOOL m_bResetGridOnRebuild = TRUE;
    D3DMATERIAL8 m_material = {};
    D3DLIGHT8 m_light = {};
    D3DMATERIAL8 m_mapMaterial = {};
    D3DLIGHT8 m_mapLight = {};
    int32_t m_colorMap = 0;
    BOOL m_bColouredStrip = FALSE;  // the buffer's format
    BOOL m_bShowLegend = FALSE;
    BOOL m_bFitHeights = FALSE;
    // Fitted heights span this many units, half the x-y extent of 20.
    static constexpr double kFittedSpan = 10.0;
    std::vector<float> m_fittedHeights;
    BOOL m_bFittedStrip = FALSE;  // the last strip built has fitted heights
    // The strip's x, y and height ranges as the data has them, fitted or not,
    // for the legend and the axes.
    float m_dataLow[kAxisCount] = {};
    float m_dataHigh[kAxisCount] = {};
    BOOL m_bShowAxes = FALSE;
    std::wstring m_axisTitles[kAxisCount];
    // The labels on the control's device.
    mutable FrameLabels m_labels;
    D3DCOLOR m_clearColor = 0;

    D3DXVECTOR3 m_vEye;
    D3DXVECTOR3 m_vLookAt = {0.0f, 0.0f, 0.0f};
    float m_fAzimuth;
    float m_fElevation;
    float m_fRadius;
    float m_fRotateStep;
    BOOL m_bXYRotate = FALSE;
    BOOL m_bZRotate = FALSE;
    BOOL m_bDragging = FALSE;
    BOOL m_bMouseNavigate = FALSE;
    POINT m_dragFrom = {};
    // The camera from before the mouse moved it, until a double click goes back.
    struct View {
        float azimuth, elevation, radius;
    };
    View m_viewBefore = {};
    BOOL m_bViewRemembered = FALSE;

    HWND m_hWnd = nullptr;
    UINT_PTR m_nTimerId = 0;
};

}  // namespace zorvel
