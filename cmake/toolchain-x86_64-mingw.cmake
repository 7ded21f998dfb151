# 64-bit Windows through MinGW-w64.  The programs run under Wine in the
# project's 64-bit prefix (scripts/wine-run picks it by ZORVEL_WINEARCH=win64
# or ZORVEL_WINEPREFIX).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZORVEL_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
