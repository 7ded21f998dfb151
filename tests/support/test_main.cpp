// Entry point of the Windows test programs: the tests run in a
// single-threaded apartment, like the control's hosts.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    int rc = RUN_ALL_TESTS();
    CoUninitialize();
    return rc;
}
