# 32-bit Windows through MinGW-w64.  The -posix thread model is needed for
# std::mutex, which GoogleTest uses.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ZORVEL_TRIPLET i686-w64-mingw32)

set(CMAKE_C_COMPILER   ${ZORVEL_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZORVEL_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER  ${ZORVEL_TRIPLET}-windres)
set(ZORVEL_WIDL        ${ZORVEL_TRIPLET}-widl)

set(CMAKE_FIND_ROOT_PATH /usr/${ZORVEL_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Windows programs built here run under Wine in the project's own prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
