// The native fuzz targets (grid operations, mesh builder, persisted-stream
// reader, registrar-script reader) once more, built for 32-bit Windows with
// its compiler, its floating point and its 16-bit wide characters, fed
// seeded random inputs the way the plain driver feeds them.  The inputs
// that once broke a target are replayed by the Regressions tests, apart from
// the rest so that one that still breaks cannot hide the others.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"

extern "C" int ZorvelGridFuzzOne(const uint8_t* data, size_t size);
extern "C" int ZorvelMeshFuzzOne(const uint8_t* data, size_t size);
extern "C" int ZorvelPersistFuzzOne(const uint8_t* data, size_t size);
extern "C" int ZorvelRegistrarFuzzOne(const uint8_t* data, size_t size);

namespace {

using FuzzOne = int (*)(const uint8_t*, size_t);

// Lengths spread over the powers of two up to 4096, as the plain driver has them.
void RunRandomInputs(const char* name, FuzzOne target, uint64_t suiteCount)
{
    const uint64_t cases = fuzz_test::CaseCount(suiteCount);
    const uint64_t seed = fuzz_test::Seed();
    fuzz_test::Random random(seed);
    std::vector<uint8_t> bytes;
    fuzz_test::HangWatch watch(name);
    for (uint64_t i = 0; i < cases; ++i) {
        watch.Case(i);
        const uint64_t limit = uint64_t{1} << random.Below(13);
        bytes.resize(static_cast<size_t>(random.Next() % (limit + 1)));
        for (uint8_t& byte : bytes)
            byte = static_cast<uint8_t>(random.Next());
        target(bytes.data(), bytes.size());
    }
    fuzz_test::Report(name, cases, seed, "");
}

std::vector<std::string> FilesIn(const std::string& directory)
{
    std::vector<std::string> files;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((directory + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return files;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            files.push_back(directory + "\\" + data.cFileName);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return files;
}

std::vector<uint8_t> ReadAll(const std::string& path)
{
    std::vector<uint8_t> bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    const DWORD size = GetFileSize(file, nullptr);
    bytes.resize(size);
    DWORD read = 0;
    if (size != 0 && !ReadFile(file, bytes.data(), size, &read, nullptr))
        read = 0;
    bytes.resize(read);
    CloseHandle(file);
    return bytes;
}

void Replay(const char* target, FuzzOne fuzzOne)
{
    const std::string directory = std::string(ZORVEL_FUZZ_REGRESSIONS) + "\\" + target;
    for (const std::string& file : FilesIn(directory)) {
        SCOPED_TRACE(file);
        const std::vector<uint8_t> bytes = ReadAll(file);
        fuzzOne(bytes.data(), bytes.size());
    }
}

TEST(NativeTargetsUnderWine, GridOperations)
{
    RunRandomInputs("grid-under-wine", ZorvelGridFuzzOne, 20000);
}

TEST(NativeTargetsUnderWine, MeshBuilder)
{
    RunRandomInputs("mesh-under-wine", ZorvelMeshFuzzOne, 20000);
}

TEST(NativeTargetsUnderWine, PersistedStreamReader)
{
    RunRandomInputs("persist-under-wine", ZorvelPersistFuzzOne, 20000);
}

TEST(NativeTargetsUnderWine, RegistrarScripts)
{
    RunRandomInputs("registrar-under-wine", ZorvelRegistrarFuzzOne, 20000);
}

TEST(Regressions, GridOperations)
{
    Replay("grid_fuzzer", ZorvelGridFuzzOne);
}

TEST(Regressions, MeshBuilder)
{
    Replay("mesh_fuzzer", ZorvelMeshFuzzOne);
}

TEST(Regressions, PersistedStreamReader)
{
    Replay("persist_fuzzer", ZorvelPersistFuzzOne);
}

TEST(Regressions, RegistrarScripts)
{
    Replay("registrar_fuzzer", ZorvelRegistrarFuzzOne);
}

}  // namespace
