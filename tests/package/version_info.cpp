// Prints the version resource of each file named on the command line, as
// GetFileVersionInfo reads it, one "FILE: key=value" line per field, FILE as
// the command line gave it:
//   fixed_file_version, fixed_product_version (VS_FIXEDFILEINFO), and the
//   strings of the resource's first translation.
// A file without a readable version resource prints "FILE: error=..." and
// makes the exit code 1.  tests/package/check_package.sh compares.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

void PrintUtf8(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), size,
                        nullptr, nullptr);
    std::fwrite(utf8.data(), 1, utf8.size(), stdout);
}

void PrintField(const std::wstring& file, const std::wstring& key, const std::wstring& value) {
    PrintUtf8(file + L": " + key + L"=" + value + L"\n");
}

std::wstring Dotted(DWORD ms, DWORD ls) {
    wchar_t text[64];
    swprintf(text, 64, L"%u.%u.%u.%u", HIWORD(ms), LOWORD(ms), HIWORD(ls), LOWORD(ls));
    return text;
}

bool PrintVersion(const wchar_t* path) {
    const std::wstring name = path;
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    if (size == 0) {
        PrintField(name, L"error", L"GetFileVersionInfoSize failed, error " + std::to_wstring(GetLastError()));
        return false;
    }
    std::wstring block(size / sizeof(wchar_t) + 1, L'\0');
    if (!GetFileVersionInfoW(path, 0, size, block.data())) {
        PrintField(name, L"error", L"GetFileVersionInfo failed, error " + std::to_wstring(GetLastError()));
        return false;
    }

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) ||
        length < sizeof(VS_FIXEDFILEINFO) || fixed->dwSignature != VS_FFI_SIGNATURE) {
        PrintField(name, L"error", L"no VS_FIXEDFILEINFO");
        return false;
    }
    PrintField(name, L"fixed_file_version", Dotted(fixed->dwFileVersionMS, fixed->dwFileVersionLS));
    PrintField(name, L"fixed_product_version", Dotted(fixed->dwProductVersionMS, fixed->dwProductVersionLS));

    struct Translation {
        WORD language;
        WORD code_page;
    };
    Translation* translations = nullptr;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations),
                        &length) ||
        length < sizeof(Translation)) {
        PrintField(name, L"error", L"no translation");
        return false;
    }
    wchar_t prefix[64];
    swprintf(prefix, 64, L"\\StringFileInfo\\%04x%04x\\", translations[0].language, translations[0].code_page);
    const wchar_t* keys[] = {L"CompanyName",      L"FileDescription", L"FileVersion",    L"InternalName",
                             L"LegalCopyright",   L"OriginalFilename", L"ProductName", L"ProductVersion"};
    for (const wchar_t* key : keys) {
        wchar_t* value = nullptr;
        if (VerQueryValueW(block.data(), (std::wstring(prefix) + key).c_str(), reinterpret_cast<void**>(&value),
                           &length) &&
            value != nullptr) {
            PrintField(name, key, value);
        }
    }
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fputs("usage: package_version_info FILE...\n", stderr);
        return 2;
    }
    bool all = true;
    for (int i = 1; i < argc; ++i) all = PrintVersion(argv[i]) && all;
    std::fflush(stdout);
    return all ? 0 : 1;
}
