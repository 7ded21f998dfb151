// Runs a fuzz target where libFuzzer is not available (a build with g++):
// seeded random inputs, or the files and directories named on the command
// line, once each.  It takes libFuzzer's -runs=, -seed=, -max_len= and
// -max_total_time= so that one command line serves both builds; other
// libFuzzer flags are ignored.  An input that kills the target is written to
// crash-plain-<seed>-<run> in the working directory before the process dies.
#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" __attribute__((weak)) void __sanitizer_set_death_callback(void (*callback)());

namespace {

struct Options {
    uint64_t runs = 100000;
    uint64_t seed = 1;
    size_t maxLength = 4096;
    double maxSeconds = 0;
    std::vector<std::string> inputs;
};

// The input in flight, for the death handlers.
const std::vector<uint8_t>* g_current = nullptr;
char g_crashName[64];

void WriteCurrentInput()
{
    static bool written = false;
    if (written || !g_current)
        return;
    written = true;
    FILE* file = std::fopen(g_crashName, "wb");
    if (!file)
        return;
    std::fwrite(g_current->data(), 1, g_current->size(), file);
    std::fclose(file);
    std::fprintf(stderr, "plain driver: input written to %s\n", g_crashName);
}

void OnSignal(int signal)
{
    WriteCurrentInput();
    ::signal(signal, SIG_DFL);
    raise(signal);
}

bool StartsWith(const char* text, const char* prefix, const char** rest)
{
    const size_t n = std::strlen(prefix);
    if (std::strncmp(text, prefix, n) != 0)
        return false;
    *rest = text + n;
    return true;
}

Options Parse(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const char* value = nullptr;
        if (StartsWith(argv[i], "-runs=", &value))
            options.runs = std::strtoull(value, nullptr, 10);
        else if (StartsWith(argv[i], "-seed=", &value))
            options.seed = std::strtoull(value, nullptr, 10);
        else if (StartsWith(argv[i], "-max_len=", &value))
            options.maxLength = std::strtoull(value, nullptr, 10);
        else if (StartsWith(argv[i], "-max_total_time=", &value))
            options.maxSeconds = std::strtod(value, nullptr);
        else if (argv[i][0] != '-')
            options.inputs.push_back(argv[i]);
    }
    return options;
}

// splitmix64: every seed gives its own long, well-mixed sequence.
uint64_t Next(uint64_t& state)
{
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

bool ReadFile(const std::string& path, std::vector<uint8_t>& bytes)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    bytes.clear();
    uint8_t buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(file);
    return true;
}

void CollectFiles(const std::string& path, std::vector<std::string>& files)
{
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
        return;
    if (!S_ISDIR(info.st_mode)) {
        files.push_back(path);
        return;
    }
    DIR* dir = opendir(path.c_str());
    if (!dir)
        return;
    while (dirent* entry = readdir(dir)) {
        if (entry->d_name[0] != '.')
            CollectFiles(path + "/" + entry->d_name, files);
    }
    closedir(dir);
}

int Replay(const std::vector<std::string>& inputs)
{
    std::vector<std::string> files;
    for (const std::string& input : inputs)
        CollectFiles(input, files);
    std::vector<uint8_t> bytes;
    for (const std::string& file : files) {
        if (!ReadFile(file, bytes)) {
            std::fprintf(stderr, "plain driver: cannot read %s\n", file.c_str());
            return 1;
        }
        std::snprintf(g_crashName, sizeof g_crashName, "crash-plain-replay");
        g_current = &bytes;
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
        g_current = nullptr;
    }
    std::printf("Executed %zu inputs\n", files.size());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    const Options options = Parse(argc, argv);
    for (int s : {SIGABRT, SIGSEGV, SIGFPE, SIGILL, SIGBUS})
        signal(s, OnSignal);
    if (__sanitizer_set_death_callback)
        __sanitizer_set_death_callback(WriteCurrentInput);
    if (!options.inputs.empty())
        return Replay(options.inputs);

    const auto start = std::chrono::steady_clock::now();
    uint64_t state = options.seed;
    std::vector<uint8_t> bytes;
    uint64_t run = 0;
    for (; run < options.runs; ++run) {
        // Short inputs are most of them: lengths spread over the powers of two.
        const uint64_t scale = uint64_t{1} << (Next(state) % 13);
        const uint64_t limit = scale < options.maxLength ? scale : options.maxLength;
        bytes.resize(static_cast<size_t>(Next(state) % (limit + 1)));
        for (size_t i = 0; i < bytes.size(); i += 8) {
            const uint64_t word = Next(state);
            for (size_t k = 0; k < 8 && i + k < bytes.size(); ++k)
                bytes[i + k] = static_cast<uint8_t>(word >> (8 * k));
        }
        std::snprintf(g_crashName, sizeof g_crashName, "crash-plain-%llu-%llu",
                      static_cast<unsigned long long>(options.seed), static_cast<unsigned long long>(run));
        g_current = &bytes;
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
        g_current = nullptr;
        if (options.maxSeconds > 0 && (run & 255) == 0) {
            const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
            if (elapsed.count() > options.maxSeconds) {
                ++run;
                break;
            }
        }
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::printf("Done %llu runs in %.1f s (seed %llu)\n", static_cast<unsigned long long>(run),
                elapsed.count(), static_cast<unsigned long long>(options.seed));
    return 0;
}
