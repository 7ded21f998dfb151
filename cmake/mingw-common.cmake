# What both MinGW-w64 toolchains share; the including file sets
# CMAKE_SYSTEM_PROCESSOR and ZORVEL_TRIPLET first.  The -posix thread model
# is needed for std::mutex, which GoogleTest uses.
set(CMAKE_SYSTEM_NAME Windows)

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
