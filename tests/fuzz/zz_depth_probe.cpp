#include <windows.h>
#include <gtest/gtest.h>
#include <cstdio>
#include <string>
#include "server/registrar.h"
#include "tests/server/memory_registry.h"
TEST(DepthProbe, Find) {
    char v[32]; GetEnvironmentVariableA("DEPTH", v, sizeof v); int n = atoi(v);
    std::wstring s = L"HKCR{"; for (int i = 0; i < n; ++i) s += L"a{"; for (int i = 0; i <= n; ++i) s += L"}";
    zorvel_test::MemoryRegistry m; zorvel::Replacements r;
    HRESULT hr = zorvel::RunRegistrarScript(m, s, r, true);
    printf("depth %d: 0x%08lx keys %zu\n", n, (unsigned long)hr, m.KeyCount());
}
