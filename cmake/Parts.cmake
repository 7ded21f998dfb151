# The control is built from parts, one folder and one static library each,
# with the parts it may use declared beside it.  A part's headers are reached
# as "<part>/<file>.h" only through that part's include root, which holds a
# link named after the folder and nothing else; the source tree itself is on
# no include path.  So a file that includes a header of a part its own part
# does not depend on fails to compile.
#
#   zorvel_add_part(NAME [SOURCES files...] [PARTS parts...] [LIBRARIES libs...])
#
# PARTS are other parts (by folder name); LIBRARIES are anything else to link.
set(ZORVEL_PART_ROOTS ${CMAKE_BINARY_DIR}/parts)

# The include root of a folder, for targets that are not parts (hosts, tools,
# tests) but include their own headers by folder.
function(zorvel_include_root folder out_var)
  set(root ${ZORVEL_PART_ROOTS}/${folder})
  if(NOT EXISTS ${root}/${folder})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC COPY_ON_ERROR)
  endif()
  set(${out_var} ${root} PARENT_SCOPE)
endfunction()

function(zorvel_add_part name)
  cmake_parse_arguments(PART "" "" "SOURCES;PARTS;LIBRARIES" ${ARGN})
  zorvel_include_root(${name} root)
  add_library(zorvel_${name} STATIC ${PART_SOURCES})
  target_include_directories(zorvel_${name} PUBLIC ${root})
  foreach(part ${PART_PARTS})
    target_link_libraries(zorvel_${name} PUBLIC zorvel_${part})
  endforeach()
  target_link_libraries(zorvel_${name} PUBLIC ${PART_LIBRARIES})
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" OR CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    target_compile_options(zorvel_${name} PRIVATE -Wall -Wextra)
  endif()
endfunction()
