# The package layout, the same for both bitnesses so that two installs into
# one prefix make the whole package:
#   README.md              the five-minute quick start (packaging/README.package.md)
#   LICENSE, CHANGELOG.md, THIRD-PARTY-NOTICES.txt (written from the Lua and
#                          MinGW-w64 sources at install time)
#   bin/x86, bin/x64       Zorvel.dll and its assembly manifest, nothing else
#   tools/x86, tools/x64   the test hosts and ZorvelRender
#   debug/x86, debug/x64   the debug files of bin/ and tools/, named by the
#                          .gnu_debuglink of the stripped binaries
#   include/               the generated ISurface header and GUIDs, the .idl and its DISPIDs
#   lib/x86, lib/x64       the type library (it names its platform)
#   docs/                  docs/*.md, *.png and *.svg of the tree
#   samples/               the tree's samples/ folder, when there is one
# The build tree's binaries stay as built; only the installed copies are
# stripped (packaging/install-steps.cmake.in).
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(ZORVEL_PACKAGE_ARCH x64)
  set(ZORVEL_MANIFEST_ARCH amd64)
else()
  set(ZORVEL_PACKAGE_ARCH x86)
  set(ZORVEL_MANIFEST_ARCH x86)
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/Zorvel.manifest.in
               ${CMAKE_BINARY_DIR}/packaging/Vexo.Zorvel.manifest @ONLY)

set(ZORVEL_PACKAGE_TOOLS LuaZorvelTest KandelTest ZorvelRender)

# The debug files ship, so no path of the building machine may be in them:
# the shipped binaries and everything linked into them are compiled with
# paths relative to the source tree (the build tree is build/ or build/win64
# inside it).
set(_prefix_maps -ffile-prefix-map=${CMAKE_SOURCE_DIR}/=)
file(RELATIVE_PATH _binary_in_source ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR})
if(_binary_in_source MATCHES "^\\.\\./" OR IS_ABSOLUTE "${_binary_in_source}")
  list(APPEND _prefix_maps -ffile-prefix-map=${CMAKE_BINARY_DIR}/=build/)
endif()
set(_pending Zorvel ${ZORVEL_PACKAGE_TOOLS})
set(_mapped)
while(_pending)
  list(POP_FRONT _pending _target)
  if(NOT TARGET ${_target} OR _target IN_LIST _mapped)
    continue()
  endif()
  get_target_property(_imported ${_target} IMPORTED)
  get_target_property(_type ${_target} TYPE)
  if(_imported OR _type STREQUAL "INTERFACE_LIBRARY")
    continue()
  endif()
  list(APPEND _mapped ${_target})
  set_property(TARGET ${_target} APPEND PROPERTY COMPILE_OPTIONS ${_prefix_maps})
  get_target_property(_libraries ${_target} LINK_LIBRARIES)
  foreach(_library IN LISTS _libraries)
    string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" _library "${_library}")
    if(TARGET ${_library})
      list(APPEND _pending ${_library})
    endif()
  endforeach()
endwhile()

install(TARGETS Zorvel RUNTIME DESTINATION bin/${ZORVEL_PACKAGE_ARCH}
                       LIBRARY DESTINATION bin/${ZORVEL_PACKAGE_ARCH})
install(FILES ${CMAKE_BINARY_DIR}/packaging/Vexo.Zorvel.manifest DESTINATION bin/${ZORVEL_PACKAGE_ARCH})
set(_installed_tools)
foreach(_tool IN LISTS ZORVEL_PACKAGE_TOOLS)
  if(TARGET ${_tool})
    install(TARGETS ${_tool} RUNTIME DESTINATION tools/${ZORVEL_PACKAGE_ARCH})
    list(APPEND _installed_tools tools/${ZORVEL_PACKAGE_ARCH}/$<TARGET_FILE_NAME:${_tool}>)
  endif()
endforeach()
install(FILES ${ZORVEL_IDL_HEADER} ${ZORVEL_IDL_GUIDS} ${ZORVEL_IDL} ${CMAKE_SOURCE_DIR}/common/dispids.h
        DESTINATION include)
install(FILES ${ZORVEL_TLB} DESTINATION lib/${ZORVEL_PACKAGE_ARCH})
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE ${CMAKE_SOURCE_DIR}/CHANGELOG.md DESTINATION .)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/README.package.md DESTINATION . RENAME README.md)

# What install time does: the docs and samples as the tree holds them then,
# the notices, the header comments without the source path, and the split of
# each binary into a stripped one and its debug file.
find_program(ZORVEL_BASH bash REQUIRED)
set(ZORVEL_MINGW_COPYRIGHT /usr/share/doc/mingw-w64-common/copyright CACHE FILEPATH
    "DEP-5 copyright file of MinGW-w64, for the winpthreads notice")
get_filename_component(ZORVEL_LUA_DIR ${LUA_SOURCE_DIR} DIRECTORY)
set(ZORVEL_INSTALLED_BINARIES bin/${ZORVEL_PACKAGE_ARCH}/$<TARGET_FILE_NAME:Zorvel> ${_installed_tools})
configure_file(${CMAKE_CURRENT_LIST_DIR}/install-steps.cmake.in
               ${CMAKE_BINARY_DIR}/packaging/install-steps.cmake.in @ONLY)
# The binaries' names are generator expressions.
file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/packaging/install-steps.cmake
     INPUT ${CMAKE_BINARY_DIR}/packaging/install-steps.cmake.in)
install(SCRIPT ${CMAKE_BINARY_DIR}/packaging/install-steps.cmake)

# The package is a zip of one folder, zorvel-1.0, into which CPack installs
# this build and then each tree named in ZORVEL_PACKAGE_EXTRA_BUILDS (the
# win32 preset names the win64 one), so that both bitnesses land side by
# side.  `cpack --preset package` writes it to package/ in this tree.
set(ZORVEL_PACKAGE_EXTRA_BUILDS "" CACHE STRING
    "Other build trees of this project installed into the same package")
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME zorvel-${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_INSTALL_CMAKE_PROJECTS)
foreach(_tree IN ITEMS ${CMAKE_BINARY_DIR} ${ZORVEL_PACKAGE_EXTRA_BUILDS})
  list(APPEND CPACK_INSTALL_CMAKE_PROJECTS ${_tree} ${PROJECT_NAME} ALL /)
endforeach()
include(CPack)
