// Making, writing and removing the temporary script file.
#include "script/temp_script_file.h"

#include <algorithm>

namespace zorvel::script {
namespace {

constexpr DWORD kPathBufferSize = 1024;

HRESULT LastErrorOr(HRESULT fallback) noexcept {
    const DWORD error = GetLastError();
    return error != 0 ? HRESULT_FROM_WIN32(error) : fallback;
}

}  // namespace

HRESULT TempScriptFile::Create(std::string& name) noexcept {
    Remove();
    char directory[kPathBufferSize];
    const DWORD length = GetTempPathA(kPathBufferSize, directory);
    if (length == 0) return LastErrorOr(E_FAIL);
    if (length >= kPathBufferSize) return HRESULT_FROM_WIN32(ERROR_BUFFER_OVERFLOW);
    char made[kPathBufferSize];
    if (GetTempFileNameA(directory, "lua", 0, made) == 0) return LastErrorOr(E_FAIL);
    try {
        m_name = made;
    } catch (...) {
        DeleteFileA(made);
        return E_OUTOFMEMORY;
    }
    try {
        name = m_name;
    } catch (...) {
        return E_OUTOFMEMORY;  // the destructor removes the file
    }
    return S_OK;
}

HRESULT TempScriptFile::Write(const std::string& text, UniqueFile& file) noexcept {
    if (m_name.empty()) return E_UNEXPECTED;
    file.reset(CreateFileA(m_name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return LastErrorOr(E_FAIL);
    HRESULT hr = S_OK;
    size_t done = 0;
    while (done < text.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file.get(), text.data() + done, chunk, &written, nullptr) || written == 0) {
            hr = LastErrorOr(E_FAIL);
            break;
        }
        done += written;
    }
    file.reset();
    return hr;
}

void TempScriptFile::Remove() noexcept {
    if (m_name.empty()) return;
    DeleteFileA(m_name.c_str());
    m_name.clear();
}

}  // namespace zorvel::script
