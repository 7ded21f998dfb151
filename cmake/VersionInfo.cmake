# Version resources for the shipped binaries, from one place: the version of
# the top-level project(), the product and company names below and the
# copyright line of LICENSE.  Each binary gets a resource script written
# from cmake/VersionInfo.rc.in that differs only in its file name,
# description and file type.
#
#   zorvel_version_info(TARGET "File description")
include_guard(DIRECTORY)
# windres compiles the resource scripts; every directory that uses them
# enables it.
enable_language(RC)

set(ZORVEL_PRODUCT_NAME "Zorvel")
set(ZORVEL_COMPANY_NAME "The Zorvel developers")

function(zorvel_version_info target description)
  # The top-level project's version, also where a subproject set another.
  set(_parts ${CMAKE_PROJECT_VERSION_MAJOR} ${CMAKE_PROJECT_VERSION_MINOR}
             ${CMAKE_PROJECT_VERSION_PATCH} ${CMAKE_PROJECT_VERSION_TWEAK})
  set(_numbers)
  foreach(_i RANGE 0 3)
    list(LENGTH _parts _n)
    if(_i LESS _n)
      list(GET _parts ${_i} _v)
    else()
      set(_v 0)
    endif()
    if(_v STREQUAL "")
      set(_v 0)
    endif()
    list(APPEND _numbers ${_v})
  endforeach()
  list(JOIN _numbers "," ZORVEL_VI_NUMBERS)
  set(ZORVEL_VI_VERSION ${CMAKE_PROJECT_VERSION})

  file(STRINGS ${CMAKE_SOURCE_DIR}/LICENSE _copyright REGEX "^Copyright " LIMIT_COUNT 1)
  if(NOT _copyright)
    message(FATAL_ERROR "LICENSE has no Copyright line for the version resources")
  endif()
  string(REPLACE "\"" "\"\"" ZORVEL_VI_COPYRIGHT "${_copyright}")

  get_target_property(_type ${target} TYPE)
  get_target_property(_name ${target} OUTPUT_NAME)
  if(NOT _name)
    set(_name ${target})
  endif()
  if(_type STREQUAL "SHARED_LIBRARY" OR _type STREQUAL "MODULE_LIBRARY")
    set(ZORVEL_VI_FILE_TYPE VFT_DLL)
    set(ZORVEL_VI_FILE_NAME ${_name}.dll)
  elseif(_type STREQUAL "EXECUTABLE")
    set(ZORVEL_VI_FILE_TYPE VFT_APP)
    set(ZORVEL_VI_FILE_NAME ${_name}.exe)
  else()
    message(FATAL_ERROR "zorvel_version_info: ${target} is a ${_type}, not a binary")
  endif()
  set(ZORVEL_VI_INTERNAL_NAME ${_name})
  string(REPLACE "\"" "\"\"" ZORVEL_VI_DESCRIPTION "${description}")

  set(_rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/VersionInfo.rc.in ${_rc} @ONLY)
  target_sources(${target} PRIVATE ${_rc})
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/LICENSE)
endfunction()
