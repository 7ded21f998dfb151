// In-place activation, always in the control's own child window, and the
// in-place object interfaces (IOleInPlaceObject, IOleInPlaceObjectWindowless,
// IOleWindow) that take it back down.
#include "embed/embedding.h"

namespace {

// The frame and the document window the site puts us in, and where.
struct WindowContext {
    zorvel::ComPtr<IOleInPlaceFrame> frame;
    zorvel::ComPtr<IOleInPlaceUIWindow> document;
    RECT posRect = {};
    RECT clipRect = {};
};

HRESULT GetWindowContext(IOleInPlaceSite* site, WindowContext& context) {
    OLEINPLACEFRAMEINFO frameInfo = {};
    frameInfo.cb = sizeof(frameInfo);
    return site->GetWindowContext(context.frame.put(), context.document.put(), &context.posRect,
                                  &context.clipRect, &frameInfo);
}

}  // namespace

HRESULT CSurfaceEmbedding::NegotiateInPlaceSite() {
    if (m_embed.negotiatedWindow && m_embed.inPlaceSite) return S_OK;
    // Window-only: the windowless form of the site is never asked for.
    zorvel::ComPtr<IOleInPlaceSiteEx> siteEx;
    if (SUCCEEDED(m_embed.clientSite.query_to(siteEx)) && siteEx) {
        m_embed.inPlaceSite = zorvel::ComPtr<IOleInPlaceSite>(siteEx.get());
        m_embed.inPlaceSiteEx = true;
    } else {
        m_embed.inPlaceSiteEx = false;
        RETURN_IF_FAILED(m_embed.clientSite.query_to(m_embed.inPlaceSite));
        if (!m_embed.inPlaceSite) return E_NOINTERFACE;
    }
    m_embed.negotiatedWindow = true;
    return S_OK;
}

HRESULT CSurfaceEmbedding::InPlaceActivate(LONG iVerb) {
    // Nowhere to go without a site: that is no success.
    if (!m_embed.clientSite) return E_UNEXPECTED;
    RETURN_IF_FAILED(NegotiateInPlaceSite());
    // Our own references: the container may close us from inside a callback.
    zorvel::ComPtr<IUnknown> keepAlive = Identity();
    zorvel::ComPtr<IOleInPlaceSite> site = m_embed.inPlaceSite;

    if (!m_embed.inPlaceActive) {
        const HRESULT canActivate = site->CanInPlaceActivate();
        if (canActivate != S_OK) return FAILED(canActivate) ? canActivate : E_FAIL;
        HRESULT hr;
        if (m_embed.inPlaceSiteEx) {
            BOOL noRedraw = FALSE;
            hr = static_cast<IOleInPlaceSiteEx*>(site.get())->OnInPlaceActivateEx(&noRedraw, 0);
        } else {
            hr = site->OnInPlaceActivate();
        }
        RETURN_IF_FAILED(hr);
        m_embed.inPlaceActive = true;
    }

    // From here on a failure takes the activation back, window and all.
    HWND parent = nullptr;
    WindowContext context;
    HRESULT hr = site->GetWindow(&parent);
    if (SUCCEEDED(hr)) hr = GetWindowContext(site.get(), context);
    if (SUCCEEDED(hr)) {
        HWND hWnd = m_renderer.ControlWindow();
        if (hWnd) {
            ShowWindow(hWnd, SW_SHOW);
        } else {
            // What a previous window carried (device, timer) was bound to it.
            m_renderer.InvalidateDeviceObjects();
            hr = m_renderer.CreateControlWindow(parent, context.posRect);
        }
    }
    if (SUCCEEDED(hr)) hr = SetObjectRects(&context.posRect, &context.clipRect);
    if (FAILED(hr)) {
        InPlaceDeactivate();
        return hr;
    }

    if (iVerb == OLEIVERB_UIACTIVATE && !m_embed.uiActive) {
        m_embed.uiActive = true;
        hr = site->OnUIActivate();
        if (FAILED(hr)) {
            m_embed.uiActive = false;
            return hr;
        }
        IOleInPlaceActiveObject* active = this;
        if (context.frame) {
            context.frame->SetActiveObject(active, nullptr);
            context.frame->SetBorderSpace(nullptr);
        }
        if (context.document) {
            context.document->SetActiveObject(active, nullptr);
            context.document->SetBorderSpace(nullptr);
        }
        HWND hWnd = m_renderer.ControlWindow();
        if (hWnd && !IsChild(hWnd, GetFocus())) SetFocus(hWnd);
    }
    if (m_embed.clientSite) m_embed.clientSite->ShowObject();
    return S_OK;
}

