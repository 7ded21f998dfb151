// IDataObject: the control as a metafile picture of its extent, and data
// advise connections.  Nothing else is offered.
#include "embed/embedding.h"

namespace {

constexpr LONG kHimetricPerInch = 2540;

struct ScreenDcTraits {
    using type = HDC;
    static HDC invalid() { return nullptr; }
    static void close(HDC h) { ReleaseDC(nullptr, h); }
};
// A metafile still being recorded: closing it yields the metafile, which goes too.
struct RecordingTraits {
    using type = HDC;
    static HDC invalid() { return nullptr; }
    static void close(HDC h) { DeleteMetaFile(CloseMetaFile(h)); }
};
struct MetafileTraits {
    using type = HMETAFILE;
    static HMETAFILE invalid() { return nullptr; }
    static void close(HMETAFILE h) { DeleteMetaFile(h); }
};
struct GlobalTraits {
    using type = HGLOBAL;
    static HGLOBAL invalid() { return nullptr; }
    static void close(HGLOBAL h) { GlobalFree(h); }
};

SIZE HimetricToPixels(const SIZEL& himetric) {
    zorvel::UniqueHandleT<ScreenDcTraits> screen(GetDC(nullptr));
    const int dpiX = screen ? GetDeviceCaps(screen.get(), LOGPIXELSX) : 96;
    const int dpiY = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
    return SIZE{MulDiv(himetric.cx, dpiX, kHimetricPerInch), MulDiv(himetric.cy, dpiY, kHimetricPerInch)};
}

}  // namespace

STDMETHODIMP CSurfaceEmbedding::GetData(FORMATETC* pformatetcIn, STGMEDIUM* pmedium) {
    if (!pmedium || !pformatetcIn) return E_POINTER;
    *pmedium = STGMEDIUM{};
    if (!(pformatetcIn->tymed & TYMED_MFPICT)) return DATA_E_FORMATETC;

    const SIZEL extent = m_embed.extent;
    const SIZE pixels = HimetricToPixels(extent);
    zorvel::UniqueHandleT<RecordingTraits> recording(CreateMetaFileW(nullptr));
    if (!recording) return E_UNEXPECTED;
    SetWindowOrgEx(recording.get(), 0, 0, nullptr);
    SetWindowExtEx(recording.get(), pixels.cx, pixels.cy, nullptr);
    // Direct3D draws into the window, not into the metafile: the picture
    // records the frame of the extent only.
    m_renderer.Paint();
    zorvel::UniqueHandleT<MetafileTraits> picture(CloseMetaFile(recording.release()));
    if (!picture) return E_UNEXPECTED;

    zorvel::UniqueHandleT<GlobalTraits> block(GlobalAlloc(GMEM_SHARE | GMEM_MOVEABLE, sizeof(METAFILEPICT)));
    if (!block) return STG_E_MEDIUMFULL;
    auto* pict = static_cast<METAFILEPICT*>(GlobalLock(block.get()));
    if (!pict) return STG_E_MEDIUMFULL;
    pict->mm = MM_ANISOTROPIC;
    pict->xExt = extent.cx;
    pict->yExt = extent.cy;
    pict->hMF = picture.release();  // the picture block owns it from here
    GlobalUnlock(block.get());

    pmedium->tymed = TYMED_MFPICT;
    pmedium->hMetaFilePict = block.release();
    pmedium->pUnkForRelease = nullptr;
    return S_OK;
}

STDMETHODIMP CSurfaceEmbedding::GetDataHere(FORMATETC*, STGMEDIUM*) {
    return E_NOTIMPL;
}

STDMETHODIMP CSurfaceEmbedding::QueryGetData(FORMATETC*) {
    return E_NOTIMPL;
}

STDMETHODIMP CSurfaceEmbedding::GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) {
    return E_NOTIMPL;
}

STDMETHODIMP CSurfaceEmbedding::SetData(FORMATETC*, STGMEDIUM*, BOOL) {
    return E_NOTIMPL;
}

STDMETHODIMP CSurfaceEmbedding::EnumFormatEtc(DWORD, IEnumFORMATETC**) {
    return E_NOTIMPL;
}

STDMETHODIMP CSurfaceEmbedding::DAdvise(FORMATETC* pformatetc, DWORD advf, IAdviseSink* pAdvSink,
                                        DWORD* pdwConnection) {
    if (!m_embed.dataAdviseHolder)
        RETURN_IF_FAILED(CreateDataAdviseHolder(m_embed.dataAdviseHolder.put()));
    IDataObject* data = this;
    return m_embed.dataAdviseHolder->Advise(data, pformatetc, advf, pAdvSink, pdwConnection);
}

STDMETHODIMP CSurfaceEmbedding::DUnadvise(DWORD dwConnection) {
    if (!m_embed.dataAdviseHolder) return OLE_E_NOCONNECTION;
    return m_embed.dataAdviseHolder->Unadvise(dwConnection);
}

STDMETHODIMP CSurfaceEmbedding::EnumDAdvise(IEnumSTATDATA** ppenumAdvise) {
    if (!ppenumAdvise) return E_POINTER;
    *ppenumAdvise = nullptr;
    if (!m_embed.dataAdviseHolder) return E_FAIL;
    return m_embed.dataAdviseHolder->EnumAdvise(ppenumAdvise);
}
