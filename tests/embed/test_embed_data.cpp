// IDataObject: the control's picture as a metafile picture, an enhanced
// metafile and a bitmap, and data advise connections; every other transfer is
// declined.
#include <gtest/gtest.h>

#include "embed_container.h"

using embed_test::Calls;
using embed_test::Control;

namespace {

FORMATETC Format(CLIPFORMAT format, DWORD tymed) {
    FORMATETC f = {};
    f.cfFormat = format;
    f.dwAspect = DVASPECT_CONTENT;
    f.lindex = -1;
    f.tymed = tymed;
    return f;
}

}  // namespace

TEST(EmbedData, MetafilePictureCarriesTheExtentInHimetric) {
    Control control;
    SIZEL size = {3000, 1500};
    ASSERT_EQ(S_OK, control.As<IOleObject>()->SetExtent(DVASPECT_CONTENT, &size));
    zorvel::ComPtr<IDataObject> data = control.As<IDataObject>();

    // Any request that admits a metafile picture gets one.
    for (DWORD tymed : {static_cast<DWORD>(TYMED_MFPICT), static_cast<DWORD>(TYMED_MFPICT | TYMED_HGLOBAL)}) {
        FORMATETC format = Format(CF_METAFILEPICT, tymed);
        STGMEDIUM medium = {};
        ASSERT_EQ(S_OK, data->GetData(&format, &medium)) << tymed;
        EXPECT_EQ(static_cast<DWORD>(TYMED_MFPICT), medium.tymed);
        EXPECT_EQ(nullptr, medium.pUnkForRelease);
        ASSERT_NE(nullptr, medium.hMetaFilePict);
        EXPECT_EQ(sizeof(METAFILEPICT), GlobalSize(medium.hMetaFilePict));
        EXPECT_NE(0u, GlobalFlags(medium.hMetaFilePict) & GMEM_SHARE);
        auto* picture = static_cast<METAFILEPICT*>(GlobalLock(medium.hMetaFilePict));
        ASSERT_NE(nullptr, picture);
        EXPECT_EQ(MM_ANISOTROPIC, picture->mm);
        EXPECT_EQ(3000, picture->xExt);
        EXPECT_EQ(1500, picture->yExt);
        ASSERT_NE(nullptr, picture->hMF);
        // A real metafile: header and the window set-up at least.
        EXPECT_GT(GetMetaFileBitsEx(picture->hMF, 0, nullptr), 18u);
        GlobalUnlock(medium.hMetaFilePict);
        ReleaseStgMedium(&medium);
    }
}

TEST(EmbedData, OtherMediaAreDeclined) {
    Control control;
    zorvel::ComPtr<IDataObject> data = control.As<IDataObject>();
    for (DWORD tymed : {static_cast<DWORD>(TYMED_HGLOBAL), static_cast<DWORD>(TYMED_ENHMF),
                        static_cast<DWORD>(TYMED_ISTREAM), static_cast<DWORD>(TYMED_GDI)}) {
        FORMATETC format = Format(CF_METAFILEPICT, tymed);
        STGMEDIUM medium;
        memset(&medium, 0xcc, sizeof(medium));
        EXPECT_EQ(DATA_E_FORMATETC, data->GetData(&format, &medium)) << tymed;
        EXPECT_EQ(0u, medium.tymed);
        EXPECT_EQ(nullptr, medium.hGlobal);
        EXPECT_EQ(nullptr, medium.pUnkForRelease);
    }
    FORMATETC format = Format(CF_METAFILEPICT, TYMED_MFPICT);
    EXPECT_EQ(E_POINTER, data->GetData(&format, nullptr));
    STGMEDIUM medium = {};
    EXPECT_EQ(E_NOTIMPL, data->GetDataHere(&format, &medium));
    FORMATETC canonical = {};
    EXPECT_EQ(E_NOTIMPL, data->GetCanonicalFormatEtc(&format, &canonical));
    EXPECT_EQ(E_NOTIMPL, data->SetData(&format, &medium, FALSE));
    FORMATETC other = Format(CF_BITMAP, TYMED_GDI);
    EXPECT_EQ(DATA_E_FORMATETC, data->QueryGetData(&other));
    EXPECT_EQ(DATA_E_FORMATETC, data->GetData(&other, &medium));
}

