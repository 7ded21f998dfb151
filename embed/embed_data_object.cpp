// IDataObject: the control's picture at its extent, as a metafile picture,
// an enhanced metafile or a device-independent bitmap, and data advise
// connections.  Nothing else is offered.
#include "embed/embedding.h"

#include <shlobj.h>

#include <cstring>

#include "embed/picture.h"

namespace {

using zorvel::DibPicture;

constexpr LONG kHimetricPerInch = 2540;

void ReleaseScreenDc(HDC dc) { ReleaseDC(nullptr, dc); }
// A metafile still being recorded: closing it yields the metafile, which goes too.
void DiscardRecording(HDC dc) { DeleteMetaFile(CloseMetaFile(dc)); }
void DiscardEnhRecording(HDC dc) { DeleteEnhMetaFile(CloseEnhMetaFile(dc)); }

using ScreenDc = zorvel::UniqueReleased<HDC, ReleaseScreenDc>;
using Recording = zorvel::UniqueReleased<HDC, DiscardRecording>;
using EnhRecording = zorvel::UniqueReleased<HDC, DiscardEnhRecording>;
using Metafile = zorvel::UniqueReleased<HMETAFILE, DeleteMetaFile>;
using Global = zorvel::UniqueReleased<HGLOBAL, GlobalFree>;

SIZE HimetricToPixels(const SIZEL& himetric) {
    ScreenDc screen(GetDC(nullptr));
    const int dpiX = screen ? GetDeviceCaps(screen.get(), LOGPIXELSX) : 96;
    const int dpiY = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
    return SIZE{MulDiv(himetric.cx, dpiX, kHimetricPerInch), MulDiv(himetric.cy, dpiY, kHimetricPerInch)};
}

HRESULT MetafilePicture(const DibPicture& picture, const SIZEL& extent, const SIZE& pixels, STGMEDIUM* medium) {
    Recording recording(CreateMetaFileW(nullptr));
    if (!recording) return E_UNEXPECTED;
    SetWindowOrgEx(recording.get(), 0, 0, nullptr);
    SetWindowExtEx(recording.get(), pixels.cx, pixels.cy, nullptr);
    RETURN_IF_FAILED(zorvel::PutDib(recording.get(), RECT{0, 0, pixels.cx, pixels.cy}, picture));
    Metafile metafile(CloseMetaFile(recording.release()));
    if (!metafile) return E_UNEXPECTED;

    Global block(GlobalAlloc(GMEM_SHARE | GMEM_MOVEABLE, sizeof(METAFILEPICT)));
    if (!block) return STG_E_MEDIUMFULL;
    auto* pict = static_cast<METAFILEPICT*>(GlobalLock(block.get()));
    if (!pict) return STG_E_MEDIUMFULL;
    pict->mm = MM_ANISOTROPIC;
    pict->xExt = extent.cx;
    pict->yExt = extent.cy;
    pict->hMF = metafile.release();  // the picture block owns it from here
    GlobalUnlock(block.get());
    medium->tymed = TYMED_MFPICT;
    medium->hMetaFilePict = block.release();
    return S_OK;
}

HRESULT EnhancedMetafile(const DibPicture& picture, const SIZEL& extent, const SIZE& pixels, STGMEDIUM* medium) {
    const RECT frame = {0, 0, extent.cx, extent.cy};  // HIMETRIC
    EnhRecording recording(CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr));
    if (!recording) return E_UNEXPECTED;
    RETURN_IF_FAILED(zorvel::PutDib(recording.get(), RECT{0, 0, pixels.cx, pixels.cy}, picture));
    medium->hEnhMetaFile = CloseEnhMetaFile(recording.release());
    if (!medium->hEnhMetaFile) return E_UNEXPECTED;
    medium->tymed = TYMED_ENHMF;
    return S_OK;
}

HRESULT PackedDib(const DibPicture& picture, const SIZEL&, const SIZE&, STGMEDIUM* medium) {
    const size_t bits = picture.rows.size() * sizeof(uint32_t);
    Global block(GlobalAlloc(GMEM_SHARE | GMEM_MOVEABLE, sizeof(picture.header) + bits));
    if (!block) return STG_E_MEDIUMFULL;
    auto* bytes = static_cast<BYTE*>(GlobalLock(block.get()));
    if (!bytes) return STG_E_MEDIUMFULL;
    std::memcpy(bytes, &picture.header, sizeof(picture.header));
    std::memcpy(bytes + sizeof(picture.header), picture.rows.data(), bits);
    GlobalUnlock(block.get());
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = block.release();
    return S_OK;
}

struct PictureFormat {
    CLIPFORMAT format;
    DWORD tymed;
    HRESULT (*make)(const DibPicture& picture, const SIZEL& extent, const SIZE& pixels, STGMEDIUM* medium);
};

const PictureFormat kFormats[] = {
    {CF_METAFILEPICT, TYMED_MFPICT, MetafilePicture},
    {CF_ENHMETAFILE, TYMED_ENHMF, EnhancedMetafile},
    {CF_DIB, TYMED_HGLOBAL, PackedDib},
};

const PictureFormat* FindFormat(const FORMATETC& wanted) {
    if (wanted.dwAspect != DVASPECT_CONTENT) return nullptr;
    for (const PictureFormat& format : kFormats)
        if (format.format == wanted.cfFormat && (wanted.tymed & format.tymed)) return &format;
    return nullptr;
}

}  // namespace

STDMETHODIMP CSurfaceEmbedding::GetData(FORMATETC* pformatetcIn, STGMEDIUM* pmedium) {
    if (!pmedium || !pformatetcIn) return E_POINTER;
    *pmedium = STGMEDIUM{};
    const PictureFormat* format = FindFormat(*pformatetcIn);
    if (!format) return DATA_E_FORMATETC;
    const SIZEL extent = m_embed.extent;
    const SIZE pixels = HimetricToPixels(extent);
    DibPicture picture;
    RETURN_IF_FAILED(zorvel::MakeDib(m_renderer, pixels.cx, pixels.cy, &picture));
    return format->make(picture, extent, pixels, pmedium);
}

STDMETHODIMP CSurfaceEmbedding::GetDataHere(FORMATETC*, STGMEDIUM*) {
    return E_NOTIMPL;
}

STDMETHODIMP CSurfaceEmbedding::QueryGetData(FORMATETC* pformatetc) {
    if (!pformatetc) return E_POINTER;
    return FindFormat(*pformatetc) ? S_OK : DATA_E_FORMATETC;
}

STDMETHODIMP CSurfaceEmbedding::GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) {
    return E_NOTIMPL;
}

STDMETHODIMP CSurfaceEmbedding::SetData(FORMATETC*, STGMEDIUM*, BOOL) {
    return E_NOTIMPL;
}

STDMETHODIMP CSurfaceEmbedding::EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppenumFormatEtc) {
    if (!ppenumFormatEtc) return E_POINTER;
    *ppenumFormatEtc = nullptr;
    if (dwDirection != DATADIR_GET) return E_NOTIMPL;
    FORMATETC formats[sizeof(kFormats) / sizeof(kFormats[0])];
    for (size_t i = 0; i < sizeof(kFormats) / sizeof(kFormats[0]); ++i)
        formats[i] = FORMATETC{kFormats[i].format, nullptr, DVASPECT_CONTENT, -1, kFormats[i].tymed};
    return SHCreateStdEnumFmtEtc(sizeof(kFormats) / sizeof(kFormats[0]), formats, ppenumFormatEtc);
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