void CSurfaceEmbedding::DestroyWindowAndDevice() {
    // The device and timer live on the window; a later window gets its own.
    m_renderer.InvalidateDeviceObjects();
    m_renderer.DestroyControlWindow();
}

STDMETHODIMP CSurfaceEmbedding::InPlaceDeactivate() {
    if (!m_embed.inPlaceActive) return S_OK;
    zorvel::ComPtr<IUnknown> keepAlive = Identity();
    if (m_embed.uiActive) UIDeactivate();
    m_embed.inPlaceActive = false;
    DestroyWindowAndDevice();
    if (zorvel::ComPtr<IOleInPlaceSite> site = m_embed.inPlaceSite) {
        if (m_embed.inPlaceSiteEx)
            static_cast<IOleInPlaceSiteEx*>(site.get())->OnInPlaceDeactivateEx(TRUE);
        else
            site->OnInPlaceDeactivate();
    }
    return S_OK;
}

STDMETHODIMP CSurfaceEmbedding::UIDeactivate() {
    if (!m_embed.uiActive) return S_OK;
    m_embed.uiActive = false;
    zorvel::ComPtr<IOleInPlaceSite> site = m_embed.inPlaceSite;
    if (!site) return S_OK;
    HWND parent = nullptr;
    WindowContext context;
    if (site->GetWindow(&parent) == S_OK && SUCCEEDED(GetWindowContext(site.get(), context))) {
        if (context.document) context.document->SetActiveObject(nullptr, nullptr);
        if (context.frame) context.frame->SetActiveObject(nullptr, nullptr);
    }
    // The focus is left alone: whoever takes it is usually why we are here.
    site->OnUIDeactivate(FALSE);
    return S_OK;
}

STDMETHODIMP CSurfaceEmbedding::SetObjectRects(LPCRECT lprcPosRect, LPCRECT lprcClipRect) {
    if (!lprcPosRect || !lprcClipRect) return E_POINTER;
    m_embed.posRect = *lprcPosRect;
    HWND hWnd = m_renderer.ControlWindow();
    if (!hWnd) return S_OK;

    // Clip only when the clip rectangle cuts into the window.
    RECT visible;
    HRGN region = nullptr;
    if (IntersectRect(&visible, lprcPosRect, lprcClipRect) && !EqualRect(&visible, lprcPosRect)) {
        OffsetRect(&visible, -lprcPosRect->left, -lprcPosRect->top);
        region = CreateRectRgnIndirect(&visible);
    }
    // The window owns the region once it has taken it.
    if (!SetWindowRgn(hWnd, region, TRUE) && region) DeleteObject(region);
    SetWindowPos(hWnd, nullptr, lprcPosRect->left, lprcPosRect->top,
                 lprcPosRect->right - lprcPosRect->left, lprcPosRect->bottom - lprcPosRect->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    return S_OK;
}

STDMETHODIMP CSurfaceEmbedding::ReactivateAndUndo() {
    return E_NOTIMPL;
}

STDMETHODIMP CSurfaceEmbedding::OnWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam,
                                                LRESULT* plResult) {
    if (!plResult) return E_POINTER;
    *plResult = 0;
    HWND hWnd = m_renderer.ControlWindow();
    if (FilterMessage(hWnd, msg, wParam, lParam, *plResult)) return S_OK;
    return m_renderer.HandleMessage(msg, wParam, lParam, *plResult) ? S_OK : S_FALSE;
}

STDMETHODIMP CSurfaceEmbedding::GetDropTarget(IDropTarget**) {
    return E_NOTIMPL;
}

STDMETHODIMP CSurfaceEmbedding::GetWindow(HWND* phwnd) {
    if (!phwnd) return E_POINTER;
    if (m_embed.wasOnceWindowless) return E_FAIL;
    *phwnd = m_renderer.ControlWindow();
    return *phwnd ? S_OK : E_UNEXPECTED;
}

STDMETHODIMP CSurfaceEmbedding::ContextSensitiveHelp(BOOL) {
    return E_NOTIMPL;
}
