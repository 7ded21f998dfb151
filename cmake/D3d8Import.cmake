# MinGW-w64 ships no 64-bit import library for d3d8.dll, though 64-bit
# Windows and Wine both provide the DLL.  The control needs one entry point;
# dlltool writes the import library at configure time, and a target of the
# same name takes the place of "-ld3d8".
if(NOT WIN32 OR NOT CMAKE_SIZEOF_VOID_P EQUAL 8 OR TARGET d3d8)
  return()
endif()
find_library(ZORVEL_D3D8_SYSTEM_LIB d3d8)
if(ZORVEL_D3D8_SYSTEM_LIB)
  return()
endif()
find_program(ZORVEL_DLLTOOL ${ZORVEL_TRIPLET}-dlltool REQUIRED)
set(_d3d8_dir ${CMAKE_BINARY_DIR}/d3d8-import)
file(MAKE_DIRECTORY ${_d3d8_dir})
file(WRITE ${_d3d8_dir}/d3d8.def "LIBRARY d3d8.dll\nEXPORTS\n    Direct3DCreate8\n")
execute_process(
  COMMAND ${ZORVEL_DLLTOOL} -d ${_d3d8_dir}/d3d8.def -l ${_d3d8_dir}/libd3d8.a
  RESULT_VARIABLE _d3d8_rc)
if(NOT _d3d8_rc EQUAL 0)
  message(FATAL_ERROR "dlltool could not write the d3d8 import library")
endif()
add_library(d3d8 STATIC IMPORTED GLOBAL)
set_target_properties(d3d8 PROPERTIES IMPORTED_LOCATION ${_d3d8_dir}/libd3d8.a)
