# The forbidden edges between the parts, each as a probe: a file compiled with
# the include paths of a part (or the hosts' container) that includes a
# header of a part it must not reach.  Its test builds it and passes only when
# the compiler reports that header missing.  The last probe is an allowed
# edge, which must compile: it shows that the probes themselves work.
#
#   ctest -L layering        (or: cmake --build build --target layering_render_includes_control)
set(_layering_dir ${CMAKE_BINARY_DIR}/layering)
set(_forbidden
  "render:control/surface.h" "render:embed/embedding.h" "render:script/script_session.h"
  "render:server/module.h" "script:render/renderer.h" "script:control/surface.h"
  "embed:control/surface.h" "embed:script/script_session.h" "control:server/module.h"
  "container:control/surface.h" "container:render/renderer.h")
set(_allowed "control:render/renderer.h")

function(zorvel_layering_probe from header expectation)
  get_filename_component(_part ${header} DIRECTORY)
  set(_name layering_${from}_includes_${_part})
  file(WRITE ${_layering_dir}/${_name}.cpp.new "#include \"${header}\"\n")
  configure_file(${_layering_dir}/${_name}.cpp.new ${_layering_dir}/${_name}.cpp COPYONLY)
  add_library(${_name} OBJECT EXCLUDE_FROM_ALL ${_layering_dir}/${_name}.cpp)
  target_link_libraries(${_name} PRIVATE zorvel_${from})
  add_test(NAME ${_name} COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target ${_name})
  set_tests_properties(${_name} PROPERTIES LABELS layering)
  if(expectation STREQUAL "missing")
    string(REPLACE "." "\\." _pattern "${header}")
    set_tests_properties(${_name} PROPERTIES
      PASS_REGULAR_EXPRESSION "${_pattern}'?:? (No such file|file not found)")
  endif()
endfunction()

foreach(_edge ${_forbidden})
  string(REPLACE ":" ";" _edge "${_edge}")
  list(GET _edge 0 _from)
  list(GET _edge 1 _header)
  zorvel_layering_probe(${_from} ${_header} missing)
endforeach()
string(REPLACE ":" ";" _edge "${_allowed}")
list(GET _edge 0 _from)
list(GET _edge 1 _header)
zorvel_layering_probe(${_from} ${_header} compiles)
