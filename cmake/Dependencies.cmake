# Lua 5.1 and GoogleTest, built from the sources that scripts/setup fetched
# from Debian.  Nothing of theirs lives in this repository.

set(ZORVEL_DEPS_DIR ${CMAKE_SOURCE_DIR}/.deps CACHE PATH "Where scripts/setup put the fetched sources")
set(GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")

file(GLOB _lua_dirs LIST_DIRECTORIES true ${ZORVEL_DEPS_DIR}/lua5.1-*/src)
list(LENGTH _lua_dirs _lua_found)
if(WIN32)
  if(_lua_found EQUAL 0)
    message(FATAL_ERROR "Lua 5.1 sources not found under ${ZORVEL_DEPS_DIR}; run scripts/setup")
  endif()
  list(GET _lua_dirs 0 LUA_SOURCE_DIR)
  set(_lua_core lapi lcode ldebug ldo ldump lfunc lgc llex lmem lobject lopcodes
      lparser lstate lstring ltable ltm lundump lvm lzio
      lauxlib lbaselib ldblib liolib lmathlib loslib ltablib lstrlib loadlib linit)
  list(TRANSFORM _lua_core PREPEND ${LUA_SOURCE_DIR}/)
  list(TRANSFORM _lua_core APPEND .c)
  # Lua stays C: its errors unwind with longjmp, which the bindings are written for.
  add_library(lua51 STATIC ${_lua_core})
  target_include_directories(lua51 SYSTEM PUBLIC ${LUA_SOURCE_DIR})
  set_target_properties(lua51 PROPERTIES C_STANDARD 99)
  target_compile_options(lua51 PRIVATE -w -O2)
endif()

set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(_t gtest gtest_main gmock gmock_main)
  if(TARGET ${_t})
    target_compile_options(${_t} PRIVATE -w)
  endif()
endforeach()
