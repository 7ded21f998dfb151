// ZorvelRender, the main job's renderer, run as the demo runs it: the sample
// script written out, run for a number of ticks, the last frame in a PNG.
#include <gtest/gtest.h>

#include <wincodec.h>

#include <cstring>
#include <string>
#include <vector>

#include "host_test_support.h"
#include "hosts/script_form/sample_script.h"

namespace {

DWORD RunRender(const std::wstring& arguments) {
    const std::wstring program = host_test::ProgramPath(L"ZorvelRender.exe");
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info))
        return 0xFFFFFFFF;
    WaitForSingleObject(info.hProcess, 120000);
    DWORD code = 0xFFFFFFFF;
    GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    return code;
}

std::wstring TempPath(const wchar_t* name) {
    wchar_t dir[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + L"zorvel_render_" + std::to_wstring(GetCurrentProcessId()) + L"_" + name;
}

std::string ReadAll(const std::wstring& path) {
    zorvel::UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
    if (!file) return {};
    std::string bytes(1 << 20, '\0');
    DWORD read = 0;
    ReadFile(file.get(), &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
    bytes.resize(read);
    return bytes;
}

struct Picture {
    UINT width = 0, height = 0;
    std::vector<BYTE> bgr;
};

// Decodes a PNG through the platform's imaging component.
HRESULT LoadPng(const std::wstring& path, Picture& picture) {
    zorvel::ComPtr<IWICImagingFactory> factory;
    RETURN_IF_FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IWICImagingFactory, factory.put_void()));
    zorvel::ComPtr<IWICBitmapDecoder> decoder;
    RETURN_IF_FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                        WICDecodeMetadataCacheOnDemand, decoder.put()));
    GUID format = {};
    RETURN_IF_FAILED(decoder->GetContainerFormat(&format));
    if (!IsEqualGUID(format, GUID_ContainerFormatPng)) return E_FAIL;
    zorvel::ComPtr<IWICBitmapFrameDecode> frame;
    RETURN_IF_FAILED(decoder->GetFrame(0, frame.put()));
    zorvel::ComPtr<IWICFormatConverter> converter;
    RETURN_IF_FAILED(factory->CreateFormatConverter(converter.put()));
    RETURN_IF_FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat24bppBGR,
                                           WICBitmapDitherTypeNone, nullptr, 0, WICBitmapPaletteTypeCustom));
    RETURN_IF_FAILED(converter->GetSize(&picture.width, &picture.height));
    picture.bgr.resize(static_cast<size_t>(picture.width) * picture.height * 3);
    return converter->CopyPixels(nullptr, picture.width * 3, static_cast<UINT>(picture.bgr.size()),
                                 picture.bgr.data());
}

size_t CountLit(const Picture& picture) {
    size_t lit = 0;
    for (size_t i = 0; i < picture.bgr.size(); i += 3)
        if (picture.bgr[i] | picture.bgr[i + 1] | picture.bgr[i + 2]) ++lit;
    return lit;
}

class RenderProgram : public ::testing::Test {
protected:
    void TearDown() override {
        for (const std::wstring& path : made) DeleteFileW(path.c_str());
    }
    std::wstring Made(const wchar_t* name) {
        made.push_back(TempPath(name));
        DeleteFileW(made.back().c_str());
        return made.back();
    }
    std::vector<std::wstring> made;
};

}  // namespace

TEST_F(RenderProgram, WritesTheFormsSampleScript) {
    const std::wstring script = Made(L"sample.lua");
    ASSERT_EQ(0u, RunRender(L"/writesample \"" + script + L"\""));
    EXPECT_EQ(std::string(kSampleScript, kSampleScriptLength), ReadAll(script));
}

TEST_F(RenderProgram, TheSampleTurnsTheSurfaceFromTickToTick) {
    const std::wstring script = Made(L"sample.lua");
    ASSERT_EQ(0u, RunRender(L"/writesample \"" + script + L"\""));
    const std::wstring still = Made(L"still.png"), turned = Made(L"turned.png");
    ASSERT_EQ(0u, RunRender(L"\"" + script + L"\" 0 \"" + still + L"\" 160 120"));
    ASSERT_EQ(0u, RunRender(L"\"" + script + L"\" 15 \"" + turned + L"\" 160 120"));

    Picture a, b;
    ASSERT_EQ(S_OK, LoadPng(still, a));
    ASSERT_EQ(S_OK, LoadPng(turned, b));
    EXPECT_EQ(160u, a.width);
    EXPECT_EQ(120u, a.height);
    EXPECT_EQ(160u, b.width);
    // A surface on black, seen from two angles.
    EXPECT_GT(CountLit(a), a.bgr.size() / 3 / 10);
    EXPECT_LT(CountLit(a), a.bgr.size() / 3);
    EXPECT_NE(a.bgr, b.bgr);
}

TEST_F(RenderProgram, TheSameRunGivesTheSamePicture) {
    const std::wstring script = Made(L"hill.lua");
    {
        zorvel::UniqueFile file(CreateFileW(script.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(file);
        const char text[] =
            "SetPointsPerXY(40, 40) SetXRange(-5, 5) SetYRange(-5, 5)\n"
            "for i = 0, 39 do for j = 0, 39 do\n"
            "  local x, y = -5 + i * 10 / 39, -5 + j * 10 / 39\n"
            "  SetData(i, j, x, y, 8 / (1 + x * x + y * y)) end end\n"
            "Refresh() SetZRotate(1)\n";
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(file.get(), text, sizeof(text) - 1, &written, nullptr));
    }
    const std::wstring first = Made(L"first.png"), second = Made(L"second.png");
    ASSERT_EQ(0u, RunRender(L"\"" + script + L"\" 7 \"" + first + L"\" 128 96"));
    ASSERT_EQ(0u, RunRender(L"\"" + script + L"\" 7 \"" + second + L"\" 128 96"));
    Picture a, b;
    ASSERT_EQ(S_OK, LoadPng(first, a));
    ASSERT_EQ(S_OK, LoadPng(second, b));
    EXPECT_GT(CountLit(a), 0u);
    EXPECT_EQ(a.bgr, b.bgr);
}

TEST_F(RenderProgram, BadArgumentsAndMissingScriptsFail) {
    const std::wstring picture = Made(L"none.png");
    EXPECT_EQ(2u, RunRender(L""));
    EXPECT_EQ(2u, RunRender(L"x.lua many \"" + picture + L"\""));
    EXPECT_EQ(2u, RunRender(L"x.lua 3 \"" + picture + L"\" 0 10"));
    EXPECT_EQ(1u, RunRender(L"\"" + TempPath(L"missing.lua") + L"\" 3 \"" + picture + L"\""));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(picture.c_str()));
}
