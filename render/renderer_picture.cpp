// Pictures of the scene at any size, for a container's device context, a
// printer, a metafile or the clipboard: the scene the window would show,
// drawn off-screen and read back.
#include "render/renderer.h"

#include "common/module.h"
#include "render/device_setup.h"
#include "render/colour_map.h"
#include "render/mesh.h"

namespace zorvel {
namespace {

// Larger pictures than this are asked for only by mistake (a metafile's
// logical units taken for pixels), and would cost hundreds of megabytes.
constexpr UINT kMaxPictureSide = 4096;

}  // namespace

HRESULT Renderer::RenderPicture(UINT width, UINT height, std::vector<uint32_t>& pixels) {
    pixels.clear();
    if (width == 0 || height == 0 || width > kMaxPictureSide || height > kMaxPictureSide)
        return E_INVALIDARG;
    if (m_pDevice && m_bDeviceReady) return PictureOnOwnDevice(width, height, pixels);
    return PictureOnNewDevice(width, height, pixels);
}

// The strip already in the device, drawn into a target of the picture's
// size; the window's target comes back before anything is read.
HRESULT Renderer::PictureOnOwnDevice(UINT width, UINT height, std::vector<uint32_t>& pixels) {
    if (m_bDeviceLost) return D3DERR_DEVICELOST;
    IDirect3DDevice8* device = m_pDevice.get();
    ComPtr<IDirect3DSurface8> windowTarget, windowDepth, target, depth;
    RETURN_IF_FAILED(device->GetRenderTarget(windowTarget.put()));
    RETURN_IF_FAILED(device->GetDepthStencilSurface(windowDepth.put()));
    D3DSURFACE_DESC desc = {};
    RETURN_IF_FAILED(windowTarget->GetDesc(&desc));
    RETURN_IF_FAILED(device->CreateRenderTarget(width, height, desc.Format, D3DMULTISAMPLE_NONE, FALSE,
                                                target.put()));
    RETURN_IF_FAILED(
        device->CreateDepthStencilSurface(width, height, D3DFMT_D16, D3DMULTISAMPLE_NONE, depth.put()));
    RETURN_IF_FAILED(device->SetRenderTarget(target.get(), depth.get()));
    HRESULT hr = DrawFrame(device, m_pVertexBuffer.get(), m_nVertexCount, m_bColouredStrip != FALSE,
                           m_labels);
    const HRESULT restored = device->SetRenderTarget(windowTarget.get(), windowDepth.get());
    if (SUCCEEDED(hr)) hr = restored;
    NoteDeviceLoss(hr);
    RETURN_IF_FAILED(hr);
    UINT readWidth = 0, readHeight = 0;
    return ReadSurface(device, target.get(), pixels, readWidth, readHeight);
}

// A control without a device (never shown, or drawn before activation): a
// device of the picture's own on a window nobody sees, with the strip the
// first draw would build.
HRESULT Renderer::PictureOnNewDevice(UINT width, UINT height, std::vector<uint32_t>& pixels) {
    if (!m_pD3D) return E_FAIL;
    UniqueWindow window(CreateWindowExW(0, L"STATIC", nullptr, WS_POPUP, 0, 0, static_cast<int>(width),
                                        static_cast<int>(height), nullptr, nullptr, ModuleInstance(), nullptr));
    if (!window) return LastErrorResult();
    D3DDISPLAYMODE mode = {};
    RETURN_IF_FAILED(m_pD3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode));
    D3DPRESENT_PARAMETERS pp = WindowedParameters(mode.Format, width, height);
    ComPtr<IDirect3DDevice8> device;
    {
        KeepFloatPrecision precision;
        RETURN_IF_FAILED(m_pD3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window.get(),
                                              D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, device.put()));
    }

    const GridView grid = StripGrid(m_bResetGridOnRebuild ? m_scene.FirstDrawGrid() : m_scene.SceneGrid());
    const uint32_t count = StripVertexCount(grid);
    const bool coloured = m_colorMap != kNoColourMap;
    ComPtr<IDirect3DVertexBuffer8> buffer;
    if (count != 0) {
        RETURN_IF_FAILED(CreateStripBuffer(device.get(), count, coloured, D3DPOOL_MANAGED, buffer.put()));
        RETURN_IF_FAILED(FillStrip(buffer.get(), grid, count));
    }
    SetupMaterial();
    SetupLight();
    RETURN_IF_FAILED(device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE));
    FrameLabels labels;
    RETURN_IF_FAILED(DrawFrame(device.get(), buffer.get(), count, coloured, labels));
    ComPtr<IDirect3DSurface8> backBuffer;
    RETURN_IF_FAILED(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, backBuffer.put()));
    UINT readWidth = 0, readHeight = 0;
    return ReadSurface(device.get(), backBuffer.get(), pixels, readWidth, readHeight);
}

}  // namespace zorvel
