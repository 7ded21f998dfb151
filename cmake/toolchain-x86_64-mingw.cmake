# 64-bit Windows through MinGW-w64.  The -posix thread model is needed for
# std::mutex, which GoogleTest uses.  The programs run under Wine in the
# project's 64-bit prefix (scripts/wine-run picks it by ZORVEL_WINEARCH=win64 or ZORVEL_WINEPREFIX).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZORVEL_TRIPLET x86_64-w64-mingw32)

set(CMAKE_C_COMPILER   ${ZORVEL_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZORVEL_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER  ${ZORVEL_TRIPLET}-windres)
set(ZORVEL_WIDL        ${ZORVEL_TRIPLET}-widl)

set(CMAKE_FIND_ROOT_PATH /usr/${ZORVEL_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