// Exactly the formats served are listed and answered for, and each holds
// the picture.
TEST(EmbedData, PictureFormatsHoldThePicture) {
    Control control;
    zorvel::ComPtr<IDataObject> data = control.As<IDataObject>();
    zorvel::ComPtr<IEnumFORMATETC> formats;
    ASSERT_EQ(S_OK, data->EnumFormatEtc(DATADIR_GET, formats.put()));
    EXPECT_EQ(E_NOTIMPL, data->EnumFormatEtc(DATADIR_SET, formats.put()));
    ASSERT_EQ(S_OK, data->EnumFormatEtc(DATADIR_GET, formats.put()));
    FORMATETC listed[4] = {};
    ULONG count = 0;
    formats->Next(4, listed, &count);
    ASSERT_EQ(3u, count);
    const RECT whole = {0, 0, 96, 72};
    for (ULONG i = 0; i < count; ++i) {
        EXPECT_EQ(S_OK, data->QueryGetData(&listed[i])) << listed[i].cfFormat;
        STGMEDIUM medium = {};
        ASSERT_EQ(S_OK, data->GetData(&listed[i], &medium)) << listed[i].cfFormat;
        EXPECT_EQ(listed[i].tymed, medium.tymed);
        embed_test::Canvas canvas(96, 72);
        if (listed[i].cfFormat == CF_ENHMETAFILE) {
            ASSERT_TRUE(PlayEnhMetaFile(canvas.dc(), medium.hEnhMetaFile, &whole));
        } else if (listed[i].cfFormat == CF_METAFILEPICT) {
            auto* picture = static_cast<METAFILEPICT*>(GlobalLock(medium.hMetaFilePict));
            SetMapMode(canvas.dc(), MM_ANISOTROPIC);
            SetViewportExtEx(canvas.dc(), 96, 72, nullptr);
            ASSERT_TRUE(PlayMetaFile(canvas.dc(), picture->hMF));
            GlobalUnlock(medium.hMetaFilePict);
        } else {
            ASSERT_EQ(CF_DIB, listed[i].cfFormat);
            auto* header = static_cast<BITMAPINFO*>(GlobalLock(medium.hGlobal));
            EXPECT_EQ(32, header->bmiHeader.biBitCount);
            ASSERT_GT(StretchDIBits(canvas.dc(), 0, 0, 96, 72, 0, 0, header->bmiHeader.biWidth,
                                    header->bmiHeader.biHeight,
                                    reinterpret_cast<BYTE*>(header) + header->bmiHeader.biSize, header,
                                    DIB_RGB_COLORS, SRCCOPY),
                      0);
            GlobalUnlock(medium.hGlobal);
        }
        canvas.ExpectSurfacePicture();
        ReleaseStgMedium(&medium);
    }
}

TEST(EmbedData, DataAdviseConnectionsGoThroughAHolder) {
    embed_test::TestContainer container;
    {
        Control control;
        zorvel::ComPtr<IDataObject> data = control.As<IDataObject>();
        zorvel::ComPtr<IEnumSTATDATA> connections;
        EXPECT_EQ(E_FAIL, data->EnumDAdvise(connections.put()));
        EXPECT_FALSE(connections);
        EXPECT_EQ(OLE_E_NOCONNECTION, data->DUnadvise(1));
        EXPECT_EQ(E_POINTER, data->EnumDAdvise(nullptr));

        FORMATETC format = Format(CF_METAFILEPICT, TYMED_MFPICT);
        DWORD connection = 0;
        ASSERT_EQ(S_OK, data->DAdvise(&format, ADVF_NODATA, container.sink, &connection));
        EXPECT_NE(0u, connection);
        ASSERT_EQ(S_OK, data->EnumDAdvise(connections.put()));
        STATDATA stat = {};
        ULONG fetched = 0;
        EXPECT_EQ(S_OK, connections->Next(1, &stat, &fetched));
        EXPECT_EQ(1u, fetched);
        EXPECT_EQ(connection, stat.dwConnection);
        EXPECT_EQ(static_cast<DWORD>(ADVF_NODATA), stat.advf);
        EXPECT_EQ(CF_METAFILEPICT, stat.formatetc.cfFormat);
        if (stat.pAdvSink) stat.pAdvSink->Release();
        connections.reset();

        EXPECT_EQ(S_OK, data->DUnadvise(connection));
        EXPECT_EQ(OLE_E_NOCONNECTION, data->DUnadvise(connection));
    }
    EXPECT_EQ(1, container.sink->Refs());
}

TEST(EmbedData, OleAdviseConnectionsGoThroughAHolder) {
    embed_test::TestContainer container;
    {
        Control control;
        zorvel::ComPtr<IOleObject> object = control.As<IOleObject>();
        zorvel::ComPtr<IEnumSTATDATA> connections;
        EXPECT_EQ(E_FAIL, object->EnumAdvise(connections.put()));
        EXPECT_EQ(OLE_E_NOCONNECTION, object->Unadvise(1));
        EXPECT_EQ(E_POINTER, object->EnumAdvise(nullptr));

        DWORD connection = 0;
        ASSERT_EQ(S_OK, object->Advise(container.sink, &connection));
        EXPECT_NE(0u, connection);
        ASSERT_EQ(S_OK, object->EnumAdvise(connections.put()));
        STATDATA stat = {};
        ULONG fetched = 0;
        EXPECT_EQ(S_OK, connections->Next(1, &stat, &fetched));
        EXPECT_EQ(connection, stat.dwConnection);
        EXPECT_EQ(static_cast<IAdviseSink*>(container.sink), stat.pAdvSink);
        if (stat.pAdvSink) stat.pAdvSink->Release();
        connections.reset();
        EXPECT_EQ(S_OK, object->Unadvise(connection));
        EXPECT_EQ(Calls{}, container.log.Take());
    }
    EXPECT_EQ(1, container.sink->Refs());
}
